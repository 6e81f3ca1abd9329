// Queries as the access layer runs them: describe, define into arrays, fetch in batches.
#include "client.h"

#include <array>
#include <memory>

using namespace orasim_test;

namespace {

class Query : public Orasim {
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
    std::unique_ptr<client> holder = std::make_unique<client>();
    client& c = *holder;
};

std::u16string utf16(const char16_t* s) { return s; }

TEST_F(Query, BatchesOfTwentyEndWithNoDataOnThePartialOne) {
    struct row {
        int rows;
        std::vector<std::pair<sword, ub4>> fetches; // status and rows fetched, per fetch of 20
    };
    const row rows[] = {
        {0, {{OCI_NO_DATA, 0}}},
        {20, {{OCI_SUCCESS, 20}, {OCI_NO_DATA, 0}}},
        {45, {{OCI_SUCCESS, 20}, {OCI_SUCCESS, 20}, {OCI_NO_DATA, 5}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.rows);
        std::string sql = "SELECT level FROM dual WHERE level <= " + std::to_string(r.rows) +
                          " CONNECT BY LEVEL <= " + std::to_string(r.rows > 0 ? r.rows : 1);
        OCIStmt* st = c.prepare(sql);
        ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
        EXPECT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 0u); // iters 0: nothing fetched yet
        std::array<OCINumber, 20> values{};
        std::array<sb2, 20> ind{};
        OCIDefine* d = nullptr;
        ASSERT_EQ(c.f.OCIDefineByPos(st, &d, c.err, 1, values.data(), sizeof(OCINumber), SQLT_VNU, ind.data(),
                                     nullptr, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
        ub4 total = 0;
        for (auto [status, fetched] : r.fetches) {
            EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 20, OCI_FETCH_NEXT, OCI_DEFAULT), status) << c.error().text;
            EXPECT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_ROWS_FETCHED), fetched);
            for (ub4 i = 0; i < fetched; ++i) {
                sb4 v = 0;
                ASSERT_EQ(c.f.OCINumberToInt(c.err, &values[i], 4, OCI_NUMBER_SIGNED, &v), OCI_SUCCESS);
                EXPECT_EQ(v, static_cast<sb4>(total + i + 1));
                EXPECT_EQ(ind[i], 0);
            }
            total += fetched;
            EXPECT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), total); // cumulative
        }
        c.free(st);
    }
}

TEST_F(Query, DescribeGivesTypesSizesAndNames) {
    OCIStmt* st = c.prepare("SELECT id, name, hired, note, flag, name AS \"lower Alias\" FROM hr.employees");
    ub2 type = 0;
    ASSERT_EQ(c.f.OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, c.err), OCI_SUCCESS);
    EXPECT_EQ(type, OCI_STMT_SELECT);
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
    ASSERT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_PARAM_COUNT), 6u);
    struct column {
        std::string name;
        ub2 type, size;
    };
    const column expected[] = {{"ID", 2, 22},   {"NAME", 1, 40}, {"HIRED", 12, 7},
                               {"NOTE", 112, 4000}, {"FLAG", 96, 1}, {"lower Alias", 1, 40}};
    for (ub4 pos = 1; pos <= 6; ++pos) {
        OCIParam* p = nullptr;
        ASSERT_EQ(c.f.OCIParamGet(st, OCI_HTYPE_STMT, c.err, reinterpret_cast<void**>(&p), pos), OCI_SUCCESS);
        OraText* name = nullptr;
        ub4 len = 0;
        ub2 t = 0, size = 0;
        ASSERT_EQ(c.f.OCIAttrGet(p, OCI_DTYPE_PARAM, &name, &len, OCI_ATTR_NAME, c.err), OCI_SUCCESS);
        ASSERT_EQ(c.f.OCIAttrGet(p, OCI_DTYPE_PARAM, &t, nullptr, OCI_ATTR_DATA_TYPE, c.err), OCI_SUCCESS);
        ASSERT_EQ(c.f.OCIAttrGet(p, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, c.err), OCI_SUCCESS);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(name), len), expected[pos - 1].name);
        EXPECT_EQ(t, expected[pos - 1].type) << expected[pos - 1].name;
        EXPECT_EQ(size, expected[pos - 1].size) << expected[pos - 1].name;
        EXPECT_EQ(c.f.OCIDescriptorFree(p, OCI_DTYPE_PARAM), OCI_SUCCESS);
    }
    c.free(st);
}

TEST_F(Query, NullsComeWithIndicatorsAndFailWithout) {
    OCIStmt* st = c.prepare("SELECT name, hired FROM hr.employees ORDER BY id");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS) << c.error().text;
    char names[3][20];
    OCIDate dates[3];
    std::memset(dates, 0x7A, sizeof dates);
    sb2 ind[3] = {5, 5, 5};
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, names, 20, SQLT_STR, nullptr, nullptr, nullptr, 0),
              OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 2, dates, sizeof(OCIDate), SQLT_ODT, ind, nullptr, nullptr, 0),
              OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIStmtFetch(st, c.err, 3, OCI_FETCH_NEXT, 0), OCI_SUCCESS) << c.error().text;
    EXPECT_STREQ(names[1], "Blake");
    EXPECT_EQ(ind[0], 0);
    EXPECT_EQ(ind[1], -1);
    EXPECT_EQ(dates[1].OCIDateYYYY, 0x7A7A); // a NULL leaves the buffer as it was
    EXPECT_EQ(dates[0].OCIDateYYYY, 2020);
    EXPECT_EQ(dates[0].OCIDateMM, 1);
    EXPECT_EQ(dates[0].OCIDateDD, 31);
    EXPECT_EQ(dates[0].OCIDateTime.OCITimeHH, 13);
    EXPECT_EQ(dates[0].OCIDateTime.OCITimeSS, 9);
    c.free(st);

    st = c.prepare("SELECT hired FROM hr.employees WHERE id = 2");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, dates, sizeof(OCIDate), SQLT_ODT, nullptr, nullptr, nullptr, 0),
              OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-01405: fetched column value is NULL\n");
    c.free(st);
}

TEST_F(Query, TruncationWarnsAndReportsTheFullLength) {
    OCIStmt* st = c.prepare("SELECT note FROM hr.employees WHERE id = 3");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    char buf[8];
    sb2 ind = 0;
    ub2 len = 0, rcode = 0;
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, buf, sizeof buf, SQLT_STR, &ind, &len, &rcode, 0), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_SUCCESS_WITH_INFO);
    ora e = c.error();
    EXPECT_EQ(e.code, 1406);
    EXPECT_EQ(e.text, "ORA-01406: fetched column value was truncated\n");
    EXPECT_STREQ(buf, "a longe");
    EXPECT_EQ(len, 7);
    EXPECT_EQ(rcode, 1406);
    EXPECT_EQ(ind, 23); // the whole value's length
    EXPECT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 1u);
    c.free(st);
}

TEST_F(Query, Utf16DefinesCountBytes) {
    OCIStmt* st = c.prepare("SELECT name, id FROM hr.employees ORDER BY id");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    char16_t names[3][6]; // 12 bytes a row: five code units and the terminator
    sb2 ind[3];
    ub2 len[3];
    OCIDefine* d = nullptr;
    ASSERT_EQ(c.f.OCIDefineByPos(st, &d, c.err, 1, names, sizeof names[0], SQLT_STR, ind, len, nullptr, 0),
              OCI_SUCCESS);
    ub4 utf16_id = OCI_UTF16ID; // passed in 4 bytes, as the access layer does
    ASSERT_EQ(c.f.OCIAttrSet(d, OCI_HTYPE_DEFINE, &utf16_id, 4, OCI_ATTR_CHARSET_ID, c.err), OCI_SUCCESS);
    ub2 id = 0;
    ASSERT_EQ(c.f.OCIAttrGet(d, OCI_HTYPE_DEFINE, &id, nullptr, OCI_ATTR_CHARSET_ID, c.err), OCI_SUCCESS);
    EXPECT_EQ(id, OCI_UTF16ID);
    ASSERT_EQ(c.f.OCIStmtFetch(st, c.err, 3, OCI_FETCH_NEXT, 0), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(utf16(names[0]), u"King");
    EXPECT_EQ(len[0], 8);
    EXPECT_EQ(utf16(names[1]), u"Blake");
    EXPECT_EQ(len[1], 10);
    EXPECT_EQ(utf16(names[2]), u"Ünal");
    EXPECT_EQ(len[2], 8);
    ub2 bad = 4242;
    EXPECT_EQ(c.f.OCIAttrSet(d, OCI_HTYPE_DEFINE, &bad, 2, OCI_ATTR_CHARSET_ID, c.err), OCI_ERROR);
    c.free(st);

    st = c.prepare("SELECT note FROM hr.employees WHERE id = 3");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIDefineByPos(st, &d, c.err, 1, names, sizeof names[0], SQLT_STR, ind, len, nullptr, 0),
              OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIAttrSet(d, OCI_HTYPE_DEFINE, &utf16_id, 4, OCI_ATTR_CHARSET_ID, c.err), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(utf16(names[0]), u"a lon");
    EXPECT_EQ(ind[0], 46);
    c.free(st);
}

TEST_F(Query, ValuesConvertToTheDefinedType) {
    OCIStmt* st = c.prepare("SELECT id, id, hired, name, '42', 0.5 FROM hr.employees WHERE id = 1");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    sb4 as_int = 0;
    char id_text[8], date_text[16], long_text[8], num_text[8];
    OCINumber from_text;
    ub2 long_len = 0;
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, &as_int, 4, SQLT_INT, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 2, id_text, 8, SQLT_STR, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 3, date_text, 16, SQLT_STR, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 4, long_text, 8, SQLT_LNG, nullptr, &long_len, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 5, &from_text, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 6, num_text, 8, SQLT_STR, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(as_int, 1);
    EXPECT_STREQ(id_text, "1");
    EXPECT_STREQ(date_text, "31-JAN-20");
    EXPECT_EQ(std::string(long_text, long_len), "King"); // LONG: no terminator
    sb4 v = 0;
    ASSERT_EQ(c.f.OCINumberToInt(c.err, &from_text, 4, OCI_NUMBER_SIGNED, &v), OCI_SUCCESS);
    EXPECT_EQ(v, 42);
    EXPECT_STREQ(num_text, ".5");
    c.free(st);

    st = c.prepare("SELECT name FROM hr.employees WHERE id = 1");
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, &from_text, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().text, "ORA-01722: invalid number\n");
    c.free(st);
}

TEST_F(Query, FetchNeedsAnExecutedQueryWithDefines) {
    OCIStmt* st = c.prepare("SELECT 1 FROM dual");
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24338);
    ASSERT_EQ(c.execute(st, 0), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24374);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_LAST, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 24391);
    OCINumber n;
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 2, &n, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 1007);
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, &n, 22, SQLT_CLOB, nullptr, nullptr, nullptr, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 3115);
    c.free(st);

    // A query executed with iterations fetches them at once.
    st = c.prepare("SELECT level FROM dual CONNECT BY LEVEL <= 3");
    sb4 v[2] = {};
    ASSERT_EQ(c.f.OCIDefineByPos(st, nullptr, c.err, 1, v, 4, SQLT_INT, nullptr, nullptr, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(c.execute(st, 2), OCI_SUCCESS) << c.error().text;
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], 2);
    EXPECT_EQ(c.attr4(st, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 2u);
    // Zero rows cancels the cursor.
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 0, OCI_FETCH_NEXT, 0), OCI_SUCCESS);
    EXPECT_EQ(c.f.OCIStmtFetch(st, c.err, 1, OCI_FETCH_NEXT, 0), OCI_ERROR);
    EXPECT_EQ(c.error().code, 1002);
    c.free(st);
}

TEST_F(Query, ServerErrorsArriveAsTheyAre) {
    struct row {
        const char* sql;
        ub4 iters;
        sb4 code;
    };
    const row rows[] = {
        {"SELECT nothing FROM dual", 0, 904},
        {"SELECT * FROM hr.missing", 0, 942},
        {"SELEKT 1 FROM dual", 1, 900},
        {"SELEKT 1 FROM dual", 0, 24333}, // not a query to the client: zero iterations are refused first
    };
    for (const auto& r : rows) {
        OCIStmt* st = c.prepare(r.sql);
        EXPECT_EQ(c.execute(st, r.iters), OCI_ERROR) << r.sql;
        ora e = c.error();
        EXPECT_EQ(e.code, r.code) << r.sql;
        EXPECT_EQ(e.text.back(), '\n') << r.sql;
        EXPECT_EQ(e.text.rfind("ORA-", 0), 0u) << e.text;
        c.free(st);
    }
}

} // namespace
