// The one exception type of the database access layer.
#pragma once

#include "oci/oci.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace oralib {

// The layer's own failure codes.
enum own_code : int32_t {
    env_create_failed = 1000,
    statement_timeout = 1001,
    memory_allocation = 1002,
    parameter_type = 1003,
    no_connection_pool = 1004,
    unexpected_input_type = 1005,
    cannot_convert = 1006,
    transformation_impossible = 1007,
    unknown_parameter_prefix = 1008,
    unsupported_type = 1009,
    parameter_not_found = 1010,
    column_not_found = 1011,
    internal_error = 1012,
};

class error {
public:
    enum type : int32_t { unknown = 0, oracle = 1, own = 2, win32_api = 3 };

    // An OCI call returned a failing status; the client's text comes from the error handle.
    error(sword status, OCIError* err, const char* file, int32_t line, std::string_view detail = {});
    // The failing call was an allocation from the environment; the text comes from the environment handle.
    error(sword status, OCIEnv* env, const char* file, int32_t line, std::string_view detail = {});
    // One of the layer's own checks failed.
    error(int32_t own_code, const char* file, int32_t line, std::string_view detail = {});
    // A failure of the system around the client (the client library could not be loaded).
    static error win32(std::string description, const char* file, int32_t line);

    // The text shown to the user: "Error type: <type>\nDescription: <description>\n".
    std::u16string display_text() const;

    static const char* type_name(int32_t type);
    static const char* status_name(sword status);
    static const char* own_description(int32_t code);

    int32_t error_type = unknown;
    int32_t code = 0;
    int32_t oracle_error = 0;
    std::string description;
    std::string source_file;
    int32_t line = 0;

private:
    error() = default;
    void describe_status(sword status, void* handle, ub4 handle_type);
    void append_detail(std::string_view detail);
    void set_source(const char* file, int32_t at_line);
};

} // namespace oralib

// Raise sites name the layer's source file and line.
#define ORALIB_HERE __FILE__, __LINE__
