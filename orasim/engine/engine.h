// The simulated server's engine: the catalog loaded from a definition, logons, and the execution of
// SQL and PL/SQL text. It knows nothing of OCI handles; the OCI surface (orasim/oci) drives it.
// All text here is UTF-8; the OCI surface converts from and to the client's encodings.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orasim {

struct date_value {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

struct value {
    enum kind_t { null, number, text, date } kind = null;
    double num = 0;  // NUMBER values (integers are exact up to 2^53)
    std::string str; // VARCHAR2 / CHAR / CLOB / LONG text
    date_value dt{};

    static value make_null() { return {}; }
    static value make_number(double n) {
        value v;
        v.kind = number;
        v.num = n;
        return v;
    }
    static value make_text(std::string s) {
        value v;
        v.kind = text;
        v.str = std::move(s);
        return v;
    }
    static value make_date(date_value d) {
        value v;
        v.kind = date;
        v.dt = d;
        return v;
    }
    bool is_null() const { return kind == null; }
};

// An error as the server reports it: the ORA number and the whole message, possibly several lines
// separated by "\n", without a final line feed ("ORA-00942: table or view does not exist").
struct ora_error {
    int code = 0;
    std::string text;
};

// A select-list column as the server describes it.
struct column_info {
    std::string name;         // upper-cased unless the alias was quoted
    unsigned short type = 1;  // described SQLT code: 1 VARCHAR2, 96 CHAR, 2 NUMBER, 12 DATE, 112 CLOB, 113 BLOB, 8 LONG
    unsigned short size = 0;  // described size in bytes: VARCHAR2(n) n, CHAR(n) n, NUMBER 22, DATE 7, CLOB 4000, LONG 0
};

// The outcome of one execute.
struct result {
    bool ok = true;         // false: the statement failed; error says why
    bool with_info = false; // ok, but with a warning in error (ORA-24344 for a compile with errors)
    ora_error error;
    bool is_query = false;
    std::vector<column_info> columns;     // queries
    std::vector<std::vector<value>> rows; // queries: every row, in order
};

// Bind values by placeholder name: the name without its colon, upper-cased (":1" -> "1", ":x" -> "X").
// Values are read as IN values and written back for OUT positions (get_line's line and status).
using bind_map = std::map<std::string, value>;

class catalog; // the shared in-memory database: users, objects, errors, tables
class session_state;

class session {
public:
    ~session();
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    // Runs one SQL statement or anonymous block.
    result execute(std::string_view text, bind_map& binds);

    const std::string& user() const; // the logged-on user (SYS for SYSDBA logons)

private:
    friend class server;
    explicit session(std::unique_ptr<session_state> s);
    std::unique_ptr<session_state> state_;
};

// Logon modes as OCISessionBegin receives them.
inline constexpr unsigned mode_normal = 0;
inline constexpr unsigned mode_sysdba = 2;
inline constexpr unsigned mode_sysoper = 4;

class server {
public:
    server();
    ~server();
    server(const server&) = delete;
    server& operator=(const server&) = delete;

    // Replaces the catalog with the definition. A malformed one leaves an empty catalog and returns
    // false with "SOURCE, line N: fault" in error.
    bool load(std::string_view definition, std::string_view source_name, std::string& error);

    // Whether a connect identifier names a database of the definition (compared without regard to case).
    bool has_database(std::string_view connect_identifier) const;

    // A logon: null with err filled when refused (ORA-01017, 01031, 28000, ...). A logon that succeeds
    // with a warning (ORA-28002) returns the session and fills warning (code non-zero).
    std::unique_ptr<session> logon(std::string_view database, std::string_view user, std::string_view password,
                                   unsigned mode, ora_error& err, ora_error& warning);

    // "VALID", "INVALID", "N/A", or empty when there is no such object. Names as stored (case counts).
    std::string object_status(std::string_view owner, std::string_view type, std::string_view name) const;

private:
    std::shared_ptr<catalog> catalog_;
};

// OCI_ATTR_STMT_TYPE of a statement text, from its first keyword (1 SELECT/WITH, 2 UPDATE, 3 DELETE,
// 4 INSERT, 5 CREATE, 6 DROP, 7 ALTER, 8 BEGIN, 9 DECLARE, 10 CALL, 16 MERGE, ...; 0 unknown).
unsigned short statement_type(std::string_view text);

} // namespace orasim
