// Conversion between UI text (UTF-16) and the narrow text handed to the client library: the thread's
// ANSI code page on Windows, UTF-8 elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-16 to narrow text. Characters the code page lacks become its default character ('?').
std::string to_narrow(std::u16string_view text);

// Narrow text to UTF-16. Bytes that do not form a character become U+FFFD natively.
std::u16string to_utf16(std::string_view text);

// ASCII-only capitals: a-z become A-Z, every other code unit stays as it is.
std::u16string ascii_upper(std::u16string_view text);

// ASCII-only case-insensitive comparison of A-Z with a-z.
bool ascii_iequal(std::u16string_view a, std::u16string_view b);

// Each byte becomes the UTF-16 code unit of the same value (bytes 0x80-0xFF become U+0080-U+00FF).
std::u16string widen_bytes(std::string_view text);

} // namespace platform
