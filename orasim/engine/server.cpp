// The server and its sessions: logon checks, and the execution of one statement text.
#include "catalog.h"
#include "dbms_output.h"
#include "engine.h"
#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "plsql.h"
#include "query.h"
#include "values.h"

#include <algorithm>

namespace orasim {

class session_state {
public:
    std::shared_ptr<catalog> cat;
    identity who;
    dbms_output out;
};

session::session(std::unique_ptr<session_state> s) : state_(std::move(s)) {}
session::~session() = default;

const std::string& session::user() const { return state_->who.user; }

namespace {

result failure(int code, std::string text) {
    result r;
    r.ok = false;
    r.error = ora_error{code, std::move(text)};
    return r;
}

result failure(const db_error& e) { return failure(e.code, error_text(e)); }

} // namespace

result session::execute(std::string_view text, bind_map& binds) {
    session_state& st = *state_;
    std::lock_guard<std::mutex> lock(st.cat->mutex);
    statement parsed;
    try {
        parsed = parse_statement(text);
    } catch (const syntax_error& e) {
        if (e.plsql) {
            const line_col lc = locate(text, e.pos);
            return failure(6550, "ORA-06550: line " + std::to_string(lc.line) + ", column " + std::to_string(lc.column) +
                                     ":\n" + e.message);
        }
        return failure(e.code, e.message);
    }
    run_context ctx{*st.cat, st.who, st.out};
    try {
        switch (parsed.kind) {
        case statement::query: {
            prepared_query q = prepare_query(*parsed.sel, *st.cat, st.who, nullptr);
            eval_env env;
            env.binds = &binds;
            env.who = &st.who;
            result r;
            r.is_query = true;
            r.columns = q.columns;
            r.rows = run_query(q, *st.cat, env);
            return r;
        }
        case statement::alter: {
            result r;
            if (!compile_objects(*st.cat, parsed.alt, st.who)) {
                r.with_info = true;
                r.error = ora_error{24344, ora_message(24344, "success with compilation error")};
            }
            return r;
        }
        case statement::block: run_anonymous_block(*parsed.blk, text, ctx, &binds); return result{};
        case statement::transaction: return result{};
        }
    } catch (const db_error& e) {
        return failure(e);
    }
    return result{};
}

server::server() : catalog_(std::make_shared<catalog>()) {}
server::~server() = default;

bool server::load(std::string_view definition, std::string_view source_name, std::string& error) {
    auto fresh = std::make_shared<catalog>();
    if (!fresh->load(definition, source_name, error)) {
        catalog_ = std::make_shared<catalog>();
        return false;
    }
    catalog_ = std::move(fresh);
    return true;
}

bool server::has_database(std::string_view connect_identifier) const {
    const std::string id = upper_ascii(connect_identifier);
    return std::find(catalog_->databases.begin(), catalog_->databases.end(), id) != catalog_->databases.end();
}

std::unique_ptr<session> server::logon(std::string_view database, std::string_view user, std::string_view password,
                                       unsigned mode, ora_error& err, ora_error& warning) {
    err = ora_error{};
    warning = ora_error{};
    if (!has_database(database)) {
        err = ora_error{12154, ora_message(12154, "TNS:could not resolve the connect identifier specified")};
        return nullptr;
    }
    // A user name is folded to upper case unless it is quoted, as Oracle does.
    std::string name;
    if (user.size() >= 2 && user.front() == '"' && user.back() == '"') name = std::string(user.substr(1, user.size() - 2));
    else name = upper_ascii(user);
    std::lock_guard<std::mutex> lock(catalog_->mutex);
    auto it = catalog_->users.find(name);
    if (it == catalog_->users.end() || it->second.password != password) {
        err = ora_error{1017, ora_message(1017, "invalid username/password; logon denied")};
        return nullptr;
    }
    const user_account& u = it->second;
    const bool as_sysdba = (mode & mode_sysdba) != 0;
    const bool as_sysoper = (mode & mode_sysoper) != 0;
    if ((as_sysdba && !u.sysdba) || (as_sysoper && !u.sysoper)) {
        err = ora_error{1031, ora_message(1031, "insufficient privileges")};
        return nullptr;
    }
    // SYS may log on only with a system privilege.
    if (name == "SYS" && !as_sysdba && !as_sysoper) {
        err = ora_error{28009, ora_message(28009, "connection as SYS should be as SYSDBA or SYSOPER")};
        return nullptr;
    }
    if (u.locked) {
        err = ora_error{28000, ora_message(28000, "the account is locked")};
        return nullptr;
    }
    auto st = std::make_unique<session_state>();
    st->cat = catalog_;
    identity& who = st->who;
    if (as_sysdba) {
        who.user = "SYS";
        who.sysdba = who.dba = who.read_dictionary = true;
    } else if (as_sysoper) {
        who.user = "PUBLIC";
        who.sysoper = who.read_dictionary = true;
    } else {
        who.user = u.name;
        who.dba = u.dba;
        who.read_dictionary = u.dba || u.catalog;
    }
    if (u.expiring) warning = ora_error{28002, ora_message(28002, "the password will expire within 7 days")};
    return std::unique_ptr<session>(new session(std::move(st)));
}

std::string server::object_status(std::string_view owner, std::string_view type, std::string_view name) const {
    std::lock_guard<std::mutex> lock(catalog_->mutex);
    const long i = catalog_->find(owner, type, name);
    return i < 0 ? std::string() : status_text(catalog_->objects[static_cast<std::size_t>(i)].status);
}

unsigned short statement_type(std::string_view text) {
    const std::vector<token> t = tokenize(text);
    std::size_t i = 0;
    while (i < t.size() && t[i].is_op("(")) ++i;
    if (i >= t.size() || t[i].kind != tok::ident) return 0;
    static const std::pair<std::string_view, unsigned short> kinds[] = {
        {"SELECT", 1}, {"WITH", 1},  {"UPDATE", 2},  {"DELETE", 3},   {"INSERT", 4},    {"CREATE", 5},  {"DROP", 6},
        {"ALTER", 7},  {"BEGIN", 8}, {"DECLARE", 9}, {"CALL", 10},    {"EXPLAIN", 15},  {"MERGE", 16},  {"ROLLBACK", 17},
        {"COMMIT", 21}};
    for (const auto& [kw, code] : kinds)
        if (t[i].text == kw) return code;
    return 0;
}

} // namespace orasim
