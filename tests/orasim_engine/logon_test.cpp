#include "fixture.h"

using namespace orasim_test;

namespace {

const char* definition = R"(database DEMO
user SYSTEM manager dba sysdba
user SCOTT tiger
user OPER op sysoper
user OLD pw expiring
user GONE pw locked
)";

struct logon_case {
    const char* database;
    const char* user;
    const char* password;
    unsigned mode;
    int error;        // 0: a session
    int warning;      // 28002 for an expiring password
    const char* as;   // the session's user
    const char* text; // the error's or warning's text
};

TEST(Logon, Outcomes) {
    const logon_case cases[] = {
        {"demo", "scott", "tiger", orasim::mode_normal, 0, 0, "SCOTT", ""},
        {"DEMO", "SCOTT", "TIGER", orasim::mode_normal, 1017, 0, "", "ORA-01017: invalid username/password; logon denied"},
        {"DEMO", "NOBODY", "x", orasim::mode_normal, 1017, 0, "", "ORA-01017: invalid username/password; logon denied"},
        {"PROD", "scott", "tiger", orasim::mode_normal, 12154, 0, "",
         "ORA-12154: TNS:could not resolve the connect identifier specified"},
        {"DEMO", "scott", "tiger", orasim::mode_sysdba, 1031, 0, "", "ORA-01031: insufficient privileges"},
        {"DEMO", "system", "manager", orasim::mode_sysdba, 0, 0, "SYS", ""},
        {"DEMO", "system", "manager", orasim::mode_sysoper, 1031, 0, "", "ORA-01031: insufficient privileges"},
        {"DEMO", "oper", "op", orasim::mode_sysoper, 0, 0, "PUBLIC", ""},
        {"DEMO", "gone", "pw", orasim::mode_normal, 28000, 0, "", "ORA-28000: the account is locked"},
        {"DEMO", "old", "pw", orasim::mode_normal, 0, 28002, "OLD", "ORA-28002: the password will expire within 7 days"},
        {"DEMO", "\"scott\"", "tiger", orasim::mode_normal, 1017, 0, "", "ORA-01017: invalid username/password; logon denied"},
    };
    database db(definition);
    for (const auto& c : cases) {
        orasim::ora_error err, warning;
        auto s = db.srv.logon(c.database, c.user, c.password, c.mode, err, warning);
        SCOPED_TRACE(std::string(c.user) + "@" + c.database);
        EXPECT_EQ(err.code, c.error);
        EXPECT_EQ(warning.code, c.warning);
        if (c.error) {
            EXPECT_FALSE(s);
            EXPECT_EQ(err.text, c.text);
        } else {
            ASSERT_TRUE(s);
            EXPECT_EQ(s->user(), c.as);
            if (c.warning) {
                EXPECT_EQ(warning.text, c.text);
            }
        }
    }
}

TEST(Logon, WithoutDefinitionEveryAttachFails) {
    orasim::server srv;
    orasim::ora_error err, warning;
    EXPECT_FALSE(srv.logon("DEMO", "scott", "tiger", orasim::mode_normal, err, warning));
    EXPECT_EQ(err.code, 12154);
}

TEST(Logon, SysdbaReadsTheDictionaryAndAPlainUserDoesNot) {
    database db(definition + std::string("object HR VIEW V invalid\n"));
    const char* query = "SELECT object_name FROM dba_objects WHERE status = 'INVALID'";
    auto sys = db.logon("system", "manager", orasim::mode_sysdba);
    EXPECT_EQ(rows_of(run(*sys, query)), std::vector<std::string>{"V"});
    auto scott = db.logon("scott", "tiger");
    const auto r = run(*scott, query);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.text, "ORA-00942: table or view does not exist");
}

} // namespace
