// The texts the session sends.
#pragma once

// The invalid-object search, one query.
extern const char16_t* const search_query;
// The recompile script: one anonymous block, lines framed by tabs.
extern const char16_t* const recompile_script;
// Server output.
extern const char* const enable_output_block;
extern const char* const get_line_block;
extern const char* const disable_output_block;
