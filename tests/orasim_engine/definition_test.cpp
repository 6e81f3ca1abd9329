#include "fixture.h"

using namespace orasim_test;

namespace {

struct bad_definition {
    const char* text;
    const char* error;
};

TEST(Definition, MalformedLinesNameTheFileTheLineAndTheFault) {
    const bad_definition cases[] = {
        {"database DEMO\nfrobnicate X", "test.txt, line 2: unknown statement 'frobnicate'"},
        {"object HR PACKAGE P broken", "test.txt, line 1: unknown status 'broken' (valid, invalid or n/a)"},
        {"object HR GADGET P valid", "test.txt, line 1: unknown object type 'GADGET'"},
        {"object HR PACKAGE P valid\nobject HR PACKAGE p valid", "test.txt, line 2: object HR.P is defined twice"},
        {"user SCOTT tiger superuser", "test.txt, line 1: unknown user privilege 'superuser'"},
        {"object HR \"PACKAGE BODY P valid", "test.txt, line 1: missing closing double quote"},
        {"object HR VIEW V invalid uses", "test.txt, line 1: uses without an object name"},
        {"object HR VIEW V invalid raises x \"t\"", "test.txt, line 1: bad error code 'x'"},
        {"table HR T (ID NUMBER, NAME VARCHAR2)", "test.txt, line 1: a length is required"},
        {"table HR T (ID NUMBER)\nrow HR T (1, 2)", "test.txt, line 2: the row has 2 values for 1 columns"},
        {"table HR T (NAME VARCHAR2(3))\nrow HR T ('abcd')", "test.txt, line 2: value too long for column NAME"},
        {"table HR T (ID NUMBER)\nrow HR T ('one')", "test.txt, line 2: value 1 does not suit column ID"},
        {"row HR NOPE (1)", "test.txt, line 1: no table HR.NOPE"},
        {"table HR T (D DATE)\nrow HR T (DATE '2020-02-30')", "test.txt, line 2: bad date '2020-02-30'"},
    };
    for (const auto& c : cases) {
        orasim::server srv;
        std::string error;
        EXPECT_FALSE(srv.load(std::string("database DEMO\n") + c.text, "test.txt", error)) << c.text;
        // the first line is the added database line
        std::string expected = c.error;
        const std::size_t at = expected.find("line ") + 5;
        expected.replace(at, 1, std::to_string(std::stoi(expected.substr(at, 1)) + 1));
        EXPECT_EQ(error, expected) << c.text;
        // a failed load leaves no database to attach to
        EXPECT_FALSE(srv.has_database("DEMO"));
    }
}

TEST(Definition, NamesStatusesCommentsAndQuotes) {
    database db(R"(# a comment line
database demo            # matched without regard to case
database "Other"
object HR PACKAGE emp_pkg valid
object HR "PACKAGE BODY" EMP_PKG invalid uses HR.EMPLOYEES   # the body
object HR TRIGGER "trg # lower" n/a
object HR VIEW "say ""hi""" invalid
)");
    EXPECT_TRUE(db.srv.has_database("DEMO"));
    EXPECT_TRUE(db.srv.has_database("other"));
    EXPECT_FALSE(db.srv.has_database("PROD"));
    EXPECT_EQ(db.srv.object_status("HR", "PACKAGE", "EMP_PKG"), "VALID");
    EXPECT_EQ(db.srv.object_status("HR", "PACKAGE", "emp_pkg"), "");
    EXPECT_EQ(db.srv.object_status("HR", "PACKAGE BODY", "EMP_PKG"), "INVALID");
    EXPECT_EQ(db.srv.object_status("HR", "TRIGGER", "trg # lower"), "N/A");
    EXPECT_EQ(db.srv.object_status("HR", "VIEW", "say \"hi\""), "INVALID");
}

TEST(Definition, TablesAndRowsAreQueryable) {
    database db(R"(database DEMO
user HR hr
table HR EMPLOYEES (ID NUMBER, NAME VARCHAR2(40), HIRED DATE, NOTE CLOB, FLAG CHAR(3))
row HR EMPLOYEES (1, 'King', DATE '2020-01-31', NULL, 'Y')
row HR EMPLOYEES (-2.5, 'O''Neil # not a comment', DATE '2021-12-01 13:14:15', 'n', '')
)");
    auto s = db.logon("HR", "hr");
    const auto r = run(*s, "SELECT id, name, hired, note, flag FROM employees ORDER BY id");
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(rows_of(r), (std::vector<std::string>{"-2.5|O'Neil # not a comment|2021-12-01 13:14:15|n|<null>",
                                                    "1|King|2020-01-31 00:00:00|<null>|Y  "}));
    // the table's own object is VALID in the dictionary
    EXPECT_EQ(db.srv.object_status("HR", "TABLE", "EMPLOYEES"), "VALID");
}

} // namespace
