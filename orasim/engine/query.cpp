#include "query.h"

#include "errors.h"
#include "values.h"

#include <algorithm>
#include <functional>
#include <map>

namespace orasim {
namespace {

[[noreturn]] void fail_at(int code, const std::string& text, std::size_t pos) {
    throw db_error{code, ora_message(code, text), {}, pos};
}

std::string quoted_name(const std::vector<std::string>& parts) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? ".\"" : "\"") + parts[i] + "\"";
    return s;
}

const std::vector<table_column>& object_columns() {
    static const std::vector<table_column> c = {
        {"OWNER", 1, 128},  {"OBJECT_NAME", 1, 128}, {"OBJECT_TYPE", 1, 23}, {"STATUS", 1, 7},
        {"OBJECT_ID", 2, 22}, {"CREATED", 12, 7},    {"LAST_DDL_TIME", 12, 7}};
    return c;
}
const std::vector<table_column>& error_columns() {
    static const std::vector<table_column> c = {
        {"OWNER", 1, 128},   {"NAME", 1, 128},   {"TYPE", 1, 12},       {"SEQUENCE", 2, 22},         {"LINE", 2, 22},
        {"POSITION", 2, 22}, {"TEXT", 1, 4000}, {"ATTRIBUTE", 1, 9}, {"MESSAGE_NUMBER", 2, 22}};
    return c;
}

row_source find_source(const table_ref& t, catalog& cat, const identity& who) {
    row_source s;
    const std::string& name = t.parts.back();
    const bool sys = t.parts.size() == 2 && t.parts[0] == "SYS";
    if ((t.parts.size() == 1 || sys) && (name == "DUAL" || name == "DBA_OBJECTS" || name == "DBA_ERRORS")) {
        s.name = name;
        s.owner = "SYS";
        if (name == "DUAL") {
            s.kind = source_kind::dual;
            s.columns = {{"DUMMY", 1, 1}};
            return s;
        }
        if (!who.read_dictionary) fail_at(942, "table or view does not exist", t.pos);
        s.kind = name == "DBA_OBJECTS" ? source_kind::objects : source_kind::errors;
        s.columns = name == "DBA_OBJECTS" ? object_columns() : error_columns();
        return s;
    }
    const std::string owner = t.parts.size() == 2 ? t.parts[0] : who.user;
    const table_data* td = cat.find_table(owner, name);
    if (!td || !(who.dba || owner == who.user)) fail_at(942, "table or view does not exist", t.pos);
    s.kind = source_kind::table;
    s.name = name;
    s.owner = owner;
    s.columns = td->columns;
    s.table = td;
    return s;
}

class resolver {
public:
    resolver(const row_source& s, const select_stmt& q, outer_scope* o) : src_(s), q_(q), outer_(o) {}

    void resolve(expr& e, bool in_aggregate, bool aggregates_allowed) {
        switch (e.kind) {
        case ek::name: name(e); return;
        case ek::count_star:
            if (!aggregates_allowed) fail_at(934, "group function is not allowed here", e.pos);
            if (in_aggregate) fail_at(935, "group function is nested too deeply", e.pos);
            return;
        case ek::call: {
            const function_info* f = e.parts.size() == 1 ? find_function(e.parts[0]) : nullptr;
            if (!f) fail_at(904, quoted_name(e.parts) + ": invalid identifier", e.pos);
            const int n = static_cast<int>(e.args.size());
            if (n < f->min_args || n > f->max_args) fail_at(909, "invalid number of arguments", e.pos);
            if (f->aggregate) {
                if (!aggregates_allowed) fail_at(934, "group function is not allowed here", e.pos);
                if (in_aggregate) fail_at(935, "group function is nested too deeply", e.pos);
            }
            for (auto& a : e.args) resolve(*a, in_aggregate || f->aggregate, aggregates_allowed);
            return;
        }
        default:
            for (auto& a : e.args) resolve(*a, in_aggregate, aggregates_allowed);
        }
    }

    int column(const std::string& n) const {
        for (std::size_t i = 0; i < src_.columns.size(); ++i)
            if (src_.columns[i].name == n) return static_cast<int>(i);
        return -1;
    }

private:
    const row_source& src_;
    const select_stmt& q_;
    outer_scope* outer_;

    bool qualifier_matches(const std::string& q) const {
        return q_.from.alias.empty() ? q == src_.name : q == q_.from.alias;
    }

    void name(expr& e) {
        const auto& p = e.parts;
        int slot = -1;
        bool qualified_here = false;
        if (p.size() == 1) {
            slot = column(p[0]);
        } else if (p.size() == 2 && qualifier_matches(p[0])) {
            qualified_here = true;
            slot = column(p[1]);
        } else if (p.size() == 3 && q_.from.alias.empty() && p[0] == src_.owner && p[1] == src_.name) {
            qualified_here = true;
            slot = column(p[2]);
        }
        if (slot >= 0) {
            e.r = ref::column;
            e.slot = slot;
            return;
        }
        if (!qualified_here && p.size() == 1) {
            if (p[0] == "LEVEL") {
                if (!q_.connect_by) fail_at(1788, "CONNECT BY clause required in this query block", e.pos);
                e.r = ref::level;
                return;
            }
            if (p[0] == "ROWNUM") {
                e.r = ref::rownum;
                return;
            }
            if (p[0] == "SYSDATE") {
                e.r = ref::sysdate;
                return;
            }
            if (p[0] == "USER") {
                e.r = ref::user;
                return;
            }
        }
        if (!qualified_here && outer_ && outer_->knows(e)) {
            e.r = ref::outer;
            return;
        }
        fail_at(904, quoted_name(p) + ": invalid identifier", e.pos);
    }
};

bool row_free(const expr& e) {
    if (e.kind == ek::name && (e.r == ref::column || e.r == ref::level || e.r == ref::rownum)) return false;
    if (e.kind == ek::count_star) return false;
    if (e.kind == ek::call) {
        const function_info* f = e.parts.size() == 1 ? find_function(e.parts[0]) : nullptr;
        if (f && f->aggregate) return false;
    }
    for (const auto& a : e.args)
        if (!row_free(*a)) return false;
    return true;
}

// A column reference outside any aggregate makes an aggregate query ambiguous (ORA-00937).
const expr* bare_column(const expr& e) {
    if (e.kind == ek::name && e.r == ref::column) return &e;
    if (e.kind == ek::count_star) return nullptr;
    if (e.kind == ek::call) {
        const function_info* f = e.parts.size() == 1 ? find_function(e.parts[0]) : nullptr;
        if (f && f->aggregate) return nullptr;
    }
    for (const auto& a : e.args)
        if (const expr* c = bare_column(*a)) return c;
    return nullptr;
}

void collect_aggregates(const expr& e, std::vector<const expr*>& out) {
    if (e.kind == ek::count_star) {
        out.push_back(&e);
        return;
    }
    if (e.kind == ek::call) {
        const function_info* f = e.parts.size() == 1 ? find_function(e.parts[0]) : nullptr;
        if (f && f->aggregate) {
            out.push_back(&e);
            return;
        }
    }
    for (const auto& a : e.args) collect_aggregates(*a, out);
}

unsigned short text_size(const column_info& c) {
    switch (c.type) {
    case 2: return 40;
    case 12: return 9;
    default: return c.size;
    }
}

column_info infer(const expr& e, const row_source& src) {
    auto text = [](unsigned n) { return column_info{"", 1, static_cast<unsigned short>(std::min(4000u, n))}; };
    const column_info number{"", 2, 22};
    switch (e.kind) {
    case ek::literal:
        switch (e.lit.kind) {
        case value::null: return column_info{"", 1, 0};
        case value::number: return number;
        case value::text: return column_info{"", 96, static_cast<unsigned short>(e.lit.str.size())};
        case value::date: return column_info{"", 12, 7};
        }
        return number;
    case ek::name:
        switch (e.r) {
        case ref::column: {
            const table_column& c = src.columns[static_cast<std::size_t>(e.slot)];
            return column_info{"", c.type, c.size};
        }
        case ref::level:
        case ref::rownum: return number;
        case ref::sysdate: return column_info{"", 12, 7};
        case ref::user: return text(128);
        default: return text(4000);
        }
    case ek::bind: return text(4000);
    case ek::concat: {
        const column_info a = infer(*e.args[0], src), b = infer(*e.args[1], src);
        return text(static_cast<unsigned>(text_size(a)) + text_size(b));
    }
    case ek::count_star: return number;
    case ek::call: {
        const std::string& f = e.parts.back();
        if (f == "DECODE") {
            // results at 2, 4, ...; with an even count the last argument is the default
            const std::size_t n = e.args.size();
            std::vector<std::size_t> results;
            for (std::size_t i = 2; i < n; i += 2) results.push_back(i);
            if (n % 2 == 0) results.push_back(n - 1);
            column_info r{"", 1, 0};
            if (infer(*e.args[results[0]], src).type == 2) return number;
            for (std::size_t i : results) r.size = std::max(r.size, text_size(infer(*e.args[i], src)));
            return r;
        }
        if (f == "NVL" || f == "NVL2" || f == "COALESCE") {
            column_info r = infer(*e.args[f == "NVL2" ? 1 : 0], src);
            if (r.type == 96) r.type = 1;
            for (const auto& a : e.args) r.size = std::max(r.size, infer(*a, src).size);
            return r;
        }
        if (f == "LOWER" || f == "UPPER" || f == "TRIM" || f == "LTRIM" || f == "RTRIM" || f == "SUBSTR") {
            column_info c = infer(*e.args[0], src);
            return text(text_size(c));
        }
        if (f == "TO_CHAR") {
            const column_info c = infer(*e.args[0], src);
            if (c.type == 2) return text(40);
            if (c.type == 12) return text(75);
            return text(c.size);
        }
        if (f == "MIN" || f == "MAX") return infer(*e.args[0], src);
        if (f == "REPLACE" || f == "LPAD" || f == "RPAD") return text(4000);
        return number;
    }
    default: return number;
    }
}

struct sort_row {
    std::vector<value> vals;
    std::vector<value> keys;
};

int sort_compare(const value& a, const value& b, bool desc) {
    if (a.is_null() || b.is_null()) {
        if (a.is_null() && b.is_null()) return 0;
        // NULLs sort last ascending, first descending
        const int r = a.is_null() ? 1 : -1;
        return desc ? -r : r;
    }
    const int c = *compare_values(a, b);
    return desc ? -c : c;
}

void fill_object(const db_object& o, std::vector<value>& r) {
    auto set_text = [](value& v, const std::string& s) {
        v.kind = value::text;
        v.str.assign(s);
    };
    set_text(r[0], o.owner);
    set_text(r[1], o.name);
    set_text(r[2], o.type);
    set_text(r[3], status_text(o.status));
    r[4] = value::make_number(static_cast<double>(o.id));
    r[5] = value::make_date(o.created);
    r[6] = value::make_date(o.last_ddl);
}

void fill_error(const db_object& o, std::size_t seq, std::vector<value>& r) {
    const error_row& e = o.errors[seq];
    r[0] = value::make_text(o.owner);
    r[1] = value::make_text(o.name);
    r[2] = value::make_text(o.type);
    r[3] = value::make_number(static_cast<double>(seq + 1));
    r[4] = value::make_number(e.line);
    r[5] = value::make_number(e.position);
    r[6] = value::make_text(e.text);
    r[7] = value::make_text(e.warning ? "WARNING" : "ERROR");
    r[8] = value::make_number(e.message_number);
}

// Equality predicates of the top-level AND chain that pin a column to a row-independent value.
void pinned(const expr* e, std::map<int, const expr*>& out) {
    if (!e) return;
    if (e->kind == ek::and_) {
        pinned(e->args[0].get(), out);
        pinned(e->args[1].get(), out);
        return;
    }
    if (e->kind != ek::compare || e->op != "=") return;
    for (int side = 0; side < 2; ++side) {
        const expr& col = *e->args[static_cast<std::size_t>(side)];
        const expr& other = *e->args[static_cast<std::size_t>(1 - side)];
        if (col.kind == ek::name && col.r == ref::column && row_free(other)) out.emplace(col.slot, &other);
    }
}

} // namespace

prepared_query prepare_query(select_stmt& sel, catalog& cat, const identity& who, outer_scope* outer) {
    prepared_query q;
    q.sel = &sel;
    q.src = find_source(sel.from, cat, who);
    resolver r(q.src, sel, outer);
    for (auto& it : sel.items) {
        if (it.star) {
            if (!it.star_qualifier.empty() && !(sel.from.alias.empty() ? it.star_qualifier == q.src.name
                                                                           : it.star_qualifier == sel.from.alias))
                fail_at(904, "\"" + it.star_qualifier + "\": invalid identifier", it.pos);
            for (std::size_t c = 0; c < q.src.columns.size(); ++c) {
                q.items.push_back(output_item{nullptr, static_cast<int>(c)});
                const table_column& tc = q.src.columns[c];
                q.columns.push_back(column_info{tc.name, tc.type, tc.size});
            }
            continue;
        }
        r.resolve(*it.e, false, true);
        q.items.push_back(output_item{it.e.get(), -1});
        column_info ci = infer(*it.e, q.src);
        ci.name = it.has_alias ? it.alias : it.e->kind == ek::name ? it.e->parts.back() : it.heading;
        q.columns.push_back(std::move(ci));
    }
    if (sel.where) r.resolve(*sel.where, false, false);
    if (sel.connect_by) {
        if (q.src.kind != source_kind::dual) fail_at(1436, "CONNECT BY loop in user data", sel.connect_by->pos);
        r.resolve(*sel.connect_by, false, false);
    }
    for (auto& it : sel.items)
        if (it.e) collect_aggregates(*it.e, q.aggregates);
    q.aggregate = !q.aggregates.empty();
    if (q.aggregate) {
        for (auto& it : sel.items) {
            if (it.star) fail_at(937, "not a single-group group function", it.pos);
            if (const expr* c = bare_column(*it.e)) fail_at(937, "not a single-group group function", c->pos);
        }
    }
    for (auto& o : sel.order) {
        int item = -1;
        if (o.e->kind == ek::literal && o.e->lit.kind == value::number) {
            const double n = o.e->lit.num;
            if (n < 1 || n > static_cast<double>(q.items.size()) || n != static_cast<long>(n))
                fail_at(1785, "ORDER BY item must be the number of a SELECT-list expression", o.e->pos);
            item = static_cast<int>(n) - 1;
        } else if (o.e->kind == ek::name && o.e->parts.size() == 1) {
            for (std::size_t k = 0; k < sel.items.size(); ++k)
                if (sel.items[k].has_alias && sel.items[k].alias == o.e->parts[0]) {
                    // the position of the aliased item among the expanded items
                    int pos = 0;
                    for (std::size_t j = 0; j < k; ++j) pos += sel.items[j].star ? static_cast<int>(q.src.columns.size()) : 1;
                    item = pos;
                    break;
                }
        }
        if (item < 0) r.resolve(*o.e, false, q.aggregate);
        q.order_item.push_back(item);
    }
    return q;
}

std::vector<std::vector<value>> run_query(const prepared_query& q, catalog& cat, eval_env env) {
    const select_stmt& sel = *q.sel;
    std::vector<value> buf(q.src.columns.size());
    env.row = &buf;
    std::vector<sort_row> out;
    double accepted = 0;

    // aggregate state
    struct acc {
        double count = 0, sum = 0;
        value best;
    };
    std::vector<acc> accs(q.aggregates.size());

    auto take = [&]() {
        env.rownum = accepted + 1;
        if (sel.where && truth(eval(*sel.where, env)) != true) return;
        accepted += 1;
        if (q.aggregate) {
            for (std::size_t i = 0; i < q.aggregates.size(); ++i) {
                const expr& a = *q.aggregates[i];
                acc& s = accs[i];
                if (a.kind == ek::count_star) {
                    s.count += 1;
                    continue;
                }
                const value v = eval(*a.args[0], env);
                if (v.is_null()) continue;
                const std::string& f = a.parts[0];
                s.count += 1;
                if (f == "SUM" || f == "AVG") s.sum += as_number(v);
                else if (f == "MIN" || f == "MAX") {
                    if (s.best.is_null()) s.best = v;
                    else {
                        const int c = *compare_values(v, s.best);
                        if ((f == "MIN" && c < 0) || (f == "MAX" && c > 0)) s.best = v;
                    }
                }
            }
            return;
        }
        sort_row r;
        r.vals.reserve(q.items.size());
        for (const output_item& it : q.items) r.vals.push_back(it.e ? eval(*it.e, env) : buf[static_cast<std::size_t>(it.column)]);
        for (std::size_t k = 0; k < sel.order.size(); ++k) {
            const int item = q.order_item[k];
            r.keys.push_back(item >= 0 ? r.vals[static_cast<std::size_t>(item)] : eval(*sel.order[k].e, env));
        }
        out.push_back(std::move(r));
    };

    switch (q.src.kind) {
    case source_kind::dual: {
        buf[0] = value::make_text("X");
        env.level = 1;
        take();
        if (sel.connect_by) {
            constexpr double cap = 10'000'000;
            for (double level = 2;; ++level) {
                env.level = level;
                if (truth(eval(*sel.connect_by, env)) != true) break;
                if (level > cap) raise_ora(30009, "Not enough memory for CONNECT BY operation");
                take();
            }
        }
        break;
    }
    case source_kind::table:
        for (const auto& row : q.src.table->rows) {
            buf = row;
            take();
        }
        break;
    case source_kind::objects:
    case source_kind::errors: {
        std::map<int, const expr*> pins;
        pinned(sel.where.get(), pins);
        const std::vector<std::size_t>* candidates = nullptr;
        bool none = false;
        if (pins.count(0) && pins.count(1)) {
            const value owner = eval(*pins[0], env), name = eval(*pins[1], env);
            if (owner.is_null() || name.is_null()) none = true;
            else if (owner.kind == value::text && name.kind == value::text) {
                candidates = cat.find_owner_name(owner.str, name.str);
                none = candidates == nullptr;
            }
        }
        if (none) break;
        auto visit = [&](const db_object& o) {
            if (q.src.kind == source_kind::objects) {
                fill_object(o, buf);
                take();
            } else {
                for (std::size_t s = 0; s < o.errors.size(); ++s) {
                    fill_error(o, s, buf);
                    take();
                }
            }
        };
        if (candidates) {
            for (std::size_t i : *candidates) visit(cat.objects[i]);
        } else {
            for (const db_object& o : cat.objects) visit(o);
        }
        break;
    }
    }

    std::vector<std::vector<value>> rows;
    if (q.aggregate) {
        std::map<const expr*, value> results;
        for (std::size_t i = 0; i < q.aggregates.size(); ++i) {
            const expr& a = *q.aggregates[i];
            const acc& s = accs[i];
            value v;
            if (a.kind == ek::count_star || a.parts[0] == "COUNT") v = value::make_number(s.count);
            else if (a.parts[0] == "SUM") v = s.count ? value::make_number(s.sum) : value::make_null();
            else if (a.parts[0] == "AVG") v = s.count ? value::make_number(s.sum / s.count) : value::make_null();
            else v = s.best;
            results.emplace(&a, std::move(v));
        }
        env.aggregates = &results;
        env.row = nullptr;
        std::vector<value> row;
        for (const output_item& it : q.items) row.push_back(eval(*it.e, env));
        rows.push_back(std::move(row));
        return rows;
    }
    if (!sel.order.empty()) {
        std::stable_sort(out.begin(), out.end(), [&](const sort_row& a, const sort_row& b) {
            for (std::size_t k = 0; k < a.keys.size(); ++k) {
                const int c = sort_compare(a.keys[k], b.keys[k], sel.order[k].desc);
                if (c) return c < 0;
            }
            return false;
        });
    }
    rows.reserve(out.size());
    for (auto& r : out) rows.push_back(std::move(r.vals));
    return rows;
}

} // namespace orasim
