#include "fixture.h"

using namespace orasim_test;

namespace {

const char* definition = R"(database DEMO
user SYSTEM manager dba
user READER r catalog
user HR hr
user SCOTT tiger
object HR PACKAGE EMP_PKG valid
object HR "PACKAGE BODY" EMP_PKG invalid error "PLS-00201: identifier 'X' must be declared" error "PLW-06002: Unreachable code"
object HR VIEW EMP_V invalid
object HR TRIGGER "trg_lower" n/a
object SCOTT PROCEDURE P invalid
table HR EMPLOYEES (ID NUMBER, NAME VARCHAR2(40), DEPT VARCHAR2(10), HIRED DATE, FLAG CHAR(1))
row HR EMPLOYEES (1, 'King', 'ADMIN', DATE '2020-01-31', 'Y')
row HR EMPLOYEES (2, 'Blake', NULL, DATE '2021-05-01', 'N')
row HR EMPLOYEES (3, 'Clark', 'SALES', NULL, NULL)
row HR EMPLOYEES (4, 'ford', 'SALES', DATE '2019-07-04', 'Y')
)";

struct sql_case {
    const char* sql;
    std::vector<std::string> rows; // expected rows when error is 0
    int error = 0;
    const char* text = "";
};

void check(orasim::session& s, const std::vector<sql_case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const orasim::result r = run(s, c.sql);
        if (c.error) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.error.code, c.error);
            if (*c.text) {
                EXPECT_EQ(r.error.text, c.text);
            }
        } else {
            ASSERT_TRUE(r.ok) << r.error.text;
            EXPECT_TRUE(r.is_query);
            EXPECT_EQ(rows_of(r), c.rows);
        }
    }
}

TEST(Sql, ExpressionsAndNullSemantics) {
    database db(definition);
    auto s = db.logon("system", "manager");
    check(*s, {
        {"SELECT 1 + 2 * 3, 7 / 2, -(4 - 5) FROM dual", {"7|3.5|1"}},
        {"SELECT 'a' || NULL || 'b', NULL || NULL FROM dual", {"ab|<null>"}},
        {"SELECT NVL(NULL, 'x'), NVL('', 'empty is null'), NVL('y', 'x') FROM dual", {"x|empty is null|y"}},
        {"SELECT DECODE(NULL, NULL, 'nulls match', 'no'), DECODE(2, 1, 'one', 2, 'two'), DECODE(3, 1, 'one') FROM dual",
         {"nulls match|two|<null>"}},
        {"SELECT LOWER('AbC'), UPPER('AbC'), TO_CHAR(0.5), TO_CHAR(-0.5), TO_CHAR(10), TO_CHAR(1.25) FROM dual",
         {"abc|ABC|.5|-.5|10|1.25"}},
        {"SELECT TO_CHAR(DATE '2020-01-31 13:05:09', 'YYYY-MM-DD HH24:MI:SS'), TO_CHAR(DATE '2020-01-31') FROM dual",
         {"2020-01-31 13:05:09|31-JAN-20"}},
        {"SELECT LENGTH('abc'), SUBSTR('abcdef', 2, 3), SUBSTR('abcdef', -2), INSTR('abcabc', 'ca') FROM dual",
         {"3|bcd|ef|3"}},
        {"SELECT COUNT(*) FROM dual WHERE NULL = NULL", {"0"}},
        {"SELECT COUNT(*) FROM dual WHERE NOT (NULL = 1)", {"0"}},
        {"SELECT COUNT(*) FROM dual WHERE 1 NOT IN (2, NULL)", {"0"}},
        {"SELECT COUNT(*) FROM dual WHERE 1 IN (2, NULL, 1)", {"1"}},
        {"SELECT COUNT(*) FROM dual WHERE NULL IS NULL AND '' IS NULL AND 'x' IS NOT NULL", {"1"}},
        {"SELECT COUNT(*) FROM dual WHERE 'PACKAGE BODY' LIKE 'PACK%B_DY' AND 'a_b' LIKE 'a\\_b' ESCAPE '\\'", {"1"}},
        {"SELECT COUNT(*) FROM dual WHERE 10 = '10' AND 2 < 10 AND '2' > '10'", {"1"}},
        {"SELECT level FROM dual CONNECT BY LEVEL <= 4", {"1", "2", "3", "4"}},
        {"SELECT level FROM dual CONNECT BY LEVEL <= 0", {"1"}},
        {"SELECT COUNT(*) FROM dual CONNECT BY LEVEL <= 1000", {"1000"}},
        {"SELECT 1 / 0 FROM dual", {}, 1476, "ORA-01476: divisor is equal to zero"},
        {"SELECT 'x' + 1 FROM dual", {}, 1722, "ORA-01722: invalid number"},
    });
}

TEST(Sql, TablesWhereAndOrder) {
    database db(definition);
    auto s = db.logon("HR", "hr");
    check(*s, {
        {"SELECT * FROM employees WHERE id = 1", {"1|King|ADMIN|2020-01-31 00:00:00|Y"}},
        {"SELECT e.name FROM hr.employees e WHERE e.dept = 'SALES' ORDER BY e.name", {"Clark", "ford"}},
        {"SELECT name FROM employees ORDER BY dept, name", {"King", "Clark", "ford", "Blake"}},
        {"SELECT name FROM employees ORDER BY dept DESC, 1", {"Blake", "Clark", "ford", "King"}},
        {"SELECT name n, id FROM employees ORDER BY n", {"Blake|2", "Clark|3", "King|1", "ford|4"}},
        {"SELECT name FROM employees WHERE dept <> 'SALES' OR dept IS NULL ORDER BY id DESC", {"Blake", "King"}},
        {"SELECT name FROM employees WHERE dept NOT IN ('SALES') ORDER BY 1", {"King"}},
        {"SELECT name FROM employees WHERE id BETWEEN 2 AND 3 AND ROWNUM <= 1", {"Blake"}},
        {"SELECT name FROM employees WHERE hired > DATE '2020-01-01' ORDER BY hired", {"King", "Blake"}},
        {"SELECT COUNT(*), COUNT(dept), MIN(name), MAX(id), SUM(id) FROM employees", {"4|3|Blake|4|10"}},
        {"SELECT UPPER(name) || '/' || LOWER(dept) FROM employees WHERE flag = 'Y' ORDER BY 1",
         {"FORD/sales", "KING/admin"}},
    });
}

TEST(Sql, RefusalsCarryOraclesErrors) {
    database db(definition);
    auto s = db.logon("HR", "hr");
    check(*s, {
        {"SELECT nope FROM employees", {}, 904, "ORA-00904: \"NOPE\": invalid identifier"},
        {"SELECT e.nope FROM employees e", {}, 904, "ORA-00904: \"E\".\"NOPE\": invalid identifier"},
        {"SELECT employees.name FROM employees e", {}, 904, "ORA-00904: \"EMPLOYEES\".\"NAME\": invalid identifier"},
        {"SELECT frob(1) FROM dual", {}, 904, "ORA-00904: \"FROB\": invalid identifier"},
        {"SELECT * FROM missing", {}, 942, "ORA-00942: table or view does not exist"},
        {"SELECT * FROM dba_objects", {}, 942, "ORA-00942: table or view does not exist"},
        {"SELECT * FROM scott.anything", {}, 942},
        {"SELECT 1 FROM dual;", {}, 911, "ORA-00911: invalid character"},
        {"SELECT 1 FROM dual dual2 extra", {}, 933, "ORA-00933: SQL command not properly ended"},
        {"SELECT 1", {}, 923, "ORA-00923: FROM keyword not found where expected"},
        {"SELECT FROM dual", {}, 936, "ORA-00936: missing expression"},
        {"SELECT (1 FROM dual", {}, 907, "ORA-00907: missing right parenthesis"},
        {"SELECT 'abc FROM dual", {}, 1756, "ORA-01756: quoted string not properly terminated"},
        {"FLY ME TO THE MOON", {}, 900, "ORA-00900: invalid SQL statement"},
        {"SELECT name, COUNT(*) FROM employees", {}, 937, "ORA-00937: not a single-group group function"},
        {"SELECT 1 FROM dual WHERE COUNT(*) > 1", {}, 934, "ORA-00934: group function is not allowed here"},
        {"SELECT LOWER(1, 2) FROM dual", {}, 909, "ORA-00909: invalid number of arguments"},
        {"SELECT 1 FROM dual ORDER BY 2", {}, 1785},
        {"SELECT level FROM dual", {}, 1788},
        {"SELECT :x FROM dual", {}, 1008, "ORA-01008: not all variables bound"},
    });
}

TEST(Sql, CatalogUserReadsTheDictionaryButNoTables) {
    database db(definition);
    auto s = db.logon("reader", "r");
    check(*s, {
        {"SELECT owner, object_type, object_name, status FROM dba_objects WHERE status = 'INVALID' ORDER BY owner, "
         "object_type, object_name",
         {"HR|PACKAGE BODY|EMP_PKG|INVALID", "HR|VIEW|EMP_V|INVALID", "SCOTT|PROCEDURE|P|INVALID"}},
        {"SELECT name, type, sequence, line, text, attribute, message_number FROM dba_errors ORDER BY sequence",
         {"EMP_PKG|PACKAGE BODY|1|1|PLS-00201: identifier 'X' must be declared|ERROR|201",
          "EMP_PKG|PACKAGE BODY|2|2|PLW-06002: Unreachable code|WARNING|6002"}},
        {"SELECT object_name FROM sys.dba_objects WHERE object_name = 'trg_lower'", {"trg_lower"}},
        {"SELECT status FROM dba_objects WHERE owner = 'HR' AND object_name = 'EMP_PKG' AND object_type = 'PACKAGE'",
         {"VALID"}},
        {"SELECT COUNT(*) FROM dba_objects WHERE owner = 'HR' AND object_name = 'NOPE'", {"0"}},
        {"SELECT COUNT(*) FROM dba_objects WHERE owner = NULL AND object_name = 'EMP_PKG'", {"0"}},
        {"SELECT * FROM hr.employees", {}, 942},
    });
}

TEST(Sql, DescribeGivesTypesSizesAndNames) {
    database db(definition);
    auto s = db.logon("HR", "hr");
    const auto r = run(*s, "SELECT id, name, hired, flag, COUNT(*) n, 'ab', name || 'x', lower(name) \"low\", SYSDATE, "
                           "TO_CHAR(id) FROM employees WHERE 1 = 0 GROUP_ BY");
    EXPECT_FALSE(r.ok); // GROUP_ is taken as the table alias, BY is junk
    const auto d = run(*s, "SELECT id, name, hired, flag, 'ab', name || 'x', lower(name) \"low\", SYSDATE, TO_CHAR(id), "
                           "DECODE(id, 1, 'a', 'bcd') FROM employees");
    ASSERT_TRUE(d.ok) << d.error.text;
    struct col {
        const char* name;
        unsigned short type, size;
    };
    const col expected[] = {{"ID", 2, 22},         {"NAME", 1, 40},          {"HIRED", 12, 7},
                            {"FLAG", 96, 1},       {"'AB'", 96, 2},          {"NAME||'X'", 1, 41},
                            {"low", 1, 40},        {"SYSDATE", 12, 7},       {"TO_CHAR(ID)", 1, 40},
                            {"DECODE(ID,1,'A','BCD')", 1, 3}};
    ASSERT_EQ(d.columns.size(), std::size(expected));
    for (std::size_t i = 0; i < d.columns.size(); ++i) {
        EXPECT_EQ(d.columns[i].name, expected[i].name);
        EXPECT_EQ(d.columns[i].type, expected[i].type) << expected[i].name;
        EXPECT_EQ(d.columns[i].size, expected[i].size) << expected[i].name;
    }
    const auto c = run(*s, "SELECT COUNT(*) FROM employees");
    ASSERT_EQ(c.columns.size(), 1u);
    EXPECT_EQ(c.columns[0].name, "COUNT(*)");
    EXPECT_EQ(c.columns[0].type, 2);
}

TEST(Sql, InBindsAreRead) {
    database db(definition);
    auto s = db.logon("HR", "hr");
    orasim::bind_map binds{{"ID", orasim::value::make_number(3)}, {"1", orasim::value::make_text("King")}};
    const auto r = s->execute("SELECT name FROM employees WHERE id = :id OR name = :1 ORDER BY id", binds);
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(rows_of(r), (std::vector<std::string>{"King", "Clark"}));
}

TEST(Sql, StatementTypes) {
    const std::pair<const char*, unsigned short> cases[] = {
        {"SELECT 1 FROM dual", 1}, {"  -- comment\n select 1 from dual", 1}, {"with x as (select 1) select", 1},
        {"UPDATE t SET x = 1", 2}, {"delete t", 3},      {"insert into t values (1)", 4}, {"CREATE TABLE t", 5},
        {"drop table t", 6},       {"ALTER VIEW v COMPILE", 7}, {"BEGIN NULL; END;", 8}, {"/* c */ DECLARE x", 9},
        {"CALL p()", 10},          {"MERGE INTO t", 16}, {"commit", 21},   {"", 0},       {"frobnicate", 0},
    };
    for (const auto& [text, type] : cases) EXPECT_EQ(orasim::statement_type(text), type) << text;
}

} // namespace
