// The layer's calls into the client, in order, against a scripted client: what each step of a logon,
// a close, a prepare and a bind sends, and what a failure at each step leaves behind.
#include "fake_oci.h"
#include "oralib/connection.h"
#include "oralib/parameter.h"
#include "oralib/statement.h"
#include "text.h"

#include <gtest/gtest.h>

#include <memory>

using Calls = std::vector<std::string>;

namespace {

const Calls open_calls = {
    "OCIEnvCreate(2)",     "OCIHandleAlloc(8)", "OCIHandleAlloc(2)",  "OCIServerAttach", "OCIHandleAlloc(3)",
    "OCIAttrSet(6)",       "OCIHandleAlloc(9)", "OCIAttrSet(22)",     "OCIAttrSet(23)",  "OCISessionBegin(0)",
    "OCIAttrSet(7)",
};
const Calls full_close = {"OCIAttrSet(3)=0",  "OCISessionEnd",     "OCIServerDetach",   "OCIHandleFree(3)",
                          "OCIHandleFree(9)", "OCIHandleFree(2)", "OCIHandleFree(8)", "OCIHandleFree(1)"};

class Layer : public ::testing::Test {
protected:
    void SetUp() override { fake = &fake_oci::install(); }
    void open(int connect_as = 0, bool non_blocking = false) {
        conn.open("DEMO", "SYSTEM", "Manager", connect_as, OCI_OBJECT, non_blocking);
    }
    Calls take() { return std::exchange(fake->calls, {}); }
    fake_oci::script* fake = nullptr;
    oralib::connection conn;
};

TEST_F(Layer, OpenSendsEveryStepInOrderAndCloseReleasesInOrder) {
    open();
    EXPECT_EQ(take(), open_calls);
    EXPECT_EQ(fake->last_password, "Manager");
    EXPECT_EQ(conn.close(), OCI_SUCCESS);
    EXPECT_EQ(take(), full_close);
    EXPECT_EQ(conn.close(), OCI_SUCCESS);
    EXPECT_TRUE(take().empty()) << "a closed connection makes no call";
}

TEST_F(Layer, NonBlockingIsSetLastOnlyWhenAsked) {
    open(0, true);
    Calls calls = take();
    ASSERT_EQ(calls.size(), open_calls.size() + 1);
    EXPECT_EQ(calls.back(), "OCIAttrSet(3)=1");
}

TEST_F(Layer, ConnectAsChoosesTheSessionMode) {
    const std::pair<int, const char*> cases[] = {
        {0, "OCISessionBegin(0)"}, {1, "OCISessionBegin(2)"}, {2, "OCISessionBegin(4)"},
        {-1, "OCISessionBegin(0)"}, {3, "OCISessionBegin(0)"}, {7, "OCISessionBegin(0)"},
    };
    for (auto [as, call] : cases) {
        open(as);
        Calls calls = take();
        EXPECT_EQ(calls[9], call) << "ConnectAs " << as;
        conn.close();
        take();
    }
}

TEST_F(Layer, CloseOfANeverOpenedConnectionMakesNoCall) {
    oralib::connection fresh;
    EXPECT_EQ(fresh.close(), OCI_SUCCESS);
    EXPECT_TRUE(take().empty());
}

// A failure at each step: the error it throws and what the following close releases.
struct open_failure {
    const char* failing_call;
    int32_t type;
    int32_t code;
    const char* text_from; // the OCIErrorGet call, or "" when no text is read
    Calls close_calls;
};

TEST_F(Layer, EachFailingStepOfOpenThrowsAndCloseReleasesWhatWasMade) {
    const open_failure cases[] = {
        {"OCIEnvCreate(2)", 2, 1000, "", {}},
        {"OCIHandleAlloc(8)", 1, -1, "OCIErrorGet(1)", {"OCIHandleFree(1)"}},
        {"OCIHandleAlloc(2)", 1, -1, "OCIErrorGet(1)", {"OCIAttrSet(3)=0", "OCIHandleFree(8)", "OCIHandleFree(1)"}},
        {"OCIServerAttach", 1, -1, "OCIErrorGet(2)",
         {"OCIAttrSet(3)=0", "OCIHandleFree(2)", "OCIHandleFree(8)", "OCIHandleFree(1)"}},
        {"OCIHandleAlloc(3)", 1, -1, "OCIErrorGet(1)",
         {"OCIAttrSet(3)=0", "OCIHandleFree(2)", "OCIHandleFree(8)", "OCIHandleFree(1)"}},
        {"OCIAttrSet(6)", 1, -1, "OCIErrorGet(2)",
         {"OCIAttrSet(3)=0", "OCIServerDetach", "OCIHandleFree(3)", "OCIHandleFree(2)", "OCIHandleFree(8)",
          "OCIHandleFree(1)"}},
        {"OCIHandleAlloc(9)", 1, -1, "OCIErrorGet(1)",
         {"OCIAttrSet(3)=0", "OCIServerDetach", "OCIHandleFree(3)", "OCIHandleFree(2)", "OCIHandleFree(8)",
          "OCIHandleFree(1)"}},
        {"OCIAttrSet(22)", 1, -1, "OCIErrorGet(2)", full_close},
        {"OCIAttrSet(23)", 1, -1, "OCIErrorGet(2)", full_close},
        {"OCISessionBegin(0)", 1, -1, "OCIErrorGet(2)", full_close},
        {"OCIAttrSet(7)", 1, -1, "OCIErrorGet(2)", full_close},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing_call);
        fake = &fake_oci::install();
        fake->statuses[c.failing_call] = OCI_ERROR;
        try {
            open();
            ADD_FAILURE() << "open succeeded";
        } catch (const oralib::error& e) {
            EXPECT_EQ(e.error_type, c.type);
            EXPECT_EQ(e.code, c.code);
            if (c.type == 1) {
                EXPECT_EQ(e.description, "(OCI_ERROR) ORA-01017: invalid username/password; logon denied\n");
                EXPECT_EQ(e.oracle_error, 1017);
            } else {
                EXPECT_EQ(e.description, "Environment handle creation failed");
                EXPECT_EQ(e.oracle_error, 0);
            }
        }
        Calls calls = take();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[calls.size() - (*c.text_from ? 2 : 1)], c.failing_call);
        if (*c.text_from) {
            EXPECT_EQ(calls.back(), c.text_from);
        }
        EXPECT_EQ(conn.close(), OCI_SUCCESS);
        EXPECT_EQ(take(), c.close_calls);
        EXPECT_FALSE(conn.holds_handles());
    }
}

TEST_F(Layer, AFailedFreeStopsCloseAndALaterCloseResumes) {
    open();
    take();
    fake->statuses["OCIHandleFree(9)"] = OCI_INVALID_HANDLE;
    EXPECT_EQ(conn.close(), OCI_INVALID_HANDLE);
    EXPECT_EQ(take(), (Calls{"OCIAttrSet(3)=0", "OCISessionEnd", "OCIServerDetach", "OCIHandleFree(3)",
                             "OCIHandleFree(9)"}));
    fake->statuses.clear();
    EXPECT_EQ(conn.close(), OCI_SUCCESS);
    // The service context is gone, so no session end or detach is tried again.
    EXPECT_EQ(take(), (Calls{"OCIAttrSet(3)=0", "OCIHandleFree(9)", "OCIHandleFree(2)", "OCIHandleFree(8)",
                             "OCIHandleFree(1)"}));
}

TEST_F(Layer, AFailingSessionEndIsReturnedAndTheHandlesAreFreedAllTheSame) {
    open();
    take();
    fake->statuses["OCISessionEnd"] = OCI_ERROR;
    fake->statuses["OCIServerDetach"] = OCI_INVALID_HANDLE;
    EXPECT_EQ(conn.close(), OCI_ERROR) << "the first failure";
    Calls expected = full_close;
    EXPECT_EQ(take(), expected);
    EXPECT_FALSE(conn.holds_handles());
}

TEST_F(Layer, ALogonWithAWarningSucceedsAndKeepsTheWarning) {
    fake->statuses["OCISessionBegin(0)"] = OCI_SUCCESS_WITH_INFO;
    fake->message = "ORA-28002: the password will expire within 7 days\n";
    fake->number = 28002;
    EXPECT_NO_THROW(open());
    EXPECT_EQ(conn.logon_warning(), "ORA-28002: the password will expire within 7 days\n");
    EXPECT_EQ(take().back(), "OCIAttrSet(7)") << "the session is set into the service context";
}

TEST_F(Layer, AWarningOnAnyOtherStepIsAFailure) {
    fake->statuses["OCIServerAttach"] = OCI_SUCCESS_WITH_INFO;
    try {
        open();
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.description.rfind("(OCI_SUCCESS_WITH_INFO) ", 0), 0u);
    }
}

class Statements : public Layer {
protected:
    void SetUp() override {
        Layer::SetUp();
        open();
        take();
    }
    std::unique_ptr<oralib::statement> prepare(ub2 type = OCI_STMT_BEGIN) {
        fake->statement_type = type;
        std::unique_ptr<oralib::statement> s(conn.prepare("BEGIN NULL; END;"));
        take();
        return s;
    }
};

TEST_F(Statements, PrepareReadsTheTypeAndExecuteChoosesTheIterations) {
    fake->statement_type = OCI_STMT_SELECT;
    std::unique_ptr<oralib::statement> q(conn.prepare("SELECT 1 FROM dual"));
    EXPECT_EQ(take(), (Calls{"OCIHandleAlloc(4)", "OCIStmtPrepare", "OCIAttrGet(24)"}));
    EXPECT_EQ(q->statement_type, OCI_STMT_SELECT);
    q->execute();
    EXPECT_EQ(take(), Calls{"OCIStmtExecute(0)"});
    auto block = prepare(OCI_STMT_DECLARE);
    block->execute();
    EXPECT_EQ(take(), Calls{"OCIStmtExecute(1)"});
    block.reset();
    EXPECT_EQ(take(), Calls{"OCIHandleFree(4)"});
}

TEST_F(Statements, AFailedPrepareFreesItsHandle) {
    fake->statuses["OCIStmtPrepare"] = OCI_ERROR;
    EXPECT_THROW(conn.prepare("BEGIN"), oralib::error);
    EXPECT_EQ(take(), (Calls{"OCIHandleAlloc(4)", "OCIStmtPrepare", "OCIErrorGet(2)", "OCIHandleFree(4)"}));
}

TEST_F(Statements, AnExecuteWithAWarningThrows) {
    auto s = prepare();
    fake->statuses["OCIStmtExecute(1)"] = OCI_SUCCESS_WITH_INFO;
    fake->message = "ORA-24344: success with compilation error\n";
    try {
        s->execute();
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.description, "(OCI_SUCCESS_WITH_INFO) ORA-24344: success with compilation error\n");
    }
}

struct bind_case {
    const char* name;
    int requested;
    int kind;        // 0: refused with 1008
    const char* bind_call;
    bool marker;
};

TEST_F(Statements, TheKindComesFromTheRequestOrTheName) {
    const bind_case cases[] = {
        {":1", 3, oralib::string, "OCIBindByName(5)/1024", false},
        {":2", 1, oralib::number, "OCIBindByName(6)/22", false},
        {":when", 2, oralib::date, "OCIBindByName(156)/8", false},
        {":n1", 0, oralib::number, "OCIBindByName(6)/22", false},
        {":d1", 0, oralib::date, "OCIBindByName(156)/8", false},
        {":s1", 0, oralib::string, "OCIBindByName(5)/1024", false},
        {":ts1", 0, oralib::string, "OCIBindByName(5)/1024", true},
        {"s1", 0, oralib::string, "OCIBindByName(5)/1024", false},
        {":c1", 0, oralib::cursor, "OCIBindByName(116)/4", false},
        {":tn", 5, oralib::cursor, "OCIBindByName(116)/4", true},
        {":x1", 0, 0, nullptr, false},
        {":1", 0, 0, nullptr, false},
        {":N1", 0, 0, nullptr, false},
        {":t", 0, 0, nullptr, true},
        {":s1", 4, 0, nullptr, false},
        {":s1", 9, 0, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " kind " + std::to_string(c.requested));
        auto s = prepare();
        if (c.kind == 0) {
            try {
                s->bind(c.name, c.requested);
                ADD_FAILURE() << "bound";
            } catch (const oralib::error& e) {
                EXPECT_EQ(e.code, 1008);
                EXPECT_EQ(e.description, std::string("Parameter prefix is not known: ") + c.name);
            }
            EXPECT_TRUE(take().empty()) << "refused before any call";
            continue;
        }
        oralib::parameter* p = s->bind(c.name, c.requested);
        EXPECT_EQ(p->kind(), c.kind);
        EXPECT_EQ(p->marker(), c.marker);
        Calls calls = take();
        EXPECT_NE(std::find(calls.begin(), calls.end(), c.bind_call), calls.end());
        EXPECT_EQ(fake->last_placeholder, c.name);
        if (c.kind == oralib::cursor)
            EXPECT_EQ(calls, (Calls{"OCIHandleAlloc(4)", c.bind_call}));
        else
            EXPECT_EQ(calls.back(), "OCIAttrSet(31)") << "UTF-16 is asked for on every bind";
        EXPECT_EQ(s->get_parameter(c.name), p);
    }
}

TEST_F(Statements, BuffersAreSeededBeforeBinding) {
    auto s = prepare();
    s->bind(":n", 0);
    EXPECT_EQ(take().front(), "OCINumberSetZero");
    s->bind(":d", 0);
    EXPECT_EQ(take().front(), "OCIDateSysDate");
}

TEST_F(Statements, ParametersAreFoundByTheirExactName) {
    auto s = prepare();
    oralib::parameter* first = s->bind(":1", 3);
    try {
        s->get_parameter("1");
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.code, 1010);
        EXPECT_EQ(e.description, "Name not found in statement's parameters: 1");
    }
    oralib::parameter* second = s->bind(":1", 3);
    EXPECT_NE(first, second);
    EXPECT_EQ(s->get_parameter(":1"), second);
    EXPECT_EQ(s->parameter_count(), 2u);
}

TEST_F(Statements, AFailingBindAddsNothing) {
    auto s = prepare();
    fake->statuses["OCIBindByName(5)/1024"] = OCI_ERROR;
    fake->message = "ORA-01036: illegal variable name/number\n";
    try {
        s->bind(":1", 3);
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.description, "(OCI_ERROR) ORA-01036: illegal variable name/number\n: :1");
    }
    EXPECT_THROW(s->get_parameter(":1"), oralib::error);
    EXPECT_EQ(s->parameter_count(), 0u);
    fake->statuses.clear();
    fake->statuses["OCIBindByName(116)/4"] = OCI_ERROR;
    take();
    EXPECT_THROW(s->bind(":c", 0), oralib::error);
    Calls calls = take();
    EXPECT_EQ(calls.back(), "OCIHandleFree(4)") << "the cursor handle is released with the parameter";
}

TEST_F(Statements, ValuesAreReadOnlyAsTheirKindAndNotWhenNull) {
    auto s = prepare();
    oralib::parameter* text = s->bind(":1", 3);
    oralib::parameter* num = s->bind(":2", 1);
    // Nothing executed: both are NULL.
    for (auto read : {+[](oralib::parameter* p) { p->as_string(); }, +[](oralib::parameter* p) { p->as_int(); }})
        for (oralib::parameter* p : {text, num}) {
            try {
                read(p);
                ADD_FAILURE();
            } catch (const oralib::error& e) {
                EXPECT_EQ(e.code, 1006);
                EXPECT_EQ(e.description, "Cannot convert to requested type");
                EXPECT_EQ(e.error_type, 2);
            }
        }
}

TEST_F(Layer, AMissingClientLibraryIsAClearErrorAtLogon) {
    oci::reset_client(u"no_such_client_library");
    oralib::connection c;
    try {
        c.open("DEMO", "SYSTEM", "manager", 0, OCI_OBJECT, false);
        FAIL();
    } catch (const oralib::error& e) {
        EXPECT_EQ(e.error_type, 3);
        EXPECT_NE(e.description.find("Cannot load the Oracle client library no_such_client_library"),
                  std::string::npos);
        EXPECT_EQ(e.display_text().rfind(u"Error type: Win32 API\nDescription: Cannot load", 0), 0u);
    }
    EXPECT_EQ(c.close(), OCI_SUCCESS);
    fake_oci::install();
}

} // namespace
