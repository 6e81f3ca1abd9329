#include "sql_connection.h"

#include "fake_profile.h"

#include <gtest/gtest.h>

namespace {

constexpr std::u16string_view section = u"Connections";

CSQLConnection connection(fake_profile& p, std::u16string user, std::u16string database) {
    CSQLConnection c;
    c.Application = &p;
    c.User = std::move(user);
    c.Database = std::move(database);
    return c;
}

TEST(Descriptor, NewOneHasTheDefaultsAndTheRunningProfile) {
    fake_profile running;
    platform::set_running_profile(&running);
    CSQLConnection c;
    platform::set_running_profile(nullptr);
    EXPECT_EQ(c.Server, u"Oracle");
    EXPECT_TRUE(c.SavePassword);
    EXPECT_EQ(c.ConnectAs, 0);
    for (const auto* text : {&c.Name, &c.User, &c.Password, &c.Database, &c.DBClient})
        EXPECT_TRUE(text->empty());
    EXPECT_EQ(c.Application, &running);
}

TEST(Descriptor, ConnectAsNames) {
    const struct {
        int mode;
        const char16_t* name;
    } cases[] = {{0, u"Normal"},  {1, u"SYSDBA"}, {2, u"SYSOPER"},
                 {-1, u"Normal"}, {3, u"Normal"}, {7, u"Normal"}};
    for (const auto& t : cases) {
        CSQLConnection c;
        c.ConnectAs = t.mode;
        EXPECT_EQ(c.GetConnectAsName(), t.name) << t.mode;
    }
}

TEST(Descriptor, IdentityIsUserAndDatabaseWithCaseCounting) {
    fake_profile p;
    CSQLConnection base = connection(p, u"scott", u"orcl");
    base.Name = u"a";
    base.Password = u"tiger";
    struct variant {
        const char* what;
        void (*change)(CSQLConnection&);
        bool same;
    };
    const variant cases[] = {
        {"user case", [](CSQLConnection& c) { c.User = u"SCOTT"; }, false},
        {"database case", [](CSQLConnection& c) { c.Database = u"ORCL"; }, false},
        {"other user", [](CSQLConnection& c) { c.User = u"scot"; }, false},
        {"name", [](CSQLConnection& c) { c.Name = u"b"; }, true},
        {"password", [](CSQLConnection& c) { c.Password = u"lion"; }, true},
        {"mode", [](CSQLConnection& c) { c.ConnectAs = 1; }, true},
        {"save password", [](CSQLConnection& c) { c.SavePassword = false; }, true},
        {"server and client", [](CSQLConnection& c) { c.Server = u"X", c.DBClient = u"Y"; }, true},
    };
    for (const auto& t : cases) {
        CSQLConnection other = base;
        t.change(other);
        EXPECT_EQ(base.IsSameConnection(other), t.same) << t.what;
        EXPECT_EQ(other.IsSameConnection(base), t.same) << t.what;
    }
}

TEST(Descriptor, CopyKeepsEveryFieldAndThePassword) {
    fake_profile p;
    CSQLConnection c = connection(p, u"u", u"d");
    c.Name = u"n";
    c.Server = u"s";
    c.Password = u"secret";
    c.DBClient = u"c";
    c.ConnectAs = 2;
    c.SavePassword = false;
    CSQLConnection copy = c;
    EXPECT_EQ(copy.Name, u"n");
    EXPECT_EQ(copy.Server, u"s");
    EXPECT_EQ(copy.User, u"u");
    EXPECT_EQ(copy.Password, u"secret");
    EXPECT_EQ(copy.Database, u"d");
    EXPECT_EQ(copy.DBClient, u"c");
    EXPECT_EQ(copy.ConnectAs, 2);
    EXPECT_FALSE(copy.SavePassword);
    EXPECT_EQ(copy.Application, &p);
}

TEST(Scrambling, IsItsOwnInverseAndTouchesOnlyTheLowByte) {
    for (std::u16string text :
         {std::u16string(), std::u16string(u"tiger"), std::u16string(u"p\u00e4ss\u4e2d\U0001F600")}) {
        std::u16string once = ScramblePassword(text);
        EXPECT_EQ(once.size(), text.size());
        EXPECT_EQ(ScramblePassword(once), text);
        for (size_t i = 0; i < text.size(); ++i)
            EXPECT_EQ(once[i] & 0xFF00, text[i] & 0xFF00);
    }
    EXPECT_EQ(ScramblePassword(u"abc"), std::u16string(u"\x6a\x69\x68"));
    EXPECT_EQ(ScramblePassword(u"\u4e2d"), u"\u4e26");
}

TEST(Record, SaveWritesTheEightValuesInOrderWithTypesAndDecimalIndex) {
    fake_profile p;
    CSQLConnection c = connection(p, u"scott", u"orcl");
    c.Name = u"n";
    c.Server = u"srv";
    c.Password = u"tiger";
    c.DBClient = u"cl";
    c.ConnectAs = 2;
    EXPECT_TRUE(c.Save(section, 10));
    const std::vector<std::u16string> order = {u"Name_10",      u"User_10",        u"Password_10",
                                               u"Server_10",    u"Database_10",    u"DBClient_10",
                                               u"ConnectAs_10", u"SavePassword_10"};
    EXPECT_EQ(p.writes, order);
    const struct {
        const char16_t* name;
        fake_profile::value value;
    } stored[] = {
        {u"Name_10", u"n"},     {u"User_10", u"scott"},    {u"Password_10", ScramblePassword(u"tiger")},
        {u"Server_10", u"srv"}, {u"Database_10", u"orcl"}, {u"DBClient_10", u"cl"},
        {u"ConnectAs_10", 2},   {u"SavePassword_10", 1}};
    for (const auto& s : stored) {
        const fake_profile::value* v = p.find(section, s.name);
        ASSERT_NE(v, nullptr) << platform::to_narrow(s.name);
        EXPECT_EQ(*v, s.value) << platform::to_narrow(s.name);
    }
}

TEST(Record, SaveWithoutSavePasswordWritesAndLeavesNoPassword) {
    fake_profile p;
    CSQLConnection c = connection(p, u"scott", u"orcl");
    c.Password = u"tiger";
    c.SavePassword = false;
    EXPECT_TRUE(c.Save(section, 0));
    EXPECT_EQ(*p.find(section, u"Password_0"), fake_profile::value(std::u16string()));
    EXPECT_EQ(*p.find(section, u"SavePassword_0"), fake_profile::value(0));
    EXPECT_TRUE(c.Password.empty());
}

TEST(Record, LoadReadsStoredValuesAndDefaultsForAbsentOnes) {
    struct stored {
        const char16_t* name;
        fake_profile::value value;
    };
    const struct {
        const char* what;
        std::vector<stored> values;
        bool loads;
        std::u16string server;
        int mode;
        bool save_password;
    } cases[] = {
        {"only a user", {{u"User_3", u"u"}}, true, u"", 0, true},
        {"every value",
         {{u"User_3", u"u"}, {u"Server_3", u"S"}, {u"ConnectAs_3", 1}, {u"SavePassword_3", 0}},
         true,
         u"S",
         1,
         false},
        {"a mode of 7 stays 7", {{u"User_3", u"u"}, {u"ConnectAs_3", 7}}, true, u"", 7, true},
        {"any non-zero keeps the password", {{u"User_3", u"u"}, {u"SavePassword_3", 5}}, true, u"", 0, true},
        {"an integer where a text belongs is absent",
         {{u"User_3", u"u"}, {u"Server_3", 4}},
         true,
         u"",
         0,
         true},
        {"a text where an integer belongs is absent",
         {{u"User_3", u"u"}, {u"ConnectAs_3", u"1"}, {u"SavePassword_3", u"0"}},
         true,
         u"",
         0,
         true},
        {"an empty user ends the list", {{u"User_3", u""}, {u"Server_3", u"S"}}, false, u"keep", 9, false},
        {"no user", {{u"Server_3", u"S"}}, false, u"keep", 9, false},
        {"the user as an integer", {{u"User_3", 1}}, false, u"keep", 9, false},
    };
    for (const auto& t : cases) {
        fake_profile p;
        for (const auto& v : t.values)
            p.put(section, v.name, v.value);
        p.put(section, u"Name_3", u"the name");
        CSQLConnection c;
        c.Application = &p;
        c.Server = u"keep";
        c.ConnectAs = 9;
        c.SavePassword = false;
        EXPECT_EQ(c.Load(section, 3), t.loads) << t.what;
        EXPECT_EQ(c.Name, u"the name") << t.what; // read before the user decides
        EXPECT_EQ(c.Server, t.server) << t.what;
        EXPECT_EQ(c.ConnectAs, t.mode) << t.what;
        EXPECT_EQ(c.SavePassword, t.save_password) << t.what;
    }
}

TEST(Record, RoundTripUnscramblesAndAVerticalTabEndsTheStoredPassword) {
    const struct {
        std::u16string password;
        std::u16string loaded;
    } cases[] = {{u"tiger", u"tiger"},
                 {u"", u""},
                 {u"ab\vcd", u"ab"},
                 {u"\vx", u""},
                 {u"\u00e9\u4e2d", u"\u00e9\u4e2d"}};
    for (const auto& t : cases) {
        fake_profile p;
        CSQLConnection c = connection(p, u"u", u"d");
        c.Password = t.password;
        c.Save(section, 0);
        CSQLConnection back;
        back.Application = &p;
        ASSERT_TRUE(back.Load(section, 0));
        EXPECT_EQ(back.Password, t.loaded);
    }
}

TEST(Record, WithoutAProfileNothingIsReadOrWritten) {
    CSQLConnection c;
    c.Application = nullptr;
    c.User = u"u";
    EXPECT_FALSE(c.Save(section, 0));
    EXPECT_FALSE(c.Load(section, 0));
    EXPECT_EQ(c.User, u"u");
}

} // namespace
