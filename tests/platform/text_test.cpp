#include "text.h"

#include <gtest/gtest.h>

using platform::ascii_iequal;
using platform::ascii_upper;
using platform::to_narrow;
using platform::to_utf16;

TEST(Text, AsciiRoundTrip) {
    EXPECT_EQ(to_narrow(u"SYSTEM@DEMO"), "SYSTEM@DEMO");
    EXPECT_EQ(to_utf16("BEGIN dbms_output.disable; END;"), u"BEGIN dbms_output.disable; END;");
    EXPECT_EQ(to_narrow(u""), "");
    EXPECT_EQ(to_utf16(""), u"");
    // An embedded NUL is kept: lengths are explicit, not terminator-based.
    EXPECT_EQ(to_narrow(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

#ifdef _WIN32
// Under Wine the thread's ANSI code page is 1252.
TEST(Text, ThreadAnsiCodePage) {
    EXPECT_EQ(to_narrow(u"\u00e9"), "\xE9");
    EXPECT_EQ(to_narrow(u"\u20ac"), "\x80");
    EXPECT_EQ(to_narrow(u"\u6f22"), "?");
    EXPECT_EQ(to_utf16("\xE9\x80"), u"\u00e9\u20ac");
}
#else
TEST(Text, Utf8) {
    EXPECT_EQ(to_narrow(u"\u00e9\u20ac\u6f22"), "\xC3\xA9\xE2\x82\xAC\xE6\xBC\xA2");
    EXPECT_EQ(to_narrow(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(to_narrow(u"\xD800x"), "?x"); // a lone surrogate
    EXPECT_EQ(to_utf16("\xC3\xA9\xE2\x82\xAC"), u"\u00e9\u20ac");
    EXPECT_EQ(to_utf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    // Malformed input: each bad byte becomes U+FFFD, nothing is read past the end.
    EXPECT_EQ(to_utf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(to_utf16("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(to_utf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
}
#endif

TEST(Text, AsciiCapitalsOnly) {
    EXPECT_EQ(ascii_upper(u"scott@demo.world"), u"SCOTT@DEMO.WORLD");
    EXPECT_EQ(ascii_upper(u"\u00e9t\u00e9 \u00df"), u"\u00e9T\u00e9 \u00df");
    EXPECT_EQ(ascii_upper(u"Az{`@["), u"AZ{`@[");
    EXPECT_TRUE(ascii_iequal(u"Key_OraClient", u"KEY_ORACLIENT"));
    EXPECT_FALSE(ascii_iequal(u"\u00e9", u"\u00c9"));
    EXPECT_FALSE(ascii_iequal(u"HOME", u"HOM"));
}

TEST(Text, BytesWidenToTheSameValues) {
    EXPECT_EQ(platform::widen_bytes("A\xE9\x80"), u"A\u00e9\u0080");
}
