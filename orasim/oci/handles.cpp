#include "handles.h"

#include <algorithm>

namespace orasim::oci {

handle::handle(ub4 handle_type, handle* owner)
    : type(handle_type), serial(registry::get().next_serial()), parent(owner) {}

handle::~handle() { magic = 0; }

server_handle::~server_handle() {
    if (conn)
        conn->dead = true;
}

std::string stmt_handle::first_line() const {
    size_t end = text.find('\n');
    std::string line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void stmt_handle::forget_result() {
    executed = false;
    is_query = false;
    open = false;
    columns.clear();
    rows.clear();
    position = 0;
    row_count = 0;
    rows_fetched = 0;
    conn.reset();
    session.set(nullptr);
}

registry& registry::get() {
    // Never destroyed: handles a client leaks at exit must not outlive their registry.
    static registry* r = new registry;
    return *r;
}

void registry::add(handle* h) {
    std::lock_guard<std::mutex> lock(mutex_);
    live_[static_cast<const void*>(h)] = h;
}

void registry::remove(handle* h) {
    std::lock_guard<std::mutex> lock(mutex_);
    live_.erase(static_cast<const void*>(h));
}

handle* registry::find(const void* p) const {
    if (!p)
        return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = live_.find(p);
    if (it == live_.end() || it->second->magic != handle_magic)
        return nullptr;
    return it->second;
}

size_t registry::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
}

std::uint64_t registry::next_serial() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++serial_;
}

void destroy(handle* h) {
    // Children first, newest first; each removes itself from this list.
    while (!h->children.empty())
        destroy(h->children.back());
    if (h->parent) {
        auto& siblings = h->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), h), siblings.end());
        if (h->parent->type == OCI_HTYPE_STMT) {
            auto* st = static_cast<stmt_handle*>(h->parent);
            st->binds.erase(std::remove(st->binds.begin(), st->binds.end(), h), st->binds.end());
            for (auto it = st->defines.begin(); it != st->defines.end();)
                it = it->second == h ? st->defines.erase(it) : std::next(it);
        }
    }
    registry::get().remove(h);
    delete h;
}

} // namespace orasim::oci
