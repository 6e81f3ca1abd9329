// The access layer against the simulated server, through the OCI calls a real client answers.
#include "function_table.h"
#include "oralib/connection.h"
#include "oralib/resultset.h"
#include "oralib/statement.h"
#include "orasim_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char* const definition = R"(database DEMO
user SYSTEM manager dba
user SCOTT tiger
user SYSADM secret sysdba sysoper
user OLD pw expiring
table HR T (ID NUMBER, NAME VARCHAR2(4000), FLAG CHAR(1), HIRED DATE, NOTE CLOB, BODY LONG)
row HR T (42, 'King', 'Y', DATE '2020-01-31', 'n', 'long text')
row HR T (NULL, NULL, NULL, NULL, NULL, NULL)
)";

class Simulated : public ::testing::Test {
protected:
    void SetUp() override {
        oci::install_client(orasim_function_table());
        ASSERT_EQ(orasim_load_definition(definition), 0) << orasim_last_error();
        orasim_reset();
    }
    void TearDown() override {
        conn.close();
        EXPECT_EQ(orasim_live_handles(), 0u) << "every handle is released";
        orasim_clear_faults();
    }
    void logon(const char* user = "SYSTEM", const char* pw = "manager", int as = 0) {
        conn.open("DEMO", user, pw, as, OCI_OBJECT, false);
    }
    std::unique_ptr<oralib::resultset> query(std::unique_ptr<oralib::statement>& s, const std::string& sql) {
        s.reset(conn.prepare(sql.c_str()));
        EXPECT_EQ(s->statement_type, OCI_STMT_SELECT);
        return std::unique_ptr<oralib::resultset>(s->select());
    }
    oralib::connection conn;
};

TEST_F(Simulated, LogonOutcomes) {
    struct row {
        const char* user;
        const char* password;
        int as;
        int oracle_error; // 0: logged on
    };
    const row cases[] = {
        {"SYSTEM", "manager", 0, 0},   {"SYSTEM", "MANAGER", 0, 1017}, {"NOBODY", "x", 0, 1017},
        {"SYSADM", "secret", 1, 0},    {"SYSADM", "secret", 2, 0},     {"SCOTT", "tiger", 1, 1031},
        {"SCOTT", "tiger", 2, 1031},   {"SCOTT", "tiger", 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user) + " as " + std::to_string(c.as));
        oralib::connection k;
        try {
            k.open("DEMO", c.user, c.password, c.as, OCI_OBJECT, false);
            EXPECT_EQ(c.oracle_error, 0);
            EXPECT_EQ(orasim_live_sessions(), 1u);
        } catch (const oralib::error& e) {
            EXPECT_EQ(e.oracle_error, c.oracle_error);
            EXPECT_EQ(e.code, OCI_ERROR);
            EXPECT_EQ(e.description.rfind("(OCI_ERROR) ORA-", 0), 0u) << e.description;
            EXPECT_EQ(e.description.back(), '\n');
        }
        k.close();
        EXPECT_EQ(orasim_live_sessions(), 0u);
    }
    try {
        conn.open("NOWHERE", "SYSTEM", "manager", 0, OCI_OBJECT, false);
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.description,
                  "(OCI_ERROR) ORA-12154: TNS:could not resolve the connect identifier specified\n");
    }
}

TEST_F(Simulated, AnExpiringPasswordLogsOnWithItsWarning) {
    logon("OLD", "pw");
    EXPECT_NE(conn.logon_warning().find("ORA-28002"), std::string::npos) << conn.logon_warning();
    std::unique_ptr<oralib::statement> s;
    auto rs = query(s, "SELECT 1 FROM dual");
    EXPECT_EQ(rs->rows_fetched, 1u);
}

TEST_F(Simulated, BatchesOfTwenty) {
    logon();
    struct row {
        int rows;
        std::vector<int> fetches_at; // the row numbers at which next() fetched
    };
    for (int n : {0, 1, 20, 45}) {
        SCOPED_TRACE(n);
        std::unique_ptr<oralib::statement> s;
        orasim_reset_round_trips();
        auto rs = query(s, n == 0 ? std::string("SELECT 1 n, 'x' t FROM dual WHERE 1 = 0")
                                  : "SELECT level n, 'x' || level t FROM dual CONNECT BY LEVEL <= " + std::to_string(n));
        EXPECT_EQ(rs->rows_fetched, static_cast<ub4>(std::min(n, 20)));
        EXPECT_EQ(rs->end_of_data, n < 20);
        int read = 0;
        if (rs->current_row < rs->rows_fetched) {
            do {
                EXPECT_EQ(std::string(rs->get_column("N")->as_text()), std::to_string(read + 1));
                std::string number = std::to_string(read + 1);
                EXPECT_EQ(std::u16string(rs->get_column("T")->as_string()),
                          u"x" + std::u16string(number.begin(), number.end()));
                ++read;
            } while (rs->next());
        }
        EXPECT_EQ(read, n);
        EXPECT_TRUE(rs->end_of_data);
        // One execute and one fetch per batch, with the empty one that ends a full batch.
        EXPECT_EQ(orasim_round_trips(), 1u + static_cast<unsigned>(n / 20 + 1));
        EXPECT_FALSE(rs->next()) << "no fetch after the end";
        EXPECT_EQ(orasim_round_trips(), 1u + static_cast<unsigned>(n / 20 + 1));
    }
}

TEST_F(Simulated, ColumnsByTheMappingTable) {
    logon();
    std::unique_ptr<oralib::statement> s;
    auto rs = query(s, "SELECT id, name, flag, hired, body FROM hr.t ORDER BY id");
    ASSERT_EQ(rs->column_count(), 5u);
    struct expect {
        const char* name;
        int kind;
        ub2 type;
        ub4 width;
    };
    const expect cols[] = {{"ID", oralib::number, SQLT_VNU, 22},
                           {"NAME", oralib::string, SQLT_STR, 4098},
                           {"FLAG", oralib::string, SQLT_STR, 4},
                           {"HIRED", oralib::date, SQLT_ODT, 8},
                           {"BODY", oralib::string, SQLT_STR, 4098}};
    oralib::column* c = rs->first_column();
    for (size_t i = 0; i < 5; ++i, c = rs->next_column(c)) {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c, rs->column_at(i));
        EXPECT_EQ(c->name(), cols[i].name);
        EXPECT_EQ(c->kind(), cols[i].kind);
        EXPECT_EQ(c->oracle_type(), cols[i].type);
        EXPECT_EQ(c->width(), cols[i].width);
    }
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(rs->column_at(5), nullptr);
    EXPECT_STREQ(rs->get_column("ID")->as_text(), "42");
    EXPECT_EQ(std::u16string(rs->get_column("NAME")->as_string()), u"King");
    EXPECT_EQ(std::u16string(rs->get_column("BODY")->as_string()), u"long text") << "a LONG reads as text";
    EXPECT_EQ(rs->get_column("HIRED")->as_date().OCIDateYYYY, 2020);
    auto code_of = [](auto&& read) {
        try {
            read();
        } catch (const oralib::error& e) {
            return e.code;
        }
        return 0;
    };
    EXPECT_EQ(code_of([&] { rs->get_column("HIRED")->as_string(); }), 1006);
    EXPECT_EQ(code_of([&] { rs->get_column("HIRED")->as_text(); }), 1006);
    EXPECT_EQ(code_of([&] { rs->get_column("NAME")->as_text(); }), 1006);
    EXPECT_EQ(code_of([&] { rs->get_column("id"); }), 1011);
    ASSERT_TRUE(rs->next());
    for (const char* name : {"ID", "NAME", "FLAG"})
        EXPECT_EQ(code_of([&] {
                      auto* col = rs->get_column(name);
                      col->kind() == oralib::number ? (void)col->as_text() : (void)col->as_string();
                  }),
                  1006)
            << name << " is NULL";
}

TEST_F(Simulated, LobColumnsAreRefusedByName) {
    logon();
    std::unique_ptr<oralib::statement> s(conn.prepare("SELECT id, note FROM hr.t"));
    try {
        std::unique_ptr<oralib::resultset> rs(s->select());
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.code, 1009);
        EXPECT_EQ(e.description,
                  "Unsupported type - this version of the program doesn't support such an Oracle type: NOTE");
    }
}

TEST_F(Simulated, OutputBindsOfTheServerOutputBlock) {
    logon();
    std::unique_ptr<oralib::statement> put(conn.prepare("BEGIN dbms_output.enable(NULL); "
                                                        "dbms_output.put_line('first'); dbms_output.put_line(''); END;"));
    EXPECT_EQ(put->statement_type, OCI_STMT_BEGIN);
    put->execute();
    std::unique_ptr<oralib::statement> get(conn.prepare("BEGIN dbms_output.get_line(:1, :2); END;"));
    oralib::parameter* line = get->bind(":1", oralib::string);
    oralib::parameter* status = get->bind(":2", oralib::number);
    get->execute();
    EXPECT_EQ(status->as_int(), 0);
    EXPECT_EQ(std::u16string(line->as_string()), u"first");
    get->execute();
    EXPECT_EQ(status->as_int(), 0);
    EXPECT_THROW(line->as_string(), oralib::error) << "an empty line comes back NULL";
    get->execute();
    EXPECT_NE(status->as_int(), 0);
}

TEST_F(Simulated, ServerErrorsReachTheCaller) {
    logon("SCOTT", "tiger");
    try {
        std::unique_ptr<oralib::statement> s(conn.prepare("SELECT owner FROM dba_objects"));
        std::unique_ptr<oralib::resultset> rs(s->select());
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.oracle_error, 942);
        EXPECT_EQ(e.description, "(OCI_ERROR) ORA-00942: table or view does not exist\n");
    }
}

// Every OCI call the layer makes, failed in turn: the error reaches the caller and nothing leaks.
TEST_F(Simulated, EachFailingCallIsAnErrorAndLeavesNoHandle) {
    const char* const calls[] = {"OCIServerAttach", "OCISessionBegin", "OCIStmtPrepare", "OCIStmtExecute",
                                 "OCIStmtFetch",    "OCIAttrGet",      "OCIAttrSet",     "OCIParamGet",
                                 "OCIDefineByPos",  "OCIBindByName",   "OCINumberToText", "OCINumberToInt",
                                 "OCIHandleAlloc"};
    for (const char* call : calls) {
        for (unsigned k = 1; k <= 3; ++k) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(k));
            if (orasim_inject_fault(call, k, 3113) != 0)
                continue; // not a call this fault can reach
            bool failed = false;
            try {
                logon();
                std::unique_ptr<oralib::statement> s(conn.prepare("SELECT id, name FROM hr.t"));
                std::unique_ptr<oralib::resultset> rs(s->select());
                do
                    if (!rs->get_column("ID")->is_null())
                        rs->get_column("ID")->as_text();
                while (rs->next());
                std::unique_ptr<oralib::statement> b(conn.prepare("BEGIN dbms_output.get_line(:1, :2); END;"));
                b->bind(":1", oralib::string);
                b->bind(":2", oralib::number);
                b->execute();
                b->get_parameter(":2")->as_int();
            } catch (const oralib::error& e) {
                failed = true;
                EXPECT_NE(e.description.find("ORA-"), std::string::npos) << e.description;
            }
            if (k == 1) {
                EXPECT_TRUE(failed) << "every call here is made at least once";
            }
            conn.close();
            EXPECT_EQ(orasim_live_handles(), 0u);
            orasim_clear_faults();
            orasim_reset();
        }
    }
}

} // namespace
