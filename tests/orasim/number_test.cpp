// OCINumber as the client reads and writes it: the layout, and the conversions to text and integers.
#include "client.h"
#include "number.h"

#include <cstdint>

using namespace orasim_test;
using orasim::oci::decimal_from_text;
using orasim::oci::encode_number;

namespace {

OCINumber number_of(const char* text) {
    OCINumber n{};
    auto d = decimal_from_text(text);
    EXPECT_TRUE(d) << text;
    EXPECT_EQ(encode_number(*d, n), orasim::oci::number_status::ok) << text;
    return n;
}

std::vector<int> bytes_of(const OCINumber& n) {
    return std::vector<int>(n.OCINumberPart, n.OCINumberPart + 1 + n.OCINumberPart[0]);
}

TEST(NumberLayout, MatchesTheServersOwnBytes) {
    struct row {
        const char* value;
        std::vector<int> bytes;
    };
    const row rows[] = {
        {"0", {1, 0x80}},
        {"1", {2, 0xC1, 2}},
        {"123", {3, 0xC2, 2, 24}},
        {"-1", {3, 0x3E, 100, 102}},
        {"-123", {4, 0x3D, 100, 78, 102}},
        {"0.5", {2, 0xC0, 51}},
        {"100", {2, 0xC2, 2}},
        {"1E-130", {2, 0x80, 2}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(bytes_of(number_of(r.value)), r.bytes) << r.value;
}

class NumberText : public Orasim {};

TEST_F(NumberText, TextMinimumGivesTheShortestForm) {
    client c;
    struct row {
        const char* value;
        const char* format;
        const char* text;
    };
    const row rows[] = {
        {"123", "TM", "123"},
        {"1.5", "TM", "1.5"},
        {"0.5", "TM", ".5"},
        {"-0.5", "TM", "-.5"},
        {"0", "TM", "0"},
        {"-42", "tm9", "-42"},
        {"100000", "TM9", "100000"},
        {"0.000123", "TM", ".000123"},
        {"12345678901234567890123456789012345678", "TM", "12345678901234567890123456789012345678"},
        {"1E+70", "TM9", "1E+70"},
        {"1.25E-70", "TM", "1.25E-70"},
        {"1500", "TME", "1.5E+03"},
    };
    for (const auto& r : rows) {
        OCINumber n = number_of(r.value);
        char buf[65] = {};
        ub4 size = 65;
        std::string fmt = r.format;
        ASSERT_EQ(c.f.OCINumberToText(c.err, &n, client::text(fmt), static_cast<ub4>(fmt.size()), nullptr, 0, &size,
                                      reinterpret_cast<OraText*>(buf)),
                  OCI_SUCCESS)
            << r.value << ": " << c.error().text;
        EXPECT_EQ(std::string(buf, size), r.text) << r.value;
    }
}

TEST_F(NumberText, RefusesWhatItCannotWrite) {
    client c;
    OCINumber n = number_of("-12345.678");
    char buf[8];
    ub4 size = sizeof buf; // "-12345.678" needs 10
    const std::string tm = "TM";
    EXPECT_EQ(c.f.OCINumberToText(c.err, &n, client::text(tm), 2, nullptr, 0, &size, reinterpret_cast<OraText*>(buf)),
              OCI_ERROR);
    EXPECT_EQ(c.error().code, 22065);

    const std::string other = "999D99";
    size = sizeof buf;
    EXPECT_EQ(c.f.OCINumberToText(c.err, &n, client::text(other), 6, nullptr, 0, &size, reinterpret_cast<OraText*>(buf)),
              OCI_ERROR);
    EXPECT_EQ(c.error().code, 22061);

    OCINumber garbage;
    std::memset(&garbage, 0xEE, sizeof garbage);
    size = sizeof buf;
    EXPECT_EQ(c.f.OCINumberToText(c.err, &garbage, client::text(tm), 2, nullptr, 0, &size,
                                  reinterpret_cast<OraText*>(buf)),
              OCI_ERROR);
    EXPECT_EQ(c.error().code, 22060);
}

TEST_F(NumberText, ZeroFromSetZeroReadsBack) {
    client c;
    OCINumber n;
    std::memset(&n, 0x55, sizeof n);
    c.f.OCINumberSetZero(c.err, &n);
    sb4 v = 7;
    ASSERT_EQ(c.f.OCINumberToInt(c.err, &n, 4, OCI_NUMBER_SIGNED, &v), OCI_SUCCESS);
    EXPECT_EQ(v, 0);
}

TEST_F(NumberText, ToIntChecksWidthAndSign) {
    client c;
    struct row {
        const char* value;
        uword bytes;
        uword flag;
        std::int64_t expected; // when ok
        bool ok;
    };
    const row rows[] = {
        {"42", 4, OCI_NUMBER_SIGNED, 42, true},
        {"-42", 4, OCI_NUMBER_SIGNED, -42, true},
        {"42.9", 4, OCI_NUMBER_SIGNED, 42, true}, // truncated toward zero
        {"-42.9", 2, OCI_NUMBER_SIGNED, -42, true},
        {"127", 1, OCI_NUMBER_SIGNED, 127, true},
        {"128", 1, OCI_NUMBER_SIGNED, 0, false},
        {"-128", 1, OCI_NUMBER_SIGNED, -128, true},
        {"255", 1, OCI_NUMBER_UNSIGNED, 255, true},
        {"256", 1, OCI_NUMBER_UNSIGNED, 0, false},
        {"-1", 4, OCI_NUMBER_UNSIGNED, 0, false},
        {"2147483647", 4, OCI_NUMBER_SIGNED, 2147483647, true},
        {"2147483648", 4, OCI_NUMBER_SIGNED, 0, false},
        {"-2147483648", 4, OCI_NUMBER_SIGNED, INT32_MIN, true},
        {"9223372036854775807", 8, OCI_NUMBER_SIGNED, INT64_MAX, true},
        {"9223372036854775808", 8, OCI_NUMBER_SIGNED, 0, false},
        {"1E+30", 8, OCI_NUMBER_SIGNED, 0, false},
    };
    for (const auto& r : rows) {
        OCINumber n = number_of(r.value);
        unsigned char out[8] = {};
        sword s = c.f.OCINumberToInt(c.err, &n, r.bytes, r.flag, out);
        if (!r.ok) {
            EXPECT_EQ(s, OCI_ERROR) << r.value;
            ora e = c.error();
            EXPECT_EQ(e.code, 22053) << r.value;
            EXPECT_EQ(e.text, "ORA-22053: overflow error\n");
            continue;
        }
        ASSERT_EQ(s, OCI_SUCCESS) << r.value << ": " << c.error().text;
        std::int64_t got = 0;
        bool sign = r.flag == OCI_NUMBER_SIGNED;
        switch (r.bytes) {
        case 1: got = sign ? static_cast<std::int8_t>(out[0]) : out[0]; break;
        case 2: {
            std::int16_t v;
            std::memcpy(&v, out, 2);
            got = v;
            break;
        }
        case 4: {
            std::int32_t v;
            std::memcpy(&v, out, 4);
            got = v;
            break;
        }
        default: std::memcpy(&got, out, 8);
        }
        EXPECT_EQ(got, r.expected) << r.value;
    }
    OCINumber n = number_of("1");
    sb4 v;
    EXPECT_EQ(c.f.OCINumberToInt(c.err, &n, 3, OCI_NUMBER_SIGNED, &v), OCI_ERROR);
    EXPECT_EQ(c.f.OCINumberToInt(c.err, &n, 4, 1, &v), OCI_ERROR);
    EXPECT_EQ(c.f.OCINumberToInt(nullptr, &n, 4, OCI_NUMBER_SIGNED, &v), OCI_INVALID_HANDLE);
}

TEST(NumberLayout, EveryDoubleTheEngineMakesRoundTrips) {
    const double values[] = {0.1, 1.0 / 3, -2.5e-7, 123456789012345.0, 9007199254740993.0, -1e125, 5e-130, 42};
    for (double v : values) {
        auto d = orasim::oci::decimal_from_double(v);
        ASSERT_TRUE(d);
        OCINumber n;
        ASSERT_EQ(encode_number(*d, n), orasim::oci::number_status::ok) << v;
        orasim::oci::decimal back;
        ASSERT_EQ(orasim::oci::decode_number(n, back), orasim::oci::number_status::ok) << v;
        EXPECT_EQ(orasim::oci::decimal_to_double(back), v);
    }
    OCINumber n;
    EXPECT_EQ(encode_number(*decimal_from_text("1E+126"), n), orasim::oci::number_status::overflow);
}

} // namespace
