// One SQL text prepared on a connection, executed any number of times.
#pragma once

#include "data_kind.h"
#include "error.h"
#include "parameter.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace oralib {

class connection;
class resultset;

class statement {
public:
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;
    ~statement();

    // Runs the statement once: 0 iterations for a query, 1 otherwise. Throws error.
    void execute();
    // Runs a query and returns its first batch of rows; the caller owns the result set and deletes it
    // before the statement. Throws error.
    resultset* select();
    // Binds a placeholder (":1") of the requested kind (kind_from_name: by its first letter). The
    // statement owns the parameter. string_bytes sizes a string parameter's buffer. Throws error.
    parameter* bind(const char* name, int kind = kind_from_name, ub4 string_bytes = parameter::default_string_bytes);
    // The parameter bound under exactly that name (the later one when bound twice). Throws error 1010.
    parameter* get_parameter(const char* name) const;

    ub2 statement_type = 0;

    OCIStmt* handle() const { return handle_; }
    size_t parameter_count() const { return parameters_.size(); }

    static constexpr ub2 rows_per_fetch = 20;

private:
    friend class connection;
    statement(connection* conn, const char* sql, int length);

    connection* connection_;
    OCIStmt* handle_ = nullptr;
    std::vector<std::unique_ptr<parameter>> parameters_;
    std::map<std::string, parameter*> index_;
    std::vector<std::unique_ptr<parameter>> retired_; // bound by the client, then failed: not listed
};

} // namespace oralib
