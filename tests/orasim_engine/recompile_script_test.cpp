#include "fixture.h"
#include "recompile_script.h"

#include <cstring>

using namespace orasim_test;

namespace {

const std::string sep(79, '-');

std::string header(int pass, int count) {
    return "-- Recompile iteration No." + std::to_string(pass) + ":  Invalid objects in the database - " +
           std::to_string(count);
}

const char* users = "database DEMO\nuser SYSTEM manager dba\nuser READER r catalog\nuser SCOTT tiger\n";

struct script_case {
    const char* name;
    const char* objects;
    const char* script;
    const char* user;
    std::vector<std::string> lines;
};

// Runs the report as the program does: enable, the script in one execute, get_line until the status
// is not 0, disable.
std::vector<std::string> report(database& db, const char* user, const char* script, const char* enable,
                                orasim::result& outcome) {
    auto s = std::string(user) == "READER" ? db.logon("reader", "r") : db.logon("system", "manager");
    EXPECT_TRUE(run(*s, enable).ok);
    outcome = run(*s, script);
    std::vector<std::string> lines;
    if (outcome.ok) lines = read_output(*s);
    EXPECT_TRUE(run(*s, "BEGIN dbms_output.disable; END;").ok);
    return lines;
}

TEST(RecompileScript, TextIsTheProgramsConstant) {
    // 88 lines framed by tabs, 3797 characters, no carriage return
    const std::string text = recompile_script;
    EXPECT_EQ(text.size(), 3797u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 87);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "\tend;");
    EXPECT_EQ(orasim::statement_type(text), 9);
}

TEST(RecompileScript, Reports) {
    const script_case cases[] = {
        {"no invalid object", "object HR VIEW V valid\ntable HR T (ID NUMBER)\nobject HR INDEX I invalid\n",
         recompile_script, "SYSTEM", {sep, "Invalid objects in the database - 0", sep}},
        {"three clean objects",
         "object HR VIEW EMP_V invalid\nobject HR PACKAGE EMP_PKG invalid\nobject HR PROCEDURE P invalid\n",
         recompile_script, "SYSTEM",
         {sep, header(1, 3), sep, "PACKAGE HR.emp_pkg -- OK.", "VIEW HR.emp_v -- OK.", "PROCEDURE HR.p -- OK.", sep, sep,
          header(2, 0), sep, sep}},
        {"a package body with errors",
         "object HR PACKAGE EMP_PKG valid\n"
         "object HR \"PACKAGE BODY\" EMP_PKG invalid error \"PLS-00201: identifier 'X' must be declared\"\n",
         recompile_script, "SYSTEM", {sep, header(1, 1), sep, "The object has errors: PACKAGE BODY HR.emp_pkg", sep}},
        {"a lower-case name is refused unquoted", "object HR TRIGGER \"trg_lower\" invalid\n", recompile_script, "SYSTEM",
         {sep, header(1, 1), sep, "Canntot compile the object: ALTER TRIGGER HR.trg_lower COMPILE",
          "ORA-04043: object TRG_LOWER does not exist", "TRIGGER HR.trg_lower -- OK.", sep}},
        {"a dependency chain compiles in one statement",
         "object HR VIEW A invalid uses HR.B\nobject HR VIEW B invalid uses HR.C\nobject HR VIEW C invalid\n",
         recompile_script, "SYSTEM",
         {sep, header(1, 3), sep, "VIEW HR.a -- OK.", "VIEW HR.b -- OK.", "VIEW HR.c -- OK.", sep, sep, header(2, 0),
          sep, sep}},
        {"an invalidating specification forces a further pass",
         "object HR TYPE T invalid invalidates\nobject HR VIEW V valid uses HR.T\nobject HR VIEW X invalid\n",
         recompile_script, "SYSTEM",
         {sep, header(1, 2), sep, "TYPE HR.t -- OK.", "VIEW HR.x -- OK.", sep, sep, header(2, 1), sep,
          "VIEW HR.v -- OK.", sep, sep, header(3, 0), sep, sep}},
        {"a status other than VALID and INVALID is compiled but not recounted", "object HR LIBRARY L n/a error \"E-1: x\"\n",
         recompile_script, "SYSTEM", {sep, header(1, 1), sep, "The object has errors: LIBRARY HR.l", sep}},
        {"a refused compile looks repaired to the error-row check", "object HR PROCEDURE P invalid\n", recompile_script,
         "READER",
         {sep, header(1, 1), sep, "Canntot compile the object: ALTER PROCEDURE HR.P COMPILE",
          "ORA-01031: insufficient privileges", "PROCEDURE HR.p -- OK.", sep}},
        {"mended: quoted names and public synonyms compile",
         "table HR EMPLOYEES (ID NUMBER)\nobject HR TRIGGER \"trg_lower\" invalid\n"
         "object PUBLIC SYNONYM EMP_SYN invalid uses HR.EMPLOYEES\n",
         mended_recompile_script, "SYSTEM",
         {sep, header(1, 2), sep, "TRIGGER HR.trg_lower -- OK.", "SYNONYM PUBLIC.emp_syn -- OK.", sep, sep,
          header(2, 0), sep, sep}},
        {"mended: a refused compile is reported", "object HR PROCEDURE P invalid\n", mended_recompile_script, "READER",
         {sep, header(1, 1), sep, "Canntot compile the object: ALTER PROCEDURE \"HR\".\"P\" COMPILE",
          "ORA-01031: insufficient privileges", "The object has errors: PROCEDURE HR.p", sep}},
        {"mended: warnings only is OK", "object HR PROCEDURE P invalid error \"PLW-06002: Unreachable code\"\n",
         mended_recompile_script, "SYSTEM",
         {sep, header(1, 1), sep, "PROCEDURE HR.p -- OK.", sep, sep, header(2, 0), sep, sep}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        database db(std::string(users) + c.objects);
        orasim::result r;
        const auto lines = report(db, c.user, c.script, "BEGIN dbms_output.enable(10000); END;", r);
        EXPECT_TRUE(r.ok) << r.error.text;
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(RecompileScript, AUserWithoutTheDictionaryRunsNothing) {
    database db(std::string(users) + "object SCOTT PROCEDURE P invalid\n");
    auto s = db.logon("scott", "tiger");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.enable(10000); END;").ok);
    for (const char* script : {recompile_script, mended_recompile_script}) {
        const auto r = run(*s, script);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.code, 6550);
        const bool mended = script == mended_recompile_script;
        // the original's lines 31, 65 and 82 are one lower in the mended text, which has a sixth line for ALTER
        const std::string l29 = mended ? "30" : "29", l31 = mended ? "32" : "31", l63 = mended ? "64" : "63",
                          l65 = mended ? "66" : "65", l80 = mended ? "82" : "80", l82 = mended ? "84" : "82",
                          l14 = mended ? "15" : "14";
        EXPECT_EQ(r.error.text, "ORA-06550: line " + l14 + ", column 27:\nPL/SQL: ORA-00942: table or view does not exist\n"
                                "ORA-06550: line 3, column 11:\nPL/SQL: SQL Statement ignored\n"
                                "ORA-06550: line " + l31 + ", column 11:\nPL/SQL: ORA-00942: table or view does not exist\n"
                                "ORA-06550: line " + l29 + ", column 4:\nPL/SQL: SQL Statement ignored\n"
                                "ORA-06550: line " + l65 + ", column 15:\nPL/SQL: ORA-00942: table or view does not exist\n"
                                "ORA-06550: line " + l63 + ", column 8:\nPL/SQL: SQL Statement ignored\n"
                                "ORA-06550: line " + l82 + ", column 13:\nPL/SQL: ORA-00942: table or view does not exist\n"
                                "ORA-06550: line " + l80 + ", column 6:\nPL/SQL: SQL Statement ignored");
    }
    EXPECT_EQ(read_output(*s), std::vector<std::string>{});
    EXPECT_EQ(db.srv.object_status("SCOTT", "PROCEDURE", "P"), "INVALID");
}

TEST(RecompileScript, OverflowEndsTheBlockAndKeepsWhatWasCompiled) {
    std::string objects;
    for (int i = 0; i < 500; ++i) objects += "object HR PROCEDURE P" + std::to_string(1000 + i) + " invalid\n";
    database db(std::string(users) + objects);
    orasim::result r;
    report(db, "SYSTEM", recompile_script, "BEGIN dbms_output.enable(10000); END;", r);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.text, "ORA-20000: ORU-10027: buffer overflow, limit of 10000 bytes\n"
                            "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32\n"
                            "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 97\n"
                            "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 112\n"
                            "ORA-06512: at line 71");
    // the pass header takes 79 + 67 + 79 bytes, each object line 25 ("PROCEDURE HR.p1000 -- OK."): 391
    // lines fill the 10000 bytes exactly, the 392nd object is compiled and its line overflows
    auto sys = db.logon("system", "manager");
    EXPECT_EQ(rows_of(run(*sys, "SELECT COUNT(*) FROM dba_objects WHERE status = 'VALID'")),
              std::vector<std::string>{"392"});
    // the other 108 in one pass, then the empty pass: the whole report arrives without a limit
    std::vector<std::string> lines = report(db, "SYSTEM", mended_recompile_script, "BEGIN dbms_output.enable(NULL); END;", r);
    EXPECT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(lines.size(), 3u + 108 + 1 + 4);
}

} // namespace
