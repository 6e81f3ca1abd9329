#include "number.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace orasim::oci {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void normalise(decimal& d) {
    size_t lead = 0;
    while (lead < d.digits.size() && d.digits[lead] == '0')
        ++lead;
    d.digits.erase(0, lead);
    d.exp10 -= static_cast<int>(lead);
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty()) {
        d.neg = false;
        d.exp10 = 0;
    }
}

// The layout holds base-100 exponents from -65 to 62: 1E-130 up to just below 1E+126.
constexpr int min_exponent100 = -65;
constexpr int max_exponent100 = 62;
constexpr int max_digits100 = 20;

} // namespace

std::optional<decimal> decimal_from_text(std::string_view text) {
    size_t i = 0, n = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < n && blank(text[i]))
        ++i;
    while (n > i && blank(text[n - 1]))
        --n;
    decimal d;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        d.neg = text[i] == '-';
        ++i;
    }
    int int_digits = 0;
    bool seen_digit = false, seen_point = false;
    for (; i < n; ++i) {
        char c = text[i];
        if (is_digit(c)) {
            d.digits.push_back(c);
            seen_digit = true;
            if (!seen_point)
                ++int_digits;
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    if (!seen_digit)
        return std::nullopt;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool eneg = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            eneg = text[i] == '-';
            ++i;
        }
        if (i >= n || !is_digit(text[i]))
            return std::nullopt;
        for (; i < n && is_digit(text[i]); ++i)
            if (exponent < 1000000)
                exponent = exponent * 10 + (text[i] - '0');
        if (eneg)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;
    d.exp10 = int_digits + static_cast<int>(exponent);
    normalise(d);
    return d;
}

std::optional<decimal> decimal_from_double(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    if (r.ec != std::errc())
        return std::nullopt;
    return decimal_from_text(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

double decimal_to_double(const decimal& d) {
    if (d.is_zero())
        return 0.0;
    std::string s = d.neg ? "-" : "";
    s += d.digits;
    s += 'e';
    s += std::to_string(d.exp10 - static_cast<int>(d.digits.size()));
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        return d.exp10 > 0 ? (d.neg ? -HUGE_VAL : HUGE_VAL) : 0.0;
    return v;
}

number_status encode_number(const decimal& in, OCINumber& out) {
    std::memset(out.OCINumberPart, 0, sizeof out.OCINumberPart);
    if (in.is_zero()) {
        out.OCINumberPart[0] = 1;
        out.OCINumberPart[1] = 0x80;
        return number_status::ok;
    }
    // Align the digits on base-100 boundaries: 0.D * 10^E with E even.
    std::string digits = in.digits;
    int exp10 = in.exp10;
    if (exp10 % 2 != 0) {
        digits.insert(digits.begin(), '0');
        ++exp10;
    }
    const size_t room = 2 * max_digits100;
    if (digits.size() > room) {
        bool up = digits[room] >= '5';
        digits.resize(room);
        for (size_t k = room; up && k-- > 0;) {
            if (digits[k] == '9') {
                digits[k] = '0';
            } else {
                ++digits[k];
                up = false;
            }
        }
        if (up) { // every kept digit was 9: the value grew by one power of ten
            decimal bigger{in.neg, "1", in.exp10 + 1};
            return encode_number(bigger, out);
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.size() % 2 != 0)
        digits.push_back('0');
    int e100 = exp10 / 2 - 1;
    if (e100 > max_exponent100)
        return number_status::overflow;
    if (e100 < min_exponent100) { // below the smallest magnitude: zero
        out.OCINumberPart[0] = 1;
        out.OCINumberPart[1] = 0x80;
        return number_status::ok;
    }
    size_t count = digits.size() / 2;
    ub1* p = out.OCINumberPart;
    size_t len = 1;
    if (!in.neg) {
        p[1] = static_cast<ub1>(0xC1 + e100);
        for (size_t k = 0; k < count; ++k)
            p[2 + k] = static_cast<ub1>((digits[2 * k] - '0') * 10 + (digits[2 * k + 1] - '0') + 1);
        len += count;
    } else {
        p[1] = static_cast<ub1>(0x3E - e100);
        for (size_t k = 0; k < count; ++k)
            p[2 + k] = static_cast<ub1>(101 - ((digits[2 * k] - '0') * 10 + (digits[2 * k + 1] - '0')));
        len += count;
        if (count < max_digits100) {
            p[2 + count] = 102;
            ++len;
        }
    }
    p[0] = static_cast<ub1>(len);
    return number_status::ok;
}

number_status decode_number(const OCINumber& in, decimal& out) {
    const ub1* p = in.OCINumberPart;
    size_t len = p[0];
    if (len < 1 || len > 1 + max_digits100)
        return number_status::invalid;
    ub1 eb = p[1];
    out = decimal{};
    if (len == 1)
        return eb == 0x80 ? number_status::ok : number_status::invalid;
    bool neg = (eb & 0x80) == 0;
    size_t count = len - 1;
    if (neg && p[1 + count] == 102)
        --count;
    if (count == 0)
        return number_status::invalid;
    int e100 = neg ? 0x3E - eb : eb - 0xC1;
    std::string digits;
    for (size_t k = 0; k < count; ++k) {
        int b = p[2 + k];
        int v = neg ? 101 - b : b - 1;
        if (v < 0 || v > 99)
            return number_status::invalid;
        digits.push_back(static_cast<char>('0' + v / 10));
        digits.push_back(static_cast<char>('0' + v % 10));
    }
    out.neg = neg;
    out.digits = std::move(digits);
    out.exp10 = 2 * (e100 + 1);
    normalise(out);
    if (out.is_zero())
        return number_status::invalid; // a zero is written in its own one-byte form
    return number_status::ok;
}

std::string text_minimum(const decimal& d, bool scientific) {
    if (d.is_zero())
        return "0";
    std::string s = d.neg ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (!scientific) {
        std::string fixed = s;
        if (d.exp10 <= 0) {
            fixed += '.';
            fixed.append(static_cast<size_t>(-d.exp10), '0');
            fixed += d.digits;
        } else if (d.exp10 >= n) {
            fixed += d.digits;
            fixed.append(static_cast<size_t>(d.exp10 - n), '0');
        } else {
            fixed += d.digits.substr(0, static_cast<size_t>(d.exp10));
            fixed += '.';
            fixed += d.digits.substr(static_cast<size_t>(d.exp10));
        }
        if (fixed.size() <= 64)
            return fixed;
    }
    s += d.digits[0];
    if (n > 1) {
        s += '.';
        s += d.digits.substr(1);
    }
    int x = d.exp10 - 1;
    s += x < 0 ? "E-" : "E+";
    std::string e = std::to_string(x < 0 ? -x : x);
    if (e.size() < 2)
        e.insert(e.begin(), '0');
    return s + e;
}

number_status decimal_to_int(const decimal& d, unsigned bytes, bool is_signed, void* out) {
    if (bytes != 1 && bytes != 2 && bytes != 4 && bytes != 8)
        return number_status::invalid;
    std::uint64_t magnitude = 0;
    if (d.exp10 > 20)
        return number_status::overflow;
    for (int k = 0; k < d.exp10; ++k) {
        unsigned digit = k < static_cast<int>(d.digits.size()) ? static_cast<unsigned>(d.digits[k] - '0') : 0u;
        if (magnitude > (UINT64_MAX - digit) / 10)
            return number_status::overflow;
        magnitude = magnitude * 10 + digit;
    }
    const unsigned bits = bytes * 8;
    std::uint64_t bits_max = bits == 64 ? UINT64_MAX : (std::uint64_t{1} << bits) - 1;
    std::uint64_t raw = 0;
    if (is_signed) {
        std::uint64_t pos_max = bits_max >> 1; // 2^(bits-1) - 1
        if (d.neg ? magnitude > pos_max + 1 : magnitude > pos_max)
            return number_status::overflow;
        raw = d.neg ? (~magnitude + 1) : magnitude; // two's complement of the magnitude
    } else {
        if (d.neg && magnitude != 0)
            return number_status::overflow;
        if (magnitude > bits_max)
            return number_status::overflow;
        raw = magnitude;
    }
    switch (bytes) {
    case 1: {
        auto v = static_cast<std::uint8_t>(raw);
        std::memcpy(out, &v, 1);
        break;
    }
    case 2: {
        auto v = static_cast<std::uint16_t>(raw);
        std::memcpy(out, &v, 2);
        break;
    }
    case 4: {
        auto v = static_cast<std::uint32_t>(raw);
        std::memcpy(out, &v, 4);
        break;
    }
    default:
        std::memcpy(out, &raw, 8);
    }
    return number_status::ok;
}

} // namespace orasim::oci
