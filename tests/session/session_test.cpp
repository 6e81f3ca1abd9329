// The session over the simulated server: the search, the recompile run, the server output, the
// statement run and the logon rules, as the window's commands use them.
#include "function_table.h"
#include "orasim_control.h"
#include "session/COraPrs.h"
#include "session/scripts.h"
#include "text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct recording_list : CMessageList {
    std::vector<std::u16string> headers;
    std::vector<std::vector<std::u16string>> rows;
    colorref colour = 0;
    void Clear() override {
        headers.clear();
        rows.clear();
    }
    void SetTextColor(colorref c) override { colour = c; }
    void AddColumn(int position, std::u16string_view h, int) override {
        headers.insert(headers.begin() + position, std::u16string(h));
    }
    void AddItem(int row, std::u16string_view text) override {
        rows.insert(rows.begin() + row, std::vector<std::u16string>{std::u16string(text)});
    }
    void SetCell(int row, int column, std::u16string_view text) override {
        auto& r = rows.at(static_cast<size_t>(row));
        if (r.size() <= static_cast<size_t>(column))
            r.resize(static_cast<size_t>(column) + 1);
        r[static_cast<size_t>(column)] = text;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (auto& r : rows)
            out.push_back(platform::to_narrow(r.at(0)));
        return out;
    }
};

struct recording_ui : CSessionUi {
    std::vector<std::string> errors, infos;
    void ShowError(std::u16string_view t) override { errors.push_back(platform::to_narrow(t)); }
    void ShowInfo(std::u16string_view t) override { infos.push_back(platform::to_narrow(t)); }
};

struct scripted_prompt : CLogonPrompt {
    std::vector<std::pair<std::u16string, bool>> answers; // password to type, or cancel
    size_t asked = 0;
    bool Prompt(CSQLConnection& d) override {
        if (asked >= answers.size())
            return false;
        auto [password, ok] = answers[asked++];
        d.User = u"SYSTEM";
        d.Database = u"DEMO";
        d.Password = password;
        return ok;
    }
};

const std::string separator(79, '-');

std::string objects(int n, const char* status = "invalid") {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "object APP PROCEDURE P" + std::to_string(100 + i) + " " + status + "\n";
    return s;
}

class Session : public ::testing::Test {
protected:
    void load(const std::string& objects_text) {
        oci::install_client(orasim_function_table());
        std::string def = "database DEMO\nuser SYSTEM manager dba\nuser SCOTT tiger\nuser CAT pw catalog\n"
                          "user OLD pw expiring\n" +
                          objects_text;
        ASSERT_EQ(orasim_load_definition(def.c_str()), 0) << orasim_last_error();
        orasim_reset();
    }
    bool connect(const char16_t* user = u"SYSTEM", const char16_t* pw = u"manager") {
        session.descriptor.User = user;
        session.descriptor.Password = pw;
        session.descriptor.Database = u"DEMO";
        return session.Connect();
    }
    void TearDown() override {
        session.Disconnect();
        session.connection.close();
        EXPECT_EQ(orasim_live_handles(), 0u);
        orasim_clear_faults();
        orasim_set_trace_file(nullptr);
    }
    recording_ui ui;
    COraPrs session{&ui};
    recording_list list;
};

TEST_F(Session, SearchListsTheInvalidObjectsInRed) {
    for (int n : {0, 3, 45}) {
        SCOPED_TRACE(n);
        load(objects(n) + "object APP VIEW OK_V valid\nobject APP TRIGGER NA_T n/a\n");
        ASSERT_TRUE(connect());
        orasim_reset_round_trips();
        EXPECT_TRUE(session.SearchInvalids(list));
        EXPECT_EQ(list.colour, colour_red);
        EXPECT_EQ(list.headers, (std::vector<std::u16string>{u"OWNER", u"OBJECT_TYPE", u"OBJECT_NAME", u"STATUS"}));
        ASSERT_EQ(list.rows.size(), static_cast<size_t>(n));
        if (n) {
            EXPECT_EQ(list.rows[0], (std::vector<std::u16string>{u"APP", u"PROCEDURE", u"P100", u"INVALID"}));
            EXPECT_EQ(list.rows.back()[2], platform::to_utf16("P" + std::to_string(99 + n)));
        }
        // One execute and a fetch per batch of twenty, the last one short.
        EXPECT_EQ(orasim_round_trips(), 1u + static_cast<unsigned>((n + 1 + 19) / 20));
        EXPECT_TRUE(ui.errors.empty());
        session.Disconnect();
    }
}

TEST_F(Session, ASecondSearchReplacesTheFirst) {
    load(objects(2));
    ASSERT_TRUE(connect());
    session.SearchInvalids(list);
    session.SearchInvalids(list);
    EXPECT_EQ(list.headers.size(), 4u);
    EXPECT_EQ(list.rows.size(), 2u);
}

TEST_F(Session, NullCellsAreEmptyWithoutABox) {
    load("table HR T (ID NUMBER, NAME VARCHAR2(10))\nrow HR T (1, NULL)\nrow HR T (NULL, 'x')\n");
    ASSERT_TRUE(connect());
    session.statement_text = u"SELECT id, name FROM hr.t ORDER BY name";
    EXPECT_TRUE(session.RunStatement(list));
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0], (std::vector<std::u16string>{u"", u"x"}));
    EXPECT_EQ(list.rows[1], (std::vector<std::u16string>{u"1", u""}));
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(Session, AUserWhoMayNotReadTheDictionary) {
    load(objects(1));
    ASSERT_TRUE(connect(u"SCOTT", u"tiger"));
    session.descriptor.User = u"SCOTT";
    EXPECT_FALSE(session.SearchInvalids(list));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("ORA-00942"), std::string::npos);
    EXPECT_EQ(list.lines(), std::vector<std::string>{"User SCOTT@DEMO doesn't have sufficient privileges"});
    EXPECT_EQ(list.colour, colour_red);

    // The recompile: the block is refused whole, and the disable block is still sent.
    std::string trace = testing::TempDir() + "session_trace.txt";
    std::remove(trace.c_str());
    ASSERT_EQ(orasim_set_trace_file(trace.c_str()), 0);
    ui.errors.clear();
    EXPECT_FALSE(session.CompileInvalids(list));
    orasim_set_trace_file(nullptr);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("ORA-06550"), std::string::npos);
    EXPECT_NE(ui.errors[0].find("ORA-00942"), std::string::npos);
    EXPECT_EQ(list.lines(), std::vector<std::string>{"User SCOTT@DEMO doesn't have sufficient privileges"});
    std::ifstream in(trace);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("dbms_output.disable"), std::string::npos) << all;
    EXPECT_EQ(orasim_object_status("APP", "PROCEDURE", "P100"), std::string("INVALID"));
}

TEST_F(Session, RecompileWithNothingToDo) {
    load("object APP VIEW V valid\n");
    ASSERT_TRUE(connect());
    EXPECT_TRUE(session.CompileInvalids(list));
    EXPECT_EQ(list.colour, colour_green);
    EXPECT_EQ(list.headers, std::vector<std::u16string>{u"Info"});
    EXPECT_EQ(list.lines(), (std::vector<std::string>{separator, "Invalid objects in the database - 0", separator}));
}

TEST_F(Session, RecompileOfThreeCleanObjects) {
    load(objects(3));
    ASSERT_TRUE(connect());
    EXPECT_TRUE(session.CompileInvalids(list));
    EXPECT_EQ(list.lines(),
              (std::vector<std::string>{separator, "-- Recompile iteration No.1:  Invalid objects in the database - 3",
                                        separator, "PROCEDURE APP.p100 -- OK.", "PROCEDURE APP.p101 -- OK.",
                                        "PROCEDURE APP.p102 -- OK.", separator, separator,
                                        "-- Recompile iteration No.2:  Invalid objects in the database - 0", separator,
                                        separator}));
    EXPECT_EQ(orasim_object_status("APP", "PROCEDURE", "P101"), std::string("VALID"));
}

TEST_F(Session, RecompileReportsWhatStaysBrokenAndCompilesOddNames) {
    load("object HR PACKAGE EMP_PKG valid\n"
         "object HR \"PACKAGE BODY\" EMP_PKG invalid error \"PLS-00201: identifier 'X' must be declared\"\n"
         "object HR TRIGGER \"trg_lower\" invalid\n"
         "object PUBLIC SYNONYM EMP_SYN invalid\n"
         "user CLERK pw\n");
    ASSERT_TRUE(connect());
    EXPECT_TRUE(session.CompileInvalids(list));
    auto lines = list.lines();
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_TRUE(has("The object has errors: PACKAGE BODY HR.emp_pkg"));
    EXPECT_TRUE(has("TRIGGER HR.trg_lower -- OK.")) << "the quoted name compiles";
    EXPECT_TRUE(has("SYNONYM PUBLIC.emp_syn -- OK.")) << "ALTER PUBLIC SYNONYM";
    EXPECT_EQ(orasim_object_status("HR", "TRIGGER", "trg_lower"), std::string("VALID"));
}

TEST_F(Session, ARefusedCompileIsNotReportedAsRepaired) {
    load("user CAT2 pw catalog\nobject HR PROCEDURE P invalid\n");
    ASSERT_TRUE(connect(u"CAT", u"pw"));
    EXPECT_TRUE(session.CompileInvalids(list));
    auto lines = list.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "The object has errors: PROCEDURE HR.p"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "PROCEDURE HR.p -- OK."), lines.end());
}

TEST_F(Session, ALongReportIsListedWhole) {
    load(objects(10000));
    ASSERT_TRUE(connect());
    EXPECT_TRUE(session.CompileInvalids(list));
    // Two passes: 3 header lines and a closing separator each, 10,000 object lines in the first.
    EXPECT_EQ(list.rows.size(), 10000u + 8u);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(Session, StatementTextsAndTheirResults) {
    load(objects(1));
    ASSERT_TRUE(connect());
    session.statement_text = u"SELECT\r\n 1 one\r\nFROM dual";
    EXPECT_TRUE(session.RunStatement(list));
    EXPECT_EQ(session.statement_text, u"SELECT\n 1 one\nFROM dual");
    EXPECT_EQ(list.headers, std::vector<std::u16string>{u"ONE"});
    // A statement that writes no output: the "Info" column and no lines.
    session.statement_text = u"ALTER PROCEDURE APP.P100 COMPILE";
    EXPECT_TRUE(session.RunStatement(list));
    EXPECT_EQ(list.headers, std::vector<std::u16string>{u"Info"});
    EXPECT_TRUE(list.rows.empty());
    session.statement_text = u"SELECT nothing FROM nowhere";
    list.rows.push_back({u"kept"});
    EXPECT_FALSE(session.RunStatement(list));
    EXPECT_EQ(list.rows.size(), 1u) << "a failed run leaves the list as it was";
    EXPECT_EQ(ui.errors.size(), 1u);
}

TEST_F(Session, ADroppedConnectionWhileRowsAreFetched) {
    load(objects(45));
    ASSERT_TRUE(connect());
    orasim_drop_after(3); // the execute, the first fetch, then the second fetch drops
    EXPECT_TRUE(session.SearchInvalids(list)) << "the query ran; the listing broke off";
    EXPECT_EQ(list.rows.size(), 20u);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("ORA-03113"), std::string::npos);
}

TEST_F(Session, ADroppedConnectionWhileOutputIsRead) {
    load(objects(3));
    ASSERT_TRUE(connect());
    orasim_drop_after(5); // enable, the script, two lines, then the third get_line drops
    session.CompileInvalids(list);
    EXPECT_EQ(list.lines(), (std::vector<std::string>{
                                separator, "-- Recompile iteration No.1:  Invalid objects in the database - 3"}));
    ASSERT_EQ(ui.errors.size(), 2u) << "the read and the disable";
    EXPECT_NE(ui.errors[0].find("ORA-03113"), std::string::npos);
    EXPECT_NE(ui.errors[1].find("ORA-03114"), std::string::npos);
}

TEST_F(Session, ConnectRules) {
    load("");
    // A warning at logon: connected, and told once.
    EXPECT_TRUE(connect(u"OLD", u"pw"));
    ASSERT_EQ(ui.infos.size(), 1u);
    EXPECT_NE(ui.infos[0].find("ORA-28002"), std::string::npos);
    // A new logon that fails ends the old one too.
    EXPECT_TRUE(connect());
    EXPECT_EQ(orasim_live_sessions(), 1u);
    EXPECT_FALSE(connect(u"SYSTEM", u"wrong"));
    EXPECT_FALSE(session.connected);
    EXPECT_EQ(orasim_live_sessions(), 0u);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "Error type: Oracle\nDescription: (OCI_ERROR) ORA-01017: invalid username/password; "
                            "logon denied\n\n");
    // Failed logons in a row leave no handles behind.
    unsigned before = orasim_live_handles();
    for (int i = 0; i < 100; ++i)
        connect(u"SYSTEM", u"wrong");
    EXPECT_EQ(orasim_live_handles(), before);
}

TEST_F(Session, EnsureConnectedPromptsUntilALogonWorksOrIsCancelled) {
    load("");
    scripted_prompt prompt;
    session.SetLogonPrompt(&prompt);
    prompt.answers = {{u"bad", true}, {u"worse", true}, {u"manager", true}};
    EXPECT_TRUE(session.EnsureConnected());
    EXPECT_EQ(prompt.asked, 3u);
    EXPECT_EQ(ui.errors.size(), 2u);
    EXPECT_TRUE(session.EnsureConnected()) << "connected: no prompt";
    EXPECT_EQ(prompt.asked, 3u);
    session.Disconnect();
    prompt.answers = {{u"bad", true}, {u"", false}};
    prompt.asked = 0;
    EXPECT_FALSE(session.EnsureConnected());
    EXPECT_EQ(prompt.asked, 2u);
    EXPECT_FALSE(session.connected);
}

} // namespace
