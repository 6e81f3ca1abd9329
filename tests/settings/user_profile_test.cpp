// The user profile of this platform (the registry on Windows, the profile file elsewhere), on the
// real system: the same rules for both, then what only one of them has.
#include "connection_list.h"
#include "profile.h"
#include "text.h"

#ifdef _WIN32
#include "registry_profile.h"
#include "win32.h"
#else
#include "file_profile.h"
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr std::u16string_view section = u"Connections";

std::u16string decimal(unsigned long long v) {
    std::u16string out;
    for (char c : std::to_string(v))
        out.push_back(static_cast<char16_t>(c));
    return out;
}

#ifdef _WIN32

const wchar_t* w(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// A profile under an application key of the test's own, removed with everything in it at the end.
class user_profile : public ::testing::Test {
protected:
    void SetUp() override {
        application = u"Mendwick Test " + decimal(GetCurrentProcessId());
        profile = std::make_unique<platform::registry_profile>(u"Tolvera Software", application);
        RegDeleteTreeW(HKEY_CURRENT_USER, w(profile->ProfileKeyPath()));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, w(profile->ProfileKeyPath()));
        // The company key goes too when the test was its only user.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tolvera Software");
        EXPECT_FALSE(key_exists(profile->ProfileKeyPath()));
    }
    static bool key_exists(const std::u16string& path) {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, w(path), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }
    std::u16string section_path() const { return profile->ProfileKeyPath() + u"\\Connections"; }
    bool section_exists() const { return key_exists(section_path()); }
    // A value written behind the profile's back, of any type.
    void raw_value(const char16_t* name, DWORD type, const void* data, DWORD size) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, w(section_path()), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(h, reinterpret_cast<const wchar_t*>(name), 0, type,
                                 static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }
    DWORD raw_type(const char16_t* name) {
        HKEY h = nullptr;
        DWORD type = REG_NONE;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, w(section_path()), 0, KEY_READ, &h) == ERROR_SUCCESS) {
            if (RegQueryValueExW(h, reinterpret_cast<const wchar_t*>(name), nullptr, &type, nullptr,
                                 nullptr) != ERROR_SUCCESS)
                type = REG_NONE;
            RegCloseKey(h);
        }
        return type;
    }

    std::u16string application;
    std::unique_ptr<platform::registry_profile> profile;
};

#else

// A profile file in a folder of the test's own, removed at the end.
class user_profile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/mendwick-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/sub/profile.ini";
        profile = std::make_unique<platform::file_profile>(path);
    }
    void TearDown() override {
        profile.reset();
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    bool section_exists() const { return read_file().find("[Connections]") != std::string::npos; }
    std::string read_file() const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write_file(const std::string& content) const {
        // Written as another process would: a new file renamed into place.
        mkdir((dir + "/sub").c_str(), 0700);
        std::string temp = dir + "/other";
        std::ofstream(temp, std::ios::binary) << content;
        std::rename(temp.c_str(), path.c_str());
    }
    std::vector<std::string> files_in(const std::string& folder) const {
        std::vector<std::string> out;
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    out.push_back(e->d_name);
            closedir(d);
        }
        return out;
    }

    std::string dir, path;
    std::unique_ptr<platform::file_profile> profile;
};

#endif

TEST_F(user_profile, StringsAndIntegersAreKeptApart) {
    platform::profile& p = *profile;
    EXPECT_EQ(p.GetProfileString(section, u"User_0", u"none"), u"none");
    EXPECT_EQ(p.GetProfileInt(section, u"ConnectAs_0", 5), 5);
    ASSERT_TRUE(p.WriteProfileString(section, u"User_0", u"scott"));
    ASSERT_TRUE(p.WriteProfileInt(section, u"ConnectAs_0", -1));
    ASSERT_TRUE(p.WriteProfileInt(section, u"Big", static_cast<int>(0xFFFFFFFEu)));
    EXPECT_EQ(p.GetProfileString(section, u"User_0"), u"scott");
    EXPECT_EQ(p.GetProfileString(section, u"USER_0"), u"scott"); // names, like registry names, ignore case
    EXPECT_EQ(p.GetProfileInt(section, u"ConnectAs_0", 0), -1);
    EXPECT_EQ(p.GetProfileInt(section, u"Big", 0), static_cast<int>(0xFFFFFFFEu));
    EXPECT_EQ(p.GetProfileInt(section, u"User_0", 3), 3);
    EXPECT_EQ(p.GetProfileString(section, u"ConnectAs_0", u"d"), u"d");
    // A value changes its type when written with the other one.
    ASSERT_TRUE(p.WriteProfileInt(section, u"User_0", 1));
    EXPECT_EQ(p.GetProfileString(section, u"User_0", u"gone"), u"gone");
}

TEST_F(user_profile, TextsComeBackWholeUpToTheirFirstNul) {
    platform::profile& p = *profile;
    const std::u16string texts[] = {
        u"",
        u"plain",
        u"a=b;[c]\\d\"e' f\tg",
        u"line\r\nbreaks\n",
        u"\u00e9t\u00e9 \u4e2d\u6587 \U0001F600",
        std::u16string(100000, u'x') + u"end",
    };
    int i = 0;
    for (const auto& text : texts) {
        std::u16string name = u"Text_" + decimal(i++);
        ASSERT_TRUE(p.WriteProfileString(section, name, text));
        EXPECT_EQ(p.GetProfileString(section, name, u"absent"), text) << i;
    }
    ASSERT_TRUE(p.WriteProfileString(section, u"Cut", std::u16string(u"before\0after", 12)));
    EXPECT_EQ(p.GetProfileString(section, u"Cut"), u"before");
}

TEST_F(user_profile, CleanStateRemovesTheSectionOnly) {
    platform::profile& p = *profile;
    p.WriteProfileString(section, u"User_0", u"a");
    p.WriteProfileString(u"Other", u"Keep", u"k");
    EXPECT_TRUE(section_exists());
    EXPECT_TRUE(p.CleanState(section));
    EXPECT_FALSE(section_exists());
    EXPECT_EQ(p.GetProfileString(section, u"User_0", u"none"), u"none");
    EXPECT_EQ(p.GetProfileString(u"Other", u"Keep"), u"k");
    EXPECT_TRUE(p.CleanState(u"Never There"));
    EXPECT_FALSE(p.CleanState(u"")); // never the whole profile
    EXPECT_EQ(p.GetProfileString(u"Other", u"Keep"), u"k");
}

TEST_F(user_profile, SavedConnectionsAreWrittenReadBackAndCleaned) {
    CSQLConnection c;
    c.Application = profile.get();
    c.Name = u"daily";
    c.User = u"scott";
    c.Password = u"t\u00efger";
    c.Database = u"ORCL";
    c.ConnectAs = 1;
    CConnectionList list(profile.get());
    list.AddConnection(c);
    c.User = u"system";
    c.SavePassword = false;
    list.AddConnection(c);
    ASSERT_TRUE(list.SaveConnections());

    EXPECT_EQ(profile->GetProfileString(section, u"Password_0"), ScramblePassword(u"t\u00efger"));
    CConnectionList back(profile.get());
    back.LoadConnections();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].User, u"scott");
    EXPECT_EQ(back[0].Password, u"t\u00efger");
    EXPECT_EQ(back[0].Server, u"Oracle");
    EXPECT_EQ(back[0].ConnectAs, 1);
    EXPECT_TRUE(back[0].SavePassword);
    EXPECT_EQ(back[1].User, u"system");
    EXPECT_TRUE(back[1].Password.empty());
    EXPECT_FALSE(back[1].SavePassword);
#ifdef _WIN32
    EXPECT_EQ(raw_type(u"User_0"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw_type(u"ConnectAs_1"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw_type(u"SavePassword_1"), static_cast<DWORD>(REG_DWORD));
#endif

    back.ClearConnections();
    ASSERT_TRUE(back.SaveConnections());
    EXPECT_FALSE(section_exists());
    back.LoadConnections();
    EXPECT_TRUE(back.empty());
}

TEST_F(user_profile, TenThousandRecordsSaveAndLoad) {
    CConnectionList list(profile.get());
    for (int i = 0; i < 10000; ++i) {
        CSQLConnection c;
        c.Application = profile.get();
        c.User = u"user" + decimal(i);
        c.Database = u"db";
        c.Password = u"pw" + decimal(i);
        c.ConnectAs = i % 3;
        list.AddConnection(c);
    }
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(list.SaveConnections());
    CConnectionList back(profile.get());
    back.LoadConnections();
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(back.size(), 10000u);
    EXPECT_EQ(back[9999].User, u"user9999");
    EXPECT_EQ(back[9999].Password, u"pw9999");
    EXPECT_EQ(back[9998].ConnectAs, 9998 % 3);
    EXPECT_LT(seconds, 120.0);
}

#ifdef _WIN32

TEST_F(user_profile, ValuesOfAnotherTypeReadAsAbsent) {
    const wchar_t expand[] = L"%TEMP%";
    raw_value(u"User_0", REG_EXPAND_SZ, expand, sizeof expand);
    DWORD one = 1;
    raw_value(u"Server_0", REG_DWORD, &one, sizeof one);
    const wchar_t text[] = L"1";
    raw_value(u"ConnectAs_0", REG_SZ, text, sizeof text);
    unsigned long long wide = 1;
    raw_value(u"SavePassword_0", REG_QWORD, &wide, sizeof wide);
    raw_value(u"Binary", REG_BINARY, text, sizeof text);
    EXPECT_EQ(profile->GetProfileString(section, u"User_0", u"d"), u"d");
    EXPECT_EQ(profile->GetProfileString(section, u"Server_0", u"d"), u"d");
    EXPECT_EQ(profile->GetProfileString(section, u"Binary", u"d"), u"d");
    EXPECT_EQ(profile->GetProfileInt(section, u"ConnectAs_0", 7), 7);
    EXPECT_EQ(profile->GetProfileInt(section, u"SavePassword_0", 7), 7);
    CSQLConnection c;
    c.Application = profile.get();
    EXPECT_FALSE(c.Load(section, 0));
}

TEST_F(user_profile, StoredTextEndsAtItsFirstNulOrWithItsData) {
    const wchar_t embedded[] = L"ab\0cd";
    raw_value(u"Embedded", REG_SZ, embedded, sizeof embedded);
    const wchar_t unterminated[] = {L'x', L'y', L'z'};
    raw_value(u"Unterminated", REG_SZ, unterminated, sizeof unterminated);
    const char odd[] = {'q', 0, 'r'};
    raw_value(u"Odd", REG_SZ, odd, sizeof odd);
    raw_value(u"Empty", REG_SZ, nullptr, 0);
    EXPECT_EQ(profile->GetProfileString(section, u"Embedded"), u"ab");
    EXPECT_EQ(profile->GetProfileString(section, u"Unterminated"), u"xyz");
    EXPECT_EQ(profile->GetProfileString(section, u"Odd"), u"q");
    EXPECT_EQ(profile->GetProfileString(section, u"Empty", u"d"), u"");
}

TEST_F(user_profile, ReadingCreatesTheSectionKey) {
    EXPECT_FALSE(section_exists());
    EXPECT_EQ(profile->GetProfileString(section, u"User_0"), u"");
    EXPECT_TRUE(section_exists());
}

TEST_F(user_profile, WithoutACompanyNothingIsTouched) {
    platform::registry_profile bare;
    bare.SetProfileName(application);
    EXPECT_FALSE(bare.WriteProfileString(section, u"User_0", u"x"));
    EXPECT_EQ(bare.GetProfileString(section, u"User_0", u"d"), u"d");
    EXPECT_FALSE(key_exists(u"Software\\" + application));
}

TEST(UserProfile, ProfileOfTheProgramIsUnderTheCompanyAndTitle) {
    platform::registry_profile p;
    p.SetRegistryKey(u"Tolvera Software");
    p.SetProfileName(u"Mendwick");
    EXPECT_EQ(p.ProfileKeyPath(), u"Software\\Tolvera Software\\Mendwick");
}

#else

TEST_F(user_profile, DamagedLinesAreSkippedAndTheRestIsRead) {
    write_file("[Connections]\n"
               "User_0=s:scott\r\n"
               "garbage without equals\n"
               "Name_0=x:unknown type\n"
               "Server_0=s:bad\\u12escape\n"
               "Database_0=s:bytes \xE9\xFF here\n"
               "ConnectAs_0=i:12x\n"
               "SavePassword_0=i:99999999999\n"
               "DBClient_0=s:ok\\u0041\n"
               "=s:no name\n"
               "[Unclosed\n"
               "Orphan=s:in no section\n"
               "[Connections]\n"
               "Password_0=s:\\u007F\n");
    platform::profile& p = *profile;
    EXPECT_EQ(p.GetProfileString(section, u"User_0"), u"scott");
    EXPECT_EQ(p.GetProfileString(section, u"DBClient_0"), u"okA");
    EXPECT_EQ(p.GetProfileString(section, u"Password_0"), u"\u007F");
    for (const char16_t* absent : {u"Name_0", u"Server_0", u"Database_0", u"Orphan"})
        EXPECT_EQ(p.GetProfileString(section, absent, u"-"), u"-") << platform::to_narrow(absent);
    EXPECT_EQ(p.GetProfileInt(section, u"ConnectAs_0", -5), -5);
    EXPECT_EQ(p.GetProfileInt(section, u"SavePassword_0", -5), -5);
    EXPECT_EQ(p.GetProfileString(u"Unclosed", u"Orphan", u"-"), u"-");
}

TEST_F(user_profile, RandomBytesReadAsAnEmptyProfileAndAreReplacedOnWrite) {
    std::string noise;
    unsigned x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        noise.push_back(static_cast<char>(x >> 23));
    }
    write_file(noise);
    EXPECT_EQ(profile->GetProfileString(section, u"User_0", u"-"), u"-");
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_0", u"a"));
    platform::file_profile again(path);
    EXPECT_EQ(again.GetProfileString(section, u"User_0"), u"a");
}

TEST_F(user_profile, WritesReplaceTheFileAndLeaveNoTemporaryFile) {
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_0", u"a"));
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    EXPECT_EQ(before.st_mode & 0777, 0600u);
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_1", u"b"));
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file took the old one's place
    EXPECT_EQ(files_in(dir + "/sub"), std::vector<std::string>{"profile.ini"});
}

TEST_F(user_profile, AFileReplacedByAnotherProcessIsReadAgain) {
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_0", u"mine"));
    write_file("[Connections]\nUser_0=s:theirs\n");
    EXPECT_EQ(profile->GetProfileString(section, u"User_0"), u"theirs");
}

TEST_F(user_profile, ABatchWritesTheFileOnceAtItsEnd) {
    profile->BeginBatch();
    profile->BeginBatch();
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_0", u"a"));
    ASSERT_TRUE(profile->WriteProfileInt(section, u"ConnectAs_0", 2));
    EXPECT_EQ(profile->GetProfileString(section, u"User_0"), u"a");
    EXPECT_TRUE(profile->EndBatch());
    EXPECT_TRUE(read_file().empty());
    EXPECT_TRUE(profile->EndBatch());
    platform::file_profile other(path);
    EXPECT_EQ(other.GetProfileString(section, u"User_0"), u"a");
    EXPECT_EQ(other.GetProfileInt(section, u"ConnectAs_0", 0), 2);
}

TEST_F(user_profile, AFailedWriteIsReportedAndNotRemembered) {
    ASSERT_TRUE(profile->WriteProfileString(section, u"User_0", u"kept"));
    // The folder gives way to a plain file: no write can succeed there, not even the superuser's.
    ASSERT_EQ(rename((dir + "/sub").c_str(), (dir + "/moved").c_str()), 0);
    std::ofstream(dir + "/sub") << "not a folder";
    EXPECT_FALSE(profile->WriteProfileString(section, u"User_0", u"lost"));
    EXPECT_EQ(profile->GetProfileString(section, u"User_0", u"d"), u"d"); // what the disk holds: nothing
    unlink((dir + "/sub").c_str());
    ASSERT_EQ(rename((dir + "/moved").c_str(), (dir + "/sub").c_str()), 0);
    EXPECT_EQ(profile->GetProfileString(section, u"User_0"), u"kept");
}

TEST(UserProfile, FileLivesInTheConfigurationFolder) {
    std::string xdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    bool had_xdg = std::getenv("XDG_CONFIG_HOME") != nullptr, had_home = std::getenv("HOME") != nullptr;
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(platform::file_profile::default_path(u"Mendwick"), "/cfg/mendwick/profile.ini");
    EXPECT_EQ(platform::file_profile::default_path(u"../x"), "/cfg/.._x/profile.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(platform::file_profile::default_path(u"Mendwick"), "/home/u/.config/mendwick/profile.ini");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(platform::file_profile::default_path(u"Mendwick"), "");
    platform::file_profile nowhere("");
    EXPECT_FALSE(nowhere.WriteProfileString(section, u"User_0", u"x"));
    EXPECT_EQ(nowhere.GetProfileString(section, u"User_0", u"d"), u"d");
    if (had_xdg)
        setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    if (had_home)
        setenv("HOME", home.c_str(), 1);
}

#endif

} // namespace
