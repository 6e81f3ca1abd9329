#include "tns.h"

#include "fake_system.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientDirectory, IsTheFoundPathUpToItsFileNameIfItFits) {
    const struct {
        std::u16string found;
        std::size_t length; // as the search reports it; 0: the path's own
        bool ok;
        std::u16string directory;
    } cases[] = {
        {u"C:\\ora\\BIN\\OCI.DLL", 0, true, u"C:\\ora\\BIN\\"},
        {u"", 0, false, u""},
        {u"C:\\x\\OCI.DLL", 259, true, u"C:\\x\\"},
        {u"C:\\x\\OCI.DLL", 260, false, u""},
        {u"C:\\x\\OCI.DLL", 400, false, u""},
    };
    for (const auto& t : cases) {
        fake_system s;
        s.search_result = t.found;
        s.search_length_override = t.length;
        std::u16string dir = u"untouched";
        EXPECT_EQ(CTNS(s).FindClientDirectory(dir), t.ok) << t.length;
        EXPECT_EQ(dir, t.ok ? t.directory : u"untouched");
    }
}

TEST(HomeMatch, HomeWithBinIsTheClientDirectoryIgnoringTheCaseOfAToZ) {
    const struct {
        const char16_t* home;
        const char16_t* client;
        bool match;
    } cases[] = {
        {u"C:\\oracle\\product\\12.2.0\\client_1", u"C:\\oracle\\product\\12.2.0\\client_1\\BIN\\", true},
        {u"c:\\ORACLE\\Client", u"C:\\oracle\\client\\bin\\", true},
        {u"C:\\oracle\\client\\", u"C:\\oracle\\client\\BIN\\", false},  // doubled separator
        {u"C:\\oracle\\client", u"C:\\oracle\\client\\BIN", false},      // no trailing separator
        {u"C:\\PROGRA~1\\ora", u"C:\\Program Files\\ora\\BIN\\", false}, // another spelling of the path
        {u"C:\\ora", u"C:\\\\ora\\BIN\\", false},
        {u"C:\\\u00c9ora", u"C:\\\u00e9ora\\BIN\\", false}, // only A-Z fold
        {u"C:\\ora", u"C:\\ora\\BIN\\OCI.DLL", false},
        {u"", u"\\BIN\\", true},
    };
    for (const auto& t : cases)
        EXPECT_EQ(CTNS::HomeHoldsClient(t.home, t.client), t.match) << platform::to_narrow(t.home);
}

TEST(MachineRegistry, StringsCountOnlyAsShortRegSz) {
    const std::u16string key = u"SOFTWARE\\ORACLE\\KEY_X";
    fake_system s;
    s.reg_string(key, u"Plain", u"C:\\ora");
    s.reg_string(key, u"Expand", u"%ORA%", platform::reg_expand_sz);
    s.reg_string(key, u"Longest", std::u16string(258, u'a')); // 518 bytes with the NUL
    s.reg_string(key, u"TooLong", std::u16string(259, u'a')); // 520 bytes with the NUL
    s.reg_string(key, u"Embedded", std::u16string(u"ab\0cd", 5));
    platform::machine_value unterminated{platform::reg_sz, {'x', 0, 'y', 0, 'z'}};
    s.reg(key).values[u"Unterminated"] = unterminated;
    platform::machine_value dword{platform::reg_dword, {1, 0, 0, 0}};
    s.reg(key).values[u"Dword"] = dword;
    const struct {
        const char16_t* name;
        bool ok;
        std::u16string text;
    } cases[] = {
        {u"Plain", true, u"C:\\ora"},
        {u"Expand", false, u""},
        {u"Longest", true, std::u16string(258, u'a')},
        {u"TooLong", false, u""},
        {u"Embedded", true, u"ab"},
        {u"Unterminated", true, u"xy"},
        {u"Dword", false, u""},
        {u"Missing", false, u""},
    };
    CTNS tns(s);
    for (const auto& t : cases) {
        std::u16string value = u"untouched";
        EXPECT_EQ(tns.ReadMachineString(key, t.name, value), t.ok) << platform::to_narrow(t.name);
        EXPECT_EQ(value, t.ok ? t.text : u"untouched") << platform::to_narrow(t.name);
    }
    std::u16string value = u"untouched";
    EXPECT_FALSE(tns.ReadMachineString(u"SOFTWARE\\NOWHERE", u"Plain", value));
    EXPECT_EQ(value, u"untouched");
}

TEST(MachineRegistry, SubkeysComeInTheRegistrysOrderOrTheListIsUntouched) {
    fake_system s;
    s.reg(u"SOFTWARE\\ORACLE").subkeys = {u"KEY_b", u"HOME0", u"ODP.NET"};
    s.reg(u"SOFTWARE\\EMPTY");
    CTNS tns(s);
    std::vector<std::u16string> names = {u"old"};
    EXPECT_TRUE(tns.ListMachineSubkeys(u"SOFTWARE\\ORACLE", names));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"KEY_b", u"HOME0", u"ODP.NET"}));
    EXPECT_TRUE(tns.ListMachineSubkeys(u"SOFTWARE\\EMPTY", names));
    EXPECT_TRUE(names.empty());
    names = {u"old"};
    EXPECT_FALSE(tns.ListMachineSubkeys(u"SOFTWARE\\NOWHERE", names));
    EXPECT_EQ(names, std::vector<std::u16string>{u"old"});
}

TEST(OracleHomeName, FirstHomeThatHoldsTheClientAndHasAName) {
    const std::u16string client = u"C:\\app\\client_1\\bin\\OCI.DLL";
    const struct {
        const char* what;
        void (*setup)(fake_system&);
        std::u16string name;
    } cases[] = {
        {"one matching home",
         [](fake_system& s) { s.home(u"KEY_client1", u"C:\\APP\\CLIENT_1", u"OraClient1"); }, u"OraClient1"},
        {"a home of another directory", [](fake_system& s) { s.home(u"KEY_db", u"C:\\app\\db_1", u"OraDb"); },
         u""},
        {"two matching homes: the first in the listing decides",
         [](fake_system& s) {
             s.home(u"KEY_first", u"C:\\app\\client_1", u"First");
             s.home(u"KEY_second", u"c:\\app\\client_1", u"Second");
         },
         u"First"},
        {"a matching home without a name is passed over",
         [](fake_system& s) {
             s.home(u"KEY_noname", u"C:\\app\\client_1");
             s.home(u"KEY_named", u"C:\\app\\client_1", u"Named");
         },
         u"Named"},
        {"a home without ORACLE_HOME is passed over",
         [](fake_system& s) {
             s.home(u"KEY_empty", u"", u"Nothing");
             s.home(u"KEY_real", u"C:\\app\\client_1", u"Real");
         },
         u"Real"},
        {"any key name counts here", [](fake_system& s) { s.home(u"ODP.NET", u"C:\\app\\client_1", u"Odp"); },
         u"Odp"},
        {"a name stored as REG_EXPAND_SZ is absent",
         [](fake_system& s) {
             s.home(u"KEY_a", u"C:\\app\\client_1");
             s.reg_string(u"SOFTWARE\\ORACLE\\KEY_a", u"ORACLE_HOME_NAME", u"Expand",
                          platform::reg_expand_sz);
         },
         u""},
        {"a name of 259 characters is absent, of 258 present",
         [](fake_system& s) {
             s.home(u"KEY_a", u"C:\\app\\client_1", std::u16string(259, u'n'));
             s.home(u"KEY_b", u"C:\\app\\client_1", std::u16string(258, u'm'));
         },
         std::u16string(258, u'm')},
        {"a home with a trailing separator does not match",
         [](fake_system& s) { s.home(u"KEY_a", u"C:\\app\\client_1\\", u"Slash"); }, u""},
        {"no ORACLE key", [](fake_system&) {}, u""},
    };
    for (const auto& t : cases) {
        fake_system s;
        s.search_result = client;
        t.setup(s);
        EXPECT_EQ(CTNS(s).GetOracleHomeName(), t.name) << t.what;
    }
}

TEST(OracleHomeName, EmptyWhenTheClientIsNotOnTheSearchPath) {
    fake_system s;
    s.home(u"KEY_a", u"C:\\app\\client_1", u"Name");
    EXPECT_EQ(CTNS(s).GetOracleHomeName(), u"");
}

} // namespace
