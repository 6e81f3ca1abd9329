#include "eval.h"

#include "errors.h"
#include "lexer.h"
#include "values.h"

#include <cmath>
#include <unordered_map>

namespace orasim {
namespace {

value text_or_null(std::string s) { return s.empty() ? value::make_null() : value::make_text(std::move(s)); }

// Byte offsets of the characters of a UTF-8 text, with the end as the last entry.
std::vector<std::size_t> char_starts(const std::string& s) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) out.push_back(i);
    out.push_back(s.size());
    return out;
}

double round_to(double n, int digits, bool truncate) {
    const double f = std::pow(10.0, digits);
    const double x = n * f;
    const double r = truncate ? std::trunc(x) : (x < 0 ? -std::floor(-x + 0.5) : std::floor(x + 0.5));
    return r / f;
}

value call_function(const expr& e, eval_env& env) {
    const std::string& f = e.parts.back();
    const auto& a = e.args;
    auto arg = [&](std::size_t i) { return eval(*a[i], env); };

    if (const function_info* info = find_function(f); info && info->aggregate) {
        if (!env.aggregates) raise_ora(934, "group function is not allowed here");
        auto it = env.aggregates->find(&e);
        return it == env.aggregates->end() ? value::make_null() : it->second;
    }
    if (f == "DECODE") {
        const value subject = arg(0);
        std::size_t i = 1;
        for (; i + 1 < a.size(); i += 2) {
            const value probe = arg(i);
            const bool same = (subject.is_null() && probe.is_null()) || compare_values(subject, probe) == 0;
            if (same) return arg(i + 1);
        }
        return i < a.size() ? arg(i) : value::make_null();
    }
    if (f == "NVL") {
        value v = arg(0);
        return v.is_null() ? arg(1) : v;
    }
    if (f == "NVL2") return arg(0).is_null() ? arg(2) : arg(1);
    if (f == "COALESCE") {
        for (std::size_t i = 0; i < a.size(); ++i) {
            value v = arg(i);
            if (!v.is_null()) return v;
        }
        return value::make_null();
    }
    // The rest return NULL for a NULL first argument.
    const value x = arg(0);
    if (x.is_null()) return value::make_null();
    if (f == "LOWER") return text_or_null(lower_ascii(as_text(x)));
    if (f == "UPPER") return text_or_null(upper_ascii(as_text(x)));
    if (f == "TO_CHAR") {
        if (x.kind == value::date) return text_or_null(date_text(x.dt, a.size() > 1 ? as_text(arg(1)) : "DD-MON-RR"));
        if (a.size() > 1) {
            const std::string fmt = upper_ascii(as_text(arg(1)));
            if (fmt != "TM" && fmt != "TM9") raise_ora(1481, "invalid number format model");
        }
        if (x.kind == value::number) return value::make_text(number_text(x.num));
        return x;
    }
    if (f == "TO_NUMBER") return value::make_number(as_number(x));
    if (f == "LENGTH") return value::make_number(static_cast<double>(char_starts(as_text(x)).size() - 1));
    if (f == "SUBSTR") {
        const std::string s = as_text(x);
        const std::vector<std::size_t> cs = char_starts(s);
        const long n = static_cast<long>(cs.size()) - 1;
        const value pv = arg(1);
        if (pv.is_null()) return value::make_null();
        long p = static_cast<long>(std::trunc(as_number(pv)));
        if (p == 0) p = 1;
        if (p < 0) p = n + p + 1;
        if (p < 1 || p > n) return value::make_null();
        long len = n - p + 1;
        if (a.size() > 2) {
            const value lv = arg(2);
            if (lv.is_null()) return value::make_null();
            len = static_cast<long>(std::trunc(as_number(lv)));
            if (len < 1) return value::make_null();
        }
        const long last = std::min(n, p - 1 + len);
        return text_or_null(s.substr(cs[static_cast<std::size_t>(p - 1)], cs[static_cast<std::size_t>(last)] - cs[static_cast<std::size_t>(p - 1)]));
    }
    if (f == "INSTR") {
        const std::string s = as_text(x);
        const value sub = arg(1);
        if (sub.is_null()) return value::make_null();
        const std::size_t at = s.find(as_text(sub));
        if (at == std::string::npos) return value::make_number(0);
        const std::vector<std::size_t> cs = char_starts(s.substr(0, at));
        return value::make_number(static_cast<double>(cs.size()));
    }
    if (f == "TRIM" || f == "LTRIM" || f == "RTRIM") {
        std::string s = as_text(x);
        std::size_t b = 0, end = s.size();
        if (f != "RTRIM")
            while (b < end && s[b] == ' ') ++b;
        if (f != "LTRIM")
            while (end > b && s[end - 1] == ' ') --end;
        return text_or_null(s.substr(b, end - b));
    }
    if (f == "REPLACE") {
        std::string s = as_text(x);
        const value from = arg(1);
        const std::string to = a.size() > 2 ? as_text(arg(2)) : "";
        if (from.is_null()) return x;
        const std::string pat = as_text(from);
        std::string out;
        for (std::size_t i = 0;;) {
            const std::size_t at = s.find(pat, i);
            if (at == std::string::npos) {
                out += s.substr(i);
                break;
            }
            out += s.substr(i, at - i) + to;
            i = at + pat.size();
        }
        return text_or_null(std::move(out));
    }
    if (f == "LPAD" || f == "RPAD") {
        const std::string s = as_text(x);
        const value nv = arg(1);
        if (nv.is_null()) return value::make_null();
        const long n = static_cast<long>(std::trunc(as_number(nv)));
        const std::string pad = a.size() > 2 ? as_text(arg(2)) : " ";
        if (n < 1 || pad.empty()) return value::make_null();
        const std::vector<std::size_t> cs = char_starts(s);
        const long have = static_cast<long>(cs.size()) - 1;
        if (have >= n) return text_or_null(s.substr(0, cs[static_cast<std::size_t>(n)]));
        // repeat the pad character by character until the text is n characters long
        const std::vector<std::size_t> ps = char_starts(pad);
        const std::size_t pad_chars = ps.size() - 1;
        std::string fill;
        for (long k = 0; k < n - have; ++k) {
            const std::size_t c = static_cast<std::size_t>(k) % pad_chars;
            fill.append(pad, ps[c], ps[c + 1] - ps[c]);
        }
        return value::make_text(f == "LPAD" ? fill + s : s + fill);
    }
    if (f == "ABS") return value::make_number(std::fabs(as_number(x)));
    if (f == "MOD") {
        const value y = arg(1);
        if (y.is_null()) return value::make_null();
        const double m = as_number(y), n = as_number(x);
        return value::make_number(m == 0 ? n : n - m * std::trunc(n / m));
    }
    if (f == "ROUND" || f == "TRUNC") {
        if (x.kind == value::date) {
            if (a.size() > 1 || f == "ROUND") raise_ora(932, "inconsistent datatypes: expected NUMBER got DATE");
            date_value d = x.dt;
            d.hour = d.minute = d.second = 0;
            return value::make_date(d);
        }
        int digits = 0;
        if (a.size() > 1) {
            const value dv = arg(1);
            if (dv.is_null()) return value::make_null();
            digits = static_cast<int>(std::trunc(as_number(dv)));
        }
        return value::make_number(round_to(as_number(x), digits, f == "TRUNC"));
    }
    raise_ora(904, "\"" + f + "\": invalid identifier");
}

} // namespace

const function_info* find_function(const std::string& name) {
    static const std::unordered_map<std::string, function_info> table = {
        {"DECODE", {3, 255, false, true}}, {"NVL", {2, 2, false, false}},      {"NVL2", {3, 3, false, true}},
        {"COALESCE", {1, 255, false, false}}, {"LOWER", {1, 1, false, false}}, {"UPPER", {1, 1, false, false}},
        {"TO_CHAR", {1, 2, false, false}}, {"TO_NUMBER", {1, 1, false, false}}, {"LENGTH", {1, 1, false, false}},
        {"SUBSTR", {2, 3, false, false}},  {"INSTR", {2, 2, false, false}},    {"TRIM", {1, 1, false, false}},
        {"LTRIM", {1, 1, false, false}},   {"RTRIM", {1, 1, false, false}},    {"REPLACE", {2, 3, false, false}},
        {"LPAD", {2, 3, false, false}},    {"RPAD", {2, 3, false, false}},     {"ABS", {1, 1, false, false}},
        {"MOD", {2, 2, false, false}},     {"ROUND", {1, 2, false, false}},    {"TRUNC", {1, 2, false, false}},
        {"COUNT", {1, 1, true, true}},     {"MIN", {1, 1, true, true}},        {"MAX", {1, 1, true, true}},
        {"SUM", {1, 1, true, true}},       {"AVG", {1, 1, true, true}},
    };
    auto it = table.find(name);
    return it == table.end() ? nullptr : &it->second;
}

value bind_value(const std::string& name, bind_map* binds) {
    if (binds) {
        auto it = binds->find(name);
        if (it != binds->end()) return it->second;
    }
    raise_ora(1008, "not all variables bound");
}

value eval(const expr& e, eval_env& env) {
    switch (e.kind) {
    case ek::literal: return e.lit;
    case ek::name:
        switch (e.r) {
        case ref::column: return (*env.row)[static_cast<std::size_t>(e.slot)];
        case ref::level: return value::make_number(env.level);
        case ref::rownum: return value::make_number(env.rownum);
        case ref::sysdate: return value::make_date(now_date());
        case ref::user: return value::make_text(env.who ? env.who->user : "");
        case ref::outer:
        case ref::unresolved:
            if (env.outer) return env.outer->get(e);
            raise_ora(904, "\"" + e.parts.back() + "\": invalid identifier");
        }
        return value::make_null();
    case ek::bind: return bind_value(e.parts[0], env.binds);
    case ek::neg: {
        const value v = eval(*e.args[0], env);
        return v.is_null() ? v : value::make_number(-as_number(v));
    }
    case ek::arith: {
        const value a = eval(*e.args[0], env);
        const value b = eval(*e.args[1], env);
        if (a.is_null() || b.is_null()) return value::make_null();
        const double x = as_number(a), y = as_number(b);
        if (e.op == "+") return value::make_number(x + y);
        if (e.op == "-") return value::make_number(x - y);
        if (e.op == "*") return value::make_number(x * y);
        if (y == 0) raise_ora(1476, "divisor is equal to zero");
        return value::make_number(x / y);
    }
    case ek::concat: return text_or_null(as_text(eval(*e.args[0], env)) + as_text(eval(*e.args[1], env)));
    case ek::compare: {
        const auto c = compare_values(eval(*e.args[0], env), eval(*e.args[1], env));
        if (!c) return value::make_null();
        const std::string& op = e.op;
        const bool r = op == "=" ? *c == 0 : op == "!=" ? *c != 0 : op == "<" ? *c < 0 : op == ">" ? *c > 0 : op == "<=" ? *c <= 0 : *c >= 0;
        return bool_value(r);
    }
    case ek::and_: {
        const auto a = truth(eval(*e.args[0], env));
        if (a && !*a) return bool_value(false);
        const auto b = truth(eval(*e.args[1], env));
        if (b && !*b) return bool_value(false);
        if (!a || !b) return value::make_null();
        return bool_value(true);
    }
    case ek::or_: {
        const auto a = truth(eval(*e.args[0], env));
        if (a && *a) return bool_value(true);
        const auto b = truth(eval(*e.args[1], env));
        if (b && *b) return bool_value(true);
        if (!a || !b) return value::make_null();
        return bool_value(false);
    }
    case ek::not_: {
        const auto a = truth(eval(*e.args[0], env));
        return a ? bool_value(!*a) : value::make_null();
    }
    case ek::is_null: return bool_value(eval(*e.args[0], env).is_null() != e.negated);
    case ek::like: {
        const value t = eval(*e.args[0], env);
        const value p = eval(*e.args[1], env);
        char esc = 0;
        if (e.args.size() > 2) {
            const std::string es = as_text(eval(*e.args[2], env));
            if (es.size() != 1) raise_ora(1425, "escape character must be character string of length 1");
            esc = es[0];
        }
        if (t.is_null() || p.is_null()) return value::make_null();
        return bool_value(like_match(as_text(t), as_text(p), esc) != e.negated);
    }
    case ek::in_list: {
        const value x = eval(*e.args[0], env);
        bool unknown = x.is_null();
        bool found = false;
        for (std::size_t i = 1; i < e.args.size() && !found; ++i) {
            const auto c = compare_values(x, eval(*e.args[i], env));
            if (!c) unknown = true;
            else if (*c == 0) found = true;
        }
        if (found) return bool_value(!e.negated);
        if (unknown) return value::make_null();
        return bool_value(e.negated);
    }
    case ek::between: {
        const value x = eval(*e.args[0], env);
        const auto lo = compare_values(x, eval(*e.args[1], env));
        const auto hi = compare_values(x, eval(*e.args[2], env));
        std::optional<bool> r;
        if (lo && *lo < 0) r = false;
        else if (hi && *hi > 0) r = false;
        else if (lo && hi) r = true;
        if (!r) return value::make_null();
        return bool_value(*r != e.negated);
    }
    case ek::call: return call_function(e, env);
    case ek::count_star: {
        if (!env.aggregates) raise_ora(934, "group function is not allowed here");
        auto it = env.aggregates->find(&e);
        return it == env.aggregates->end() ? value::make_number(0) : it->second;
    }
    }
    return value::make_null();
}

} // namespace orasim
