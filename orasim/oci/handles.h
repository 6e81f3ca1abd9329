// The handles and descriptors a client holds: real objects with a type tag, kept in a registry so
// that a pointer the simulator did not hand out, or one already freed, is recognised without being
// read. Each handle belongs to an environment; freeing a parent frees what it owns.
#pragma once

#include "engine/engine.h"
#include "oci/oci.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace orasim::oci {

inline constexpr ub4 handle_magic = 0x4D49534Fu;

// One attachment to the server. A dropped connection stays dead; its handles answer ORA-03114.
struct connection {
    std::string database; // as the client named it, UTF-8
    bool dead = false;
};

struct handle {
    handle(ub4 handle_type, handle* owner);
    virtual ~handle();
    handle(const handle&) = delete;
    handle& operator=(const handle&) = delete;

    ub4 magic = handle_magic;
    ub4 type;
    std::uint64_t serial; // distinguishes a handle from a later one at the same address
    handle* parent;       // the environment, or the statement for binds, defines and parameters
    std::vector<handle*> children;
    std::vector<unsigned char> user_memory;
};

// A reference that goes stale when its handle is freed, even if the address is used again.
template <typename T> struct handle_ref {
    T* ptr = nullptr;
    std::uint64_t serial = 0;

    void set(T* h) {
        ptr = h;
        serial = h ? h->serial : 0;
    }
    T* get() const;
};

struct records {
    std::vector<ora_error> list; // texts without their final line feed, UTF-8

    void clear() { list.clear(); }
    void set(ora_error e) { list.assign(1, std::move(e)); }
};

struct env_handle : handle {
    explicit env_handle(ub4 env_mode) : handle(OCI_HTYPE_ENV, nullptr), mode(env_mode) {}
    ub4 mode;
    records errors; // failures of allocations from this environment
};

struct error_handle : handle {
    using handle::handle;
    records errors;
};

struct server_handle : handle {
    using handle::handle;
    ~server_handle() override; // freed while attached: the connection is gone
    std::shared_ptr<connection> conn; // set while attached
    ub1 nonblocking = 0;
};

struct session_handle : handle {
    using handle::handle;
    std::string user_client, password_client; // as the client set them
    std::unique_ptr<orasim::session> session;  // set while begun
    std::shared_ptr<connection> conn;
};

struct svcctx_handle : handle {
    using handle::handle;
    handle_ref<server_handle> server;
    handle_ref<session_handle> session;
};

struct bind_handle : handle {
    using handle::handle;
    std::string key; // the engine's name: no colon, upper-cased
    void* valuep = nullptr;
    sb4 value_sz = 0;
    ub2 dty = 0;
    sb2* indp = nullptr;
    ub2* alenp = nullptr;
    ub2* rcodep = nullptr;
    ub2 charset_id = 0;
    ub1 charset_form = 1;
};

struct define_handle : handle {
    using handle::handle;
    ub4 position = 0;
    void* valuep = nullptr;
    sb4 value_sz = 0;
    ub2 dty = 0;
    sb2* indp = nullptr;
    ub2* rlenp = nullptr;
    ub2* rcodep = nullptr;
    ub2 charset_id = 0;
    ub1 charset_form = 1;
};

struct param_handle : handle {
    using handle::handle;
    std::string name_client; // the column name in the client's encoding
    column_info column;
};

struct stmt_handle : handle {
    using handle::handle;
    bool prepared = false;
    std::string text; // UTF-8
    ub2 stmt_type = 0;
    bool executed = false;
    bool is_query = false;
    bool open = false; // rows can be fetched
    std::vector<column_info> columns;
    std::vector<std::vector<value>> rows;
    size_t position = 0; // next row to deliver
    ub4 row_count = 0;
    ub4 rows_fetched = 0;
    ub4 prefetch_rows = 1;
    ub4 prefetch_memory = 0;
    std::shared_ptr<connection> conn; // of the execute that opened the rows
    handle_ref<session_handle> session;
    std::vector<bind_handle*> binds;           // in binding order
    std::map<ub4, define_handle*> defines;     // by position

    std::string first_line() const;
    void forget_result(); // before a new prepare or execute
};

// Every live handle and descriptor of the process.
class registry {
public:
    static registry& get();

    void add(handle* h);
    void remove(handle* h);
    // The handle at this address when it is live and carries one of the types; null otherwise.
    handle* find(const void* p) const;
    size_t size() const;
    std::uint64_t next_serial();

    template <typename F> void for_each(F f) const {
        std::vector<handle*> all;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto& [k, h] : live_)
                all.push_back(h);
        }
        for (handle* h : all)
            f(h);
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<const void*, handle*> live_;
    std::uint64_t serial_ = 0;
};

// The live handle at p with that type, or null.
template <typename T> T* lookup(const void* p, ub4 type) {
    handle* h = registry::get().find(p);
    if (!h || h->type != type)
        return nullptr;
    return static_cast<T*>(h);
}

template <typename T> T* handle_ref<T>::get() const {
    if (!ptr)
        return nullptr;
    handle* h = registry::get().find(static_cast<const handle*>(ptr));
    return h == ptr && h->serial == serial ? ptr : nullptr;
}

// The address a client receives for a handle.
inline void* client_pointer(handle* h) { return static_cast<void*>(h); }

// Creates a handle owned by parent (registered, linked as its child).
template <typename T, typename... A> T* create(handle* parent, A&&... args) {
    T* h = new T(std::forward<A>(args)...);
    if (parent)
        parent->children.push_back(h);
    registry::get().add(h);
    return h;
}

// Frees a handle with everything it owns.
void destroy(handle* h);

} // namespace orasim::oci
