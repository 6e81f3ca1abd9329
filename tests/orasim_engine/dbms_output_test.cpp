#include "fixture.h"

using namespace orasim_test;

namespace {

const char* definition = "database DEMO\nuser SCOTT tiger\n";

struct output_case {
    const char* name;
    std::vector<const char*> blocks; // run in order on one session; only the last may fail
    std::vector<std::string> lines;  // what get_line then reads
    int error = 0;
    const char* text = "";
};

TEST(DbmsOutput, BufferRules) {
    const output_case cases[] = {
        {"lines in order",
         {"BEGIN dbms_output.enable(10000); END;",
          "BEGIN dbms_output.put_line('one'); dbms_output.put_line('two'); dbms_output.put_line(3); END;"},
         {"one", "two", "3"}},
        {"not enabled: writes are ignored", {"BEGIN dbms_output.put_line('lost'); END;"}, {}},
        {"disable discards",
         {"BEGIN dbms_output.enable(NULL); dbms_output.put_line('x'); END;", "BEGIN dbms_output.disable; END;",
          "BEGIN dbms_output.enable; END;"},
         {}},
        {"put and new_line build one line",
         {"BEGIN dbms_output.enable(NULL); dbms_output.put('a'); dbms_output.put('b'); dbms_output.new_line; "
          "dbms_output.put('pending is not a line'); END;"},
         {"ab"}},
        {"a second enable keeps the buffered lines",
         {"BEGIN dbms_output.enable(2000); dbms_output.put_line('kept'); END;",
          "BEGIN dbms_output.enable(NULL); END;"},
         {"kept"}},
        {"an empty line is read back",
         {"BEGIN dbms_output.enable(NULL); dbms_output.put_line(''); dbms_output.put_line(NULL); "
          "dbms_output.put_line('x'); END;"},
         {"", "", "x"}},
        {"2000 one-byte lines fit a limit below 2000",
         {"BEGIN dbms_output.enable(10); FOR i IN 1..2000 LOOP dbms_output.put_line('x'); END LOOP; END;"},
         std::vector<std::string>(2000, "x")},
        {"overflow names the limit in force",
         {"BEGIN dbms_output.enable(10); END;",
          "BEGIN\n  FOR i IN 1..2001 LOOP\n    dbms_output.put_line('x');\n  END LOOP;\nEND;"},
         {},
         20000,
         "ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 97\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 112\n"
         "ORA-06512: at line 3"},
        {"the limit is at most 1000000",
         {"BEGIN dbms_output.enable(5000000); END;",
          "DECLARE s VARCHAR2(32767) := RPAD('x', 30000, 'x');\n"
          "BEGIN FOR i IN 1..40 LOOP dbms_output.put_line(s); END LOOP; END;"},
         {},
         20000,
         "ORA-20000: ORU-10027: buffer overflow, limit of 1000000 bytes\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 97\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 112\n"
         "ORA-06512: at line 2"},
        {"a line over 32767 bytes",
         {"BEGIN dbms_output.enable(NULL); END;",
          "DECLARE s VARCHAR2(20000); BEGIN s := RPAD('x', 20000, 'x');\n dbms_output.put(s);\n "
          "dbms_output.put_line(s); END;"},
         {},
         20000,
         "ORA-20000: ORU-10028: line length overflow, limit of 32767 bytes per line\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 97\n"
         "ORA-06512: at \"SYS.DBMS_OUTPUT\", line 112\n"
         "ORA-06512: at line 3"},
        {"the overflow can be handled",
         {"BEGIN dbms_output.enable(2000); FOR i IN 1..3000 LOOP dbms_output.put_line('x'); END LOOP;\n"
          "EXCEPTION WHEN OTHERS THEN dbms_output.disable; dbms_output.enable(NULL); dbms_output.put_line(SQLCODE || "
          "' ' || SQLERRM); END;"},
         {"-20000 ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        database db(definition);
        auto s = db.logon("scott", "tiger");
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            const auto r = run(*s, c.blocks[i]);
            if (i + 1 == c.blocks.size() && c.error) {
                EXPECT_FALSE(r.ok);
                EXPECT_EQ(r.error.code, c.error);
                if (*c.text) {
                    EXPECT_EQ(r.error.text, c.text);
                }
            } else {
                EXPECT_TRUE(r.ok) << r.error.text;
            }
        }
        if (!c.error) {
            EXPECT_EQ(read_output(*s), c.lines);
        }
    }
}

TEST(DbmsOutput, GetLineGivesNullForAnEmptyLineAndStatusOneAtTheEnd) {
    database db(definition);
    auto s = db.logon("scott", "tiger");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.enable(NULL); dbms_output.put_line(''); END;").ok);
    orasim::bind_map binds{{"1", orasim::value::make_text("stale")}, {"2", orasim::value::make_null()}};
    ASSERT_TRUE(s->execute("BEGIN dbms_output.get_line(:1, :2); END;", binds).ok);
    EXPECT_TRUE(binds["1"].is_null());
    EXPECT_EQ(binds["2"].kind, orasim::value::number);
    EXPECT_EQ(binds["2"].num, 0);
    ASSERT_TRUE(s->execute("BEGIN dbms_output.get_line(:1, :2); END;", binds).ok);
    EXPECT_TRUE(binds["1"].is_null());
    EXPECT_EQ(binds["2"].num, 1);
    // without the OUT binds the block cannot run
    orasim::bind_map none;
    const auto r = s->execute("BEGIN dbms_output.get_line(:1, :2); END;", none);
    EXPECT_EQ(r.error.code, 1008);
}

TEST(DbmsOutput, AWriteAfterAReadDropsTheUnreadLines) {
    database db(definition);
    auto s = db.logon("scott", "tiger");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.enable(NULL); dbms_output.put_line('This is'); "
                        "dbms_output.put_line('a test.'); END;").ok);
    orasim::bind_map binds{{"1", orasim::value::make_null()}, {"2", orasim::value::make_null()}};
    ASSERT_TRUE(s->execute("BEGIN dbms_output.get_line(:1, :2); END;", binds).ok);
    EXPECT_EQ(binds["1"].str, "This is");
    ASSERT_TRUE(run(*s, "BEGIN dbms_output.put_line('new'); END;").ok);
    EXPECT_EQ(read_output(*s), std::vector<std::string>{"new"});
}

TEST(DbmsOutput, EachSessionHasItsOwnBuffer) {
    database db(definition);
    auto a = db.logon("scott", "tiger");
    auto b = db.logon("scott", "tiger");
    ASSERT_TRUE(run(*a, "BEGIN dbms_output.enable(NULL); dbms_output.put_line('from a'); END;").ok);
    ASSERT_TRUE(run(*b, "BEGIN dbms_output.enable(NULL); END;").ok);
    EXPECT_EQ(read_output(*b), std::vector<std::string>{});
    EXPECT_EQ(read_output(*a), std::vector<std::string>{"from a"});
}

} // namespace
