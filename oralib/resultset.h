// The rows of an executed query, fetched in batches into per-column arrays and read in place.
#pragma once

#include "column.h"
#include "error.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace oralib {

class connection;

class resultset {
public:
    resultset(const resultset&) = delete;
    resultset& operator=(const resultset&) = delete;
    ~resultset();

    // The number of select-list columns, as the client reports it. Throws error.
    ub4 column_count() const;
    // Fetches the next batch. Throws error.
    void fetch();
    // Moves to the next row; true while the result set stands on a row. Throws error (from a fetch).
    bool next();

    // The column of exactly that name (the later one when two share it). Throws error 1011.
    column* get_column(const char* name) const;
    column* first_column() const;
    column* next_column(const column* c) const;
    column* column_at(size_t position) const;
    size_t columns() const { return columns_.size(); }

    ub4 rows_fetched = 0;
    ub4 current_row = 0;
    bool end_of_data = false;

    static constexpr ub2 max_column_size = 2048;

private:
    friend class statement;
    friend class column;
    resultset(OCIStmt* stmt, connection* conn, ub2 rows_per_fetch);
    void describe();

    std::vector<std::unique_ptr<column>> columns_;
    std::map<std::string, column*> index_;
    connection* connection_;
    OCIStmt* statement_;
    ub2 rows_per_fetch_;
};

} // namespace oralib
