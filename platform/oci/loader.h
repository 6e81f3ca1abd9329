// The seam through which every OCI call passes: the client library is loaded by name through the
// system's own search order and each function is resolved by name into one table.
#pragma once

#include "oci/oci.h"

#include <string>
#include <string_view>

namespace oci {

struct functions {
#define MENDWICK_OCI_MEMBER(name) decltype(&::name) name = nullptr;
    MENDWICK_OCI_FUNCTIONS(MENDWICK_OCI_MEMBER)
#undef MENDWICK_OCI_MEMBER
};

// The name the client library is looked for by: OCI.DLL on Windows, libclntsh.so elsewhere.
std::u16string default_library_name();

// One loaded client library. Not copyable; the module is released with the object.
class library {
public:
    library() = default;
    library(const library&) = delete;
    library& operator=(const library&) = delete;
    ~library();

    // Loads the library by name (the system's search order applies to a bare name) and resolves
    // every function. On failure nothing stays loaded and error() names the library or the function.
    bool open(std::u16string_view name);
    void close();

    bool is_open() const { return handle_ != nullptr; }
    const functions& table() const { return table_; }
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    functions table_{};
    std::string error_;
};

// The process's client: loaded once, on first use, by the default name, unless a table was
// installed before (a client linked into the program, as the in-process tests do).
// Returns null when the library or one of its functions is missing; client_error() then says which.
const functions* client();
const std::string& client_error();

// Makes every later client() return this table. For a client linked statically into the process.
void install_client(const functions& table);

// Forgets an installed table and an earlier load: the next client() loads the library of that name.
void reset_client(std::u16string_view library_name = default_library_name());

} // namespace oci
