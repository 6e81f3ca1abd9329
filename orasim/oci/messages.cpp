#include "messages.h"

#include <cstdio>

namespace orasim::oci {

namespace {

struct entry {
    int code;
    const char* text;
};

constexpr entry messages[] = {
    {1005, "null password given; logon denied"},
    {1012, "not logged on"},
    {1013, "user requested cancel of current operation"},
    {1017, "invalid username/password; logon denied"},
    {1031, "insufficient privileges"},
    {1034, "ORACLE not available"},
    {1405, "fetched column value is NULL"},
    {1406, "fetched column value was truncated"},
    {1001, "invalid cursor"},
    {1002, "fetch out of sequence"},
    {1007, "variable not in select list"},
    {1036, "illegal variable name/number"},
    {1455, "converting column overflows integer datatype"},
    {1843, "not a valid month"},
    {1722, "invalid number"},
    {900, "invalid SQL statement"},
    {904, "invalid identifier"},
    {911, "invalid character"},
    {932, "inconsistent datatypes"},
    {933, "SQL command not properly ended"},
    {942, "table or view does not exist"},
    {1426, "numeric overflow"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3115, "unsupported network datatype or representation"},
    {4043, "object does not exist"},
    {6502, "PL/SQL: numeric or value error: character string buffer too small"},
    {12154, "TNS:could not resolve the connect identifier specified"},
    {12170, "TNS:Connect timeout occurred"},
    {12541, "TNS:no listener"},
    {12702, "invalid NLS parameter string used in SQL function"},
    {12715, "invalid character set specified"},
    {21560, "argument is null, invalid, or out of range"},
    {22053, "overflow error"},
    {22060, "argument is an invalid or uninitialized number"},
    {22061, "invalid format text"},
    {22065, "number to text translation for the given format causes overflow"},
    {24300, "bad value for mode"},
    {24313, "user already authenticated"},
    {24315, "illegal attribute type"},
    {24316, "illegal handle type"},
    {24309, "already connected to a server"},
    {24333, "zero iteration count"},
    {24334, "no descriptor for this position"},
    {24337, "statement handle not prepared"},
    {24338, "statement handle not executed"},
    {24344, "success with compilation error"},
    {24345, "A Truncation or null fetch error occurred"},
    {24373, "invalid length specified for statement"},
    {24374, "define not done before fetch or execute and fetch"},
    {24391, "invalid fetch operation"},
    {28000, "the account is locked"},
    {28001, "the password has expired"},
};

std::string prefix(int code) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "ORA-%05d: ", code);
    return buf;
}

} // namespace

std::string known_message(int code) {
    for (const auto& m : messages)
        if (m.code == code)
            return prefix(code) + m.text;
    return {};
}

std::string message(int code, const char* fallback) {
    std::string known = known_message(code);
    return known.empty() ? prefix(code) + fallback : known;
}

} // namespace orasim::oci
