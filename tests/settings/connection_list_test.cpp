#include "connection_list.h"

#include "fake_profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::u16string_view section = u"Connections";

std::u16string num(const char16_t* name, int i) {
    std::u16string out = std::u16string(name) + u"_";
    for (char c : std::to_string(i))
        out.push_back(static_cast<char16_t>(c));
    return out;
}

void put_record(fake_profile& p, int i, std::u16string user, std::u16string database,
                std::u16string name = {}) {
    p.put(section, num(u"User", i), user);
    p.put(section, num(u"Database", i), database);
    p.put(section, num(u"Name", i), name);
}

CSQLConnection descriptor(fake_profile& p, std::u16string user, std::u16string database,
                          std::u16string name = {}) {
    CSQLConnection c;
    c.Application = &p;
    c.User = std::move(user);
    c.Database = std::move(database);
    c.Name = std::move(name);
    return c;
}

std::vector<std::u16string> names(const CConnectionList& list) {
    std::vector<std::u16string> out;
    for (size_t i = 0; i < list.size(); ++i)
        out.push_back(list[i].Name);
    return out;
}

TEST(SavedConnections, LoadingStopsAtTheFirstMissingOrEmptyUser) {
    const struct {
        const char* what;
        std::vector<int> records;
        bool empty_user_at_1;
        size_t loaded;
    } cases[] = {
        {"none", {}, false, 0},
        {"one", {0}, false, 1},
        {"0, 1 and 3", {0, 1, 3}, false, 2},
        {"1 without 0", {1, 2}, false, 0},
        {"an empty user at 1", {0, 1, 2}, true, 1},
    };
    for (const auto& t : cases) {
        fake_profile p;
        for (int i : t.records)
            put_record(p, i, u"u" + num(u"", i), u"db", num(u"n", i));
        if (t.empty_user_at_1)
            p.put(section, u"User_1", u"");
        CConnectionList list(&p);
        list.LoadConnections();
        EXPECT_EQ(list.size(), t.loaded) << t.what;
    }
}

TEST(SavedConnections, RecordsBeyondAGapDisappearAtTheNextSave) {
    fake_profile p;
    for (int i : {0, 1, 3})
        put_record(p, i, u"u" + num(u"", i), u"db");
    CConnectionList list(&p);
    list.LoadConnections();
    EXPECT_TRUE(list.SaveConnections());
    EXPECT_NE(p.find(section, u"User_1"), nullptr);
    EXPECT_EQ(p.find(section, u"User_3"), nullptr);
    EXPECT_EQ(p.find(section, u"Database_3"), nullptr);
}

TEST(SavedConnections, DuplicateRecordsLoadAsOneAtTheFirstPositionWithTheLaterFields) {
    fake_profile p;
    put_record(p, 0, u"scott", u"orcl", u"first");
    put_record(p, 1, u"sys", u"orcl", u"other");
    put_record(p, 2, u"scott", u"orcl", u"later");
    put_record(p, 3, u"SCOTT", u"orcl", u"case differs");
    p.put(section, u"ConnectAs_2", 1);
    CConnectionList list(&p);
    list.LoadConnections();
    EXPECT_EQ(names(list), (std::vector<std::u16string>{u"later", u"other", u"case differs"}));
    EXPECT_EQ(list[0].ConnectAs, 1);
}

TEST(SavedConnections, LoadingReplacesTheWholeList) {
    fake_profile p;
    put_record(p, 0, u"a", u"db", u"stored");
    CConnectionList list(&p);
    list.AddConnection(descriptor(p, u"x", u"y", u"in memory"));
    list.LoadConnections();
    EXPECT_EQ(names(list), std::vector<std::u16string>{u"stored"});
    EXPECT_EQ(list[0].Application, &p);
}

TEST(SavedConnections, AddReplacesInPlaceOrAppendsACopy) {
    fake_profile p;
    CConnectionList list(&p);
    CSQLConnection a = descriptor(p, u"a", u"db", u"a1");
    list.AddConnection(a);
    list.AddConnection(descriptor(p, u"b", u"db", u"b1"));
    list.AddConnection(descriptor(p, u"A", u"db", u"A1"));
    list.AddConnection(descriptor(p, u"a", u"db", u"a2"));
    EXPECT_EQ(names(list), (std::vector<std::u16string>{u"a2", u"b1", u"A1"}));
    a.Name = u"changed by its owner";
    EXPECT_EQ(list[0].Name, u"a2");
    // An entry handed back in is copied before the old one goes.
    list.AddConnection(list[1]);
    EXPECT_EQ(names(list), (std::vector<std::u16string>{u"a2", u"b1", u"A1"}));
}

TEST(SavedConnections, FindGivesTheFirstEntryOfTheSameIdentity) {
    fake_profile p;
    CConnectionList list(&p);
    list.AddConnection(descriptor(p, u"a", u"db", u"one"));
    list.AddConnection(descriptor(p, u"b", u"db", u"two"));
    CSQLConnection* found = list.FindConnection(descriptor(p, u"b", u"db", u"whatever"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Name, u"two");
    EXPECT_EQ(found, &list[1]);
    EXPECT_EQ(list.FindConnection(descriptor(p, u"B", u"db")), nullptr);
    EXPECT_EQ(list.FindConnection(descriptor(p, u"b", u"DB")), nullptr);
}

TEST(SavedConnections, RemoveTakesEveryEntryOfTheSameIdentity) {
    fake_profile p;
    CConnectionList list(&p);
    list.AddConnection(descriptor(p, u"a", u"db", u"1"));
    list.AddConnection(descriptor(p, u"b", u"db", u"2"));
    list.AddConnection(descriptor(p, u"c", u"db", u"3"));
    list[2].User = u"a"; // an entry edited in place: now two entries share one identity
    list.RemoveConnection(list[0]);
    EXPECT_EQ(names(list), std::vector<std::u16string>{u"2"});
    list.RemoveConnection(descriptor(p, u"nobody", u"db"));
    EXPECT_EQ(list.size(), 1u);
    list.ClearConnections();
    EXPECT_TRUE(list.empty());
}

TEST(SavedConnections, SaveRenumbersFromZeroInListOrder) {
    fake_profile p;
    for (int i = 0; i < 4; ++i)
        put_record(p, i, u"u" + num(u"", i), u"db", num(u"n", i));
    CConnectionList list(&p);
    list.LoadConnections();
    list.RemoveConnection(list[1]);
    list.AddConnection(descriptor(p, u"new", u"db", u"added"));
    ASSERT_TRUE(list.SaveConnections());
    EXPECT_EQ(p.cleanings, 1);
    CConnectionList back(&p);
    back.LoadConnections();
    EXPECT_EQ(names(back), (std::vector<std::u16string>{u"n_0", u"n_2", u"n_3", u"added"}));
    EXPECT_EQ(p.find(section, u"User_4"), nullptr);
}

TEST(SavedConnections, AnEmptyListSavedLeavesNoSection) {
    fake_profile p;
    put_record(p, 0, u"a", u"db");
    CConnectionList list(&p);
    ASSERT_TRUE(list.SaveConnections());
    EXPECT_FALSE(p.has_section(section));
    list.LoadConnections();
    EXPECT_TRUE(list.empty());
}

TEST(SavedConnections, WhenTheSectionCannotBeCleanedStaleRecordsAreNotLoadedAgain) {
    fake_profile p;
    for (int i = 0; i < 3; ++i)
        put_record(p, i, u"u" + num(u"", i), u"db");
    CConnectionList list(&p);
    list.LoadConnections();
    list.RemoveConnection(list[0]);
    p.refuse_cleaning = true;
    EXPECT_FALSE(list.SaveConnections());
    CConnectionList back(&p);
    back.LoadConnections();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].User, u"u_1");
    EXPECT_EQ(back[1].User, u"u_2");
    EXPECT_EQ(*p.find(section, u"User_2"), fake_profile::value(std::u16string()));
}

TEST(SavedConnections, WithoutAProfileNothingLoadsOrSaves) {
    CConnectionList list(nullptr);
    list.LoadConnections();
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.SaveConnections());
}

TEST(SavedConnections, TenThousandRecordsSaveAndLoad) {
    fake_profile p;
    CConnectionList list(&p);
    for (int i = 0; i < 10000; ++i)
        list.AddConnection(descriptor(p, num(u"user", i), u"db", num(u"n", i)));
    ASSERT_TRUE(list.SaveConnections());
    CConnectionList back(&p);
    back.LoadConnections();
    ASSERT_EQ(back.size(), 10000u);
    EXPECT_EQ(back[9999].User, u"user_9999");
}

} // namespace
