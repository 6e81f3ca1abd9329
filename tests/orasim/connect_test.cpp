// Logons, handle checks and error records, called as the access layer calls them.
#include "client.h"

using namespace orasim_test;

namespace {

class Connect : public Orasim {};

TEST_F(Connect, LogonOutcomes) {
    struct row {
        const char* db;
        const char* user;
        const char* password;
        ub4 mode;
        sword status;
        sb4 code; // of record 1, 0 when there is none
        const char* text;
    };
    const row rows[] = {
        {"DEMO", "SCOTT", "tiger", OCI_DEFAULT, OCI_SUCCESS, 0, ""},
        {"demo", "scott", "tiger", OCI_DEFAULT, OCI_SUCCESS, 0, ""},
        {"other db", "SCOTT", "tiger", OCI_DEFAULT, OCI_SUCCESS, 0, ""},
        {"NOWHERE", "SCOTT", "tiger", OCI_DEFAULT, OCI_ERROR, 12154,
         "ORA-12154: TNS:could not resolve the connect identifier specified\n"},
        {"", "SCOTT", "tiger", OCI_DEFAULT, OCI_ERROR, 12154,
         "ORA-12154: TNS:could not resolve the connect identifier specified\n"},
        {"DEMO", "SCOTT", "TIGER", OCI_DEFAULT, OCI_ERROR, 1017, "ORA-01017: invalid username/password; logon denied\n"},
        {"DEMO", "NOBODY", "tiger", OCI_DEFAULT, OCI_ERROR, 1017, "ORA-01017: invalid username/password; logon denied\n"},
        {"DEMO", "SCOTT", "tiger", OCI_SYSDBA, OCI_ERROR, 1031, "ORA-01031: insufficient privileges\n"},
        {"DEMO", "SYSADM", "secret", OCI_SYSDBA, OCI_SUCCESS, 0, ""},
        {"DEMO", "SYSADM", "secret", OCI_SYSOPER, OCI_SUCCESS, 0, ""},
        {"DEMO", "GONE", "pw", OCI_DEFAULT, OCI_ERROR, 28000, "ORA-28000: the account is locked\n"},
        {"DEMO", "OLD", "pw", OCI_DEFAULT, OCI_SUCCESS_WITH_INFO, 28002, nullptr},
        {"DEMO", "SCOTT", "tiger", OCI_PRELIM_AUTH, OCI_ERROR, 24300, "ORA-24300: bad value for mode\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.db) + " " + r.user + " mode " + std::to_string(r.mode));
        client c;
        sword s = c.logon(r.db, r.user, r.password, r.mode);
        EXPECT_EQ(s, r.status);
        ora e = c.error();
        if (r.code == 0) {
            EXPECT_EQ(e.status, OCI_NO_DATA) << e.text;
            EXPECT_EQ(orasim_live_sessions(), 1u);
        } else {
            EXPECT_EQ(e.code, r.code);
            if (r.text) {
                EXPECT_EQ(e.text, r.text);
            } else {
                EXPECT_EQ(e.text.rfind("ORA-28002: the password will expire within ", 0), 0u) << e.text;
            }
        }
        EXPECT_EQ(c.logoff(), OCI_SUCCESS) << c.error().text;
        EXPECT_EQ(orasim_live_sessions(), 0u);
    }
}

TEST_F(Connect, SessionWithExpiringPasswordIsUsable) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "OLD", "pw"), OCI_SUCCESS_WITH_INFO);
    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    EXPECT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
    c.free(st);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Connect, WrongForeignAndFreedHandlesAreRefused) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    int not_a_handle[16] = {};
    const auto& f = c.f;
    // A foreign address, a handle of another type, a null pointer.
    EXPECT_EQ(f.OCIServerAttach(reinterpret_cast<OCIServer*>(not_a_handle), c.err, client::text("DEMO"), 4, 0),
              OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIServerAttach(reinterpret_cast<OCIServer*>(c.svc), c.err, client::text("DEMO"), 4, 0),
              OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIStmtExecute(c.svc, nullptr, c.err, 1, 0, nullptr, nullptr, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIPing(c.svc, reinterpret_cast<OCIError*>(c.env), 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIHandleFree(c.svc, OCI_HTYPE_SERVER), OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIErrorGet(not_a_handle, 1, nullptr, nullptr, nullptr, 0, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);

    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    c.free(st);
    EXPECT_EQ(f.OCIHandleFree(st, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    EXPECT_EQ(f.OCIStmtExecute(c.svc, st, c.err, 0, 0, nullptr, nullptr, 0), OCI_INVALID_HANDLE);
    ub2 type = 0;
    EXPECT_EQ(f.OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, c.err), OCI_INVALID_HANDLE);

    // A statement handle made after the free may reuse the address; a handle kept elsewhere does not.
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    EXPECT_EQ(f.OCIPing(c.svc, c.err, 0), OCI_INVALID_HANDLE);
}

TEST_F(Connect, FreeingTheEnvironmentFreesEverythingUnderIt) {
    {
        client c;
        ASSERT_EQ(c.logon("DEMO", "SYSTEM", "manager"), OCI_SUCCESS);
        OCIStmt* st = c.prepare("SELECT id, name FROM hr.employees");
        ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
        OCIParam* p = nullptr;
        ASSERT_EQ(c.f.OCIParamGet(st, OCI_HTYPE_STMT, c.err, reinterpret_cast<void**>(&p), 1), OCI_SUCCESS);
        OCIDefine* d = nullptr;
        char buf[10];
        ASSERT_EQ(c.f.OCIDefineByPos(st, &d, c.err, 2, buf, sizeof buf, SQLT_STR, nullptr, nullptr, nullptr, 0),
                  OCI_SUCCESS);
        EXPECT_EQ(orasim_live_sessions(), 1u);
        EXPECT_EQ(orasim_live_handles(), 8u); // env, error, server, svcctx, session, statement, param, define
    } // the client frees only its environment
    EXPECT_EQ(orasim_live_handles(), 0u);
    EXPECT_EQ(orasim_live_sessions(), 0u);
}

TEST_F(Connect, StatementFreesItsBindsDefinesAndParameters) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    unsigned before = orasim_live_handles();
    OCIStmt* st = c.prepare("SELECT :x FROM dual");
    OCIBind* b = nullptr;
    char in[8] = "v";
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":x"), 2, in, sizeof in, SQLT_STR, nullptr, nullptr,
                                nullptr, 0, nullptr, 0),
              OCI_SUCCESS)
        << c.error().text;
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
    OCIParam* p = nullptr;
    ASSERT_EQ(c.f.OCIParamGet(st, OCI_HTYPE_STMT, c.err, reinterpret_cast<void**>(&p), 1), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIParamGet(st, OCI_HTYPE_STMT, c.err, reinterpret_cast<void**>(&p), 2), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24334);
    EXPECT_EQ(orasim_live_handles(), before + 3);
    EXPECT_EQ(c.f.OCIHandleFree(b, OCI_HTYPE_BIND), OCI_INVALID_HANDLE); // binds go with their statement
    c.free(st);
    EXPECT_EQ(orasim_live_handles(), before);
    EXPECT_EQ(c.f.OCIDescriptorFree(p, OCI_DTYPE_PARAM), OCI_INVALID_HANDLE);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Connect, ErrorRecordsEndInALineFeedAndStopAtRecordOne) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "wrong"), OCI_ERROR);
    sb4 code = 0;
    char buf[4000];
    ASSERT_EQ(c.f.OCIErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR),
              OCI_SUCCESS);
    EXPECT_EQ(code, 1017);
    EXPECT_STREQ(buf, "ORA-01017: invalid username/password; logon denied\n");
    EXPECT_EQ(c.f.OCIErrorGet(c.err, 2, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR),
              OCI_NO_DATA);
    EXPECT_EQ(c.f.OCIErrorGet(c.err, 0, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR),
              OCI_NO_DATA);
    // A small buffer gets what fits, terminated.
    char small[10];
    ASSERT_EQ(
        c.f.OCIErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(small), sizeof small, OCI_HTYPE_ERROR),
        OCI_SUCCESS);
    EXPECT_STREQ(small, "ORA-01017");
    // A later call that succeeds clears the record.
    ub1 mode = 0;
    ASSERT_EQ(c.f.OCIAttrGet(c.srv, OCI_HTYPE_SERVER, &mode, nullptr, OCI_ATTR_NONBLOCKING_MODE, c.err), OCI_SUCCESS);
    EXPECT_EQ(c.error().status, OCI_NO_DATA);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Connect, AllocationFailuresAreRecordedOnTheEnvironment) {
    client c;
    void* h = nullptr;
    EXPECT_EQ(c.f.OCIHandleAlloc(c.env, &h, 77, 0, nullptr), OCI_ERROR);
    ora e = c.error(c.env, OCI_HTYPE_ENV);
    EXPECT_EQ(e.code, 24316);
    EXPECT_EQ(e.text, "ORA-24316: illegal handle type\n");
    EXPECT_EQ(c.f.OCIHandleAlloc(c.err, &h, OCI_HTYPE_STMT, 0, nullptr), OCI_INVALID_HANDLE);
    ASSERT_EQ(orasim_inject_fault("OCIHandleAlloc", 1, 1034), 0);
    EXPECT_EQ(c.f.OCIHandleAlloc(c.env, &h, OCI_HTYPE_STMT, 0, nullptr), OCI_ERROR);
    EXPECT_EQ(c.error(c.env, OCI_HTYPE_ENV).text, "ORA-01034: ORACLE not available\n");
    // User memory comes with the handle and goes with it.
    void* mem = nullptr;
    ASSERT_EQ(c.f.OCIHandleAlloc(c.env, &h, OCI_HTYPE_STMT, 64, &mem), OCI_SUCCESS);
    ASSERT_NE(mem, nullptr);
    std::memset(mem, 1, 64);
    EXPECT_EQ(c.f.OCIHandleFree(h, OCI_HTYPE_STMT), OCI_SUCCESS);
}

TEST_F(Connect, SessionEndAndDetachAfterARefusedLogonSucceed) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "nope"), OCI_ERROR);
    EXPECT_EQ(c.f.OCISessionEnd(c.svc, c.err, c.ses, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Connect, AttributesReadBackAsSet) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    OCIServer* srv = nullptr;
    OCISession* ses = nullptr;
    ASSERT_EQ(c.f.OCIAttrGet(c.svc, OCI_HTYPE_SVCCTX, &srv, nullptr, OCI_ATTR_SERVER, c.err), OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIAttrGet(c.svc, OCI_HTYPE_SVCCTX, &ses, nullptr, OCI_ATTR_SESSION, c.err), OCI_SUCCESS);
    EXPECT_EQ(srv, c.srv);
    EXPECT_EQ(ses, c.ses);
    ub1 on = 1, mode = 0;
    ASSERT_EQ(c.f.OCIAttrSet(c.srv, OCI_HTYPE_SERVER, &on, 0, OCI_ATTR_NONBLOCKING_MODE, c.err), OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIAttrGet(c.srv, OCI_HTYPE_SERVER, &mode, nullptr, OCI_ATTR_NONBLOCKING_MODE, c.err), OCI_SUCCESS);
    EXPECT_EQ(mode, 1);
    OraText* user = nullptr;
    ub4 len = 0;
    ASSERT_EQ(c.f.OCIAttrGet(c.ses, OCI_HTYPE_SESSION, &user, &len, OCI_ATTR_USERNAME, c.err), OCI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(user), len), "SCOTT");
    EXPECT_EQ(c.f.OCIAttrGet(c.ses, OCI_HTYPE_SESSION, &user, &len, OCI_ATTR_PASSWORD, c.err), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24315);
    EXPECT_EQ(c.f.OCIAttrSet(c.svc, OCI_HTYPE_SVCCTX, c.err, 0, OCI_ATTR_SERVER, c.err), OCI_INVALID_HANDLE);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Connect, VersionClockAndPing) {
    client c;
    sword v[5] = {-1, -1, -1, -1, -1};
    c.f.OCIClientVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
    EXPECT_EQ(std::vector<sword>(v, v + 5), (std::vector<sword>{19, 3, 0, 0, 0}));

    OCIDate d{};
    ASSERT_EQ(c.f.OCIDateSysDate(c.err, &d), OCI_SUCCESS);
    std::time_t now = std::time(nullptr);
    std::tm tm = *std::localtime(&now);
    EXPECT_EQ(d.OCIDateYYYY, tm.tm_year + 1900);
    EXPECT_EQ(d.OCIDateMM, tm.tm_mon + 1);
    EXPECT_GE(d.OCIDateDD, 1);

    EXPECT_EQ(c.f.OCIHandleAlloc(c.env, reinterpret_cast<void**>(&c.svc), OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_ERROR); // no server in it
    EXPECT_EQ(c.error().code, 3114);
    EXPECT_EQ(c.f.OCIHandleFree(c.svc, OCI_HTYPE_SVCCTX), OCI_SUCCESS);
    c.svc = nullptr;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    orasim_reset_round_trips();
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS);
    EXPECT_EQ(orasim_round_trips(), 1u);
    EXPECT_EQ(c.f.OCIBreak(c.svc, c.err), OCI_SUCCESS); // nothing running: nothing to break
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

} // namespace
