// The built client library itself, loaded by name the way the program loads it: its exports, a logon
// and a query through it, and on Windows its version resource.
#include "client.h"
#include "oci/loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

using namespace orasim_test;

namespace {

#ifdef _WIN32
const char16_t* library_name = u"OCI.DLL"; // found beside the test through the system's search
#else
const char16_t* library_name = u"" ORASIM_SHARED_LIBRARY;
#endif

// A control function of the loaded library (its own server, apart from the linked one).
void* control_function(const char* name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"OCI.DLL"), name));
#else
    void* h = dlopen(ORASIM_SHARED_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    void* f = h ? dlsym(h, name) : nullptr;
    if (h)
        dlclose(h);
    return f;
#endif
}

TEST(LoadedLibrary, LogsOnAndQueriesThroughItsExports) {
    oci::library lib;
    ASSERT_TRUE(lib.open(library_name)) << lib.error();
    auto load = reinterpret_cast<int (*)(const char*)>(control_function("orasim_load_definition"));
    auto live = reinterpret_cast<unsigned (*)()>(control_function("orasim_live_handles"));
    ASSERT_NE(load, nullptr);
    ASSERT_NE(live, nullptr);
    ASSERT_EQ(load("database LIB\nuser SCOTT tiger\n"), 0);
    {
        client c(lib.table());
        ASSERT_EQ(c.logon("LIB", "SCOTT", "tiger"), OCI_SUCCESS) << c.error().text;
        OCIStmt* st = c.prepare("SELECT 'through the library' FROM dual");
        ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
        char16_t buf[32];
        OCIDefine* d = nullptr;
        ASSERT_EQ(c.f.OCIDefineByPos(st, &d, c.err, 1, buf, sizeof buf, SQLT_STR, nullptr, nullptr, nullptr, 0), 0);
        ub4 id = OCI_UTF16ID;
        ASSERT_EQ(c.f.OCIAttrSet(d, OCI_HTYPE_DEFINE, &id, 4, OCI_ATTR_CHARSET_ID, c.err), 0);
        ASSERT_EQ(c.f.OCIStmtFetch(st, c.err, 20, OCI_FETCH_NEXT, 0), OCI_NO_DATA);
        EXPECT_EQ(std::u16string(buf), u"through the library");
        c.free(st);
        EXPECT_EQ(c.logoff(), OCI_SUCCESS);
        EXPECT_EQ(orasim_live_handles(), 0u); // the linked simulator saw none of it
        EXPECT_EQ(live(), 2u);                // the environment and error handle
    }
    EXPECT_EQ(live(), 0u);
}

#ifdef _WIN32
TEST(LoadedLibrary, CarriesItsVersionResource) {
    oci::library lib;
    ASSERT_TRUE(lib.open(library_name)) << lib.error();
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"OCI.DLL"), path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (19u << 16) | 3u);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    ASSERT_GE(len, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);
    wchar_t* version = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904E4\\FileVersion",
                               reinterpret_cast<void**>(&version), &len));
    EXPECT_EQ(std::wstring(version), L"19.3.0.0.0 orasim");
}
#endif

} // namespace
