#include "values.h"

#include "errors.h"
#include "lexer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orasim {

std::string ora_message(int code, std::string_view text) {
    char head[32];
    std::snprintf(head, sizeof head, "ORA-%05d: ", code < 0 ? -code : code);
    return std::string(head) + std::string(text);
}

void raise_ora(int code, std::string_view text) { throw db_error{code, ora_message(code, text), {}, no_pos}; }

std::string number_text(double n) {
    if (n == 0) return "0";
    if (std::nearbyint(n) == n && std::fabs(n) < 1e21) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.0f", n);
        return buf;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", n);
    std::string s = buf;
    const std::size_t e = s.find('e');
    if (e != std::string::npos) {
        // 1.5e+25 -> 1.5E+25, as Oracle writes numbers too long for the fixed form
        std::string mant = s.substr(0, e);
        int exp = std::atoi(s.c_str() + e + 1);
        char eb[16];
        std::snprintf(eb, sizeof eb, "E%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
        return mant + eb;
    }
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    return s;
}

bool try_text_number(std::string_view s, double& out) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    if (b == e) return false;
    std::string t(s.substr(b, e - b));
    // only plain decimal notation: sign, digits, one point, an exponent
    std::size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    bool digits = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        bool ed = false;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ed = true;
        if (!ed) return false;
    }
    if (i != t.size()) return false;
    out = std::strtod(t.c_str(), nullptr);
    return true;
}

double text_number(std::string_view s) {
    double d = 0;
    if (!try_text_number(s, d)) raise_ora(1722, "invalid number");
    return d;
}

namespace {

bool read_int(std::string_view s, std::size_t& i, int digits, int& out) {
    out = 0;
    for (int k = 0; k < digits; ++k, ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

int days_in_month(int y, int m) {
    static constexpr int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return d[m - 1];
}

constexpr const char* months[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                  "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

} // namespace

bool parse_date_literal(std::string_view s, date_value& d) {
    std::size_t i = 0;
    date_value r;
    if (!read_int(s, i, 4, r.year) || i >= s.size() || s[i++] != '-' || !read_int(s, i, 2, r.month) ||
        i >= s.size() || s[i++] != '-' || !read_int(s, i, 2, r.day))
        return false;
    if (i < s.size()) {
        if (s[i++] != ' ' || !read_int(s, i, 2, r.hour) || i >= s.size() || s[i++] != ':' ||
            !read_int(s, i, 2, r.minute) || i >= s.size() || s[i++] != ':' || !read_int(s, i, 2, r.second) ||
            i != s.size())
            return false;
    }
    if (r.year < 1 || r.month < 1 || r.month > 12 || r.day < 1 || r.day > days_in_month(r.year, r.month) ||
        r.hour > 23 || r.minute > 59 || r.second > 59)
        return false;
    d = r;
    return true;
}

std::string date_text(const date_value& d, std::string_view format) {
    const std::string f = upper_ascii(format);
    std::string out;
    char buf[16];
    auto num = [&](int v, int width) {
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        out += buf;
    };
    std::size_t i = 0;
    while (i < f.size()) {
        auto at = [&](std::string_view w) { return f.compare(i, w.size(), w) == 0; };
        if (at("YYYY")) num(d.year, 4), i += 4;
        else if (at("RR") || at("YY")) num(d.year % 100, 2), i += 2;
        else if (at("MONTH")) out += months[d.month - 1], i += 5;
        else if (at("MON")) out += std::string(months[d.month - 1]).substr(0, 3), i += 3;
        else if (at("MM")) num(d.month, 2), i += 2;
        else if (at("MI")) num(d.minute, 2), i += 2;
        else if (at("DD")) num(d.day, 2), i += 2;
        else if (at("HH24")) num(d.hour, 2), i += 4;
        else if (at("HH12") || at("HH")) num(d.hour % 12 == 0 ? 12 : d.hour % 12, 2), i += at("HH12") ? 4 : 2;
        else if (at("SS")) num(d.second, 2), i += 2;
        else if (at("AM") || at("PM")) out += d.hour < 12 ? "AM" : "PM", i += 2;
        else if (f[i] == '"') {
            const std::size_t close = format.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? format.size() : close;
            out += std::string(format.substr(i + 1, stop - i - 1));
            i = stop + 1;
        } else if (std::string_view(" -/,.:;").find(f[i]) != std::string_view::npos) out += f[i++];
        else raise_ora(1821, "date format not recognized");
    }
    return out;
}

date_value now_date() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return date_value{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string as_text(const value& v) {
    switch (v.kind) {
    case value::null: return "";
    case value::number: return number_text(v.num);
    case value::text: return v.str;
    case value::date: return date_text(v.dt);
    }
    return "";
}

double as_number(const value& v) {
    switch (v.kind) {
    case value::number: return v.num;
    case value::text: return text_number(v.str);
    case value::date: raise_ora(932, "inconsistent datatypes: expected NUMBER got DATE");
    case value::null: break;
    }
    return 0;
}

namespace {
long long date_key(const date_value& d) {
    return ((((static_cast<long long>(d.year) * 13 + d.month) * 32 + d.day) * 24 + d.hour) * 60 + d.minute) * 60 +
           d.second;
}
} // namespace

std::optional<int> compare_values(const value& a, const value& b) {
    if (a.is_null() || b.is_null()) return std::nullopt;
    if (a.kind == value::date || b.kind == value::date) {
        if (a.kind != b.kind) raise_ora(932, "inconsistent datatypes: expected DATE got CHAR");
        const long long x = date_key(a.dt), y = date_key(b.dt);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.kind == value::number || b.kind == value::number) {
        const double x = as_number(a), y = as_number(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const int c = a.str.compare(b.str);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool like_match(std::string_view t, std::string_view p, char escape) {
    // iterative matcher with backtracking over the last %
    std::size_t ti = 0, pi = 0, star_p = std::string_view::npos, star_t = 0;
    while (ti < t.size()) {
        if (pi < p.size() && escape && p[pi] == escape && pi + 1 < p.size()) {
            if (p[pi + 1] == t[ti]) {
                pi += 2;
                ++ti;
                continue;
            }
        } else if (pi < p.size() && p[pi] == '%') {
            star_p = pi++;
            star_t = ti;
            continue;
        } else if (pi < p.size() && (p[pi] == '_' || p[pi] == t[ti])) {
            if (p[pi] == '_') {
                // one character, which may be several bytes of UTF-8
                ++ti;
                while (ti < t.size() && (static_cast<unsigned char>(t[ti]) & 0xC0) == 0x80) ++ti;
            } else {
                ++ti;
            }
            ++pi;
            continue;
        }
        if (star_p == std::string_view::npos) return false;
        pi = star_p + 1;
        ti = ++star_t;
    }
    while (pi < p.size() && p[pi] == '%') ++pi;
    return pi == p.size();
}

std::optional<bool> truth(const value& v) {
    if (v.is_null()) return std::nullopt;
    if (v.kind == value::number) return v.num != 0;
    return !v.str.empty();
}

} // namespace orasim
