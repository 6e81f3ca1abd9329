// Numbers as the client sees them: the 22-byte OCINumber in the server's own layout (a length byte,
// an exponent byte and up to 20 base-100 digits), and the conversions to text and integers that
// OCINumberToText and OCINumberToInt perform. Values pass through an exact decimal form, so text
// and integers never go through binary floating point.
#pragma once

#include "oci/oci.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orasim::oci {

// value = (neg ? -1 : 1) * 0.digits * 10^exp10; digits has no leading or trailing zeros; zero has no digits.
struct decimal {
    bool neg = false;
    std::string digits;
    int exp10 = 0;

    bool is_zero() const { return digits.empty(); }
};

// The shortest decimal that reads back as the same double. Non-finite values have none.
std::optional<decimal> decimal_from_double(double d);
double decimal_to_double(const decimal& d);

// Oracle's text-to-number rules: blanks around, optional sign, digits with one '.', optional exponent.
std::optional<decimal> decimal_from_text(std::string_view text);

enum class number_status { ok, overflow, invalid };

// Rounds to the 40 significant digits the layout holds; exponents past its range overflow, values
// below its range become zero.
number_status encode_number(const decimal& d, OCINumber& out);
// Invalid when the bytes are not a number of this layout (an uninitialised buffer, for instance).
number_status decode_number(const OCINumber& in, decimal& out);

// Shortest text: no padding, no trailing zeros, no leading zero before the separator ("123", "1.5",
// ".5", "-.5"); scientific notation when the fixed form would pass 64 characters or when asked for.
std::string text_minimum(const decimal& d, bool scientific = false);

// Truncates toward zero; overflow when the integer part does not fit the width and signedness.
number_status decimal_to_int(const decimal& d, unsigned bytes, bool is_signed, void* out);

} // namespace orasim::oci
