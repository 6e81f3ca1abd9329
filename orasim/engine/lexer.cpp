#include "lexer.h"

namespace orasim {
namespace {

bool ident_start(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80; }
bool ident_char(unsigned char c) { return ident_start(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#'; }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string upper_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string lower_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::vector<token> tokenize(std::string_view s) {
    std::vector<token> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto push = [&](tok k, std::string text, std::size_t start) {
        out.push_back(token{k, std::move(text), start, i - start});
    };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const std::size_t close = s.find("*/", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
            continue;
        }
        if (ident_start(c)) {
            while (i < n && ident_char(static_cast<unsigned char>(s[i]))) ++i;
            push(tok::ident, upper_ascii(s.substr(start, i - start)), start);
            continue;
        }
        if (digit(c) || (c == '.' && i + 1 < n && digit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < n && digit(static_cast<unsigned char>(s[i]))) ++i;
            // "1..5" is a range, not the number "1."
            if (i < n && s[i] == '.' && !(i + 1 < n && s[i + 1] == '.')) {
                ++i;
                while (i < n && digit(static_cast<unsigned char>(s[i]))) ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                std::size_t j = i + 1;
                if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
                if (j < n && digit(static_cast<unsigned char>(s[j]))) {
                    i = j;
                    while (i < n && digit(static_cast<unsigned char>(s[i]))) ++i;
                }
            }
            push(tok::number, std::string(s.substr(start, i - start)), start);
            continue;
        }
        if (c == '\'' || c == '"') {
            const char q = static_cast<char>(c);
            std::string text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == q) {
                    if (i + 1 < n && s[i + 1] == q) {
                        text += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += s[i++];
            }
            if (!closed) {
                push(tok::bad, q == '\'' ? "01756" : "01740", start);
                return out;
            }
            if (q == '"' && text.empty()) {
                push(tok::bad, "01741", start);
                return out;
            }
            push(q == '\'' ? tok::string : tok::quoted_ident, std::move(text), start);
            continue;
        }
        if (c == ':' && i + 1 < n && s[i + 1] != '=') {
            const unsigned char d = static_cast<unsigned char>(s[i + 1]);
            if (ident_char(d)) {
                i += 1;
                while (i < n && ident_char(static_cast<unsigned char>(s[i]))) ++i;
                push(tok::bind, upper_ascii(s.substr(start + 1, i - start - 1)), start);
                continue;
            }
        }
        static constexpr std::string_view two[] = {"||", "<>", "!=", "^=", "~=", "<=", ">=", ":=", "=>", "..", "**"};
        bool matched = false;
        for (std::string_view t : two) {
            if (s.substr(i, 2) == t) {
                i += 2;
                std::string text(t);
                if (t == "^=" || t == "~=") text = "!=";
                push(tok::op, std::move(text), start);
                matched = true;
                break;
            }
        }
        if (matched) continue;
        if (std::string_view("(),;.+-*/=<>%@").find(static_cast<char>(c)) != std::string_view::npos) {
            ++i;
            push(tok::op, std::string(1, static_cast<char>(c)), start);
            continue;
        }
        ++i;
        push(tok::bad, "00911", start);
        return out;
    }
    out.push_back(token{tok::end, "", n, 0});
    return out;
}

line_col locate(std::string_view text, std::size_t pos) {
    line_col lc;
    if (pos > text.size()) pos = text.size();
    for (std::size_t i = 0; i < pos; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++lc.line;
            lc.column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++lc.column; // count characters, not the continuation bytes of UTF-8
        }
    }
    return lc;
}

} // namespace orasim
