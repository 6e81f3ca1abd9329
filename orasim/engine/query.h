// SELECT over the dictionary views, DUAL and the tables of the definition: name resolution with the
// reader's privileges, describe, filtering (through the catalog's indexes where the WHERE clause
// pins owner and name), aggregates, CONNECT BY LEVEL and ORDER BY.
#pragma once

#include "catalog.h"
#include "eval.h"
#include "tree.h"

#include <vector>

namespace orasim {

enum class source_kind { dual, objects, errors, table };

struct row_source {
    source_kind kind = source_kind::dual;
    std::string name; // DUAL, DBA_OBJECTS, DBA_ERRORS or the table's name, for qualified column names
    std::string owner;
    std::vector<table_column> columns;
    const table_data* table = nullptr;
};

// One select item after * is expanded.
struct output_item {
    const expr* e = nullptr; // null for a column taken by *
    int column = -1;         // the source column of a * item
};

struct prepared_query {
    const select_stmt* sel = nullptr;
    row_source src;
    std::vector<output_item> items;
    std::vector<column_info> columns;
    std::vector<int> order_item; // per ORDER BY entry: the select item it names, or -1 for an expression
    bool aggregate = false;
    std::vector<const expr*> aggregates;
};

// Resolves the query for the reader: ORA-00942 for a source it may not read (pos at the name),
// ORA-00904 for an unknown column (pos at the identifier). `outer` resolves names the query does not.
prepared_query prepare_query(select_stmt& sel, catalog& cat, const identity& who, outer_scope* outer);

// Every row of the query, in order.
std::vector<std::vector<value>> run_query(const prepared_query& q, catalog& cat, eval_env env);

} // namespace orasim
