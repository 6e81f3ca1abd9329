#include "oci/loader.h"

#include <gtest/gtest.h>

namespace {

std::u16string stub(const char16_t* variant) {
#ifdef _WIN32
    return std::u16string(u"stubclnt_") + variant + u".dll";
#else
    return std::u16string(u"stubclnt_") + variant + u".so";
#endif
}

TEST(ClientLibrary, ResolvesEveryFunctionByName) {
    oci::library lib;
    ASSERT_TRUE(lib.open(stub(u"full"))) << lib.error();
    const auto& t = lib.table();
#define CHECK_RESOLVED(fn) EXPECT_NE(t.fn, nullptr) << #fn;
    MENDWICK_OCI_FUNCTIONS(CHECK_RESOLVED)
#undef CHECK_RESOLVED
    // The calls reach the library's own code.
    sword major = 0, minor = 0, update = 0, patch = 0, port = 0;
    t.OCIClientVersion(&major, &minor, &update, &patch, &port);
    EXPECT_EQ(major, 99);
    EXPECT_EQ(port, 4);
    EXPECT_EQ(t.OCIPing(nullptr, nullptr, OCI_DEFAULT), 7);
    OCIEnv* env = reinterpret_cast<OCIEnv*>(&major);
    EXPECT_EQ(t.OCIEnvCreate(&env, OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), 4242);
    EXPECT_EQ(env, nullptr);
}

TEST(ClientLibrary, MissingFunctionIsNamedAndNothingStaysLoaded) {
    oci::library lib;
    EXPECT_FALSE(lib.open(stub(u"partial")));
    EXPECT_FALSE(lib.is_open());
    EXPECT_NE(lib.error().find("has no function OCIPing"), std::string::npos) << lib.error();
    EXPECT_NE(lib.error().find("stubclnt_partial"), std::string::npos) << lib.error();
    EXPECT_EQ(lib.table().OCIEnvCreate, nullptr);
}

TEST(ClientLibrary, MissingLibraryIsNamed) {
    oci::library lib;
    EXPECT_FALSE(lib.open(stub(u"absent")));
    EXPECT_NE(lib.error().find("Cannot load the Oracle client library stubclnt_absent"), std::string::npos)
        << lib.error();
}

TEST(ClientLibrary, ReopenAfterFailureWorks) {
    oci::library lib;
    EXPECT_FALSE(lib.open(stub(u"absent")));
    EXPECT_TRUE(lib.open(stub(u"full"))) << lib.error();
    EXPECT_TRUE(lib.error().empty());
    lib.close();
    EXPECT_FALSE(lib.is_open());
}

TEST(ProcessClient, InstalledTableIsUsedInsteadOfTheSearch) {
    oci::functions t{};
    t.OCIPing = [](OCISvcCtx*, OCIError*, ub4) -> sword { return 11; };
    oci::install_client(t);
    ASSERT_NE(oci::client(), nullptr);
    EXPECT_EQ(oci::client()->OCIPing(nullptr, nullptr, 0), 11);
}

} // namespace
