// Tokens of SQL, PL/SQL and the definition's table lines. The tokenizer is a pure function: bad input
// becomes a `bad` token carrying the ORA number the server would report, never an exception.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orasim {

enum class tok {
    ident,        // unquoted identifier, text upper-cased
    quoted_ident, // "Name": text as written, "" turned into "
    number,       // text as written
    string,       // 'text': text with '' turned into '
    bind,         // :name or :1, text without the colon, upper-cased
    op,           // operator or punctuation: || <> != <= >= := => .. ( ) , ; . + - * / = < > % @
    end,          // end of input
    bad,          // text is the ORA number: "01756" unterminated string, "00911" invalid character
};

struct token {
    tok kind = tok::end;
    std::string text;
    std::size_t pos = 0; // byte offset of the first character
    std::size_t len = 0; // bytes in the source
    bool is(std::string_view keyword) const { return kind == tok::ident && text == keyword; }
    bool is_op(std::string_view o) const { return kind == tok::op && text == o; }
};

// The tokens of a text, always ending with one `end` token (or stopping at the first `bad` one).
std::vector<token> tokenize(std::string_view text);

// Line and column (both from 1, columns in characters) of a byte offset, as ORA-06550 gives them.
struct line_col {
    int line = 1;
    int column = 1;
};
line_col locate(std::string_view text, std::size_t pos);

std::string upper_ascii(std::string_view s);
std::string lower_ascii(std::string_view s);

} // namespace orasim
