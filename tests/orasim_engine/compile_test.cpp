#include "fixture.h"

using namespace orasim_test;

namespace {

const char* users = "database DEMO\nuser SYSTEM manager dba sysdba\nuser HR hr\nuser READER r catalog\n";

struct compile_case {
    const char* name;
    const char* objects;   // definition lines after the users
    const char* user;      // HR, SYSTEM, READER or SYS (SYSDBA)
    const char* statement;
    int error;             // 0, or the refusal's code
    bool with_info;        // ORA-24344: the object stays invalid
    std::vector<std::string> statuses; // "OWNER|TYPE|NAME|STATUS" of every object afterwards, in OBJECT_ID order
    std::vector<std::string> errors = {}; // "NAME|TYPE|TEXT" rows of DBA_ERRORS afterwards
    const char* text = "";
};

std::unique_ptr<orasim::session> logon_as(database& db, const std::string& user) {
    if (user == "SYS") return db.logon("system", "manager", orasim::mode_sysdba);
    if (user == "SYSTEM") return db.logon("system", "manager");
    if (user == "READER") return db.logon("reader", "r");
    return db.logon("hr", "hr");
}

TEST(Compile, Model) {
    const compile_case cases[] = {
        {"no such object", "object HR VIEW V invalid\n", "SYSTEM", "ALTER VIEW HR.NOPE COMPILE", 4043, false,
         {"HR|VIEW|V|INVALID"}, {}, "ORA-04043: object NOPE does not exist"},
        {"an unquoted name is upper-cased", "object HR TRIGGER \"trg_lower\" invalid\n", "SYSTEM",
         "ALTER TRIGGER HR.trg_lower COMPILE", 4043, false, {"HR|TRIGGER|trg_lower|INVALID"}, {},
         "ORA-04043: object TRG_LOWER does not exist"},
        {"a quoted name keeps its case", "object HR TRIGGER \"trg_lower\" invalid\n", "SYSTEM",
         "ALTER TRIGGER \"HR\".\"trg_lower\" COMPILE", 0, false, {"HR|TRIGGER|trg_lower|VALID"}},
        {"the owner compiles his own", "object HR PROCEDURE P invalid\n", "HR", "alter procedure p compile", 0, false,
         {"HR|PROCEDURE|P|VALID"}},
        {"another schema needs dba", "object SCOTT PROCEDURE P invalid\n", "HR", "ALTER PROCEDURE SCOTT.P COMPILE", 1031,
         false, {"SCOTT|PROCEDURE|P|INVALID"}, {}, "ORA-01031: insufficient privileges"},
        {"a catalog user only reads", "object SCOTT PROCEDURE P invalid\n", "READER", "ALTER PROCEDURE SCOTT.P COMPILE",
         1031, false, {"SCOTT|PROCEDURE|P|INVALID"}},
        {"sysdba compiles anything", "object SCOTT PROCEDURE P invalid\n", "SYS", "ALTER PROCEDURE SCOTT.P COMPILE", 0,
         false, {"SCOTT|PROCEDURE|P|VALID"}},
        {"raises changes nothing",
         "object HR VIEW B invalid\nobject HR FUNCTION F1 invalid uses HR.B raises 4045 \"ORA-04045: errors during "
         "recompilation/revalidation of HR.F1\"\n",
         "SYSTEM", "ALTER FUNCTION HR.F1 COMPILE", 4045, false, {"HR|VIEW|B|INVALID", "HR|FUNCTION|F1|INVALID"}, {},
         "ORA-04045: errors during recompilation/revalidation of HR.F1"},
        {"a public synonym is not PUBLIC.name", "object PUBLIC SYNONYM S invalid\n", "SYSTEM",
         "ALTER SYNONYM PUBLIC.S COMPILE", 1887, false, {"PUBLIC|SYNONYM|S|INVALID"}, {},
         "ORA-01887: use ALTER PUBLIC SYNONYM statement to alter a public synonym"},
        {"ALTER PUBLIC SYNONYM", "object PUBLIC SYNONYM S invalid\n", "SYSTEM", "ALTER PUBLIC SYNONYM \"S\" COMPILE", 0,
         false, {"PUBLIC|SYNONYM|S|VALID"}},
        {"a valid type that others use", "object HR TYPE T valid\nobject HR VIEW V valid uses HR.T\n", "SYSTEM",
         "ALTER TYPE HR.T COMPILE", 2311, false, {"HR|TYPE|T|VALID", "HR|VIEW|V|VALID"}, {},
         "ORA-02311: cannot alter with COMPILE option a valid type with type or table dependents"},
        {"an invalid type that others use", "object HR TYPE T invalid\nobject HR VIEW V valid uses HR.T\n", "SYSTEM",
         "ALTER TYPE HR.T COMPILE", 0, false, {"HR|TYPE|T|VALID", "HR|VIEW|V|VALID"}},
        {"a chain compiles in one statement",
         "object HR VIEW C invalid\nobject HR VIEW B invalid uses HR.C\nobject HR VIEW A invalid uses HR.B\n"
         "object HR VIEW OTHER invalid\n",
         "SYSTEM", "ALTER VIEW HR.A COMPILE", 0, false,
         {"HR|VIEW|C|VALID", "HR|VIEW|B|VALID", "HR|VIEW|A|VALID", "HR|VIEW|OTHER|INVALID"}},
        {"errors of the source and of what it uses",
         "object HR VIEW C invalid error \"ORA-00942: table or view does not exist\"\n"
         "object HR PROCEDURE A invalid uses HR.C error \"PLS-00201: identifier 'X' must be declared\"\n",
         "SYSTEM", "ALTER PROCEDURE HR.A COMPILE", 0, true, {"HR|VIEW|C|INVALID", "HR|PROCEDURE|A|INVALID"},
         {"C|VIEW|ORA-00942: table or view does not exist", "A|PROCEDURE|PLS-00201: identifier 'X' must be declared",
          "A|PROCEDURE|PLS-00905: object HR.C is invalid"}},
        {"a cycle ends", "object HR VIEW A invalid uses HR.B\nobject HR VIEW B invalid uses HR.A\n", "SYSTEM",
         "ALTER VIEW HR.A COMPILE", 0, true, {"HR|VIEW|A|INVALID", "HR|VIEW|B|INVALID"},
         {"A|VIEW|PLS-00905: object HR.B is invalid", "B|VIEW|PLS-00905: object HR.A is invalid"}},
        {"invalidates marks the users, directly or not",
         "object HR TYPE T invalid invalidates\nobject HR VIEW V valid uses HR.T\nobject HR VIEW W valid uses HR.V\n"
         "object HR VIEW X valid\n",
         "SYSTEM", "ALTER TYPE HR.T COMPILE", 0, false,
         {"HR|TYPE|T|VALID", "HR|VIEW|V|INVALID", "HR|VIEW|W|INVALID", "HR|VIEW|X|VALID"}},
        {"n/a is compiled like the others", "object HR LIBRARY L n/a\n", "SYSTEM", "ALTER LIBRARY HR.L COMPILE", 0,
         false, {"HR|LIBRARY|L|VALID"}},
        {"a body first compiles its specification",
         "object HR PACKAGE P invalid\nobject HR \"PACKAGE BODY\" P invalid\n", "SYSTEM",
         "ALTER PACKAGE HR.P COMPILE BODY", 0, false, {"HR|PACKAGE|P|VALID", "HR|PACKAGE BODY|P|VALID"}},
        {"COMPILE takes specification and body",
         "object HR PACKAGE P invalid\nobject HR \"PACKAGE BODY\" P invalid error \"PLS-00103: bad\"\n", "SYSTEM",
         "ALTER PACKAGE HR.P COMPILE", 0, true, {"HR|PACKAGE|P|VALID", "HR|PACKAGE BODY|P|INVALID"},
         {"P|PACKAGE BODY|PLS-00103: bad"}},
        {"COMPILE SPECIFICATION leaves the body", "object HR PACKAGE P invalid\nobject HR \"PACKAGE BODY\" P invalid\n",
         "SYSTEM", "ALTER PACKAGE HR.P COMPILE SPECIFICATION", 0, false,
         {"HR|PACKAGE|P|VALID", "HR|PACKAGE BODY|P|INVALID"}},
        {"warnings stay and do not invalidate", "object HR PROCEDURE P invalid error \"PLW-06002: Unreachable code\"\n",
         "SYSTEM", "ALTER PROCEDURE HR.P COMPILE", 0, false, {"HR|PROCEDURE|P|VALID"},
         {"P|PROCEDURE|PLW-06002: Unreachable code"}},
        {"a valid object is compiled again", "object HR VIEW V valid error \"ORA-00942: table or view does not exist\"\n",
         "SYSTEM", "ALTER VIEW HR.V COMPILE DEBUG", 0, true, {"HR|VIEW|V|INVALID"},
         {"V|VIEW|ORA-00942: table or view does not exist"}},
        {"junk in a name", "object HR VIEW V invalid\n", "SYSTEM", "ALTER VIEW HR.my view COMPILE", 922, false,
         {"HR|VIEW|V|INVALID"}, {}, "ORA-00922: missing or invalid option"},
        {"an ALTER the server does not know", "object HR VIEW V invalid\n", "SYSTEM", "ALTER SESSION SET x = 1", 940,
         false, {"HR|VIEW|V|INVALID"}},
        {"no ALTER PACKAGE BODY", "object HR \"PACKAGE BODY\" P invalid\n", "SYSTEM", "ALTER PACKAGE BODY HR.P COMPILE",
         922, false, {"HR|PACKAGE BODY|P|INVALID"}},
        {"java class resolves", "object HR \"JAVA CLASS\" J invalid\n", "SYSTEM", "ALTER JAVA CLASS HR.J RESOLVE", 0,
         false, {"HR|JAVA CLASS|J|VALID"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        database db(std::string(users) + c.objects);
        auto s = logon_as(db, c.user);
        const auto r = run(*s, c.statement);
        if (c.error) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.error.code, c.error);
            if (*c.text) {
                EXPECT_EQ(r.error.text, c.text);
            }
        } else {
            EXPECT_TRUE(r.ok) << r.error.text;
            EXPECT_EQ(r.with_info, c.with_info);
            if (c.with_info) {
                EXPECT_EQ(r.error.code, 24344);
                EXPECT_EQ(r.error.text, "ORA-24344: success with compilation error");
            }
        }
        auto sys = db.logon("system", "manager", orasim::mode_sysdba);
        EXPECT_EQ(rows_of(run(*sys, "SELECT owner, object_type, object_name, status FROM dba_objects ORDER BY object_id")),
                  c.statuses);
        EXPECT_EQ(rows_of(run(*sys, "SELECT name, type, text FROM dba_errors")), c.errors);
    }
}

TEST(Compile, InsideABlockACompileWithErrorsRaises24344AndTakesEffect) {
    database db(std::string(users) + "object HR VIEW V valid uses HR.B\nobject HR VIEW B invalid error \"E-1: bad\"\n");
    auto s = logon_as(db, "SYSTEM");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.enable(NULL); END;").ok);
    const auto r = run(*s, "BEGIN EXECUTE IMMEDIATE 'ALTER VIEW HR.V COMPILE';\n"
                           "EXCEPTION WHEN OTHERS THEN dbms_output.put_line(SQLCODE || ' ' || SQLERRM); END;");
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(read_output(*s), std::vector<std::string>{"-24344 ORA-24344: success with compilation error"});
    EXPECT_EQ(db.srv.object_status("HR", "VIEW", "V"), "INVALID");
    // unhandled, it ends the block with its line
    const auto u = run(*s, "BEGIN\n  EXECUTE IMMEDIATE 'ALTER VIEW HR.V COMPILE';\nEND;");
    EXPECT_FALSE(u.ok);
    EXPECT_EQ(u.error.text, "ORA-24344: success with compilation error\nORA-06512: at line 2");
}

TEST(Compile, CompilesAreSharedBetweenSessions) {
    database db(std::string(users) + "object HR VIEW V invalid\n");
    auto a = logon_as(db, "SYSTEM");
    auto b = logon_as(db, "READER");
    ASSERT_TRUE(run(*a, "ALTER VIEW HR.V COMPILE").ok);
    EXPECT_EQ(rows_of(run(*b, "SELECT status FROM dba_objects WHERE object_name = 'V'")), std::vector<std::string>{"VALID"});
}

} // namespace
