// Shared by the units that implement the OCI functions.
#pragma once

#include "handles.h"
#include "messages.h"
#include "runtime.h"

#include <mutex>

namespace orasim::oci {

using api_guard = std::lock_guard<std::recursive_mutex>;

inline sword fail(records& r, ora_error e) {
    r.set(std::move(e));
    return OCI_ERROR;
}

inline sword fail(records& r, int code) { return fail(r, ora_error{code, message(code)}); }

// The error handle of a call: null when the pointer is not a live error handle.
inline error_handle* error_of(const void* errhp) { return lookup<error_handle>(errhp, OCI_HTYPE_ERROR); }

// A fault due on a call that stays in the client: fails the call with it.
inline bool local_fault(const char* function, records& r) {
    if (auto e = runtime::get().local_fault(function)) {
        r.set(std::move(*e));
        return true;
    }
    return false;
}

// The engine's name of a placeholder: no colon, unquoted names upper-cased.
std::string placeholder_key(std::string_view client_name);

// Whether the statement text has that placeholder (outside literals and comments).
bool has_placeholder(std::string_view text, const std::string& key);

} // namespace orasim::oci
