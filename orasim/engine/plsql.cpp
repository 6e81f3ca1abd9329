#include "plsql.h"

#include "eval.h"
#include "lexer.h"
#include "parser.h"
#include "query.h"
#include "values.h"

#include <cmath>
#include <map>
#include <set>

namespace orasim {

std::string error_text(const db_error& e) {
    std::string t = e.message;
    for (const std::string& f : e.frames) t += "\n" + f;
    return t;
}

namespace {

// The exceptions a handler may name, with their ORA numbers.
int predefined_exception(const std::string& name) {
    static const std::map<std::string, int> names = {
        {"NO_DATA_FOUND", 1403}, {"TOO_MANY_ROWS", 1422}, {"VALUE_ERROR", 6502},
        {"ZERO_DIVIDE", 1476},   {"INVALID_NUMBER", 1722}, {"INVALID_CURSOR", 1001}};
    auto it = names.find(name);
    return it == names.end() ? 0 : it->second;
}

std::string predefined_message(int code) {
    switch (code) {
    case 1403: return ora_message(1403, "no data found");
    case 1422: return ora_message(1422, "exact fetch returns more than requested number of rows");
    case 6502: return ora_message(6502, "PL/SQL: numeric or value error");
    case 1476: return ora_message(1476, "divisor is equal to zero");
    case 1722: return ora_message(1722, "invalid number");
    default: return ora_message(1001, "invalid cursor");
    }
}

std::string dotted(const std::vector<std::string>& parts) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? "." : "") + parts[i];
    return s;
}

// dbms_output.X or sys.dbms_output.X: the member name, else empty.
std::string output_member(const std::vector<std::string>& p) {
    if (p.size() == 2 && p[0] == "DBMS_OUTPUT") return p[1];
    if (p.size() == 3 && p[0] == "SYS" && p[1] == "DBMS_OUTPUT") return p[2];
    return "";
}

struct output_proc {
    int min_args, max_args;
    int out_args; // the trailing arguments that are OUT
};
const output_proc* find_output_proc(const std::string& m) {
    static const std::map<std::string, output_proc> procs = {
        {"ENABLE", {0, 1, 0}}, {"DISABLE", {0, 0, 0}},  {"PUT", {1, 1, 0}},
        {"PUT_LINE", {1, 1, 0}}, {"NEW_LINE", {0, 0, 0}}, {"GET_LINE", {2, 2, 2}}};
    auto it = procs.find(m);
    return it == procs.end() ? nullptr : &it->second;
}

struct symbol {
    enum kind_t { scalar, record, cursor } kind = scalar;
    bool assignable = true;
    std::vector<std::string> fields;
    bool fields_known = true;
};

using prepared_map = std::map<const select_stmt*, prepared_query>;

// ---- compile ----

class block_compiler : public outer_scope {
public:
    block_compiler(run_context& ctx, std::string_view text, prepared_map& prepared)
        : ctx_(ctx), text_(text), prepared_(prepared) {}

    std::vector<std::pair<std::size_t, std::string>> errors;
    std::set<std::string> binds;

    void compile(block& b) {
        scopes_.emplace_back();
        for (var_decl& v : b.vars) {
            if (v.init) {
                stmt_pos_ = v.pos;
                try {
                    plsql_expr(*v.init);
                } catch (const stmt_failed&) {
                }
            }
            declare(v.name, symbol{symbol::scalar, !v.constant, {}, true}, v.pos);
        }
        for (cursor_decl& c : b.cursors) {
            symbol s{symbol::cursor, false, {}, false};
            if (const prepared_query* q = sql(*c.query, false)) {
                s.fields_known = true;
                for (const column_info& col : q->columns) s.fields.push_back(col.name);
            }
            declare(c.name, std::move(s), c.pos);
        }
        stmts(b.body);
        for (handler& h : b.handlers) {
            for (const std::string& n : h.names)
                if (n != "OTHERS" && !predefined_exception(n))
                    add(h.pos, "PLS-00201: identifier '" + n + "' must be declared", h.pos, "PL/SQL: Statement ignored");
            ++handler_depth_;
            stmts(h.body);
            --handler_depth_;
        }
        scopes_.pop_back();
    }

    bool knows(const expr& e) const override {
        const symbol* s = lookup(e.parts[0]);
        if (e.parts.size() == 1) return s && s->kind == symbol::scalar;
        if (e.parts.size() == 2 && s && s->kind == symbol::record)
            return !s->fields_known || has_field(*s, e.parts[1]);
        return false;
    }
    value get(const expr&) override { return value::make_null(); }

private:
    struct stmt_failed {};

    run_context& ctx_;
    std::string_view text_;
    prepared_map& prepared_;
    std::vector<std::map<std::string, symbol>> scopes_;
    int loop_depth_ = 0;
    int handler_depth_ = 0;

    void add(std::size_t pos, std::string cause, std::size_t stmt_pos, std::string ignored) {
        errors.emplace_back(pos, std::move(cause));
        errors.emplace_back(stmt_pos, std::move(ignored));
    }

    [[noreturn]] void fail(std::size_t pos, std::string cause, std::size_t stmt_pos) {
        add(pos, std::move(cause), stmt_pos, "PL/SQL: Statement ignored");
        throw stmt_failed{};
    }

    static bool has_field(const symbol& s, const std::string& f) {
        for (const auto& x : s.fields)
            if (x == f) return true;
        return false;
    }

    const symbol* lookup(const std::string& name) const {
        for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
            auto f = it->find(name);
            if (f != it->end()) return &f->second;
        }
        return nullptr;
    }

    void declare(const std::string& name, symbol s, std::size_t pos) {
        if (!scopes_.back().emplace(name, std::move(s)).second)
            add(pos, "PLS-00371: at most one declaration for '" + name + "' is permitted", pos, "PL/SQL: Item ignored");
    }

    std::size_t stmt_pos_ = 0;

    void plsql_expr(expr& e) {
        switch (e.kind) {
        case ek::name: {
            const auto& p = e.parts;
            if (p.size() == 1) {
                if (p[0] == "SYSDATE") {
                    e.r = ref::sysdate;
                    return;
                }
                if (p[0] == "USER") {
                    e.r = ref::user;
                    return;
                }
                e.r = ref::outer;
                if (p[0] == "TRUE" || p[0] == "FALSE" || p[0] == "SQLCODE" || p[0] == "SQLERRM") return;
                const symbol* s = lookup(p[0]);
                if (!s) fail(e.pos, "PLS-00201: identifier '" + p[0] + "' must be declared", stmt_pos_);
                if (s->kind == symbol::cursor)
                    fail(e.pos, "PLS-00320: the declaration of the type of this expression is incomplete or malformed", stmt_pos_);
                return;
            }
            e.r = ref::outer;
            const symbol* s = lookup(p[0]);
            if (!s) fail(e.pos, "PLS-00201: identifier '" + dotted(p) + "' must be declared", stmt_pos_);
            if (s->kind != symbol::record || p.size() > 2)
                fail(e.pos, "PLS-00487: Invalid reference to variable '" + p[0] + "'", stmt_pos_);
            if (s->fields_known && !has_field(*s, p[1]))
                fail(e.pos, "PLS-00302: component '" + p[1] + "' must be declared", stmt_pos_);
            return;
        }
        case ek::bind: binds.insert(e.parts[0]); return;
        case ek::count_star: fail(e.pos, "PLS-00204: function or pseudo-column 'COUNT' may be used inside a SQL statement only", stmt_pos_);
        case ek::call: {
            const function_info* f = e.parts.size() == 1 ? find_function(e.parts[0]) : nullptr;
            if (!f) fail(e.pos, "PLS-00201: identifier '" + dotted(e.parts) + "' must be declared", stmt_pos_);
            if (f->sql_only)
                fail(e.pos, "PLS-00204: function or pseudo-column '" + e.parts[0] + "' may be used inside a SQL statement only", stmt_pos_);
            const int n = static_cast<int>(e.args.size());
            if (n < f->min_args || n > f->max_args)
                fail(e.pos, "PLS-00306: wrong number or types of arguments in call to '" + e.parts[0] + "'", stmt_pos_);
            for (auto& a : e.args) plsql_expr(*a);
            return;
        }
        default:
            for (auto& a : e.args) plsql_expr(*a);
        }
    }

    void target(expr& e) {
        if (e.kind == ek::bind) {
            binds.insert(e.parts[0]);
            return;
        }
        if (e.kind != ek::name) fail(e.pos, "PLS-00363: expression cannot be used as an assignment target", stmt_pos_);
        plsql_expr(e);
        if (e.r != ref::outer || e.parts[0] == "SQLCODE" || e.parts[0] == "SQLERRM" || e.parts[0] == "TRUE" ||
            e.parts[0] == "FALSE")
            fail(e.pos, "PLS-00363: expression '" + dotted(e.parts) + "' cannot be used as an assignment target", stmt_pos_);
        const symbol* s = lookup(e.parts[0]);
        if (!s->assignable && e.parts.size() == 1)
            fail(e.pos, "PLS-00363: expression '" + dotted(e.parts) + "' cannot be used as an assignment target", stmt_pos_);
    }

    static void collect_binds(const expr& e, std::set<std::string>& out) {
        if (e.kind == ek::bind) out.insert(e.parts[0]);
        for (const auto& a : e.args) collect_binds(*a, out);
    }

    // A static SQL statement: resolved now with the caller's privileges.
    const prepared_query* sql(select_stmt& sel, bool into) {
        try {
            prepared_query q = prepare_query(sel, ctx_.cat, ctx_.who, this);
            for (const auto& it : sel.items)
                if (it.e) collect_binds(*it.e, binds);
            if (sel.where) collect_binds(*sel.where, binds);
            if (into) {
                if (sel.into.size() < q.columns.size()) {
                    add(sel.into.back()->end, "PL/SQL: ORA-00913: too many values", sel.pos, "PL/SQL: SQL Statement ignored");
                    return nullptr;
                }
                if (sel.into.size() > q.columns.size()) {
                    add(sel.items.back().pos, "PL/SQL: ORA-00947: not enough values", sel.pos, "PL/SQL: SQL Statement ignored");
                    return nullptr;
                }
            }
            auto [it, fresh] = prepared_.insert_or_assign(&sel, std::move(q));
            (void)fresh;
            return &it->second;
        } catch (const db_error& e) {
            add(e.pos == no_pos ? sel.pos : e.pos, "PL/SQL: " + e.message, sel.pos, "PL/SQL: SQL Statement ignored");
            return nullptr;
        }
    }

    void stmts(stmt_list& list) {
        for (auto& s : list) one(*s);
    }

    void loop_body(stmt_list& body) {
        ++loop_depth_;
        stmts(body);
        --loop_depth_;
    }

    void one(stmt& s) {
        stmt_pos_ = s.pos;
        try {
            switch (s.kind) {
            case sk::null_: break;
            case sk::assign:
                target(*s.target);
                plsql_expr(*s.value);
                break;
            case sk::call: call(s); break;
            case sk::if_:
                for (auto& c : s.conds) {
                    stmt_pos_ = s.pos;
                    plsql_expr(*c);
                }
                for (auto& b : s.bodies) stmts(b);
                stmts(s.else_body);
                break;
            case sk::while_:
                plsql_expr(*s.conds[0]);
                loop_body(s.body);
                break;
            case sk::loop: loop_body(s.body); break;
            case sk::exit:
                if (loop_depth_ == 0) fail(s.pos, "PLS-00376: illegal EXIT statement; it must appear inside a loop", s.pos);
                if (!s.conds.empty()) plsql_expr(*s.conds[0]);
                break;
            case sk::for_range: {
                plsql_expr(*s.lo);
                plsql_expr(*s.hi);
                scopes_.emplace_back();
                scopes_.back().emplace(s.loop_var, symbol{symbol::scalar, false, {}, true});
                loop_body(s.body);
                scopes_.pop_back();
                break;
            }
            case sk::for_cursor: {
                symbol rec{symbol::record, false, {}, false};
                if (s.query) {
                    if (const prepared_query* q = sql(*s.query, false)) {
                        rec.fields_known = true;
                        for (const column_info& c : q->columns) rec.fields.push_back(c.name);
                    }
                } else {
                    const symbol* c = lookup(s.cursor_name);
                    if (!c || c->kind != symbol::cursor)
                        add(s.cursor_pos, "PLS-00201: identifier '" + s.cursor_name + "' must be declared", s.pos,
                            "PL/SQL: Statement ignored");
                    else {
                        rec.fields = c->fields;
                        rec.fields_known = c->fields_known;
                    }
                }
                scopes_.emplace_back();
                scopes_.back().emplace(s.loop_var, std::move(rec));
                loop_body(s.body);
                scopes_.pop_back();
                break;
            }
            case sk::select_into:
                for (auto& t : s.query->into) target(*t);
                sql(*s.query, true);
                break;
            case sk::exec_immediate:
                plsql_expr(*s.value);
                for (auto& t : s.into) target(*t);
                break;
            case sk::block: compile(*s.blk); break;
            case sk::raise:
                if (s.exception_name.empty()) {
                    if (handler_depth_ == 0)
                        fail(s.pos, "PLS-00367: a RAISE statement with no exception name must be inside an exception handler", s.pos);
                } else if (!predefined_exception(s.exception_name)) {
                    fail(s.pos + 6, "PLS-00201: identifier '" + s.exception_name + "' must be declared", s.pos);
                }
                break;
            }
        } catch (const stmt_failed&) {
        }
    }

    void call(stmt& s) {
        expr& c = *s.call;
        const std::string member = output_member(c.parts);
        if (!member.empty()) {
            const output_proc* p = find_output_proc(member);
            if (!p) fail(c.pos, "PLS-00302: component '" + member + "' must be declared", s.pos);
            const int n = static_cast<int>(c.args.size());
            if (n < p->min_args || n > p->max_args)
                fail(c.pos, "PLS-00306: wrong number or types of arguments in call to '" + member + "'", s.pos);
            for (int i = 0; i < n; ++i) {
                if (i >= n - p->out_args) target(*c.args[static_cast<std::size_t>(i)]);
                else plsql_expr(*c.args[static_cast<std::size_t>(i)]);
            }
            return;
        }
        if (c.parts.size() == 1 && c.parts[0] == "RAISE_APPLICATION_ERROR") {
            if (c.args.size() < 2 || c.args.size() > 3)
                fail(c.pos, "PLS-00306: wrong number or types of arguments in call to 'RAISE_APPLICATION_ERROR'", s.pos);
            for (auto& a : c.args) plsql_expr(*a);
            return;
        }
        if (c.parts.size() == 1 && find_function(c.parts[0]))
            fail(c.pos, "PLS-00221: '" + c.parts[0] + "' is not a procedure or is undefined", s.pos);
        if (c.parts.size() == 1 && lookup(c.parts[0]))
            fail(c.pos, "PLS-00221: '" + c.parts[0] + "' is not a procedure or is undefined", s.pos);
        if (c.parts.size() >= 2 && (c.parts[0] == "DBMS_OUTPUT" || (c.parts[0] == "SYS" && c.parts[1] == "DBMS_OUTPUT")))
            fail(c.pos, "PLS-00302: component '" + c.parts.back() + "' must be declared", s.pos);
        fail(c.pos, "PLS-00201: identifier '" + dotted(c.parts) + "' must be declared", s.pos);
    }
};

// ---- run ----

struct variable {
    plsql_type type;
    value v;
    bool is_record = false;
    std::vector<std::string> names;
    std::vector<value> fields;
};

struct frame {
    std::map<std::string, variable> vars;
    std::map<std::string, const cursor_decl*> cursors;
};

enum class flow { normal, exit };

class interpreter : public outer_scope {
public:
    interpreter(run_context& ctx, std::string_view text, prepared_map& prepared, bind_map* binds)
        : ctx_(ctx), text_(text), prepared_(prepared), binds_(binds) {}

    void run(const block& b) { run_block(b); }

    bool knows(const expr&) const override { return true; }

    value get(const expr& e) override {
        const auto& p = e.parts;
        if (p.size() == 1) {
            if (p[0] == "TRUE") return value::make_number(1);
            if (p[0] == "FALSE") return value::make_number(0);
            if (p[0] == "SQLCODE") {
                if (handling_.empty()) return value::make_number(0);
                const int c = handling_.back().code;
                return value::make_number(c == 1403 ? 100 : -c);
            }
            if (p[0] == "SQLERRM")
                return value::make_text(handling_.empty() ? "ORA-0000: normal, successful completion" : handling_.back().message);
            return find(p[0]).v;
        }
        variable& r = find(p[0]);
        for (std::size_t i = 0; i < r.names.size(); ++i)
            if (r.names[i] == p[1]) return r.fields[i];
        raise_ora(6502, "PL/SQL: numeric or value error");
    }

private:
    run_context& ctx_;
    std::string_view text_;
    prepared_map& prepared_;
    bind_map* binds_;
    std::vector<frame> frames_;
    std::vector<db_error> handling_;

    struct frame_guard {
        std::vector<frame>& f;
        explicit frame_guard(std::vector<frame>& fs) : f(fs) { f.emplace_back(); }
        ~frame_guard() { f.pop_back(); }
    };

    variable& find(const std::string& name) {
        for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
            auto f = it->vars.find(name);
            if (f != it->vars.end()) return f->second;
        }
        raise_ora(6502, "PL/SQL: numeric or value error");
    }

    const cursor_decl& find_cursor(const std::string& name) {
        for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
            auto f = it->cursors.find(name);
            if (f != it->cursors.end()) return *f->second;
        }
        raise_ora(1001, "invalid cursor");
    }

    eval_env env() {
        eval_env e;
        e.outer = this;
        e.binds = binds_;
        e.who = &ctx_.who;
        return e;
    }

    value eval_expr(const expr& x) {
        eval_env e = env();
        return eval(x, e);
    }

    static value convert(const value& v, const plsql_type& t) {
        if (v.is_null()) return v;
        switch (t.base) {
        case plsql_type::varchar2: {
            std::string s = as_text(v);
            if (s.size() > static_cast<std::size_t>(t.length))
                raise_ora(6502, "PL/SQL: numeric or value error: character string buffer too small");
            return value::make_text(std::move(s));
        }
        case plsql_type::number:
        case plsql_type::integer: {
            double n = 0;
            if (v.kind == value::text) {
                if (!try_text_number(v.str, n)) raise_ora(6502, "PL/SQL: numeric or value error: character to number conversion error");
            } else if (v.kind == value::number) {
                n = v.num;
            } else {
                raise_ora(6502, "PL/SQL: numeric or value error");
            }
            if (t.base == plsql_type::integer) n = n < 0 ? -std::floor(-n + 0.5) : std::floor(n + 0.5);
            return value::make_number(n);
        }
        case plsql_type::boolean: return v;
        case plsql_type::date:
            if (v.kind != value::date) raise_ora(6502, "PL/SQL: numeric or value error");
            return v;
        }
        return v;
    }

    void assign(const expr& target, const value& v) {
        if (target.kind == ek::bind) {
            if (!binds_ || !binds_->count(target.parts[0])) raise_ora(1008, "not all variables bound");
            (*binds_)[target.parts[0]] = v;
            return;
        }
        variable& var = find(target.parts[0]);
        if (target.parts.size() == 1) {
            var.v = convert(v, var.type);
            return;
        }
        for (std::size_t i = 0; i < var.names.size(); ++i)
            if (var.names[i] == target.parts[1]) {
                var.fields[i] = v;
                return;
            }
    }

    flow run_block(const block& b) {
        frame_guard g(frames_);
        // Errors raised while the declarations are set up go to the enclosing block.
        for (const var_decl& v : b.vars) {
            variable var;
            var.type = v.type;
            if (v.init) {
                try {
                    var.v = convert(eval_expr(*v.init), v.type);
                } catch (db_error& e) {
                    if (e.pos == no_pos) e.pos = v.pos;
                    throw;
                }
            }
            frames_.back().vars[v.name] = std::move(var);
        }
        for (const cursor_decl& c : b.cursors) frames_.back().cursors[c.name] = &c;
        try {
            return run_list(b.body);
        } catch (db_error& e) {
            for (const handler& h : b.handlers) {
                bool match = false;
                for (const std::string& n : h.names) match = match || n == "OTHERS" || predefined_exception(n) == e.code;
                if (!match) continue;
                handling_.push_back(e);
                struct pop {
                    std::vector<db_error>& h;
                    ~pop() { h.pop_back(); }
                } popper{handling_};
                return run_list(h.body);
            }
            throw;
        }
    }

    flow run_list(const stmt_list& list) {
        for (const auto& s : list)
            if (run_stmt(*s) == flow::exit) return flow::exit;
        return flow::normal;
    }

    flow run_stmt(const stmt& s) {
        try {
            return run_one(s);
        } catch (db_error& e) {
            if (e.pos == no_pos) e.pos = s.pos;
            throw;
        }
    }

    std::vector<std::vector<value>> rows_of(const select_stmt& sel) {
        return run_query(prepared_.at(&sel), ctx_.cat, env());
    }

    flow loop_over(const std::vector<std::vector<value>>& rows, const std::vector<column_info>& cols, const stmt& s) {
        frame_guard g(frames_);
        variable rec;
        rec.is_record = true;
        for (const auto& c : cols) rec.names.push_back(c.name);
        frames_.back().vars[s.loop_var] = rec;
        for (const auto& row : rows) {
            variable& r = frames_.back().vars[s.loop_var];
            r.fields = row;
            if (run_list(s.body) == flow::exit) break;
        }
        return flow::normal;
    }

    flow run_one(const stmt& s) {
        switch (s.kind) {
        case sk::null_: return flow::normal;
        case sk::assign: assign(*s.target, eval_expr(*s.value)); return flow::normal;
        case sk::call: call(*s.call); return flow::normal;
        case sk::if_:
            for (std::size_t i = 0; i < s.conds.size(); ++i)
                if (truth(eval_expr(*s.conds[i])) == true) return run_list(s.bodies[i]);
            return run_list(s.else_body);
        case sk::while_:
            while (truth(eval_expr(*s.conds[0])) == true)
                if (run_list(s.body) == flow::exit) break;
            return flow::normal;
        case sk::loop:
            for (;;)
                if (run_list(s.body) == flow::exit) break;
            return flow::normal;
        case sk::exit:
            if (s.conds.empty() || truth(eval_expr(*s.conds[0])) == true) return flow::exit;
            return flow::normal;
        case sk::for_range: {
            const value lo = eval_expr(*s.lo), hi = eval_expr(*s.hi);
            if (lo.is_null() || hi.is_null()) raise_ora(6502, "PL/SQL: numeric or value error");
            const double a = std::round(as_number(lo)), b = std::round(as_number(hi));
            frame_guard g(frames_);
            variable v;
            v.type.base = plsql_type::integer;
            frames_.back().vars[s.loop_var] = v;
            for (double i = s.reverse ? b : a; s.reverse ? i >= a : i <= b; i += s.reverse ? -1 : 1) {
                frames_.back().vars[s.loop_var].v = value::make_number(i);
                if (run_list(s.body) == flow::exit) break;
            }
            return flow::normal;
        }
        case sk::for_cursor: {
            // The cursor's rows are fixed when it opens.
            const select_stmt& sel = s.query ? *s.query : *find_cursor(s.cursor_name).query;
            const auto rows = rows_of(sel);
            return loop_over(rows, prepared_.at(&sel).columns, s);
        }
        case sk::select_into: {
            const auto rows = rows_of(*s.query);
            into(rows, s.query->into);
            return flow::normal;
        }
        case sk::exec_immediate: {
            const value t = eval_expr(*s.value);
            if (t.is_null()) raise_ora(6535, "statement string in EXECUTE IMMEDIATE is NULL or 0 length");
            dynamic(as_text(t), s.into);
            return flow::normal;
        }
        case sk::block: return run_block(*s.blk);
        case sk::raise: {
            if (s.exception_name.empty()) {
                db_error e = handling_.back();
                e.pos = s.pos;
                throw e;
            }
            const int code = predefined_exception(s.exception_name);
            throw db_error{code, predefined_message(code), {}, s.pos};
        }
        }
        return flow::normal;
    }

    void into(const std::vector<std::vector<value>>& rows, const std::vector<expr_ptr>& targets) {
        if (rows.empty()) raise_ora(1403, "no data found");
        if (rows.size() > 1) raise_ora(1422, "exact fetch returns more than requested number of rows");
        if (targets.size() != rows[0].size()) raise_ora(targets.size() > rows[0].size() ? 947 : 913,
                                                         targets.size() > rows[0].size() ? "not enough values" : "too many values");
        for (std::size_t i = 0; i < targets.size(); ++i) assign(*targets[i], rows[0][i]);
    }

    void dynamic(const std::string& text, const std::vector<expr_ptr>& targets) {
        statement st;
        try {
            st = parse_statement(text);
        } catch (const syntax_error& e) {
            if (e.plsql) {
                const line_col lc = locate(text, e.pos);
                throw db_error{6550, "ORA-06550: line " + std::to_string(lc.line) + ", column " + std::to_string(lc.column) + ":\n" + e.message, {}, no_pos};
            }
            throw db_error{e.code, e.message, {}, no_pos};
        }
        switch (st.kind) {
        case statement::query: {
            prepared_query q;
            try {
                q = prepare_query(*st.sel, ctx_.cat, ctx_.who, nullptr);
            } catch (db_error& e) {
                e.pos = no_pos;
                throw;
            }
            eval_env e;
            e.who = &ctx_.who;
            const auto rows = run_query(q, ctx_.cat, e);
            if (!targets.empty()) into(rows, targets);
            return;
        }
        case statement::alter:
            if (!compile_objects(ctx_.cat, st.alt, ctx_.who))
                throw db_error{24344, ora_message(24344, "success with compilation error"), {}, no_pos};
            return;
        case statement::block:
            try {
                run_anonymous_block(*st.blk, text, ctx_, nullptr);
            } catch (db_error& e) {
                e.pos = no_pos;
                throw;
            }
            return;
        case statement::transaction: return;
        }
    }

    void call(const expr& c) {
        const std::string member = output_member(c.parts);
        dbms_output& out = ctx_.out;
        if (member == "PUT_LINE" || member == "PUT") {
            const std::string text = as_text(eval_expr(*c.args[0]));
            if (member == "PUT") out.put(text);
            else out.put_line(text);
        } else if (member == "NEW_LINE") {
            out.new_line();
        } else if (member == "ENABLE") {
            if (c.args.empty()) out.enable(20000.0);
            else {
                const value n = eval_expr(*c.args[0]);
                out.enable(n.is_null() ? std::nullopt : std::optional<double>(as_number(n)));
            }
        } else if (member == "DISABLE") {
            out.disable();
        } else if (member == "GET_LINE") {
            std::optional<std::string> line;
            const int status = out.get_line(line);
            assign(*c.args[0], line ? value::make_text(*line) : value::make_null());
            assign(*c.args[1], value::make_number(status));
        } else if (c.parts.size() == 1 && c.parts[0] == "RAISE_APPLICATION_ERROR") {
            const value code = eval_expr(*c.args[0]);
            const double n = code.is_null() ? 0 : as_number(code);
            if (n > -20000 || n < -20999)
                raise_ora(21000, "error number argument to raise_application_error of " + number_text(n) + " is out of range");
            const std::string msg = as_text(eval_expr(*c.args[1]));
            throw db_error{static_cast<int>(-n), ora_message(static_cast<int>(-n), msg), {}, no_pos};
        }
    }
};

} // namespace

void run_anonymous_block(block& b, std::string_view text, run_context& ctx, bind_map* binds) {
    prepared_map prepared;
    block_compiler c(ctx, text, prepared);
    c.compile(b);
    if (!c.errors.empty()) {
        std::string t;
        for (const auto& [pos, cause] : c.errors) {
            const line_col lc = locate(text, pos);
            if (!t.empty()) t += "\n";
            t += "ORA-06550: line " + std::to_string(lc.line) + ", column " + std::to_string(lc.column) + ":\n" + cause;
        }
        throw db_error{6550, t, {}, no_pos};
    }
    for (const std::string& name : c.binds)
        if (!binds || !binds->count(name)) raise_ora(1008, "not all variables bound");
    interpreter run(ctx, text, prepared, binds);
    try {
        run.run(b);
    } catch (db_error& e) {
        if (e.pos != no_pos) e.frames.push_back("ORA-06512: at line " + std::to_string(locate(text, e.pos).line));
        e.pos = no_pos;
        throw;
    }
}

} // namespace orasim
