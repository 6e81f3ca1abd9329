// The definition file: one statement a line, `#` comments, blank-separated words, "quoted words" that
// keep their case, unquoted names upper-cased.
#include "catalog.h"
#include "errors.h"
#include "lexer.h"
#include "values.h"

#include <algorithm>
#include <cstdlib>

namespace orasim {
namespace {

struct word {
    std::string raw;   // as written
    std::string text;  // the word: quoted parts as written, unquoted parts upper-cased
    std::string plain; // quoted parts as written, unquoted parts as written (passwords, texts)
    bool quoted = false; // the whole word was one quoted run
    std::size_t end = 0; // byte offset after the word in its line
};

struct fault {
    std::string message;
};

// Removes a comment: `#` outside single or double quotes.
std::string strip_comment(std::string_view line) {
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#') {
            return std::string(line.substr(0, i));
        }
    }
    return std::string(line);
}

std::vector<word> split_words(std::string_view line) {
    std::vector<word> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        word w;
        const std::size_t start = i;
        bool any_unquoted = false;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            if (line[i] == '"') {
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    if (line[i] == '"') {
                        if (i + 1 < line.size() && line[i + 1] == '"') {
                            w.text += '"';
                            w.plain += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    w.text += line[i];
                    w.plain += line[i];
                    ++i;
                }
                if (!closed) throw fault{"missing closing double quote"};
            } else {
                any_unquoted = true;
                const char c = line[i++];
                w.text += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
                w.plain += c;
            }
        }
        w.raw = std::string(line.substr(start, i - start));
        w.quoted = !any_unquoted;
        w.end = i;
        out.push_back(std::move(w));
    }
    return out;
}

// OWNER.NAME (either part may be quoted); a bare NAME takes the default owner.
object_ref split_name(const word& w, const std::string& default_owner) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    const std::string& r = w.raw;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const char c = r[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < r.size() && r[i + 1] == '"') {
                    parts.back() += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                parts.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == '.') {
            parts.emplace_back();
        } else {
            parts.back() += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    if (parts.size() > 2 || std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); }))
        throw fault{"bad object name '" + r + "'"};
    if (parts.size() == 1) return {default_owner, parts[0]};
    return {parts[0], parts[1]};
}

bool known_type(const std::string& t) {
    static constexpr std::string_view types[] = {
        "PROCEDURE",   "FUNCTION",   "PACKAGE",   "PACKAGE BODY", "TYPE",    "TYPE BODY", "TRIGGER",
        "VIEW",        "MATERIALIZED VIEW", "SYNONYM", "JAVA SOURCE", "JAVA CLASS", "DIMENSION", "LIBRARY",
        "TABLE",       "INDEX",      "SEQUENCE"};
    return std::find(std::begin(types), std::end(types), t) != std::end(types);
}

class reader {
public:
    explicit reader(catalog& c) : cat_(c), now_(now_date()) {}

    void line(std::string_view raw_line) {
        const std::string text = strip_comment(raw_line);
        const std::vector<word> w = split_words(text);
        if (w.empty()) return;
        const std::string kw = lower_ascii(w[0].raw);
        if (kw == "database") database(w);
        else if (kw == "user") user(w);
        else if (kw == "object") object(w);
        else if (kw == "table") table(w, text);
        else if (kw == "row") row(w, text);
        else throw fault{"unknown statement '" + w[0].raw + "'"};
    }

private:
    catalog& cat_;
    date_value now_;

    void database(const std::vector<word>& w) {
        if (w.size() != 2) throw fault{"expected: database IDENTIFIER"};
        const std::string id = upper_ascii(w[1].plain);
        if (std::find(cat_.databases.begin(), cat_.databases.end(), id) == cat_.databases.end())
            cat_.databases.push_back(id);
    }

    void user(const std::vector<word>& w) {
        if (w.size() < 3) throw fault{"expected: user NAME PASSWORD [privileges]"};
        user_account u;
        u.name = w[1].text;
        u.password = w[2].plain;
        for (std::size_t i = 3; i < w.size(); ++i) {
            const std::string f = lower_ascii(w[i].raw);
            if (f == "dba") u.dba = true;
            else if (f == "catalog") u.catalog = true;
            else if (f == "sysdba") u.sysdba = true;
            else if (f == "sysoper") u.sysoper = true;
            else if (f == "expiring") u.expiring = true;
            else if (f == "locked") u.locked = true;
            else throw fault{"unknown user privilege '" + w[i].raw + "'"};
        }
        if (!cat_.users.emplace(u.name, u).second) throw fault{"user " + u.name + " is defined twice"};
    }

    void object(const std::vector<word>& w) {
        if (w.size() < 5) throw fault{"expected: object OWNER TYPE NAME STATUS"};
        db_object o;
        o.owner = w[1].text;
        o.type = upper_ascii(w[2].plain);
        if (!known_type(o.type)) throw fault{"unknown object type '" + w[2].plain + "'"};
        o.name = w[3].text;
        const std::string st = lower_ascii(w[4].raw);
        if (st == "valid") o.status = obj_status::valid;
        else if (st == "invalid") o.status = obj_status::invalid;
        else if (st == "n/a") o.status = obj_status::na;
        else throw fault{"unknown status '" + w[4].raw + "' (valid, invalid or n/a)"};
        o.created = o.last_ddl = now_;
        std::size_t i = 5;
        auto is_clause = [&](std::size_t k) {
            if (w[k].quoted) return false;
            const std::string c = lower_ascii(w[k].raw);
            return c == "uses" || c == "error" || c == "raises" || c == "invalidates";
        };
        while (i < w.size()) {
            const std::string c = lower_ascii(w[i].raw);
            if (w[i].quoted || !is_clause(i)) throw fault{"unexpected '" + w[i].raw + "'"};
            ++i;
            if (c == "uses") {
                if (i >= w.size() || is_clause(i)) throw fault{"uses without an object name"};
                while (i < w.size() && !is_clause(i)) o.uses.push_back(split_name(w[i++], o.owner));
            } else if (c == "error") {
                if (i >= w.size()) throw fault{"error without its text"};
                o.source_errors.push_back(w[i++].plain);
            } else if (c == "raises") {
                if (i + 1 >= w.size()) throw fault{"expected: raises CODE \"text\""};
                char* endp = nullptr;
                const long code = std::strtol(w[i].raw.c_str(), &endp, 10);
                if (*endp || code <= 0 || code > 99999) throw fault{"bad error code '" + w[i].raw + "'"};
                o.raises = true;
                o.raise_code = static_cast<int>(code);
                o.raise_text = w[i + 1].plain;
                i += 2;
            } else {
                o.invalidates = true;
            }
        }
        for (const std::string& e : o.source_errors) {
            const bool warning = e.rfind("PLW-", 0) == 0;
            if (o.status == obj_status::valid && !warning) continue;
            error_row r;
            r.line = static_cast<int>(o.errors.size()) + 1;
            r.text = e;
            r.warning = warning;
            const std::size_t dash = e.find('-');
            if (dash != std::string::npos) r.message_number = std::atoi(e.c_str() + dash + 1);
            o.errors.push_back(std::move(r));
        }
        const std::string what = o.owner + "." + o.name;
        if (!cat_.add_object(std::move(o))) throw fault{"object " + what + " is defined twice"};
    }

    // The part of a line after its first three words, tokenized as SQL.
    static std::vector<token> rest_tokens(const std::vector<word>& w, const std::string& text) {
        std::vector<token> t = tokenize(std::string_view(text).substr(w[2].end));
        if (!t.empty() && t.back().kind == tok::bad) throw fault{"invalid character or unterminated quote"};
        return t;
    }

    static unsigned short size_arg(const std::vector<token>& t, std::size_t& i, bool required) {
        if (!t[i].is_op("(")) {
            if (required) throw fault{"a length is required"};
            return 0;
        }
        ++i;
        if (t[i].kind != tok::number) throw fault{"expected a length"};
        const int n = std::atoi(t[i].text.c_str());
        ++i;
        if (t[i].is_op(",")) {
            ++i;
            if (t[i].kind != tok::number) throw fault{"expected a scale"};
            ++i;
        }
        if (!t[i].is_op(")")) throw fault{"expected )"};
        ++i;
        if (n < 1 || n > 32767) throw fault{"length out of range"};
        return static_cast<unsigned short>(n);
    }

    void table(const std::vector<word>& w, const std::string& text) {
        if (w.size() < 4) throw fault{"expected: table OWNER NAME (COLUMN TYPE, ...)"};
        table_data td;
        td.owner = w[1].text;
        td.name = w[2].text;
        const std::vector<token> t = rest_tokens(w, text);
        std::size_t i = 0;
        if (!t[i].is_op("(")) throw fault{"expected ( after the table name"};
        ++i;
        for (;;) {
            if (t[i].kind != tok::ident && t[i].kind != tok::quoted_ident) throw fault{"expected a column name"};
            table_column c;
            c.name = t[i++].text;
            if (t[i].kind != tok::ident) throw fault{"expected the type of " + c.name};
            const std::string ty = t[i++].text;
            if (ty == "NUMBER") {
                size_arg(t, i, false);
                c.type = 2, c.size = 22;
            } else if (ty == "VARCHAR2") {
                c.type = 1, c.size = size_arg(t, i, true);
                if (c.size > 4000) throw fault{"VARCHAR2 longer than 4000"};
            } else if (ty == "CHAR") {
                c.type = 96, c.size = size_arg(t, i, false);
                if (c.size == 0) c.size = 1;
                if (c.size > 2000) throw fault{"CHAR longer than 2000"};
            } else if (ty == "DATE") c.type = 12, c.size = 7;
            else if (ty == "CLOB") c.type = 112, c.size = 4000;
            else if (ty == "BLOB") c.type = 113, c.size = 4000;
            else if (ty == "LONG") c.type = 8, c.size = 0;
            else throw fault{"unknown column type " + ty};
            for (const auto& other : td.columns)
                if (other.name == c.name) throw fault{"column " + c.name + " is declared twice"};
            td.columns.push_back(std::move(c));
            if (t[i].is_op(",")) {
                ++i;
                continue;
            }
            if (!t[i].is_op(")")) throw fault{"expected , or ) in the column list"};
            ++i;
            break;
        }
        if (t[i].kind != tok::end) throw fault{"unexpected text after the column list"};
        db_object o;
        o.owner = td.owner;
        o.type = "TABLE";
        o.name = td.name;
        o.created = o.last_ddl = now_;
        const std::string what = td.owner + "." + td.name;
        if (!cat_.add_table(std::move(td)) || !cat_.add_object(std::move(o))) throw fault{"table " + what + " is defined twice"};
    }

    void row(const std::vector<word>& w, const std::string& text) {
        if (w.size() < 4) throw fault{"expected: row OWNER NAME (value, ...)"};
        table_data* found = cat_.find_table(w[1].text, w[2].text);
        if (!found) throw fault{"no table " + w[1].text + "." + w[2].text};
        table_data& td = *found;
        const std::vector<token> t = rest_tokens(w, text);
        std::size_t i = 0;
        if (!t[i].is_op("(")) throw fault{"expected ( after the table name"};
        ++i;
        std::vector<value> vals;
        for (;;) {
            value v;
            if (t[i].is("NULL")) {
                ++i;
            } else if (t[i].kind == tok::number || (t[i].is_op("-") && t[i + 1].kind == tok::number)) {
                const bool neg = t[i].is_op("-");
                if (neg) ++i;
                v = value::make_number((neg ? -1 : 1) * std::strtod(t[i++].text.c_str(), nullptr));
            } else if (t[i].kind == tok::string) {
                v = t[i].text.empty() ? value::make_null() : value::make_text(t[i].text);
                ++i;
            } else if (t[i].is("DATE") && t[i + 1].kind == tok::string) {
                date_value d;
                if (!parse_date_literal(t[i + 1].text, d)) throw fault{"bad date '" + t[i + 1].text + "'"};
                v = value::make_date(d);
                i += 2;
            } else {
                throw fault{"expected a literal: a number, 'text', NULL or DATE 'YYYY-MM-DD'"};
            }
            vals.push_back(std::move(v));
            if (t[i].is_op(",")) {
                ++i;
                continue;
            }
            if (!t[i].is_op(")")) throw fault{"expected , or ) in the value list"};
            ++i;
            break;
        }
        if (t[i].kind != tok::end) throw fault{"unexpected text after the value list"};
        if (vals.size() != td.columns.size())
            throw fault{"the row has " + std::to_string(vals.size()) + " values for " + std::to_string(td.columns.size()) +
                        " columns"};
        for (std::size_t k = 0; k < vals.size(); ++k) {
            value& v = vals[k];
            const table_column& c = td.columns[k];
            if (v.is_null()) continue;
            const bool textual = c.type == 1 || c.type == 96 || c.type == 112 || c.type == 113 || c.type == 8;
            if ((c.type == 2 && v.kind != value::number) || (c.type == 12 && v.kind != value::date) ||
                (textual && v.kind != value::text))
                throw fault{"value " + std::to_string(k + 1) + " does not suit column " + c.name};
            if ((c.type == 1 || c.type == 96) && v.str.size() > c.size)
                throw fault{"value too long for column " + c.name};
            if (c.type == 96) v.str.resize(c.size, ' '); // CHAR is blank-padded
        }
        td.rows.push_back(std::move(vals));
    }
};

} // namespace

bool catalog::load(std::string_view text, std::string_view source, std::string& error) {
    reader r(*this);
    reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    int line_no = 0;
    while (start <= text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++line_no;
        try {
            r.line(line);
        } catch (const fault& f) {
            error = std::string(source) + ", line " + std::to_string(line_no) + ": " + f.message;
            return false;
        }
        start = nl + 1;
    }
    link();
    return true;
}

} // namespace orasim
