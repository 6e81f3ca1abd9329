// One placeholder of a statement, bound by name to a buffer the parameter owns.
#pragma once

#include "data_kind.h"
#include "error.h"

#include <cstdint>
#include <memory>
#include <string>

namespace oralib {

class connection;
class statement;

class parameter {
public:
    parameter(const parameter&) = delete;
    parameter& operator=(const parameter&) = delete;
    ~parameter();

    // The value as NUL-terminated UTF-16 text in the parameter's buffer, valid until the next execute.
    // Throws error 1006 for NULL or another kind.
    const char16_t* as_string() const;
    // Throws error 1006 for NULL or another kind; an Oracle error when the conversion fails.
    int32_t as_int() const;

    const std::string& name() const { return name_; }
    data_kind kind() const { return kind_; }
    bool marker() const { return marker_; }
    ub4 buffer_size() const { return buffer_size_; }
    sb2 indicator() const { return indicator_; }

    // The default buffer of a string parameter, in bytes: 511 UTF-16 code units and the terminator.
    static constexpr ub4 default_string_bytes = 1024;

private:
    friend class statement;
    parameter(connection* conn, const char* name, int requested_kind, ub4 string_bytes);
    void bind(OCIStmt* stmt);
    // Decides the kind from the name and the requested kind; sets the marker flag. Throws error 1008.
    void decide_kind(int requested_kind);

    std::string name_;
    data_kind kind_ = kind_from_name;
    ub2 oracle_type_ = 0;
    ub4 buffer_size_ = 0;
    sb2 indicator_ = -1;
    ub2 actual_length_ = 0;
    std::unique_ptr<ub1[]> buffer_;
    bool marker_ = false;
    statement* statement_ = nullptr;
    OCIBind* bind_ = nullptr;
    OCIStmt* cursor_ = nullptr;
    connection* connection_ = nullptr;
    ub4 string_bytes_ = default_string_bytes;
};

} // namespace oralib
