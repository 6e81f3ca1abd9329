// The parser of SQL statements, ALTER ... COMPILE and PL/SQL blocks. It is the only place that reports
// syntax errors (through error_at); it throws syntax_error.
#pragma once

#include "errors.h"
#include "lexer.h"
#include "tree.h"

#include <memory>
#include <string_view>

namespace orasim {

struct statement {
    enum kind_t { query, block, alter, transaction } kind = query;
    std::unique_ptr<select_stmt> sel;
    std::unique_ptr<orasim::block> blk;
    alter_compile alt;
};

// Parses one statement as the server receives it: a query, an anonymous block, ALTER ... COMPILE,
// COMMIT or ROLLBACK. A query must not end with ';' (ORA-00911), a block must.
statement parse_statement(std::string_view text);

} // namespace orasim
