#include "fixture.h"

using namespace orasim_test;

namespace {

const char* definition = R"(database DEMO
user SYSTEM manager dba
user SCOTT tiger
object HR PACKAGE EMP_PKG invalid
object HR VIEW EMP_V invalid
table SCOTT T (ID NUMBER, NAME VARCHAR2(10))
row SCOTT T (1, 'one')
row SCOTT T (2, 'two')
row SCOTT T (3, NULL)
)";

struct block_case {
    const char* block;
    std::vector<std::string> lines; // dbms_output lines when error is 0
    int error = 0;
    const char* text = ""; // the whole error text when given
};

void check(orasim::session& s, const std::vector<block_case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        ASSERT_TRUE(run(s, "BEGIN dbms_output.disable; dbms_output.enable(NULL); END;").ok);
        const auto r = run(s, c.block);
        if (c.error) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.error.code, c.error);
            if (*c.text) {
                EXPECT_EQ(r.error.text, c.text);
            }
        } else {
            EXPECT_TRUE(r.ok) << r.error.text;
            EXPECT_EQ(read_output(s), c.lines);
        }
    }
}

TEST(Plsql, StatementsAndExpressions) {
    database db(definition);
    auto s = db.logon("scott", "tiger");
    check(*s, {
        {"DECLARE n INTEGER := 2.6; v VARCHAR2(5) := 'ab'; b BOOLEAN := TRUE;\n"
         "BEGIN dbms_output.put_line(n || v); IF b AND n > 2 THEN dbms_output.put_line('yes'); END IF; END;",
         {"3ab", "yes"}},
        {"DECLARE x NUMBER; BEGIN IF x = 1 THEN dbms_output.put_line('1'); ELSIF x IS NULL THEN "
         "dbms_output.put_line('null'); ELSE dbms_output.put_line('else'); END IF; END;",
         {"null"}},
        {"DECLARE i INTEGER := 0; BEGIN WHILE i < 3 LOOP i := i + 1; dbms_output.put(i); END LOOP; "
         "dbms_output.new_line; END;",
         {"123"}},
        {"BEGIN FOR i IN REVERSE 1..3 LOOP dbms_output.put_line(i); END LOOP; END;", {"3", "2", "1"}},
        {"DECLARE i INTEGER := 0; BEGIN LOOP i := i + 1; EXIT WHEN i >= 2; END LOOP; dbms_output.put_line(i); END;",
         {"2"}},
        {"DECLARE CURSOR c IS SELECT id, name FROM t ORDER BY id DESC;\n"
         "BEGIN FOR r IN c LOOP dbms_output.put_line(r.Id || '=' || NVL(r.NAME, '?')); END LOOP; END;",
         {"3=?", "2=two", "1=one"}},
        {"BEGIN FOR r IN (SELECT COUNT(*) n FROM t) LOOP dbms_output.put_line(r.n); END LOOP; END;", {"3"}},
        {"DECLARE v VARCHAR2(10); BEGIN SELECT name INTO v FROM t WHERE id = 2; dbms_output.put_line(v); END;",
         {"two"}},
        {"DECLARE v VARCHAR2(10); id NUMBER := 1; BEGIN SELECT name INTO v FROM t WHERE t.id = id;\n"
         "dbms_output.put_line(v); END;",
         {}, 1422},
        {"DECLARE v VARCHAR2(10); BEGIN\n  SELECT name INTO v FROM t WHERE id = 9;\nEND;", {}, 1403,
         "ORA-01403: no data found\nORA-06512: at line 2"},
        {"DECLARE v VARCHAR2(10); BEGIN SELECT name INTO v FROM t WHERE id = 9;\n"
         "EXCEPTION WHEN NO_DATA_FOUND THEN dbms_output.put_line(SQLCODE || ' ' || SQLERRM); END;",
         {"100 ORA-01403: no data found"}},
        {"BEGIN dbms_output.put_line(SQLCODE || ' ' || SQLERRM); END;", {"0 ORA-0000: normal, successful completion"}},
        {"DECLARE v VARCHAR2(3); BEGIN\n v := 'abcd';\nEND;", {}, 6502,
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 2"},
        {"DECLARE n NUMBER; BEGIN n := 'x1'; END;", {}, 6502},
        {"BEGIN\n  BEGIN\n    raise_application_error(-20001, 'inner');\n  EXCEPTION WHEN OTHERS THEN\n"
         "    dbms_output.put_line('caught ' || SQLCODE || ': ' || SQLERRM);\n  END;\n"
         "  raise_application_error(-20002, 'outer');\nEND;",
         {}, 20002, "ORA-20002: outer\nORA-06512: at line 7"},
        {"BEGIN raise_application_error(-1, 'x'); END;", {}, 21000},
        {"BEGIN\n  BEGIN\n    raise_application_error(-20001, 'again');\n  EXCEPTION WHEN OTHERS THEN\n    RAISE;\n  END;\nEND;",
         {}, 20001, "ORA-20001: again\nORA-06512: at line 5"},
        {"BEGIN EXECUTE IMMEDIATE 'BEGIN dbms_output.put_line(''dynamic''); END;'; END;", {"dynamic"}},
        {"DECLARE n INTEGER; BEGIN EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM t' INTO n; dbms_output.put_line(n); END;",
         {"3"}},
        {"BEGIN EXECUTE IMMEDIATE 'SELECT nope FROM t'; EXCEPTION WHEN OTHERS THEN dbms_output.put_line(SQLERRM); END;",
         {"ORA-00904: \"NOPE\": invalid identifier"}},
        {"BEGIN EXECUTE IMMEDIATE 'garbage'; END;", {}, 900, "ORA-00900: invalid SQL statement\nORA-06512: at line 1"},
        {"DECLARE n NUMBER := 1 / 0; BEGIN NULL; EXCEPTION WHEN OTHERS THEN dbms_output.put_line('not here'); END;",
         {}, 1476},
        {"BEGIN NULL; -- a comment\nEND;", {}},
    });
}

TEST(Plsql, CompileErrorsRunNothing) {
    database db(definition);
    auto s = db.logon("scott", "tiger");
    check(*s, {
        {"BEGIN\n  dbms_output.put_line('ran');\n  x := 1;\nEND;", {}, 6550,
         "ORA-06550: line 3, column 3:\nPLS-00201: identifier 'X' must be declared\n"
         "ORA-06550: line 3, column 3:\nPL/SQL: Statement ignored"},
        {"BEGIN\n  dbms_output.put_line('ran');\n  FOR r IN (SELECT * FROM dba_objects) LOOP NULL; END LOOP;\nEND;", {},
         6550,
         "ORA-06550: line 3, column 27:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 3, column 13:\nPL/SQL: SQL Statement ignored"},
        {"DECLARE n INTEGER;\nBEGIN\n  SELECT nope INTO n FROM t;\nEND;", {}, 6550,
         "ORA-06550: line 3, column 10:\nPL/SQL: ORA-00904: \"NOPE\": invalid identifier\n"
         "ORA-06550: line 3, column 3:\nPL/SQL: SQL Statement ignored"},
        {"BEGIN dbms_output.frob('x'); END;", {}, 6550,
         "ORA-06550: line 1, column 7:\nPLS-00302: component 'FROB' must be declared\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored"},
        {"DECLARE v VARCHAR2(5); BEGIN v := DECODE(1, 1, 'a'); END;", {}, 6550},
        {"DECLARE CURSOR c IS SELECT id FROM t; BEGIN FOR r IN c LOOP dbms_output.put_line(r.name); END LOOP; END;",
         {}, 6550},
        {"DECLARE k CONSTANT INTEGER := 1; BEGIN k := 2; END;", {}, 6550},
        {"BEGIN NULL; END", {}, 6550,
         "ORA-06550: line 1, column 16:\nPLS-00103: Encountered the symbol \"end-of-file\" when expecting one of the "
         "following:\n\n   ;"},
        {"BEGIN END;", {}, 6550},
        {"BEGIN EXIT; END;", {}, 6550},
    });
}

TEST(Plsql, OutBindsAreWritten) {
    database db(definition);
    auto s = db.logon("scott", "tiger");
    orasim::bind_map binds{{"N", orasim::value::make_null()}, {"IN", orasim::value::make_number(20)}};
    const auto r = s->execute("BEGIN :n := :in + 1; END;", binds);
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(binds["N"].num, 21);
}

TEST(Plsql, CursorRowsAreFixedWhenItOpens) {
    // compiling inside the loop changes the catalog, not the rows the loop already has
    database db(definition);
    auto s = db.logon("system", "manager");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.enable(NULL); END;").ok);
    const auto r = run(*s, "BEGIN FOR o IN (SELECT owner, object_name, object_type, status FROM dba_objects WHERE status "
                           "= 'INVALID' ORDER BY object_name) LOOP\n"
                           "  EXECUTE IMMEDIATE 'ALTER PACKAGE HR.EMP_PKG COMPILE';\n"
                           "  dbms_output.put_line(o.object_name || ' ' || o.status);\nEND LOOP; END;");
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(read_output(*s), (std::vector<std::string>{"EMP_PKG INVALID", "EMP_V INVALID"}));
    EXPECT_EQ(db.srv.object_status("HR", "PACKAGE", "EMP_PKG"), "VALID");
}

} // namespace
