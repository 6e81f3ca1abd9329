// A client of the simulated server that calls OCI as the database access layer does, through a table
// of functions: the statically linked simulator, or a library loaded by name.
#pragma once

#include "function_table.h"
#include "oci/oci.h"
#include "orasim_control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orasim_test {

// The tiny database most tests use.
inline const char* demo_definition = R"(database DEMO
database "Other DB"
user SYSTEM manager dba
user SCOTT tiger
user SYSADM secret sysdba sysoper
user OLD pw expiring
user GONE pw locked
table HR EMPLOYEES (ID NUMBER, NAME VARCHAR2(40), HIRED DATE, NOTE CLOB, FLAG CHAR(1))
row HR EMPLOYEES (1, 'King', DATE '2020-01-31 13:05:09', 'first', 'Y')
row HR EMPLOYEES (2, 'Blake', NULL, NULL, NULL)
row HR EMPLOYEES (3, 'Ünal', DATE '1999-12-31', 'a longer note than most', 'N')
object HR PACKAGE EMP_PKG valid
object HR "PACKAGE BODY" EMP_PKG invalid
)";

// The error of the last failing call: the text of record 1 and its code.
struct ora {
    sb4 code = 0;
    std::string text;
    sword status = OCI_SUCCESS; // of OCIErrorGet
};

class client {
public:
    explicit client(const oci::functions& functions = orasim_function_table()) : f(functions) {
        EXPECT_EQ(f.OCIEnvCreate(&env, OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        EXPECT_EQ(f.OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    }
    ~client() {
        if (env)
            f.OCIHandleFree(env, OCI_HTYPE_ENV);
    }
    client(const client&) = delete;
    client& operator=(const client&) = delete;

    ora error(void* h = nullptr, ub4 type = OCI_HTYPE_ERROR) const {
        ora e;
        char buf[4000] = {};
        e.status = f.OCIErrorGet(h ? h : err, 1, nullptr, &e.code, reinterpret_cast<OraText*>(buf), sizeof buf, type);
        e.text = buf;
        return e;
    }

    // The logon of the access layer: attach, set the server, begin the session, set it.
    sword logon(const std::string& db, const std::string& user, const std::string& password, ub4 mode = OCI_DEFAULT) {
        sword s = f.OCIHandleAlloc(env, reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
        if (s != OCI_SUCCESS)
            return s;
        s = f.OCIServerAttach(srv, err, text(db), static_cast<sb4>(db.size()), OCI_DEFAULT);
        if (s != OCI_SUCCESS)
            return s;
        f.OCIHandleAlloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        f.OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
        f.OCIHandleAlloc(env, reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
        f.OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(user.data()), static_cast<ub4>(user.size()),
                     OCI_ATTR_USERNAME, err);
        f.OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(password.data()), static_cast<ub4>(password.size()),
                     OCI_ATTR_PASSWORD, err);
        s = f.OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, mode);
        if (s == OCI_SUCCESS) // a warning stops the access layer here, with the session begun
            f.OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
        return s;
    }

    // The close of the access layer; the first failing status, or 0.
    sword logoff() {
        if (srv)
            f.OCIAttrSet(srv, OCI_HTYPE_SERVER, const_cast<ub1*>(&zero), 0, OCI_ATTR_NONBLOCKING_MODE, err);
        if (svc) {
            if (ses)
                if (sword s = f.OCISessionEnd(svc, err, ses, OCI_DEFAULT))
                    return s;
            if (sword s = f.OCIServerDetach(srv, err, OCI_DEFAULT))
                return s;
        }
        for (auto [h, t] : {std::pair<void**, ub4>{reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX},
                            {reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION},
                            {reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER}}) {
            if (*h) {
                if (sword s = f.OCIHandleFree(*h, t))
                    return s;
                *h = nullptr;
            }
        }
        return OCI_SUCCESS;
    }

    OCIStmt* prepare(const std::string& sql) {
        OCIStmt* st = nullptr;
        EXPECT_EQ(f.OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
        EXPECT_EQ(f.OCIStmtPrepare(st, err, text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
                  OCI_SUCCESS)
            << error().text;
        return st;
    }

    sword execute(OCIStmt* st, ub4 iters) { return f.OCIStmtExecute(svc, st, err, iters, 0, nullptr, nullptr, 0); }

    void free(OCIStmt* st) { EXPECT_EQ(f.OCIHandleFree(st, OCI_HTYPE_STMT), OCI_SUCCESS); }

    ub4 attr4(const void* h, ub4 type, ub4 attr) {
        ub4 v = 0;
        EXPECT_EQ(f.OCIAttrGet(h, type, &v, nullptr, attr, err), OCI_SUCCESS) << error().text;
        return v;
    }

    static const OraText* text(const std::string& s) { return reinterpret_cast<const OraText*>(s.data()); }

    const oci::functions& f;
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* srv = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* ses = nullptr;

private:
    static constexpr ub1 zero = 0;
};

// Each test starts from the demo database, no faults, no trace, and must free every handle it made.
class Orasim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(orasim_load_definition(demo_definition), 0) << orasim_last_error();
        orasim_reset();
    }
    void TearDown() override {
        EXPECT_EQ(orasim_live_handles(), 0u) << "handles left behind";
        orasim_clear_faults();
        orasim_set_latency_ms(0);
        orasim_set_trace_file(nullptr);
    }
};

} // namespace orasim_test
