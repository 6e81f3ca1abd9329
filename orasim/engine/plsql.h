// Anonymous PL/SQL blocks: a compile step that resolves every name and every static SQL statement
// with the caller's privileges (so that a block naming a view it may not read runs nothing), then a
// tree-walking run.
#pragma once

#include "catalog.h"
#include "dbms_output.h"
#include "errors.h"
#include "tree.h"

#include <string_view>

namespace orasim {

struct run_context {
    catalog& cat;
    const identity& who;
    dbms_output& out;
};

// Compiles and runs a block parsed from text. A block that does not compile throws db_error 6550 whose
// message is the whole ORA-06550 stack; an unhandled exception is thrown with its frames ending in
// "ORA-06512: at line N". binds may be null (dynamic blocks have none).
void run_anonymous_block(block& b, std::string_view text, run_context& ctx, bind_map* binds);

// The whole text of an error for the client: the message and its frames, one a line.
std::string error_text(const db_error& e);

} // namespace orasim
