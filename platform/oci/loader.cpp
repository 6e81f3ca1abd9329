#include "oci/loader.h"

#include "text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace oci {

namespace {

#ifdef _WIN32

void* open_module(std::u16string_view name, std::string& why) {
    std::u16string z(name);
    // No "cannot find the file" dialog: a missing library is an error the caller reports.
    DWORD old_mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode);
    HMODULE h = LoadLibraryW(reinterpret_cast<const wchar_t*>(z.c_str()));
    DWORD code = GetLastError();
    SetThreadErrorMode(old_mode, nullptr);
    if (!h)
        why = "Windows error " + std::to_string(code);
    return reinterpret_cast<void*>(h);
}

void* find_symbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void close_module(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

#else

void* open_module(std::u16string_view name, std::string& why) {
    std::string z = platform::to_narrow(name);
    void* h = dlopen(z.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = dlerror();
        why = e ? e : "unknown reason";
    }
    return h;
}

void* find_symbol(void* module, const char* name) { return dlsym(module, name); }

void close_module(void* module) { dlclose(module); }

#endif

template <typename F> void assign(F& slot, void* p) {
    // Function and object pointers share one representation on every platform we build for.
    static_assert(sizeof(F) == sizeof(void*));
    slot = reinterpret_cast<F>(p);
}

} // namespace

std::u16string default_library_name() {
#ifdef _WIN32
    return u"OCI.DLL";
#else
    return u"libclntsh.so";
#endif
}

library::~library() { close(); }

void library::close() {
    if (handle_)
        close_module(handle_);
    handle_ = nullptr;
    table_ = functions{};
}

bool library::open(std::u16string_view name) {
    close();
    error_.clear();
    std::string why;
    void* h = open_module(name, why);
    if (!h) {
        error_ = "Cannot load the Oracle client library " + platform::to_narrow(name) + " (" + why + ")";
        return false;
    }
    functions t{};
    const char* missing = nullptr;
#define MENDWICK_OCI_RESOLVE(fn)                                                                                  \
    if (!missing) {                                                                                              \
        void* p = find_symbol(h, #fn);                                                                           \
        if (p)                                                                                                   \
            assign(t.fn, p);                                                                                     \
        else                                                                                                     \
            missing = #fn;                                                                                       \
    }
    MENDWICK_OCI_FUNCTIONS(MENDWICK_OCI_RESOLVE)
#undef MENDWICK_OCI_RESOLVE
    if (missing) {
        close_module(h);
        error_ = "The Oracle client library " + platform::to_narrow(name) + " has no function " + missing;
        return false;
    }
    handle_ = h;
    table_ = t;
    return true;
}

namespace {

struct process_client {
    library lib;
    std::u16string name = default_library_name();
    functions installed{};
    bool has_installed = false;
    bool tried = false;
    std::string error;
};

process_client& the_client() {
    static process_client c;
    return c;
}

} // namespace

const functions* client() {
    auto& c = the_client();
    if (c.has_installed)
        return &c.installed;
    if (!c.tried) {
        c.tried = true;
        if (!c.lib.open(c.name))
            c.error = c.lib.error();
    }
    return c.lib.is_open() ? &c.lib.table() : nullptr;
}

const std::string& client_error() { return the_client().error; }

void install_client(const functions& table) {
    auto& c = the_client();
    c.installed = table;
    c.has_installed = true;
}

} // namespace oci

namespace oci {

void reset_client(std::u16string_view library_name) {
    auto& c = the_client();
    c.lib.close();
    c.installed = functions{};
    c.has_installed = false;
    c.tried = false;
    c.error.clear();
    c.name = std::u16string(library_name);
}

} // namespace oci
