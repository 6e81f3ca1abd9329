#include "fake_oci.h"
#include "oralib/error.h"

#include <gtest/gtest.h>

namespace {

TEST(Error, StatusDescriptions) {
    fake_oci::script& fake = fake_oci::install();
    fake.message = "ORA-00942: table or view does not exist\n";
    fake.number = 942;
    const std::pair<sword, const char*> cases[] = {
        {OCI_SUCCESS, "(OCI_SUCCESS)"},
        {OCI_SUCCESS_WITH_INFO, "(OCI_SUCCESS_WITH_INFO) ORA-00942: table or view does not exist\n"},
        {OCI_NEED_DATA, "(OCI_NEED_DATA)"},
        {OCI_NO_DATA, "(OCI_NO_DATA) ORA-00942: table or view does not exist\n"},
        {OCI_CONTINUE, "(OCI_CONTINUE)"},
        {OCI_STILL_EXECUTING, "(OCI_STILL_EXECUTING) ORA-00942: table or view does not exist\n"},
        {OCI_INVALID_HANDLE, "(OCI_INVALID_HANDLE)"},
        {OCI_ERROR, "(OCI_ERROR) ORA-00942: table or view does not exist\n"},
        {5, "unknown"},
    };
    char handle = 0;
    for (auto [status, text] : cases) {
        oralib::error e(status, reinterpret_cast<OCIError*>(&handle), "dir/connection.cpp", 12);
        EXPECT_EQ(e.description, text) << status;
        EXPECT_EQ(e.code, status);
        EXPECT_EQ(e.error_type, 1);
        EXPECT_EQ(e.oracle_error, std::string(text).find("ORA") != std::string::npos ? 942 : 0);
        EXPECT_EQ(e.source_file, "connection.cpp");
        EXPECT_EQ(e.line, 12);
    }
}

TEST(Error, OwnCodesAndTheirTexts) {
    const std::pair<int32_t, const char*> cases[] = {
        {1000, "Environment handle creation failed"},
        {1002, "Memory allocation request has failed"},
        {1006, "Cannot convert to requested type"},
        {1008, "Parameter prefix is not known"},
        {1009, "Unsupported type - this version of the program doesn't support such an Oracle type"},
        {1010, "Name not found in statement's parameters"},
        {1011, "Result set doesn't contain column with such name"},
        {1012, "Internal library error. Please, report to developers"},
        {999, "unknown error"},
        {1013, "unknown error"},
    };
    for (auto [code, text] : cases) {
        oralib::error e(code, "x.cpp", 1);
        EXPECT_EQ(e.description, text);
        EXPECT_EQ(e.error_type, 2);
        EXPECT_EQ(e.oracle_error, 0);
    }
}

TEST(Error, DetailIsAppendedLiterally) {
    EXPECT_EQ(oralib::error(1011, "x.cpp", 1, "PCT_%s_%d").description,
              "Result set doesn't contain column with such name: PCT_%s_%d");
    std::string long_name(5000, 'N');
    EXPECT_EQ(oralib::error(1011, "x.cpp", 1, long_name).description.size(),
              std::string("Result set doesn't contain column with such name: ").size() + 1023);
    fake_oci::script& fake = fake_oci::install();
    fake.message = "ORA-01406: fetched column value was truncated\n";
    char handle = 0;
    EXPECT_EQ(oralib::error(OCI_ERROR, reinterpret_cast<OCIError*>(&handle), "x.cpp", 1, "NAME").description,
              "(OCI_ERROR) ORA-01406: fetched column value was truncated\n: NAME");
}

TEST(Error, DisplayText) {
    fake_oci::install();
    char handle = 0;
    oralib::error refused(OCI_ERROR, reinterpret_cast<OCIError*>(&handle), "x.cpp", 1);
    EXPECT_EQ(refused.display_text(),
              u"Error type: Oracle\nDescription: (OCI_ERROR) ORA-01017: invalid username/password; logon denied\n\n");
    EXPECT_EQ(oralib::error(1000, "x.cpp", 1).display_text(),
              u"Error type: Brannock\nDescription: Environment handle creation failed\n");
    EXPECT_STREQ(oralib::error::type_name(0), "unknown");
    EXPECT_STREQ(oralib::error::type_name(3), "Win32 API");
    EXPECT_STREQ(oralib::error::type_name(9), "unknown");
}

} // namespace
