// Round trips: their count, the trace, latency, injected faults, dropped connections, and the
// definition the server loads on its first attach.
#include "client.h"
#include "faults.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using namespace orasim_test;

namespace {

void set_env(const char* name, const char* v) {
#ifdef _WIN32
    _putenv_s(name, v ? v : "");
#else
    if (v)
        setenv(name, v, 1);
    else
        unsetenv(name);
#endif
}

std::string temp_path(const char* name) {
    const char* dir = std::getenv("TMPDIR");
#ifdef _WIN32
    if (!dir)
        dir = std::getenv("TEMP");
    std::string base = dir ? dir : ".";
    return base + "\\orasim_" + name;
#else
    std::string base = dir ? dir : "/tmp";
    return base + "/orasim_" + std::to_string(::getpid()) + "_" + name;
#endif
}

std::vector<std::string> lines_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Observe : public Orasim {};

TEST_F(Observe, TraceHasOneLinePerRoundTrip) {
    std::string path = temp_path("trace.txt");
    std::remove(path.c_str());
    ASSERT_EQ(orasim_set_trace_file(path.c_str()), 0) << orasim_last_error();
    orasim_reset_round_trips();
    {
        client c;
        ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
        OCIStmt* st = c.prepare("SELECT level\n  FROM dual CONNECT BY LEVEL <= 3");
        ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
        sb4 v[2];
        c.f.OCIDefineByPos(st, nullptr, c.err, 1, v, 4, SQLT_INT, nullptr, nullptr, nullptr, 0);
        EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 2, OCI_FETCH_NEXT, 0), OCI_SUCCESS);
        EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 2, OCI_FETCH_NEXT, 0), OCI_NO_DATA);
        EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS);
        c.free(st);
        EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    }
    orasim_set_trace_file(nullptr);
    const std::vector<std::string> expected = {
        "OCIServerAttach",
        "OCISessionBegin",
        "OCIStmtExecute\tSELECT level",
        "OCIStmtFetch\tSELECT level",
        "OCIStmtFetch\tSELECT level",
        "OCIPing",
        "OCISessionEnd",
        "OCIServerDetach",
    };
    EXPECT_EQ(lines_of(path), expected);
    EXPECT_EQ(orasim_round_trips(), expected.size());
    std::remove(path.c_str());
    EXPECT_EQ(orasim_set_trace_file("/no/such/folder/trace.txt"), -1);
}

TEST_F(Observe, LatencyIsAddedToEveryRoundTrip) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    orasim_set_latency_ms(40);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 120);
    // Local calls make no round trip and wait for nothing.
    start = std::chrono::steady_clock::now();
    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 40);
    c.free(st);
    orasim_set_latency_ms(0);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Observe, BreakEndsTheRunningCall) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    OCIError* err2 = nullptr;
    ASSERT_EQ(c.f.OCIHandleAlloc(c.env, reinterpret_cast<void**>(&err2), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    orasim_set_latency_ms(5000);
    std::thread breaker([&c, err2] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(c.f.OCIBreak(c.svc, err2), OCI_SUCCESS);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_ERROR);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    breaker.join();
    orasim_set_latency_ms(0);
    EXPECT_EQ(c.error().text, "ORA-01013: user requested cancel of current operation\n");
    EXPECT_LT(ms, 4000);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS); // the connection stays usable
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Observe, FaultFailsTheNamedCallOnce) {
    ASSERT_EQ(orasim_set_faults("OCIStmtExecute:2:942, OCISessionBegin:2:1017"), 0) << orasim_last_error();
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS); // the first session begin
    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    EXPECT_EQ(c.execute(st, 0), OCI_SUCCESS);
    EXPECT_EQ(c.execute(st, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-00942: table or view does not exist\n");
    EXPECT_EQ(c.execute(st, 0), OCI_SUCCESS);
    c.free(st);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    EXPECT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_ERROR);
    EXPECT_EQ(c.error().code, 1017);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);

    // A code without a known text still reads as an ORA error.
    ASSERT_EQ(orasim_inject_fault("OCIStmtPrepare", 1, 4031), 0);
    OCIStmt* st2 = nullptr;
    c.f.OCIHandleAlloc(c.env, reinterpret_cast<void**>(&st2), OCI_HTYPE_STMT, 0, nullptr);
    EXPECT_EQ(c.f.OCIStmtPrepare(st2, c.err, client::text("SELECT 1 FROM dual"), 18, OCI_NTV_SYNTAX, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-04031: simulated failure\n");
    c.free(st2);
    EXPECT_EQ(orasim_inject_fault("OCIHandleFree", 1, 1), -1);
}

TEST_F(Observe, ExecuteFaultWithEndOfFileLosesTheConnection) {
    ASSERT_EQ(orasim_inject_fault("OCIStmtExecute", 1, 3113), 0);
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    EXPECT_EQ(c.execute(st, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-03113: end-of-file on communication channel\n");
    EXPECT_EQ(c.execute(st, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-03114: not connected to ORACLE\n");
    c.free(st);
    EXPECT_EQ(c.logoff(), OCI_ERROR); // the session end cannot reach the server
    EXPECT_EQ(c.logoff(), OCI_SUCCESS); // a second close releases what is left
}

TEST_F(Observe, ConnectionDropsAtTheKthRoundTrip) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    orasim_drop_after(3);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 3113);
    EXPECT_EQ(orasim_live_sessions(), 0u);
    unsigned long long trips = orasim_round_trips();
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 3114);
    EXPECT_EQ(orasim_round_trips(), trips); // a dead connection reaches nothing
    EXPECT_EQ(c.logoff(), OCI_ERROR);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    // A new connection works.
    client again;
    EXPECT_EQ(again.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    EXPECT_EQ(again.logoff(), OCI_SUCCESS);
}

TEST(FaultSpec, ParsesItemsAndNamesTheBadOne) {
    struct row {
        const char* spec;
        bool ok;
        size_t faults;
        unsigned drop;
        const char* why; // part of the reason when refused
    };
    const row rows[] = {
        {"OCIStmtExecute:2:3113,OCISessionBegin:1:1017,drop:5", true, 2, 5, ""},
        {" OCIPing : 1 : 3113 ", true, 1, 0, ""},
        {"", true, 0, 0, ""},
        {"drop:0", false, 0, 0, "drop:K"},
        {"OCIStmtExecute:0:3113", false, 0, 0, "FUNCTION:K:CODE"},
        {"OCIStmtExecute:1", false, 0, 0, "FUNCTION:K:CODE"},
        {"OCIStmtExecute:1:x", false, 0, 0, "FUNCTION:K:CODE"},
        {"OCINothing:1:942", false, 0, 0, "OCINothing is not"},
        {"OCIPing:1:942,bad", false, 0, 0, "\"bad\""},
    };
    for (const auto& r : rows) {
        std::string why;
        auto plan = orasim::oci::parse_faults(r.spec, why);
        EXPECT_EQ(plan.has_value(), r.ok) << r.spec << ": " << why;
        if (plan) {
            EXPECT_EQ(plan->faults.size(), r.faults) << r.spec;
            EXPECT_EQ(plan->drop_at, r.drop) << r.spec;
        } else {
            EXPECT_NE(why.find(r.why), std::string::npos) << r.spec << ": " << why;
        }
    }
}

TEST_F(Observe, FaultsFromTheEnvironmentApplyAfterReset) {
    set_env("ORASIM_FAULTS", "OCIServerAttach:1:12541");
    orasim_reset();
    set_env("ORASIM_FAULTS", nullptr);
    client c;
    EXPECT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-12541: TNS:no listener\n");
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);

    set_env("ORASIM_FAULTS", "OCIServerAttach:one:1");
    orasim_reset();
    set_env("ORASIM_FAULTS", nullptr);
    EXPECT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_ERROR);
    EXPECT_NE(c.error().text.find("ORASIM_FAULTS"), std::string::npos) << c.error().text;
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    orasim_reset();
}

TEST_F(Observe, ResetEndsSessionsAndReloads) {
    client c;
    ASSERT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    EXPECT_EQ(orasim_live_sessions(), 1u);
    EXPECT_STREQ(orasim_object_status("HR", "PACKAGE BODY", "EMP_PKG"), "INVALID");
    EXPECT_STREQ(orasim_object_status("HR", "PACKAGE", "NOPE"), "");
    orasim_reset();
    EXPECT_EQ(orasim_live_sessions(), 0u);
    EXPECT_EQ(orasim_round_trips(), 0u);
    EXPECT_EQ(c.f.OCIPing(c.svc, c.err, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 3114);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS); // the session is already gone; the detach stays here
    EXPECT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_SUCCESS);
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Observe, DefinitionComesFromTheNamedFileOnFirstAttach) {
    std::string path = temp_path("definition.txt");
    struct row {
        const char* content; // null: no file
        sword status;
        sb4 code;
        const char* text_part;
    };
    const row rows[] = {
        {"database FILEDB\nuser U p\n", OCI_SUCCESS, 0, ""},
        {"database FILEDB\nuser U p\nnonsense here\n", OCI_ERROR, 1034, ", line 3"},
        {nullptr, OCI_ERROR, 12154, "cannot be read"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.content ? r.content : "(no file)");
        std::remove(path.c_str());
        if (r.content)
            write_file(path, r.content);
        set_env("ORASIM_DEFINITION", path.c_str());
        orasim_load_definition(nullptr); // back to the file
        client c;
        EXPECT_EQ(c.logon("FILEDB", "U", "p"), r.status);
        if (r.code) {
            ora e = c.error();
            EXPECT_EQ(e.code, r.code);
            EXPECT_NE(e.text.find(r.text_part), std::string::npos) << e.text;
            if (r.content) {
                EXPECT_NE(e.text.find(path), std::string::npos) << e.text;
            }
        }
        EXPECT_EQ(c.logoff(), OCI_SUCCESS);
    }
    set_env("ORASIM_DEFINITION", nullptr);
    std::remove(path.c_str());
    // Without a definition anywhere every attach is refused.
    client c;
    EXPECT_EQ(c.logon("DEMO", "SCOTT", "tiger"), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-12154: TNS:could not resolve the connect identifier specified\n");
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

TEST_F(Observe, MalformedDefinitionTextIsReported) {
    EXPECT_EQ(orasim_load_definition("database X\nuser\n"), -1);
    EXPECT_NE(std::string(orasim_last_error()).find("definition, line 2"), std::string::npos) << orasim_last_error();
    client c;
    EXPECT_EQ(c.logon("X", "A", "b"), OCI_ERROR);
    EXPECT_NE(c.error().text.find("definition, line 2"), std::string::npos) << c.error().text;
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

} // namespace
