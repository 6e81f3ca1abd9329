// The client environment on the real system: files, folders, the environment and, on Windows, the
// registry of the test prefix, the path search and the version resources of small test libraries.
#include "module_version.h"
#include "text.h"
#include "tns.h"
#include "tns_scanner.h"

#ifdef _WIN32
#include "win32.h"
#else
#include <stdlib.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

using names = std::vector<std::u16string>;

std::u16string text_of(const fs::path& p) {
    return p.u16string();
}

void write_file(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
}

// Environment variables and the working directory as the system sees them, put back afterwards.
#ifdef _WIN32
const wchar_t* w(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
std::optional<std::u16string> get_env(const char16_t* name) {
    return platform::client_system::real().environment(name);
}
void set_env(const char16_t* name, const std::optional<std::u16string>& value) {
    SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(name), value ? w(*value) : nullptr);
}
#else
std::optional<std::u16string> get_env(const char16_t* name) {
    return platform::client_system::real().environment(name);
}
void set_env(const char16_t* name, const std::optional<std::u16string>& value) {
    std::string n = platform::to_narrow(name);
    if (value)
        setenv(n.c_str(), platform::to_narrow(*value).c_str(), 1);
    else
        unsetenv(n.c_str());
}
#endif

class real_system : public ::testing::Test {
protected:
    void SetUp() override {
        old_cwd = fs::current_path();
        old_tns_admin = get_env(u"TNS_ADMIN");
        old_path = get_env(path_variable);
        root = fs::temp_directory_path() / ("mendwick-client-" + std::to_string(
#ifdef _WIN32
                                                                     GetCurrentProcessId()
#else
                                                                     getpid()
#endif
                                                                         ));
        fs::remove_all(root);
        fs::create_directories(root / "empty");
        set_env(u"TNS_ADMIN", std::nullopt);
    }
    void TearDown() override {
        fs::current_path(old_cwd);
        set_env(u"TNS_ADMIN", old_tns_admin);
        set_env(path_variable, old_path);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void prepend_to_search_path(const fs::path& dir) {
#ifdef _WIN32
        const char16_t separator = u';';
#else
        const char16_t separator = u':';
#endif
        set_env(path_variable, text_of(dir) + (old_path ? separator + *old_path : std::u16string()));
    }
    names aliases() const {
        names out;
        CTNS().ReadAliases(out);
        return out;
    }

#ifdef _WIN32
    static constexpr const char16_t* path_variable = u"PATH";
#else
    static constexpr const char16_t* path_variable = u"LD_LIBRARY_PATH";
#endif
    fs::path root, old_cwd;
    std::optional<std::u16string> old_tns_admin, old_path;
};

TEST_F(real_system, TnsNamesFromTheWorkingDirectoryThenTnsAdmin) {
    write_file(root / "cwd" / "TNSNAMES.ORA", "cwd_alias = (DESCRIPTION = (ADDRESS = (HOST = a)))\n");
    write_file(root / "admin" / "TNSNAMES.ORA", "admin.alias=\r\n  (DESCRIPTION=(HOST=b))\r\n");
    std::u16string admin = text_of(root / "admin");
    set_env(u"TNS_ADMIN", admin);
    fs::current_path(root / "cwd");
    EXPECT_EQ(aliases(), names{u"CWD_ALIAS"});

    fs::current_path(root / "empty");
    EXPECT_EQ(aliases(), names{u"ADMIN.ALIAS"});
    set_env(u"TNS_ADMIN", admin + platform::client_system::real().path_separator());
    std::u16string chosen;
    ASSERT_TRUE(CTNS().FindTnsNamesFile(chosen));
    EXPECT_EQ(chosen, text_of(root / "admin" / "TNSNAMES.ORA"));
    EXPECT_EQ(aliases(), names{u"ADMIN.ALIAS"});

    // Set but empty: the bare name, found from the working directory.
    set_env(u"TNS_ADMIN", u"");
    fs::current_path(root / "cwd");
    EXPECT_EQ(aliases(), names{u"CWD_ALIAS"});
}

TEST_F(real_system, TwentyMegabytesOfRandomBytesFromDisk) {
    std::string noise(20 * 1024 * 1024, '\0');
    unsigned long long x = 88172645463325252ull;
    for (char& c : noise) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        c = static_cast<char>(x >> 56);
    }
    write_file(root / "noise" / "TNSNAMES.ORA", noise);
    fs::current_path(root / "noise");
    auto start = std::chrono::steady_clock::now();
    names out = aliases();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0);
    EXPECT_LE(out.size(), CTnsScanner::max_names);
}

TEST_F(real_system, AMissingFileYieldsNothing) {
    fs::current_path(root / "empty");
    set_env(u"TNS_ADMIN", text_of(root / "nowhere"));
    names out = {u"KEPT"};
    CTNS().ReadAliases(out);
    EXPECT_EQ(out, names{u"KEPT"});
    EXPECT_EQ(platform::client_system::real().open_file(text_of(root / "nowhere" / "x")), nullptr);
}

TEST_F(real_system, ClientFoundOnTheSearchPath) {
    write_file(root / "client" / "BIN" / platform::to_narrow(CTNS::ClientModuleName()), "not a real library");
    prepend_to_search_path(root / "client" / "BIN");
    std::u16string dir;
    ASSERT_TRUE(CTNS().FindClientDirectory(dir));
#ifdef _WIN32
    // The program's own folder comes first in the search; a client there is found before the PATH.
    std::u16string expected = text_of(root / "client" / "BIN") + u"\\";
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    fs::path own = fs::path(exe).parent_path();
    if (fs::exists(own / "OCI.DLL"))
        expected = text_of(own) + u"\\";
    EXPECT_TRUE(platform::ascii_iequal(dir, expected)) << platform::to_narrow(dir);
#else
    EXPECT_EQ(dir, text_of(root / "client" / "BIN") + u"/");
    EXPECT_EQ(CTNS().GetOracleHomeName(), u""); // no machine registry here
#endif
}

#ifndef _WIN32

TEST_F(real_system, LoadedModulesAreTheMappedFiles) {
    std::u16string path;
    ASSERT_EQ(platform::client_system::real().loaded_module_path(u"libc.so", path),
              platform::module_lookup::found);
    EXPECT_TRUE(fs::exists(fs::path(platform::to_narrow(path))));
    EXPECT_EQ(platform::client_system::real().loaded_module_path(u"libnothing.so", path),
              platform::module_lookup::not_loaded);
    // Nothing loads the client in this program, and its libraries have no version resources.
    EXPECT_FALSE(CTNS().GetClientPath(path));
    EXPECT_EQ(CTNS().GetClientVersion(), u"Not found");
}

#endif

#ifdef _WIN32

fs::path own_folder() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return fs::path(exe).parent_path();
}

// A loaded library, freed at the end.
class loaded_library {
public:
    explicit loaded_library(const fs::path& file) : h_(LoadLibraryW(file.c_str())) {}
    ~loaded_library() {
        if (h_)
            FreeLibrary(h_);
    }
    loaded_library(const loaded_library&) = delete;
    loaded_library& operator=(const loaded_library&) = delete;
    explicit operator bool() const { return h_ != nullptr; }

private:
    HMODULE h_;
};

// A copy of a test library whose fixed-information signature no longer reads 0xFEEF04BD.
void write_patched_copy(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string signature("\xBD\x04\xEF\xFE", 4);
    size_t patched = 0;
    for (size_t at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 4), ++patched)
        bytes[at] = '\xBC';
    ASSERT_GT(patched, 0u);
    write_file(to, bytes);
}

TEST_F(real_system, VersionResourcesOfTestLibraries) {
    fs::path own = own_folder();
    write_patched_copy(own / "ver_match.dll", root / "patched" / "ver_patched.dll");
    const struct {
        fs::path file;
        const char16_t* module;
        bool loads;
        std::u16string version;
    } cases[] = {
        {own / "ver_match.dll", u"ver_match.dll", true, u"12.2.0.1.0 Production"},
        {own / "ver_other.dll", u"ver_other.dll", true, u""},
        {own / "ver_none.dll", u"ver_none.dll", false, u""},
        {root / "patched" / "ver_patched.dll", u"ver_patched.dll", false, u""},
    };
    for (const auto& t : cases) {
        loaded_library lib(t.file);
        ASSERT_TRUE(lib) << t.file;
        CModuleVersion v;
        EXPECT_EQ(v.LoadFromModule(t.module), t.loads) << t.file;
        if (t.loads) {
            EXPECT_EQ(v.QueryStringValue(u"FileVersion"), t.version) << t.file;
        }
    }
    loaded_library lib(own / "ver_match.dll");
    CModuleVersion v;
    ASSERT_TRUE(v.LoadFromModule(u"VER_MATCH.DLL"));
    EXPECT_EQ(v.dwFileVersionMS, (12u << 16) | 2u);
    EXPECT_EQ(v.dwFileVersionLS, 1u);
    EXPECT_EQ(v.Translation().language, 0x0409);
    EXPECT_EQ(v.Translation().code_page, 1252);
    EXPECT_EQ(v.QueryStringValue(u"CompanyName"), u"Test Maker");
    EXPECT_FALSE(CModuleVersion().LoadFromModule(u"never_loaded.dll"));
}

TEST_F(real_system, ClientVersionAndPathOfTheLoadedOciDll) {
    if (GetModuleHandleW(L"OCI.DLL"))
        GTEST_SKIP() << "a client library is already loaded";
    fs::path own = own_folder();
    std::u16string path = u"untouched";
    EXPECT_FALSE(CTNS().GetClientPath(path));
    EXPECT_EQ(path, u"untouched");
    EXPECT_EQ(CTNS().GetClientVersion(), u"Not found");

    write_patched_copy(own / "ver_match.dll", root / "patched" / "OCI.DLL");
    const struct {
        fs::path source;
        const char* folder;
        std::u16string version;
    } cases[] = {
        {own / "ver_match.dll", "match", u"12.2.0.1.0 Production"},
        {own / "ver_other.dll", "other", u""},
        {own / "ver_none.dll", "none", u"Not found"},
        {{}, "patched", u"Not found"},
    };
    for (const auto& t : cases) {
        fs::path file = root / t.folder / "OCI.DLL";
        if (!t.source.empty()) {
            fs::create_directories(file.parent_path());
            fs::copy_file(t.source, file);
        }
        loaded_library lib(file);
        ASSERT_TRUE(lib) << file;
        EXPECT_EQ(CTNS().GetClientVersion(), t.version) << t.folder;
        std::u16string loaded;
        ASSERT_TRUE(CTNS().GetClientPath(loaded)) << t.folder;
        EXPECT_TRUE(fs::equivalent(fs::path(loaded), file)) << t.folder;
    }
}

TEST_F(real_system, SearchPathFindsAFileOnPath) {
    std::u16string name =
        u"mendwick_probe_" + fs::path(std::to_string(GetCurrentProcessId())).u16string() + u".dll";
    write_file(root / "probe" / fs::path(name), "x");
    prepend_to_search_path(root / "probe");
    std::u16string found;
    std::size_t part = 0;
    std::size_t n = platform::client_system::real().search_path(name, 260, found, part);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, found.size());
    EXPECT_TRUE(fs::equivalent(fs::path(found), root / "probe" / fs::path(name)));
    EXPECT_TRUE(platform::ascii_iequal(found.substr(part), name));
    // A buffer too small reports the size it needs and fills nothing.
    std::u16string small = u"untouched";
    EXPECT_GT(platform::client_system::real().search_path(name, 8, small, part), 8u);
    EXPECT_EQ(small, u"untouched");
}

TEST_F(real_system, AFileHeldOpenForWritingIsStillRead) {
    write_file(root / "cwd" / "TNSNAMES.ORA", "shared=(x)\n");
    HANDLE writer = CreateFileW((root / "cwd" / "TNSNAMES.ORA").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    fs::current_path(root / "cwd");
    EXPECT_EQ(aliases(), names{u"SHARED"});
    CloseHandle(writer);
}

// Oracle homes under HKEY_LOCAL_MACHINE\SOFTWARE\ORACLE, made for the test and removed with it. The
// client is an OCI.DLL put on PATH under <home>\BIN; when the program's own folder holds one, that
// folder is the client and the homes are made to match it.
class machine_registry : public real_system {
protected:
    void SetUp() override {
        real_system::SetUp();
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE", 0, KEY_READ, &h) == ERROR_SUCCESS) {
            std::vector<std::u16string> existing;
            platform::client_system::real().machine_subkeys(u"SOFTWARE\\ORACLE", existing);
            RegCloseKey(h);
            for (const auto& name : existing)
                if (name.find(u"MendwickTest") == std::u16string::npos)
                    GTEST_SKIP() << "this machine has Oracle homes of its own";
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE"); // left by an interrupted run
        }
        write_file(root / "client_1" / "BIN" / "OCI.DLL", "not a real library");
        prepend_to_search_path(root / "client_1" / "BIN");
        ASSERT_TRUE(CTNS().FindClientDirectory(client));
        ASSERT_GT(client.size(), 5u);
        ASSERT_TRUE(platform::ascii_iequal(client.substr(client.size() - 5), u"\\BIN\\"));
        home_dir = client.substr(0, client.size() - 5);
        created = true;
    }
    void TearDown() override {
        if (created) {
            EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE"), ERROR_SUCCESS);
            HKEY h = nullptr;
            EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE", 0, KEY_READ, &h), ERROR_SUCCESS);
        }
        real_system::TearDown();
    }
    void value(const std::u16string& key, const char16_t* name, const std::u16string& text,
               DWORD type = REG_SZ) {
        HKEY h = nullptr;
        std::u16string path = u"SOFTWARE\\ORACLE\\" + key;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, w(path), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
        if (name) {
            ASSERT_EQ(RegSetValueExW(h, reinterpret_cast<const wchar_t*>(name), 0, type,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * 2)),
                      ERROR_SUCCESS);
        }
        RegCloseKey(h);
    }
    void home(const std::u16string& key, const std::u16string& oracle_home, const std::u16string& name = {}) {
        value(key, u"ORACLE_HOME", oracle_home);
        if (!name.empty())
            value(key, u"ORACLE_HOME_NAME", name);
    }

    std::u16string client, home_dir;
    bool created = false;
};

TEST_F(machine_registry, HomeNameOfTheHomeThatHoldsTheClient) {
    EXPECT_EQ(CTNS().GetOracleHomeName(), u""); // the key is not there yet
    home(u"KEY_MendwickTest0", text_of(root / "elsewhere"), u"Elsewhere");
    EXPECT_EQ(CTNS().GetOracleHomeName(), u"");
    // Registry order is the order of names; A before B.
    home(u"KEY_MendwickTestA", home_dir);
    value(u"KEY_MendwickTestA", u"ORACLE_HOME_NAME", u"Expanded", REG_EXPAND_SZ);
    home(u"KEY_MendwickTestB", platform::ascii_upper(home_dir), std::u16string(259, u'n'));
    home(u"KEY_MendwickTestC", home_dir, u"OraClient_C");
    home(u"KEY_MendwickTestD", home_dir, u"OraClient_D");
    EXPECT_EQ(CTNS().GetOracleHomeName(), u"OraClient_C");
    // Any key name supplies the name.
    home(u"AAA_MendwickTest", home_dir, u"First Of All");
    EXPECT_EQ(CTNS().GetOracleHomeName(), u"First Of All");

    std::u16string text = u"untouched";
    EXPECT_FALSE(CTNS().ReadMachineString(u"SOFTWARE\\ORACLE\\KEY_MendwickTestA", u"ORACLE_HOME_NAME", text));
    EXPECT_FALSE(CTNS().ReadMachineString(u"SOFTWARE\\ORACLE\\KEY_MendwickTestB", u"ORACLE_HOME_NAME", text));
    EXPECT_EQ(text, u"untouched");
    EXPECT_TRUE(CTNS().ReadMachineString(u"SOFTWARE\\ORACLE\\KEY_MendwickTestC", u"ORACLE_HOME_NAME", text));
    EXPECT_EQ(text, u"OraClient_C");
    std::vector<std::u16string> keys;
    ASSERT_TRUE(CTNS().ListMachineSubkeys(u"SOFTWARE\\ORACLE", keys));
    EXPECT_EQ(keys.size(), 6u);
}

TEST_F(machine_registry, TnsNamesFromTheHomeAfterTheWorkingDirectoryAndTnsAdmin) {
    write_file(root / "reg_admin" / "TNSNAMES.ORA", "REGALIAS=(x)\n");
    write_file(root / "cwd" / "TNSNAMES.ORA", "CWDALIAS=(x)\n");
    write_file(root / "env" / "TNSNAMES.ORA", "ENVALIAS=(x)\n");
    home(u"ODP_MendwickTest", home_dir);
    value(u"ODP_MendwickTest", u"TNS_ADMIN", text_of(root / "cwd"));
    home(u"home_MendwickTest1", home_dir);
    value(u"home_MendwickTest1", u"TNS_ADMIN", text_of(root / "reg_admin"));
    home(u"home_MendwickTest2", home_dir);
    value(u"home_MendwickTest2", u"TNS_ADMIN", text_of(root / "env"));

    fs::current_path(root / "empty");
    EXPECT_EQ(aliases(), names{u"REGALIAS"});
    set_env(u"TNS_ADMIN", text_of(root / "env") + u"\\");
    EXPECT_EQ(aliases(), names{u"ENVALIAS"});
    fs::current_path(root / "cwd");
    EXPECT_EQ(aliases(), names{u"CWDALIAS"});

    // Without TNS_ADMIN in the home, its NETWORK\ADMIN folder; the file need not exist.
    set_env(u"TNS_ADMIN", std::nullopt);
    fs::current_path(root / "empty");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE\\home_MendwickTest1", L"TNS_ADMIN");
    std::u16string path;
    ASSERT_TRUE(CTNS().FindTnsNamesFile(path));
    EXPECT_EQ(path, home_dir + u"\\NETWORK\\ADMIN\\TNSNAMES.ORA");
    EXPECT_EQ(aliases(), names{});
}

#endif

} // namespace
