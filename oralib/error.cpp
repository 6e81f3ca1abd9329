#include "error.h"

#include "oci/loader.h"
#include "text.h"

#include <vector>

namespace oralib {

namespace {

// Descriptions of OCI statuses; the four marked true are followed by the client's text.
struct status_entry {
    sword status;
    const char* name;
    bool with_text;
};

constexpr status_entry statuses[] = {
    {OCI_SUCCESS, "(OCI_SUCCESS)", false},
    {OCI_SUCCESS_WITH_INFO, "(OCI_SUCCESS_WITH_INFO)", true},
    {OCI_NEED_DATA, "(OCI_NEED_DATA)", false},
    {OCI_NO_DATA, "(OCI_NO_DATA)", true},
    {OCI_CONTINUE, "(OCI_CONTINUE)", false},
    {OCI_STILL_EXECUTING, "(OCI_STILL_EXECUTING)", true},
    {OCI_INVALID_HANDLE, "(OCI_INVALID_HANDLE)", false},
    {OCI_ERROR, "(OCI_ERROR)", true},
};

const status_entry* find_status(sword status) {
    for (const auto& s : statuses)
        if (s.status == status)
            return &s;
    return nullptr;
}

constexpr const char* own_texts[] = {
    "Environment handle creation failed",
    "Statement took too long to complete and has been aborted",
    "Memory allocation request has failed",
    "Parameter type is incorrect",
    "Connection pool has not been setup yet",
    "Input data doesn't have expected type",
    "Cannot convert to requested type",
    "Requested transformation is not possible",
    "Parameter prefix is not known",
    "Unsupported type - this version of the program doesn't support such an Oracle type",
    "Name not found in statement's parameters",
    "Result set doesn't contain column with such name",
    "Internal library error. Please, report to developers",
};

// The client's message buffer.
constexpr ub4 message_buffer_size = 4000;
// A detail is cut to what a 1024-byte formatting buffer holds.
constexpr size_t max_detail = 1023;

const char* base_name(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

} // namespace

const char* error::type_name(int32_t type) {
    switch (type) {
    case oracle:
        return "Oracle";
    case own:
        return "Brannock";
    case win32_api:
        return "Win32 API";
    default:
        return "unknown";
    }
}

const char* error::status_name(sword status) {
    const status_entry* s = find_status(status);
    return s ? s->name : "unknown";
}

const char* error::own_description(int32_t c) {
    if (c >= env_create_failed && c <= internal_error)
        return own_texts[c - env_create_failed];
    return "unknown error";
}

void error::describe_status(sword status, void* handle, ub4 handle_type) {
    code = status;
    const status_entry* s = find_status(status);
    if (!s) {
        description = "unknown";
        return;
    }
    description = s->name;
    if (!s->with_text)
        return;
    std::vector<OraText> buffer(message_buffer_size, 0);
    sb4 number = 0;
    const oci::functions* api = oci::client();
    if (api && handle)
        api->OCIErrorGet(handle, 1, nullptr, &number, buffer.data(), message_buffer_size, handle_type);
    buffer.back() = 0;
    oracle_error = number;
    description += ' ';
    description += reinterpret_cast<const char*>(buffer.data());
}

void error::append_detail(std::string_view detail) {
    if (detail.empty())
        return;
    description += ": ";
    description.append(detail.substr(0, max_detail));
}

void error::set_source(const char* file, int32_t at_line) {
    source_file = base_name(file);
    line = at_line;
}

error::error(sword status, OCIError* err, const char* file, int32_t at_line, std::string_view detail) {
    describe_status(status, err, OCI_HTYPE_ERROR);
    append_detail(detail);
    error_type = oracle;
    set_source(file, at_line);
}

error::error(sword status, OCIEnv* env, const char* file, int32_t at_line, std::string_view detail) {
    describe_status(status, env, OCI_HTYPE_ENV);
    append_detail(detail);
    error_type = oracle;
    set_source(file, at_line);
}

error::error(int32_t own_code, const char* file, int32_t at_line, std::string_view detail) {
    code = own_code;
    description = own_description(own_code);
    append_detail(detail);
    error_type = own;
    oracle_error = 0;
    set_source(file, at_line);
}

error error::win32(std::string text, const char* file, int32_t at_line) {
    error e;
    e.error_type = win32_api;
    e.description = std::move(text);
    e.set_source(file, at_line);
    return e;
}

std::u16string error::display_text() const {
    std::u16string out = u"Error type: ";
    out += platform::to_utf16(type_name(error_type));
    out += u"\nDescription: ";
    out += platform::to_utf16(description);
    out += u"\n";
    return out;
}

} // namespace oralib
