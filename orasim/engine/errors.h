// Errors raised while a statement runs: an ORA (or PLS) number, its message line and, for errors from
// inside a package, the ORA-06512 frames that follow it. Thrown by value, caught by reference.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orasim {

inline constexpr std::size_t no_pos = static_cast<std::size_t>(-1);

struct db_error {
    int code = 0;              // the ORA number (1403, 942, 20000, ...)
    std::string message;       // "ORA-01403: no data found"
    std::vector<std::string> frames; // "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32", ...
    std::size_t pos = no_pos;  // where in the block it was raised, once known
};

// "ORA-00942: table or view does not exist" from 942 and the text.
std::string ora_message(int code, std::string_view text);
[[noreturn]] void raise_ora(int code, std::string_view text);

// A syntax error found by the parser: in SQL an ORA error, in PL/SQL a PLS-00103 at pos.
struct syntax_error {
    int code = 0;
    std::string message;
    std::size_t pos = 0;
    bool plsql = false;
};

} // namespace orasim
