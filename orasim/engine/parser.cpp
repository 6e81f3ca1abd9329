#include "parser.h"

#include "values.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace orasim {
namespace {

// Words that end an expression or a select item: never taken as an alias or a column name.
bool reserved(const token& t) {
    static constexpr std::string_view words[] = {
        "FROM",  "WHERE", "INTO",   "ORDER",   "GROUP",  "CONNECT", "START", "HAVING", "UNION", "MINUS",
        "INTERSECT", "AND", "OR",   "NOT",     "IS",     "IN",      "LIKE",  "BETWEEN", "AS",   "ASC",
        "DESC",  "BY",    "SELECT", "THEN",    "ELSE",   "ELSIF",   "END",   "LOOP",   "WHEN",  "ESCAPE",
        "USING", "DISTINCT", "ALL", "NULL"};
    if (t.kind != tok::ident) return false;
    return std::find(std::begin(words), std::end(words), t.text) != std::end(words);
}

class parser {
public:
    parser(std::string_view src, bool plsql) : src_(src), toks_(tokenize(src)), plsql_(plsql) {}

    statement parse_top() {
        statement st;
        const token& t = peek();
        if (t.kind == tok::bad) bad_token(t);
        if (t.is("SELECT") || t.is("WITH") || t.is_op("(")) {
            if (t.is("WITH")) error_at(t, 900, "invalid SQL statement", "");
            st.kind = statement::query;
            st.sel = parse_select(false);
            end_of_sql();
        } else if (t.is("BEGIN") || t.is("DECLARE")) {
            plsql_ = true;
            st.kind = statement::block;
            st.blk = parse_block();
            if (peek().kind != tok::end) error_at(peek(), 0, "", "end-of-file");
        } else if (t.is("ALTER")) {
            st.kind = statement::alter;
            st.alt = parse_alter();
            end_of_sql();
        } else if (t.is("COMMIT") || t.is("ROLLBACK")) {
            next();
            if (peek().is("WORK")) next();
            st.kind = statement::transaction;
            end_of_sql();
        } else {
            error_at(t, 900, "invalid SQL statement", "");
        }
        return st;
    }

private:
    std::string_view src_;
    std::vector<token> toks_;
    std::size_t i_ = 0;
    bool plsql_;

    const token& peek(std::size_t k = 0) const {
        const std::size_t j = std::min(i_ + k, toks_.size() - 1);
        return toks_[j];
    }
    const token& next() {
        const token& t = peek();
        if (t.kind == tok::bad) bad_token(t);
        if (i_ < toks_.size() - 1) ++i_;
        return t;
    }
    bool accept(std::string_view kw) {
        if (peek().is(kw)) {
            next();
            return true;
        }
        return false;
    }
    bool accept_op(std::string_view o) {
        if (peek().is_op(o)) {
            next();
            return true;
        }
        return false;
    }
    void expect(std::string_view kw, int code, std::string_view msg) {
        if (!accept(kw)) error_at(peek(), code, msg, kw);
    }
    void expect_op(std::string_view o, int code, std::string_view msg) {
        if (!accept_op(o)) error_at(peek(), code, msg, o);
    }

    [[noreturn]] void bad_token(const token& t) const {
        const int code = std::stoi(t.text);
        std::string msg = code == 1756 ? "quoted string not properly terminated"
                          : code == 1740 ? "missing double quote in identifier"
                          : code == 1741 ? "illegal zero-length identifier"
                                         : "invalid character";
        if (plsql_) {
            std::string sym = code == 911 ? std::string(src_.substr(t.pos, 1)) : "end-of-file";
            throw syntax_error{103, "PLS-00103: Encountered the symbol \"" + sym +
                                        "\" when expecting one of the following:\n\n   (an expression)",
                               t.pos, true};
        }
        throw syntax_error{code, ora_message(code, msg), t.pos, false};
    }

    // The one reporter of syntax errors: in SQL the ORA error given, in PL/SQL a PLS-00103 naming the
    // symbol found and what would have been accepted there.
    [[noreturn]] void error_at(const token& t, int code, std::string_view msg, std::string_view expected) const {
        if (t.kind == tok::bad) bad_token(t);
        if (plsql_) {
            std::string sym;
            switch (t.kind) {
            case tok::end: sym = "end-of-file"; break;
            case tok::string: sym = "'" + t.text + "'"; break;
            case tok::bind: sym = ":" + t.text; break;
            default: sym = t.text;
            }
            std::string m = "PLS-00103: Encountered the symbol \"" + sym + "\" when expecting one of the following:\n\n   ";
            m += expected.empty() ? std::string_view("begin declare end exception exit for if loop null raise select while")
                                  : expected;
            throw syntax_error{103, m, t.pos, true};
        }
        throw syntax_error{code, ora_message(code, msg), t.pos, false};
    }

    void end_of_sql() {
        const token& t = peek();
        if (t.kind == tok::end) return;
        if (t.is_op(";")) error_at(t, 911, "invalid character", "");
        error_at(t, 933, "SQL command not properly ended", "");
    }

    static bool is_name(const token& t) { return t.kind == tok::ident || t.kind == tok::quoted_ident; }

    std::string ident(int code, std::string_view msg) {
        const token& t = peek();
        if (!is_name(t) || (t.kind == tok::ident && reserved(t))) error_at(t, code, msg, "an identifier");
        return next().text;
    }

    // ---- expressions ----

    expr_ptr node(ek k, std::size_t pos) {
        auto e = std::make_unique<expr>();
        e->kind = k;
        e->pos = pos;
        return e;
    }
    expr_ptr binary(ek k, std::string op, expr_ptr a, expr_ptr b) {
        auto e = node(k, a->pos);
        e->op = std::move(op);
        e->end = b->end;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }
    std::size_t prev_end() const { return i_ == 0 ? 0 : toks_[i_ - 1].pos + toks_[i_ - 1].len; }

    // Nesting deep enough to exhaust the stack is refused as a syntax error.
    struct depth_guard {
        parser& p;
        explicit depth_guard(parser& ps) : p(ps) {
            if (++p.depth_ > 200) {
                if (p.plsql_) throw syntax_error{123, "PLS-00123: program too large (Diana nodes)", p.peek().pos, true};
                p.error_at(p.peek(), 936, "missing expression", "");
            }
        }
        ~depth_guard() { --p.depth_; }
    };
    int depth_ = 0;

    expr_ptr parse_expr() {
        depth_guard g(*this);
        return parse_or();
    }

    expr_ptr parse_or() {
        auto a = parse_and();
        while (accept("OR")) a = binary(ek::or_, "OR", std::move(a), parse_and());
        return a;
    }
    expr_ptr parse_and() {
        auto a = parse_not();
        while (accept("AND")) a = binary(ek::and_, "AND", std::move(a), parse_not());
        return a;
    }
    expr_ptr parse_not() {
        if (peek().is("NOT")) {
            const std::size_t pos = next().pos;
            auto e = node(ek::not_, pos);
            e->args.push_back(parse_not());
            e->end = e->args[0]->end;
            return e;
        }
        return parse_cmp();
    }
    expr_ptr parse_cmp() {
        auto a = parse_sum();
        const token& t = peek();
        if (t.kind == tok::op &&
            (t.text == "=" || t.text == "!=" || t.text == "<>" || t.text == "<" || t.text == ">" || t.text == "<=" ||
             t.text == ">=")) {
            std::string op = next().text;
            if (op == "<>") op = "!=";
            return binary(ek::compare, op, std::move(a), parse_sum());
        }
        if (t.is("IS")) {
            next();
            auto e = node(ek::is_null, a->pos);
            e->negated = accept("NOT");
            expect("NULL", 908, "missing NULL keyword");
            e->end = prev_end();
            e->args.push_back(std::move(a));
            return e;
        }
        bool neg = false;
        if (t.is("NOT") && (peek(1).is("IN") || peek(1).is("LIKE") || peek(1).is("BETWEEN"))) {
            next();
            neg = true;
        }
        if (accept("LIKE")) {
            auto e = binary(ek::like, "LIKE", std::move(a), parse_sum());
            e->negated = neg;
            if (accept("ESCAPE")) {
                e->args.push_back(parse_sum());
                e->end = e->args.back()->end;
            }
            return e;
        }
        if (accept("BETWEEN")) {
            auto e = node(ek::between, a->pos);
            e->negated = neg;
            e->args.push_back(std::move(a));
            e->args.push_back(parse_sum());
            expect("AND", 905, "missing keyword");
            e->args.push_back(parse_sum());
            e->end = e->args.back()->end;
            return e;
        }
        if (accept("IN")) {
            auto e = node(ek::in_list, a->pos);
            e->negated = neg;
            e->args.push_back(std::move(a));
            expect_op("(", 906, "missing left parenthesis");
            do e->args.push_back(parse_expr());
            while (accept_op(","));
            expect_op(")", 907, "missing right parenthesis");
            e->end = prev_end();
            return e;
        }
        if (neg) error_at(peek(), 905, "missing keyword", "IN LIKE BETWEEN");
        return a;
    }
    expr_ptr parse_sum() {
        auto a = parse_mul();
        for (;;) {
            if (accept_op("||")) a = binary(ek::concat, "||", std::move(a), parse_mul());
            else if (peek().is_op("+") || peek().is_op("-")) {
                std::string op = next().text;
                a = binary(ek::arith, op, std::move(a), parse_mul());
            } else return a;
        }
    }
    expr_ptr parse_mul() {
        auto a = parse_unary();
        while (peek().is_op("*") || peek().is_op("/")) {
            std::string op = next().text;
            a = binary(ek::arith, op, std::move(a), parse_unary());
        }
        return a;
    }
    expr_ptr parse_unary() {
        depth_guard g(*this);
        if (peek().is_op("-")) {
            const std::size_t pos = next().pos;
            auto e = node(ek::neg, pos);
            e->args.push_back(parse_unary());
            e->end = e->args[0]->end;
            return e;
        }
        if (accept_op("+")) return parse_unary();
        return parse_primary();
    }
    expr_ptr parse_primary() {
        const token& t = peek();
        const std::size_t pos = t.pos;
        if (t.kind == tok::number) {
            auto e = node(ek::literal, pos);
            e->lit = value::make_number(std::stod(next().text));
            e->end = prev_end();
            return e;
        }
        if (t.kind == tok::string) {
            auto e = node(ek::literal, pos);
            std::string s = next().text;
            e->lit = s.empty() ? value::make_null() : value::make_text(std::move(s));
            e->end = prev_end();
            return e;
        }
        if (t.kind == tok::bind) {
            auto e = node(ek::bind, pos);
            e->parts.push_back(next().text);
            e->end = prev_end();
            return e;
        }
        if (t.is_op("(")) {
            next();
            auto e = parse_expr();
            expect_op(")", 907, "missing right parenthesis");
            return e;
        }
        if (t.is("NULL")) {
            next();
            auto e = node(ek::literal, pos);
            e->end = prev_end();
            return e;
        }
        if (t.is("DATE") && peek(1).kind == tok::string) {
            next();
            const token& lit = next();
            date_value d;
            if (!parse_date_literal(lit.text, d)) {
                if (plsql_) error_at(lit, 0, "", "a date");
                throw syntax_error{1861, ora_message(1861, "literal does not match format string"), lit.pos, false};
            }
            auto e = node(ek::literal, pos);
            e->lit = value::make_date(d);
            e->end = prev_end();
            return e;
        }
        if (is_name(t) && !(t.kind == tok::ident && reserved(t))) {
            auto e = node(ek::name, pos);
            e->parts.push_back(next().text);
            while (peek().is_op(".") && is_name(peek(1))) {
                next();
                e->parts.push_back(next().text);
            }
            e->end = prev_end();
            if (peek().is_op("(")) {
                next();
                e->kind = ek::call;
                if (e->parts.size() == 1 && e->parts[0] == "COUNT" && peek().is_op("*")) {
                    next();
                    e->kind = ek::count_star;
                } else if (!peek().is_op(")")) {
                    do e->args.push_back(parse_expr());
                    while (accept_op(","));
                }
                expect_op(")", 907, "missing right parenthesis");
                e->end = prev_end();
            }
            return e;
        }
        error_at(t, 936, "missing expression", "( - + case mod new not null <an identifier> <a bind variable> <a number> <a string>");
    }

    // ---- queries ----

    std::unique_ptr<select_stmt> parse_select(bool with_into) {
        auto s = std::make_unique<select_stmt>();
        s->pos = peek().pos;
        if (accept_op("(")) {
            auto inner = parse_select(with_into);
            expect_op(")", 907, "missing right parenthesis");
            return inner;
        }
        expect("SELECT", 900, "invalid SQL statement");
        if (peek().is("DISTINCT") || peek().is("UNIQUE")) error_at(peek(), 936, "missing expression", "");
        accept("ALL");
        do {
            select_item it;
            it.pos = peek().pos;
            if (accept_op("*")) {
                it.star = true;
            } else if (is_name(peek()) && peek(1).is_op(".") && peek(2).is_op("*")) {
                it.star = true;
                it.star_qualifier = next().text;
                next();
                next();
            } else {
                it.e = parse_expr();
                it.end = it.e->end;
                it.heading = heading(it.pos, it.end);
                if (accept("AS")) {
                    it.alias = ident(923, "FROM keyword not found where expected");
                    it.has_alias = true;
                } else if (is_name(peek()) && !(peek().kind == tok::ident && reserved(peek()))) {
                    it.alias = next().text;
                    it.has_alias = true;
                }
            }
            s->items.push_back(std::move(it));
        } while (accept_op(","));
        if (peek().is("INTO")) {
            if (!with_into) error_at(peek(), 905, "missing keyword", "");
            next();
            do s->into.push_back(parse_target());
            while (accept_op(","));
        } else if (with_into) {
            error_at(peek(), 0, "", "INTO");
        }
        if (!peek().is("FROM")) error_at(peek(), 923, "FROM keyword not found where expected", "FROM");
        next();
        s->from.pos = peek().pos;
        s->from.parts.push_back(ident(903, "invalid table name"));
        if (accept_op(".")) s->from.parts.push_back(ident(903, "invalid table name"));
        if (accept_op("@")) error_at(peek(), 933, "SQL command not properly ended", "");
        if (is_name(peek()) && !(peek().kind == tok::ident && reserved(peek()))) s->from.alias = next().text;
        if (accept("WHERE")) s->where = parse_expr();
        if (peek().is("CONNECT")) {
            next();
            expect("BY", 905, "missing keyword");
            s->connect_by = parse_expr();
        }
        if (peek().is("ORDER")) {
            next();
            expect("BY", 924, "missing BY keyword");
            do {
                order_item o;
                o.e = parse_expr();
                if (accept("DESC")) o.desc = true;
                else accept("ASC");
                if (peek().is("NULLS")) error_at(peek(), 933, "SQL command not properly ended", "");
                s->order.push_back(std::move(o));
            } while (accept_op(","));
        }
        s->end = prev_end();
        return s;
    }

    // The name the server gives an unaliased select item: its text without blanks outside quotes,
    // upper-cased outside quoted identifiers.
    std::string heading(std::size_t from, std::size_t to) const {
        std::string out;
        char quote = 0;
        for (std::size_t k = from; k < to && k < src_.size(); ++k) {
            const char c = src_[k];
            if (quote) {
                out += quote == '"' ? c : (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
                if (c == quote) quote = 0;
            } else if (c == '\'' || c == '"') {
                quote = c;
                out += c;
            } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            }
        }
        return out;
    }

    // ---- ALTER ... COMPILE ----

    alter_compile parse_alter() {
        next(); // ALTER
        alter_compile a;
        const token& t = peek();
        static constexpr std::string_view simple[] = {"PROCEDURE", "FUNCTION", "TRIGGER", "VIEW", "DIMENSION",
                                                      "LIBRARY",   "SYNONYM",  "PACKAGE", "TYPE"};
        if (t.is("PUBLIC")) {
            next();
            expect("SYNONYM", 940, "invalid ALTER command");
            a.object_type = "SYNONYM";
            a.is_public = true;
            a.owner = "PUBLIC";
            a.name = ident(922, "missing or invalid option");
        } else if (t.is("MATERIALIZED")) {
            next();
            expect("VIEW", 940, "invalid ALTER command");
            a.object_type = "MATERIALIZED VIEW";
            object_name(a);
        } else if (t.is("JAVA")) {
            next();
            if (accept("SOURCE")) a.object_type = "JAVA SOURCE";
            else if (accept("CLASS")) a.object_type = "JAVA CLASS";
            else error_at(peek(), 940, "invalid ALTER command", "");
            object_name(a);
            if (!accept("COMPILE") && !accept("RESOLVE")) error_at(peek(), 922, "missing or invalid option", "");
            return a;
        } else if (t.kind == tok::ident && std::find(std::begin(simple), std::end(simple), t.text) != std::end(simple)) {
            a.object_type = next().text;
            object_name(a);
        } else {
            error_at(t, 940, "invalid ALTER command", "");
        }
        expect("COMPILE", 922, "missing or invalid option");
        accept("DEBUG");
        if (a.object_type == "PACKAGE" || a.object_type == "TYPE") {
            if (accept("BODY")) a.part = compile_part::body;
            else if (accept("SPECIFICATION")) a.part = compile_part::spec;
            else if (a.object_type == "PACKAGE" && accept("PACKAGE")) a.part = compile_part::whole;
        }
        if (accept("REUSE")) expect("SETTINGS", 922, "missing or invalid option");
        return a;
    }

    void object_name(alter_compile& a) {
        std::string first = ident(922, "missing or invalid option");
        if (accept_op(".")) {
            a.owner = std::move(first);
            a.name = ident(922, "missing or invalid option");
        } else {
            a.name = std::move(first);
        }
    }

    // ---- PL/SQL ----

    expr_ptr parse_target() {
        const token& t = peek();
        if (t.kind == tok::bind) {
            auto e = node(ek::bind, t.pos);
            e->parts.push_back(next().text);
            e->end = prev_end();
            return e;
        }
        if (!is_name(t)) error_at(t, 0, "", "an identifier");
        auto e = node(ek::name, t.pos);
        e->parts.push_back(next().text);
        while (peek().is_op(".") && is_name(peek(1))) {
            next();
            e->parts.push_back(next().text);
        }
        e->end = prev_end();
        return e;
    }

    std::unique_ptr<block> parse_block() {
        auto b = std::make_unique<block>();
        b->pos = peek().pos;
        if (accept("DECLARE")) {
            while (!peek().is("BEGIN")) {
                if (peek().kind == tok::end) error_at(peek(), 0, "", "begin function pragma procedure subtype type <an identifier> cursor");
                parse_declaration(*b);
            }
        }
        expect("BEGIN", 0, "");
        b->body = parse_stmts({"EXCEPTION", "END"});
        if (accept("EXCEPTION")) {
            while (peek().is("WHEN")) {
                handler h;
                h.pos = next().pos;
                do h.names.push_back(ident(0, ""));
                while (accept("OR"));
                expect("THEN", 0, "");
                h.body = parse_stmts({"WHEN", "END"});
                b->handlers.push_back(std::move(h));
            }
            if (b->handlers.empty()) error_at(peek(), 0, "", "when");
        }
        expect("END", 0, "");
        if (is_name(peek()) && !peek().is_op(";")) next(); // END label
        expect_op(";", 0, "");
        return b;
    }

    void parse_declaration(block& b) {
        if (peek().is("CURSOR")) {
            next();
            cursor_decl c;
            c.pos = peek().pos;
            c.name = ident(0, "");
            expect("IS", 0, "");
            c.query = parse_select(false);
            expect_op(";", 0, ";");
            b.cursors.push_back(std::move(c));
            return;
        }
        var_decl v;
        v.pos = peek().pos;
        if (!is_name(peek())) error_at(peek(), 0, "", "begin function pragma procedure subtype type <an identifier> cursor");
        v.name = next().text;
        if (accept("CONSTANT")) v.constant = true;
        v.type = parse_type();
        if (peek().is("NOT")) {
            next();
            expect("NULL", 0, "");
        }
        if (accept_op(":=") || accept("DEFAULT")) v.init = parse_expr();
        if (v.constant && !v.init) error_at(peek(), 0, "", ":=");
        expect_op(";", 0, "; := . ( % not null range default character");
        b.vars.push_back(std::move(v));
    }

    plsql_type parse_type() {
        const token& t = peek();
        plsql_type ty;
        if (t.is("INTEGER") || t.is("PLS_INTEGER") || t.is("BINARY_INTEGER") || t.is("NATURAL") || t.is("POSITIVE")) {
            next();
            ty.base = plsql_type::integer;
        } else if (t.is("NUMBER")) {
            next();
            ty.base = plsql_type::number;
            if (accept_op("(")) {
                const token& p = peek();
                if (p.kind != tok::number) error_at(p, 0, "", "an integer");
                next();
                bool scaled = false;
                if (accept_op(",")) {
                    const token& sc = peek();
                    if (sc.kind != tok::number && !sc.is_op("-")) error_at(sc, 0, "", "an integer");
                    scaled = sc.kind == tok::number && std::stod(sc.text) != 0;
                    next();
                }
                expect_op(")", 0, ")");
                if (!scaled) ty.base = plsql_type::integer;
            }
        } else if (t.is("VARCHAR2") || t.is("VARCHAR") || t.is("CHAR")) {
            next();
            ty.base = plsql_type::varchar2;
            if (!peek().is_op("(")) error_at(peek(), 0, "", "(");
            next();
            const token& n = peek();
            if (n.kind != tok::number) error_at(n, 0, "", "an integer");
            ty.length = std::stoi(next().text);
            if (ty.length < 1 || ty.length > 32767) {
                throw syntax_error{215, "PLS-00215: String length constraints must be in range (1 .. 32767)", n.pos, true};
            }
            accept("BYTE") || accept("CHAR");
            expect_op(")", 0, ")");
        } else if (t.is("BOOLEAN")) {
            next();
            ty.base = plsql_type::boolean;
        } else if (t.is("DATE")) {
            next();
            ty.base = plsql_type::date;
        } else {
            error_at(t, 0, "", "a type name");
        }
        return ty;
    }

    stmt_list parse_stmts(std::initializer_list<std::string_view> until) {
        stmt_list out;
        for (;;) {
            const token& t = peek();
            bool stop = t.kind == tok::end || t.is("ELSIF") || t.is("ELSE");
            for (std::string_view u : until) stop = stop || t.is(u);
            if (stop) break;
            out.push_back(parse_stmt());
        }
        if (out.empty()) error_at(peek(), 0, "", "");
        return out;
    }

    stmt_ptr make(sk k, std::size_t pos) {
        auto s = std::make_unique<stmt>();
        s->kind = k;
        s->pos = pos;
        return s;
    }

    stmt_ptr parse_stmt() {
        depth_guard g(*this);
        const token& t = peek();
        const std::size_t pos = t.pos;
        if (t.is("NULL")) {
            next();
            expect_op(";", 0, ";");
            return make(sk::null_, pos);
        }
        if (t.is("BEGIN") || t.is("DECLARE")) {
            auto s = make(sk::block, pos);
            s->blk = parse_block();
            return s;
        }
        if (t.is("IF")) {
            next();
            auto s = make(sk::if_, pos);
            s->conds.push_back(parse_expr());
            expect("THEN", 0, "then and or");
            s->bodies.push_back(parse_stmts({"END"}));
            while (accept("ELSIF")) {
                s->conds.push_back(parse_expr());
                expect("THEN", 0, "then and or");
                s->bodies.push_back(parse_stmts({"END"}));
            }
            if (accept("ELSE")) {
                s->has_else = true;
                s->else_body = parse_stmts({"END"});
            }
            expect("END", 0, "");
            expect("IF", 0, "if");
            expect_op(";", 0, ";");
            return s;
        }
        if (t.is("WHILE")) {
            next();
            auto s = make(sk::while_, pos);
            s->conds.push_back(parse_expr());
            expect("LOOP", 0, "loop and or");
            s->body = parse_loop_body();
            return s;
        }
        if (t.is("LOOP")) {
            next();
            auto s = make(sk::loop, pos);
            s->body = parse_loop_body();
            return s;
        }
        if (t.is("FOR")) {
            next();
            auto s = make(sk::for_cursor, pos);
            s->loop_var = ident(0, "");
            expect("IN", 0, "in");
            if (accept("REVERSE")) {
                s->kind = sk::for_range;
                s->reverse = true;
            }
            if (s->kind == sk::for_cursor && peek().is_op("(") && peek(1).is("SELECT")) {
                next();
                s->query = parse_select(false);
                expect_op(")", 0, ")");
            } else if (s->kind == sk::for_cursor && is_name(peek()) && peek(1).is("LOOP")) {
                s->cursor_pos = peek().pos;
                s->cursor_name = next().text;
            } else {
                s->kind = sk::for_range;
                s->lo = parse_sum();
                expect_op("..", 0, "..");
                s->hi = parse_sum();
            }
            expect("LOOP", 0, "loop");
            s->body = parse_loop_body();
            return s;
        }
        if (t.is("EXIT")) {
            next();
            auto s = make(sk::exit, pos);
            if (accept("WHEN")) s->conds.push_back(parse_expr());
            expect_op(";", 0, ";");
            return s;
        }
        if (t.is("RAISE")) {
            next();
            auto s = make(sk::raise, pos);
            if (is_name(peek())) s->exception_name = next().text;
            expect_op(";", 0, ";");
            return s;
        }
        if (t.is("SELECT")) {
            auto s = make(sk::select_into, pos);
            s->query = parse_select(true);
            expect_op(";", 0, ";");
            return s;
        }
        if (t.is("EXECUTE") && peek(1).is("IMMEDIATE")) {
            next();
            next();
            auto s = make(sk::exec_immediate, pos);
            s->value = parse_expr();
            if (accept("INTO")) {
                do s->into.push_back(parse_target());
                while (accept_op(","));
            }
            if (peek().is("USING")) error_at(peek(), 0, "", ";");
            expect_op(";", 0, ";");
            return s;
        }
        if (t.kind == tok::bind || (is_name(t) && !reserved(t))) {
            auto target = parse_target();
            if (accept_op(":=")) {
                auto s = make(sk::assign, pos);
                s->target = std::move(target);
                s->value = parse_expr();
                expect_op(";", 0, "; . ( % and or");
                return s;
            }
            auto s = make(sk::call, pos);
            if (target->kind == ek::bind) error_at(peek(), 0, "", ":=");
            if (accept_op("(")) {
                target->kind = ek::call;
                if (!peek().is_op(")")) {
                    do target->args.push_back(parse_expr());
                    while (accept_op(","));
                }
                expect_op(")", 0, ", )");
                target->end = prev_end();
            }
            s->call = std::move(target);
            expect_op(";", 0, ":= . ( @ % ;");
            return s;
        }
        error_at(t, 0, "", "");
    }

    stmt_list parse_loop_body() {
        stmt_list body = parse_stmts({"END"});
        expect("END", 0, "");
        expect("LOOP", 0, "loop");
        expect_op(";", 0, ";");
        return body;
    }
};

} // namespace

statement parse_statement(std::string_view text) {
    parser p(text, false);
    return p.parse_top();
}

} // namespace orasim
