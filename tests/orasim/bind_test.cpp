// Placeholders: input values, and the output binds a PL/SQL block writes (string, number, date, cursor).
#include "client.h"
#include "text.h"

#include <memory>

using namespace orasim_test;

namespace {

class Bind : public Orasim {
protected:
    void SetUp() override {
        Orasim::SetUp();
        ASSERT_EQ(c.logon("DEMO", "SYSTEM", "manager"), OCI_SUCCESS) << c.error().text;
    }
    void TearDown() override {
        EXPECT_EQ(c.logoff(), OCI_SUCCESS);
        holder.reset();
        Orasim::TearDown();
    }

    // A bind as the access layer makes it: buffer, indicator -1, length the buffer size, UTF-16 text.
    OCIBind* bind(OCIStmt* st, const std::string& name, void* buf, sb4 size, ub2 dty, sb2* ind, ub2* len) {
        OCIBind* b = nullptr;
        *ind = -1;
        *len = static_cast<ub2>(size);
        EXPECT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(name), static_cast<sb4>(name.size()), buf, size, dty,
                                    ind, len, nullptr, 0, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS)
            << name << ": " << c.error().text;
        ub4 id = OCI_UTF16ID;
        EXPECT_EQ(c.f.OCIAttrSet(b, OCI_HTYPE_BIND, &id, 4, OCI_ATTR_CHARSET_ID, c.err), OCI_SUCCESS);
        return b;
    }

    std::unique_ptr<client> holder = std::make_unique<client>();
    client& c = *holder;
};

TEST_F(Bind, BlockWritesStringNumberAndDateOutputs) {
    // Statement text is in the client's code page (UTF-8 natively, the ANSI code page on Windows).
    OCIStmt* st = c.prepare(
        platform::to_narrow(u"BEGIN\n  :s := 'Grüße';\n  :n := -12.5;\n  :d := DATE '2021-05-01';\n  :z := NULL;\nEND;"));
    ub2 type = 0;
    ASSERT_EQ(c.f.OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, c.err), OCI_SUCCESS);
    EXPECT_EQ(type, OCI_STMT_BEGIN);
    char16_t s[512] = u"seed";
    char16_t z[8] = u"keep";
    OCINumber n;
    OCIDate d;
    c.f.OCINumberSetZero(c.err, &n);
    ASSERT_EQ(c.f.OCIDateSysDate(c.err, &d), OCI_SUCCESS);
    sb2 si, ni, di, zi;
    ub2 sl, nl, dl, zl;
    bind(st, ":s", s, sizeof s, SQLT_STR, &si, &sl);
    bind(st, ":n", &n, sizeof n, SQLT_VNU, &ni, &nl);
    bind(st, ":d", &d, sizeof d, SQLT_ODT, &di, &dl);
    bind(st, ":z", z, sizeof z, SQLT_STR, &zi, &zl);
    ASSERT_EQ(c.execute(st, 1), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(si, 0);
    EXPECT_EQ(std::u16string(s), u"Grüße");
    EXPECT_EQ(sl, 10); // bytes
    EXPECT_EQ(ni, 0);
    char text[65];
    ub4 size = sizeof text;
    ASSERT_EQ(c.f.OCINumberToText(c.err, &n, client::text("TM"), 2, nullptr, 0, &size, reinterpret_cast<OraText*>(text)),
              OCI_SUCCESS);
    EXPECT_EQ(std::string(text, size), "-12.5");
    EXPECT_EQ(di, 0);
    EXPECT_EQ(d.OCIDateYYYY, 2021);
    EXPECT_EQ(d.OCIDateMM, 5);
    EXPECT_EQ(d.OCIDateDD, 1);
    EXPECT_EQ(zi, -1);
    // Executing again overwrites the outputs.
    s[0] = u'x';
    ASSERT_EQ(c.execute(st, 1), OCI_SUCCESS);
    EXPECT_EQ(std::u16string(s), u"Grüße");
    c.free(st);
}

TEST_F(Bind, ServerOutputReadLineByLine) {
    OCIStmt* put = c.prepare("BEGIN dbms_output.enable(NULL); dbms_output.put_line('one'); "
                             "dbms_output.put_line(''); dbms_output.put_line('three'); END;");
    ASSERT_EQ(c.execute(put, 1), OCI_SUCCESS) << c.error().text;
    c.free(put);
    OCIStmt* get = c.prepare("BEGIN dbms_output.get_line(:1, :2); END;");
    char16_t line[512];
    OCINumber status;
    sb2 li, si;
    ub2 ll, sl;
    c.f.OCINumberSetZero(c.err, &status);
    bind(get, ":1", line, sizeof line, SQLT_STR, &li, &ll);
    bind(get, ":2", &status, sizeof status, SQLT_VNU, &si, &sl);
    std::vector<std::string> seen;
    for (int guard = 0; guard < 10; ++guard) {
        ASSERT_EQ(c.execute(get, 1), OCI_SUCCESS) << c.error().text;
        sb4 code = -1;
        ASSERT_EQ(c.f.OCINumberToInt(c.err, &status, 4, OCI_NUMBER_SIGNED, &code), OCI_SUCCESS);
        if (code != 0)
            break;
        std::string s;
        for (const char16_t* p = line; li != -1 && *p; ++p)
            s += static_cast<char>(*p);
        seen.push_back(li == -1 ? "<null>" : s);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "<null>", "three"}));
    c.free(get);
}

TEST_F(Bind, InputValuesReachTheServer) {
    OCIStmt* st = c.prepare("SELECT :a || '!', :n + 1, TO_CHAR(:d, 'YYYY-MM-DD') FROM dual");
    char a[8] = "ab";
    OCINumber n;
    {
        // 41 through a query of our own number.
        OCIStmt* q = c.prepare("SELECT 41 FROM dual");
        ASSERT_EQ(c.execute(q, 0), OCI_SUCCESS);
        ASSERT_EQ(c.f.OCIDefineByPos(q, nullptr, c.err, 1, &n, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0), 0);
        ASSERT_EQ(c.f.OCIStmtFetch(q, c.err, 1, OCI_FETCH_NEXT, 0), OCI_SUCCESS);
        c.free(q);
    }
    OCIDate d{};
    d.OCIDateYYYY = 1999;
    d.OCIDateMM = 12;
    d.OCIDateDD = 31;
    sb2 zero = 0;
    OCIBind* b = nullptr;
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":a"), 2, a, sizeof a, SQLT_STR, &zero, nullptr, nullptr,
                                0, nullptr, 0),
              OCI_SUCCESS);
    b = nullptr;
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":N"), 2, &n, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0,
                                nullptr, 0),
              OCI_SUCCESS); // placeholders match without regard to case
    b = nullptr;
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":d"), 2, &d, 8, SQLT_ODT, nullptr, nullptr, nullptr, 0,
                                nullptr, 0),
              OCI_SUCCESS);
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
    char out1[8], out2[8], out3[16];
    c.f.OCIDefineByPos(st, nullptr, c.err, 1, out1, 8, SQLT_STR, nullptr, nullptr, nullptr, 0);
    c.f.OCIDefineByPos(st, nullptr, c.err, 2, out2, 8, SQLT_STR, nullptr, nullptr, nullptr, 0);
    c.f.OCIDefineByPos(st, nullptr, c.err, 3, out3, 16, SQLT_STR, nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_SUCCESS) << c.error().text;
    EXPECT_STREQ(out1, "ab!");
    EXPECT_STREQ(out2, "42");
    EXPECT_STREQ(out3, "1999-12-31");
    c.free(st);
}

TEST_F(Bind, RefusesWhatCannotBeBound) {
    OCIStmt* st = c.prepare("BEGIN :s := 'too long for it'; END; -- :hidden");
    char16_t small[4];
    sb2 ind;
    ub2 len;
    OCIBind* b = nullptr;
    EXPECT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":other"), 6, small, sizeof small, SQLT_STR, &ind, &len,
                                nullptr, 0, nullptr, 0),
              OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-01036: illegal variable name/number\n");
    EXPECT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":hidden"), 7, small, sizeof small, SQLT_STR, &ind, &len,
                                nullptr, 0, nullptr, 0),
              OCI_ERROR); // in a comment, not a placeholder
    EXPECT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":s"), 2, small, sizeof small, SQLT_BLOB, &ind, &len,
                                nullptr, 0, nullptr, 0),
              OCI_ERROR);
    EXPECT_EQ(c.error().code, 3115);
    bind(st, ":s", small, sizeof small, SQLT_STR, &ind, &len);
    EXPECT_EQ(c.execute(st, 1), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n");
    EXPECT_EQ(c.execute(st, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-24333: zero iteration count\n");
    c.free(st);

    // A NULL output needs an indicator. The buffer goes in holding a value, so the NULL is a change.
    st = c.prepare("BEGIN :s := NULL; END;");
    char buf[8] = "x";
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":s"), 2, buf, sizeof buf, SQLT_STR, nullptr, nullptr,
                                nullptr, 0, nullptr, 0),
              OCI_SUCCESS);
    EXPECT_EQ(c.execute(st, 1), OCI_ERROR);
    EXPECT_EQ(c.error().code, 1405);
    c.free(st);

    // An input the block leaves alone is not written back, so it needs no indicator.
    st = c.prepare("BEGIN :s := NVL(:keep, 'was null'); END;");
    char keep[4] = "";
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":keep"), 5, keep, sizeof keep, SQLT_STR, nullptr,
                                nullptr, nullptr, 0, nullptr, 0),
              OCI_SUCCESS);
    char16_t out[16];
    bind(st, ":s", out, sizeof out, SQLT_STR, &ind, &len);
    EXPECT_EQ(c.execute(st, 1), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(std::u16string(out), u"was null"); // the empty string arrived as NULL
    c.free(st);
}

TEST_F(Bind, CursorBindTakesAStatementHandle) {
    OCIStmt* st = c.prepare("BEGIN :n := 1; :c := NULL; END;");
    OCIStmt* cursor = nullptr;
    ASSERT_EQ(c.f.OCIHandleAlloc(c.env, reinterpret_cast<void**>(&cursor), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    OCINumber n;
    sb2 ni;
    ub2 nl;
    bind(st, ":n", &n, sizeof n, SQLT_VNU, &ni, &nl);
    OCIBind* b = nullptr;
    ASSERT_EQ(c.f.OCIBindByName(st, &b, c.err, client::text(":c"), 2, &cursor, 4, SQLT_RSET, nullptr, nullptr, nullptr,
                                0, nullptr, 0),
              OCI_SUCCESS);
    ub4 id = OCI_UTF16ID;
    EXPECT_EQ(c.f.OCIAttrSet(b, OCI_HTYPE_BIND, &id, 4, OCI_ATTR_CHARSET_ID, c.err), OCI_SUCCESS);
    ASSERT_EQ(c.execute(st, 1), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(ni, 0);
    // The block opened no cursor into it.
    EXPECT_EQ(c.f.OCIStmtFetch(cursor, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24338);

    // A handle that is not a live statement is refused at execute.
    OCIStmt* kept = cursor;
    EXPECT_EQ(c.f.OCIHandleFree(cursor, OCI_HTYPE_STMT), OCI_SUCCESS);
    cursor = kept;
    EXPECT_EQ(c.execute(st, 1), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-01001: invalid cursor\n");
    c.free(st);
}

class Compile : public Orasim {};

TEST_F(Compile, CompileWithErrorsIsAWarningAndChangesTheCatalog) {
    ASSERT_EQ(orasim_load_definition("database DEMO\nuser SYSTEM manager dba\n"
                                     "object HR PROCEDURE GOOD invalid\n"
                                     "object HR PROCEDURE BAD invalid error \"PLS-00201: identifier 'X' must be declared\"\n"),
              0)
        << orasim_last_error();
    client c;
    ASSERT_EQ(c.logon("DEMO", "SYSTEM", "manager"), OCI_SUCCESS);
    struct row {
        const char* sql;
        sword status;
        const char* text; // of record 1 after a warning
        const char* status_after;
        const char* name;
    };
    const row rows[] = {
        {"ALTER PROCEDURE hr.good COMPILE", OCI_SUCCESS, "", "VALID", "GOOD"},
        {"ALTER PROCEDURE hr.bad COMPILE", OCI_SUCCESS_WITH_INFO, "ORA-24344: success with compilation error\n",
         "INVALID", "BAD"},
    };
    for (const auto& r : rows) {
        OCIStmt* st = c.prepare(r.sql);
        ub2 type = 0;
        ASSERT_EQ(c.f.OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, c.err), OCI_SUCCESS);
        EXPECT_EQ(type, OCI_STMT_ALTER);
        EXPECT_EQ(c.execute(st, 1), r.status) << r.sql << ": " << c.error().text;
        if (r.status == OCI_SUCCESS_WITH_INFO) {
            EXPECT_EQ(c.error().code, 24344);
            EXPECT_EQ(c.error().text, r.text);
        }
        EXPECT_STREQ(orasim_object_status("HR", "PROCEDURE", r.name), r.status_after);
        c.free(st);
    }
    EXPECT_EQ(c.logoff(), OCI_SUCCESS);
}

} // namespace
