// mendwick-cli as a user runs it: the command line, the exit status and the lines a script reads.
#include "profile.h"
#include "settings/connection_list.h"
#include "text_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

const char* const definition = "database DEMO\n"
                               "user SYSTEM manager dba\n"
                               "user SCOTT tiger\n"
                               "object HR PROCEDURE P1 invalid\n"
                               "object HR PROCEDURE P2 invalid error \"PLS-00201: identifier 'X' must be declared\"\n";

struct run_result {
    int status;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        def_path = testing::TempDir() + "cli_orasim.txt";
        std::ofstream(def_path) << definition;
    }
    // Runs the program with an environment of the test's own; stdin is not a terminal.
    run_result run(const std::string& args, const std::string& env = "MENDWICK_PASSWORD=manager") {
        std::string err_path = testing::TempDir() + "cli_stderr.txt";
        std::string cmd = "env -u MENDWICK_PASSWORD ORASIM_DEFINITION='" + def_path + "' LD_LIBRARY_PATH='" +
                          ORASIM_LIBRARY_DIR + "' XDG_CONFIG_HOME='" + testing::TempDir() + "cli_config' " + env +
                          " '" + CLI_PROGRAM + "' " + args + " </dev/null 2>'" + err_path + "'";
        run_result r{};
        FILE* p = popen(cmd.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            r.out.append(buf, n);
        int st = pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        std::ifstream e(err_path);
        std::stringstream ss;
        ss << e.rdbuf();
        r.err = ss.str();
        return r;
    }
    static std::string def_path;
};
std::string Cli::def_path;

const std::string sep(79, '-');

TEST_F(Cli, CommandsChainOnOneLogon) {
    run_result r = run("connect search compile search --database demo --user system");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "SYSTEM@DEMO connected...\n"
                     "OWNER\tOBJECT_TYPE\tOBJECT_NAME\tSTATUS\n"
                     "HR\tPROCEDURE\tP1\tINVALID\n"
                     "HR\tPROCEDURE\tP2\tINVALID\n" +
                         sep + "\n-- Recompile iteration No.1:  Invalid objects in the database - 2\n" + sep +
                         "\nPROCEDURE HR.p1 -- OK.\nThe object has errors: PROCEDURE HR.p2\n" + sep + "\n" + sep +
                         "\n-- Recompile iteration No.2:  Invalid objects in the database - 1\n" + sep +
                         "\nThe object has errors: PROCEDURE HR.p2\n" + sep +
                         "\nOWNER\tOBJECT_TYPE\tOBJECT_NAME\tSTATUS\nHR\tPROCEDURE\tP2\tINVALID\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, ExitStatuses) {
    struct row {
        const char* args;
        const char* env;
        int status;
        const char* out;
        const char* err_part;
    };
    const row cases[] = {
        {"search --database DEMO --user SYSTEM", "MENDWICK_PASSWORD=wrong", 1, "Connection Error\n", "error: Error type: Oracle"},
        {"search --database DEMO --user SCOTT", "MENDWICK_PASSWORD=tiger", 3,
         "User SCOTT@DEMO doesn't have sufficient privileges\n", "error: Description: (OCI_ERROR) ORA-00942"},
        {"search --database DEMO", "", 2, "", "--user is missing"},
        {"--user SYSTEM search", "", 2, "", "--database is missing"},
        {"search --database DEMO --user SYSTEM --connect-as root", "", 2, "", "unknown --connect-as 'root'"},
        {"search --database DEMO --user SYSTEM --fast", "", 2, "", "unknown option '--fast'"},
        {"repair --database DEMO --user SYSTEM", "", 2, "", "unknown command 'repair'"},
        {"--database DEMO --user SYSTEM", "", 2, "", "no command given"},
        {"search --database DEMO --user SYSTEM", "", 1, "", "no password"},
        {"search --database DEMO --user SYSTEM --saved", "", 1, "", "no saved connection for SYSTEM@DEMO"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        run_result r = run(c.args, c.env);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err_part), std::string::npos) << r.err;
    }
    run_result help = run("--help", "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: mendwick-cli COMMAND..."), std::string::npos);
}

TEST_F(Cli, SavedPasswordFromTheProfile) {
    std::string config = testing::TempDir() + "cli_saved_config";
    std::system(("rm -rf '" + config + "'").c_str());
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    {
        auto profile = platform::open_user_profile(u"Tolvera Software", u"Mendwick");
        ASSERT_TRUE(profile);
        platform::set_running_profile(profile.get());
        CConnectionList list(profile.get());
        CSQLConnection c;
        c.User = u"SYSTEM";
        c.Database = u"DEMO";
        c.Password = u"manager";
        list.AddConnection(c);
        EXPECT_TRUE(list.SaveConnections());
        platform::set_running_profile(nullptr);
    }
    run_result r = run("connect --database demo --user system --saved", "XDG_CONFIG_HOME='" + config + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "SYSTEM@DEMO connected...\n");
    r = run("connect --database DEMO --user SCOTT --saved", "XDG_CONFIG_HOME='" + config + "'");
    EXPECT_EQ(r.status, 1) << "no saved connection for that user";
}

TEST(TextList, InfoListsPrintTheirLinesAndTablesAHeader) {
    CTextList list;
    ShowMessage(list, u"one line", 0);
    std::ostringstream a;
    list.Print(a);
    EXPECT_EQ(a.str(), "one line\n");
    list.Clear();
    list.AddColumn(0, u"Info", 500);
    list.AddItem(0, u"second");
    list.AddItem(0, u"first");
    std::ostringstream b;
    list.Print(b);
    EXPECT_EQ(b.str(), "first\nsecond\n");
    list.Clear();
    list.AddColumn(0, u"A", 150);
    list.AddColumn(1, u"B", 150);
    list.AddItem(0, u"x");
    list.SetCell(0, 1, u"y");
    list.SetCell(5, 1, u"ignored");
    std::ostringstream c;
    list.Print(c);
    EXPECT_EQ(c.str(), "A\tB\nx\ty\n");
}

} // namespace
