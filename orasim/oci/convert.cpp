#include "convert.h"

#include "host.h"
#include "number.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace orasim::oci {

namespace {

bool is_text_type(ub2 dty) {
    return dty == SQLT_STR || dty == SQLT_CHR || dty == SQLT_AFC || dty == SQLT_VCS || dty == SQLT_LNG ||
           dty == SQLT_AVC;
}

std::string number_text(double n) {
    auto d = decimal_from_double(n);
    return d ? text_minimum(*d) : std::string("~");
}

// The value as text in UTF-8, as an implicit conversion to a character type gives it.
std::string as_text(const value& v) {
    switch (v.kind) {
    case value::number:
        return number_text(v.num);
    case value::date:
        return default_date_text(v.dt);
    default:
        return v.str;
    }
}

// Cuts UTF-8 to at most n bytes without splitting a character.
size_t utf8_cut(const std::string& s, size_t n) {
    if (n >= s.size())
        return s.size();
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

write_result write_text(const value& v, const cell& c) {
    write_result r;
    const bool terminated = c.dty == SQLT_STR || c.dty == SQLT_AVC;
    const bool padded = c.dty == SQLT_AFC;
    std::string utf8 = as_text(v);
    auto* out = static_cast<unsigned char*>(c.data);
    const size_t cap = c.size > 0 ? static_cast<size_t>(c.size) : 0;
    if (c.utf16) {
        std::u16string t = utf8_to_utf16(utf8);
        const size_t unit = sizeof(char16_t);
        size_t room_units = (terminated ? (cap >= unit ? cap - unit : 0) : cap) / unit;
        size_t units = t.size();
        r.full_length = static_cast<ub4>(units * unit);
        if (units > room_units) {
            units = room_units;
            if (units > 0 && t[units - 1] >= 0xD800 && t[units - 1] <= 0xDBFF)
                --units; // never half a surrogate pair
            r.truncated = true;
        }
        std::memcpy(out, t.data(), units * unit);
        size_t end = units;
        if (padded) {
            for (; (end + 1) * unit <= cap; ++end) {
                char16_t blank = u' ';
                std::memcpy(out + end * unit, &blank, unit);
            }
        }
        if (terminated && cap >= unit) {
            char16_t nul = 0;
            std::memcpy(out + end * unit, &nul, unit);
        }
        r.length = static_cast<ub4>(end * unit);
        return r;
    }
    std::string t = utf8_to_client(utf8);
    size_t room = terminated ? (cap >= 1 ? cap - 1 : 0) : cap;
    size_t n = t.size();
    r.full_length = static_cast<ub4>(n);
    if (n > room) {
        n = client_is_utf8() ? utf8_cut(t, room) : room;
        r.truncated = true;
    }
    std::memcpy(out, t.data(), n);
    size_t end = n;
    if (padded)
        for (; end < cap; ++end)
            out[end] = ' ';
    if (terminated && cap >= 1)
        out[end] = 0;
    r.length = static_cast<ub4>(end);
    return r;
}

// The value as a number, converting text the way Oracle's implicit conversion does.
int value_number(const value& v, decimal& d) {
    if (v.kind == value::number) {
        auto x = decimal_from_double(v.num);
        if (!x)
            return 1426;
        d = *x;
        return 0;
    }
    if (v.kind == value::text) {
        auto x = decimal_from_text(v.str);
        if (!x)
            return 1722;
        d = *x;
        return 0;
    }
    return 932;
}

bool valid_date(const date_value& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.hour >= 0 && d.hour <= 23 &&
           d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59 && d.year >= -4712 && d.year <= 9999 &&
           d.year != 0;
}

} // namespace

bool define_type_supported(ub2 dty) {
    return is_text_type(dty) || dty == SQLT_VNU || dty == SQLT_INT || dty == SQLT_UIN || dty == SQLT_FLT ||
           dty == SQLT_ODT || dty == SQLT_DAT;
}

bool bind_type_supported(ub2 dty) { return define_type_supported(dty) || dty == SQLT_RSET; }

std::string default_date_text(const date_value& d) {
    static const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    char buf[32];
    int m = d.month >= 1 && d.month <= 12 ? d.month - 1 : 0;
    int yy = ((d.year % 100) + 100) % 100;
    std::snprintf(buf, sizeof buf, "%02d-%s-%02d", d.day, months[m], yy);
    return buf;
}

write_result write_value(const value& v, const cell& c) {
    write_result r;
    if (is_text_type(c.dty))
        return write_text(v, c);
    switch (c.dty) {
    case SQLT_VNU: {
        decimal d;
        if ((r.error = value_number(v, d)) != 0)
            return r;
        if (c.size < static_cast<sb4>(sizeof(OCINumber))) {
            r.error = 1406;
            return r;
        }
        OCINumber n;
        if (encode_number(d, n) != number_status::ok) {
            r.error = 1426;
            return r;
        }
        std::memcpy(c.data, &n, sizeof n);
        r.length = r.full_length = n.OCINumberPart[0] + 1u;
        return r;
    }
    case SQLT_INT:
    case SQLT_UIN: {
        decimal d;
        if ((r.error = value_number(v, d)) != 0)
            return r;
        if (c.size != 1 && c.size != 2 && c.size != 4 && c.size != 8) {
            r.error = 3115;
            return r;
        }
        if (decimal_to_int(d, static_cast<unsigned>(c.size), c.dty == SQLT_INT, c.data) != number_status::ok) {
            r.error = 1455; // converting column overflows integer datatype
            return r;
        }
        r.length = r.full_length = static_cast<ub4>(c.size);
        return r;
    }
    case SQLT_FLT: {
        decimal d;
        if ((r.error = value_number(v, d)) != 0)
            return r;
        double x = decimal_to_double(d);
        if (c.size == 8) {
            std::memcpy(c.data, &x, 8);
        } else if (c.size == 4) {
            float f = static_cast<float>(x);
            std::memcpy(c.data, &f, 4);
        } else {
            r.error = 3115;
            return r;
        }
        r.length = r.full_length = static_cast<ub4>(c.size);
        return r;
    }
    case SQLT_ODT:
    case SQLT_DAT: {
        if (v.kind != value::date) {
            r.error = 932;
            return r;
        }
        const date_value& d = v.dt;
        if (c.dty == SQLT_ODT) {
            if (c.size < static_cast<sb4>(sizeof(OCIDate))) {
                r.error = 1406;
                return r;
            }
            OCIDate od{};
            od.OCIDateYYYY = static_cast<sb2>(d.year);
            od.OCIDateMM = static_cast<ub1>(d.month);
            od.OCIDateDD = static_cast<ub1>(d.day);
            od.OCIDateTime.OCITimeHH = static_cast<ub1>(d.hour);
            od.OCIDateTime.OCITimeMI = static_cast<ub1>(d.minute);
            od.OCIDateTime.OCITimeSS = static_cast<ub1>(d.second);
            std::memcpy(c.data, &od, sizeof od);
            r.length = r.full_length = sizeof od;
        } else {
            if (c.size < 7) {
                r.error = 1406;
                return r;
            }
            ub1 b[7] = {static_cast<ub1>(d.year / 100 + 100), static_cast<ub1>(d.year % 100 + 100),
                        static_cast<ub1>(d.month),          static_cast<ub1>(d.day),
                        static_cast<ub1>(d.hour + 1),       static_cast<ub1>(d.minute + 1),
                        static_cast<ub1>(d.second + 1)};
            std::memcpy(c.data, b, 7);
            r.length = r.full_length = 7;
        }
        return r;
    }
    default:
        r.error = 3115;
        return r;
    }
}

int read_value(const cell& c, ub4 length, value& out) {
    const auto* in = static_cast<const unsigned char*>(c.data);
    ub4 cap = c.size > 0 ? static_cast<ub4>(c.size) : 0;
    ub4 n = length < cap ? length : cap;
    if (is_text_type(c.dty)) {
        const bool terminated = c.dty == SQLT_STR;
        if (c.utf16) {
            size_t units = n / 2;
            std::u16string t(units, u'\0');
            std::memcpy(t.data(), in, units * 2);
            if (size_t nul = t.find(u'\0'); terminated && nul != std::u16string::npos)
                t.resize(nul);
            out = value::make_text(utf16_to_utf8(t));
        } else {
            std::string t(reinterpret_cast<const char*>(in), n);
            if (size_t nul = t.find('\0'); terminated && nul != std::string::npos)
                t.resize(nul);
            out = value::make_text(client_to_utf8(t));
        }
        return 0;
    }
    switch (c.dty) {
    case SQLT_VNU: {
        if (cap < sizeof(OCINumber))
            return 3115;
        OCINumber num;
        std::memcpy(&num, in, sizeof num);
        decimal d;
        if (decode_number(num, d) != number_status::ok)
            return 22060;
        out = value::make_number(decimal_to_double(d));
        return 0;
    }
    case SQLT_INT:
    case SQLT_UIN: {
        long double x = 0;
        bool s = c.dty == SQLT_INT;
        switch (cap) {
        case 1: x = s ? static_cast<long double>(*reinterpret_cast<const std::int8_t*>(in)) : in[0]; break;
        case 2: {
            std::uint16_t u;
            std::memcpy(&u, in, 2);
            x = s ? static_cast<long double>(static_cast<std::int16_t>(u)) : u;
            break;
        }
        case 4: {
            std::uint32_t u;
            std::memcpy(&u, in, 4);
            x = s ? static_cast<long double>(static_cast<std::int32_t>(u)) : u;
            break;
        }
        case 8: {
            std::uint64_t u;
            std::memcpy(&u, in, 8);
            x = s ? static_cast<long double>(static_cast<std::int64_t>(u)) : static_cast<long double>(u);
            break;
        }
        default:
            return 3115;
        }
        out = value::make_number(static_cast<double>(x));
        return 0;
    }
    case SQLT_FLT: {
        if (cap == 8) {
            double x;
            std::memcpy(&x, in, 8);
            out = value::make_number(x);
        } else if (cap == 4) {
            float f;
            std::memcpy(&f, in, 4);
            out = value::make_number(f);
        } else {
            return 3115;
        }
        if (!std::isfinite(out.num))
            return 1426;
        return 0;
    }
    case SQLT_ODT:
    case SQLT_DAT: {
        date_value d;
        if (c.dty == SQLT_ODT) {
            if (cap < sizeof(OCIDate))
                return 3115;
            OCIDate od;
            std::memcpy(&od, in, sizeof od);
            d = {od.OCIDateYYYY,         od.OCIDateMM,          od.OCIDateDD,
                 od.OCIDateTime.OCITimeHH, od.OCIDateTime.OCITimeMI, od.OCIDateTime.OCITimeSS};
        } else {
            if (cap < 7)
                return 3115;
            d = {(in[0] - 100) * 100 + (in[1] - 100), in[2], in[3], in[4] - 1, in[5] - 1, in[6] - 1};
        }
        if (!valid_date(d))
            return 1843;
        out = value::make_date(d);
        return 0;
    }
    default:
        return 3115;
    }
}

} // namespace orasim::oci
