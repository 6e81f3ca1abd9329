// The syntax tree of the statements the server runs: SQL expressions and queries, ALTER ... COMPILE,
// and PL/SQL blocks. Positions are byte offsets into the statement text.
#pragma once

#include "engine.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orasim {

struct expr;
using expr_ptr = std::unique_ptr<expr>;

enum class ek {
    literal,  // lit
    name,     // parts: a, a.b, a.b.c (the parser's normalised identifiers)
    bind,     // parts[0]: the placeholder name
    neg,      // -args[0]
    arith,    // args[0] op args[1], op one of + - * /
    concat,   // args[0] || args[1]
    compare,  // args[0] op args[1], op one of = != < > <= >=
    and_,     // args[0] AND args[1]
    or_,      // args[0] OR args[1]
    not_,     // NOT args[0]
    is_null,  // args[0] IS [NOT] NULL
    like,     // args[0] [NOT] LIKE args[1] [ESCAPE args[2]]
    in_list,  // args[0] [NOT] IN (args[1..])
    between,  // args[0] [NOT] BETWEEN args[1] AND args[2]
    call,     // parts: the function's name; args
    count_star,
};

// What a name stands for, filled in when the statement is resolved.
enum class ref { unresolved, column, outer, level, rownum, sysdate, user };

struct expr {
    ek kind = ek::literal;
    std::size_t pos = 0, end = 0; // source span
    value lit;
    std::vector<std::string> parts;
    std::string op;
    bool negated = false;
    std::vector<expr_ptr> args;
    // resolution
    ref r = ref::unresolved;
    int slot = -1; // column index for ref::column
};

struct select_item {
    expr_ptr e;      // null for * and q.*
    bool star = false;
    std::string star_qualifier;
    std::string alias; // as written (upper-cased unless quoted)
    bool has_alias = false;
    std::string heading; // the column name without an alias: the item's text, upper-cased, blanks removed
    std::size_t pos = 0, end = 0;
};

struct order_item {
    expr_ptr e;
    bool desc = false;
};

struct table_ref {
    std::vector<std::string> parts; // [name] or [owner, name]
    std::size_t pos = 0;
    std::string alias;
};

struct select_stmt {
    std::size_t pos = 0, end = 0;
    std::vector<select_item> items;
    std::vector<expr_ptr> into; // PL/SQL SELECT ... INTO targets
    table_ref from;
    expr_ptr where;
    expr_ptr connect_by;
    std::vector<order_item> order;
};

enum class compile_part { whole, spec, body };

// ALTER <type> [owner.]name COMPILE [BODY|SPECIFICATION|PACKAGE] ..., ALTER PUBLIC SYNONYM name COMPILE
struct alter_compile {
    std::string object_type; // PROCEDURE, PACKAGE, TYPE, VIEW, SYNONYM, JAVA SOURCE, ...
    bool is_public = false;
    std::string owner; // empty: the session user's schema
    std::string name;
    compile_part part = compile_part::whole;
};

// ---- PL/SQL ----

struct plsql_type {
    enum base_t { number, integer, varchar2, boolean, date } base = number;
    int length = 0; // VARCHAR2(n)
};

struct block;
struct stmt;
using stmt_ptr = std::unique_ptr<stmt>;
using stmt_list = std::vector<stmt_ptr>;

enum class sk {
    null_,
    assign,         // target := value
    call,           // call: an ek::call or ek::name expression
    if_,            // conds[i] then bodies[i]; else_body
    while_,         // conds[0], body
    loop,           // body
    for_cursor,     // loop_var, cursor_name or query, body
    for_range,      // loop_var, lo, hi, reverse, body
    exit,           // optional conds[0] (EXIT WHEN)
    select_into,    // query (with into)
    exec_immediate, // value, into
    block,          // blk
    raise,          // exception_name, empty to re-raise
};

struct stmt {
    sk kind = sk::null_;
    std::size_t pos = 0;
    expr_ptr target, value, call;
    std::vector<expr_ptr> conds;
    std::vector<stmt_list> bodies;
    stmt_list else_body;
    bool has_else = false;
    stmt_list body;
    std::string loop_var;
    std::string cursor_name;
    std::size_t cursor_pos = 0;
    std::unique_ptr<select_stmt> query;
    expr_ptr lo, hi;
    bool reverse = false;
    std::unique_ptr<block> blk;
    std::vector<expr_ptr> into;
    std::string exception_name;
};

struct var_decl {
    std::string name;
    std::size_t pos = 0;
    plsql_type type;
    expr_ptr init;
    bool constant = false;
};

struct cursor_decl {
    std::string name;
    std::size_t pos = 0;
    std::unique_ptr<select_stmt> query;
};

struct handler {
    std::vector<std::string> names; // OTHERS, NO_DATA_FOUND, ...
    std::size_t pos = 0;
    stmt_list body;
};

struct block {
    std::size_t pos = 0;
    std::vector<var_decl> vars;
    std::vector<cursor_decl> cursors;
    stmt_list body;
    std::vector<handler> handlers;
};

} // namespace orasim
