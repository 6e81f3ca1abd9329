// Conversions and comparisons of values as Oracle makes them: numbers in the shortest text ("TM"),
// '' as NULL, text to number with ORA-01722, dates in the default 'DD-MON-RR' format.
#pragma once

#include "engine.h"

#include <optional>
#include <string>
#include <string_view>

namespace orasim {

// The shortest decimal form of a number: "123", "1.5", ".5", "-.5".
std::string number_text(double n);
// Text to number; throws db_error ORA-01722 when the text is not a number.
double text_number(std::string_view s);
bool try_text_number(std::string_view s, double& out);

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH24:MI:SS'.
bool parse_date_literal(std::string_view s, date_value& d);
// TO_CHAR of a date: the default format 'DD-MON-RR', or a format of YYYY RR MM MON MONTH DD HH24 HH MI SS and punctuation.
std::string date_text(const date_value& d, std::string_view format = "DD-MON-RR");
date_value now_date();

// Text of a value for concatenation and text contexts; NULL gives "".
std::string as_text(const value& v);
// Number of a value; throws ORA-01722 for text that is not a number, ORA-00932 for dates.
double as_number(const value& v);

// Three-valued comparison: no value when either side is NULL. Text and number compare as numbers.
std::optional<int> compare_values(const value& a, const value& b);

// LIKE with % and _ (and an optional escape character).
bool like_match(std::string_view text, std::string_view pattern, char escape = 0);

// Truth of a condition value: NULL is unknown (no value), a number is true when not 0.
std::optional<bool> truth(const value& v);
inline value bool_value(std::optional<bool> b) { return b ? value::make_number(*b ? 1 : 0) : value::make_null(); }

} // namespace orasim
