// Evaluation of expressions, shared by SQL (over a row) and PL/SQL (over variables).
#pragma once

#include "catalog.h"
#include "tree.h"

#include <map>
#include <string>
#include <vector>

namespace orasim {

// Names that a query does not resolve itself: the PL/SQL variables, records and functions around it.
class outer_scope {
public:
    virtual ~outer_scope() = default;
    // Whether the name is known (checked when the statement is compiled).
    virtual bool knows(const expr& name) const = 0;
    virtual value get(const expr& name) = 0;
};

struct eval_env {
    const std::vector<value>* row = nullptr;
    double level = 0;
    double rownum = 0;
    outer_scope* outer = nullptr;
    bind_map* binds = nullptr;
    const identity* who = nullptr;
    const std::map<const expr*, value>* aggregates = nullptr;
};

value eval(const expr& e, eval_env& env);

// The built-in functions: argument counts and whether they aggregate rows.
struct function_info {
    int min_args, max_args;
    bool aggregate;
    bool sql_only; // DECODE and the aggregates: not in PL/SQL expressions
};
const function_info* find_function(const std::string& name);

value bind_value(const std::string& name, bind_map* binds);

} // namespace orasim
