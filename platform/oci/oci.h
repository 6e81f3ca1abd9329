// Our own declarations of the Oracle Call Interface: the scalar types, handle types, constants and
// function signatures that this program calls, written from the published documentation of the
// interface. Every function is reached through the table of loader.h, never linked directly.
#pragma once

#include <cstddef>

extern "C" {

// Scalar types: built on char, short and int only, so they have the same width on LLP64 and LP64.
typedef unsigned char ub1;
typedef signed char sb1;
typedef unsigned short ub2;
typedef signed short sb2;
typedef unsigned int ub4;
typedef signed int sb4;
typedef unsigned int uword;
typedef signed int sword;
typedef unsigned long long ub8;
typedef signed long long sb8;
typedef unsigned char OraText;
typedef unsigned short utext;

// Opaque handles and descriptors, used only through pointers.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCIDescribe;
struct OCIServer;
struct OCISession;
struct OCIParam;
struct OCISnapshot;

enum { OCI_NUMBER_SIZE = 22 };
struct OCINumber {
    ub1 OCINumberPart[OCI_NUMBER_SIZE];
};
struct OCITime {
    ub1 OCITimeHH;
    ub1 OCITimeMI;
    ub1 OCITimeSS;
};
struct OCIDate {
    sb2 OCIDateYYYY;
    ub1 OCIDateMM;
    ub1 OCIDateDD;
    OCITime OCIDateTime;
};

} // extern "C"

static_assert(sizeof(ub2) == 2 && sizeof(ub4) == 4 && sizeof(ub8) == 8, "OCI scalar widths");
static_assert(sizeof(OCINumber) == 22, "OCINumber is 22 bytes");
static_assert(sizeof(OCIDate) == 8 && alignof(OCIDate) == 2, "OCIDate layout");

// Return codes.
inline constexpr sword OCI_SUCCESS = 0;
inline constexpr sword OCI_SUCCESS_WITH_INFO = 1;
inline constexpr sword OCI_NEED_DATA = 99;
inline constexpr sword OCI_NO_DATA = 100;
inline constexpr sword OCI_ERROR = -1;
inline constexpr sword OCI_INVALID_HANDLE = -2;
inline constexpr sword OCI_STILL_EXECUTING = -3123;
inline constexpr sword OCI_CONTINUE = -24200;

// Modes.
inline constexpr ub4 OCI_DEFAULT = 0x0;
inline constexpr ub4 OCI_THREADED = 0x1;
inline constexpr ub4 OCI_OBJECT = 0x2;
inline constexpr ub4 OCI_STMT_SCROLLABLE_READONLY = 0x8;
inline constexpr ub4 OCI_DESCRIBE_ONLY = 0x10;
inline constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x20;
inline constexpr ub4 OCI_UTF16 = 0x4000;

// Handle and descriptor types.
inline constexpr ub4 OCI_HTYPE_ENV = 1;
inline constexpr ub4 OCI_HTYPE_ERROR = 2;
inline constexpr ub4 OCI_HTYPE_SVCCTX = 3;
inline constexpr ub4 OCI_HTYPE_STMT = 4;
inline constexpr ub4 OCI_HTYPE_BIND = 5;
inline constexpr ub4 OCI_HTYPE_DEFINE = 6;
inline constexpr ub4 OCI_HTYPE_DESCRIBE = 7;
inline constexpr ub4 OCI_HTYPE_SERVER = 8;
inline constexpr ub4 OCI_HTYPE_SESSION = 9;
inline constexpr ub4 OCI_HTYPE_TRANS = 10;
inline constexpr ub4 OCI_DTYPE_LOB = 50;
inline constexpr ub4 OCI_DTYPE_PARAM = 53;
inline constexpr ub4 OCI_DTYPE_ROWID = 54;

// Attributes; a number's meaning depends on the handle type it is used with.
inline constexpr ub4 OCI_ATTR_DATA_SIZE = 1;
inline constexpr ub4 OCI_ATTR_DATA_TYPE = 2;
inline constexpr ub4 OCI_ATTR_NONBLOCKING_MODE = 3;
inline constexpr ub4 OCI_ATTR_NAME = 4;
inline constexpr ub4 OCI_ATTR_PRECISION = 5;
inline constexpr ub4 OCI_ATTR_SCALE = 6;
inline constexpr ub4 OCI_ATTR_SERVER = 6;
inline constexpr ub4 OCI_ATTR_SESSION = 7;
inline constexpr ub4 OCI_ATTR_ROW_COUNT = 9;
inline constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
inline constexpr ub4 OCI_ATTR_PREFETCH_MEMORY = 13;
inline constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;
inline constexpr ub4 OCI_ATTR_USERNAME = 22;
inline constexpr ub4 OCI_ATTR_PASSWORD = 23;
inline constexpr ub4 OCI_ATTR_STMT_TYPE = 24;
inline constexpr ub4 OCI_ATTR_CHARSET_ID = 31;
inline constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;
inline constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;
inline constexpr ub4 OCI_ATTR_CHAR_SIZE = 286;

// Other constants.
inline constexpr ub2 OCI_UTF16ID = 1000;
inline constexpr ub4 OCI_CRED_RDBMS = 1;
inline constexpr ub4 OCI_CRED_EXT = 2;
inline constexpr ub4 OCI_CRED_PROXY = 3;
inline constexpr ub4 OCI_SYSDBA = 0x2;
inline constexpr ub4 OCI_SYSOPER = 0x4;
inline constexpr ub4 OCI_PRELIM_AUTH = 0x8;
inline constexpr ub4 OCI_NTV_SYNTAX = 1;
inline constexpr ub2 OCI_FETCH_CURRENT = 0x01;
inline constexpr ub2 OCI_FETCH_NEXT = 0x02;
inline constexpr ub2 OCI_FETCH_FIRST = 0x04;
inline constexpr ub2 OCI_FETCH_LAST = 0x08;
inline constexpr ub2 OCI_FETCH_PRIOR = 0x10;
inline constexpr ub2 OCI_FETCH_ABSOLUTE = 0x20;
inline constexpr ub2 OCI_FETCH_RELATIVE = 0x40;
inline constexpr uword OCI_NUMBER_UNSIGNED = 0;
inline constexpr uword OCI_NUMBER_SIGNED = 2;
inline constexpr sb2 OCI_IND_NOTNULL = 0;
inline constexpr sb2 OCI_IND_NULL = -1;
inline constexpr ub4 OCI_ERROR_MAXMSG_SIZE = 1024;

// Statement types (OCI_ATTR_STMT_TYPE).
inline constexpr ub2 OCI_STMT_UNKNOWN = 0;
inline constexpr ub2 OCI_STMT_SELECT = 1;
inline constexpr ub2 OCI_STMT_UPDATE = 2;
inline constexpr ub2 OCI_STMT_DELETE = 3;
inline constexpr ub2 OCI_STMT_INSERT = 4;
inline constexpr ub2 OCI_STMT_CREATE = 5;
inline constexpr ub2 OCI_STMT_DROP = 6;
inline constexpr ub2 OCI_STMT_ALTER = 7;
inline constexpr ub2 OCI_STMT_BEGIN = 8;
inline constexpr ub2 OCI_STMT_DECLARE = 9;
inline constexpr ub2 OCI_STMT_CALL = 10;
inline constexpr ub2 OCI_STMT_EXPLAIN = 15;
inline constexpr ub2 OCI_STMT_MERGE = 16;
inline constexpr ub2 OCI_STMT_ROLLBACK = 17;
inline constexpr ub2 OCI_STMT_COMMIT = 21;

// External data types.
inline constexpr ub2 SQLT_CHR = 1;
inline constexpr ub2 SQLT_NUM = 2;
inline constexpr ub2 SQLT_INT = 3;
inline constexpr ub2 SQLT_FLT = 4;
inline constexpr ub2 SQLT_STR = 5;
inline constexpr ub2 SQLT_VNU = 6;
inline constexpr ub2 SQLT_PDN = 7;
inline constexpr ub2 SQLT_LNG = 8;
inline constexpr ub2 SQLT_VCS = 9;
inline constexpr ub2 SQLT_RID = 11;
inline constexpr ub2 SQLT_DAT = 12;
inline constexpr ub2 SQLT_VBI = 15;
inline constexpr ub2 SQLT_BFLOAT = 21;
inline constexpr ub2 SQLT_BDOUBLE = 22;
inline constexpr ub2 SQLT_BIN = 23;
inline constexpr ub2 SQLT_LBI = 24;
inline constexpr ub2 SQLT_UIN = 68;
inline constexpr ub2 SQLT_LVC = 94;
inline constexpr ub2 SQLT_LVB = 95;
inline constexpr ub2 SQLT_AFC = 96;
inline constexpr ub2 SQLT_AVC = 97;
inline constexpr ub2 SQLT_IBFLOAT = 100;
inline constexpr ub2 SQLT_IBDOUBLE = 101;
inline constexpr ub2 SQLT_CUR = 102;
inline constexpr ub2 SQLT_RDD = 104;
inline constexpr ub2 SQLT_NTY = 108;
inline constexpr ub2 SQLT_REF = 110;
inline constexpr ub2 SQLT_CLOB = 112;
inline constexpr ub2 SQLT_BLOB = 113;
inline constexpr ub2 SQLT_BFILEE = 114;
inline constexpr ub2 SQLT_CFILEE = 115;
inline constexpr ub2 SQLT_RSET = 116;
inline constexpr ub2 SQLT_NCO = 122;
inline constexpr ub2 SQLT_VST = 155;
inline constexpr ub2 SQLT_ODT = 156;
inline constexpr ub2 SQLT_DATE = 184;
inline constexpr ub2 SQLT_TIME = 185;
inline constexpr ub2 SQLT_TIME_TZ = 186;
inline constexpr ub2 SQLT_TIMESTAMP = 187;
inline constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
inline constexpr ub2 SQLT_INTERVAL_YM = 189;
inline constexpr ub2 SQLT_INTERVAL_DS = 190;
inline constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;
inline constexpr ub2 SQLT_REC = 250;
inline constexpr ub2 SQLT_TAB = 251;
inline constexpr ub2 SQLT_BOL = 252;

// Function signatures. No calling-convention keyword: x64 Windows has only one.
extern "C" {
sword OCIEnvCreate(OCIEnv** envhpp, ub4 mode, const void* ctxp, void* (*malocfp)(void* ctxp, size_t size),
                   void* (*ralocfp)(void* ctxp, void* memptr, size_t newsize),
                   void (*mfreefp)(void* ctxp, void* memptr), size_t xtramemsz, void** usrmempp);
sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, size_t xtramem_sz, void** usrmempp);
sword OCIHandleFree(void* hndlp, ub4 type);
sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode);
sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode);
sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp);
sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp);
sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode);
sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode);
sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode);
sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode);
sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder, sb4 placeh_len,
                    void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                    ub4* curelep, ub4 mode);
sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                     ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
sword OCIDescriptorFree(void* descp, ub4 type);
void OCINumberSetZero(OCIError* err, OCINumber* num);
sword OCINumberToInt(OCIError* err, const OCINumber* number, uword rsl_length, uword rsl_flag, void* rsl);
sword OCINumberToText(OCIError* err, const OCINumber* number, const OraText* fmt, ub4 fmt_length,
                      const OraText* nls_params, ub4 nls_p_length, ub4* buf_size, OraText* buf);
sword OCIDateSysDate(OCIError* err, OCIDate* sys_date);
sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type);
void OCIClientVersion(sword* major_version, sword* minor_version, sword* update_num, sword* patch_num,
                      sword* port_update_num);
sword OCIBreak(void* hndlp, OCIError* errhp);
sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4 mode);
}

// The functions the program resolves from the client library, in one list.
#define MENDWICK_OCI_FUNCTIONS(X)                                                                                \
    X(OCIEnvCreate)                                                                                              \
    X(OCIHandleAlloc)                                                                                            \
    X(OCIHandleFree)                                                                                             \
    X(OCIServerAttach)                                                                                           \
    X(OCIServerDetach)                                                                                           \
    X(OCIAttrSet)                                                                                                \
    X(OCIAttrGet)                                                                                                \
    X(OCISessionBegin)                                                                                           \
    X(OCISessionEnd)                                                                                             \
    X(OCIStmtPrepare)                                                                                            \
    X(OCIStmtExecute)                                                                                            \
    X(OCIStmtFetch)                                                                                              \
    X(OCIBindByName)                                                                                             \
    X(OCIDefineByPos)                                                                                            \
    X(OCIParamGet)                                                                                               \
    X(OCIDescriptorFree)                                                                                         \
    X(OCINumberSetZero)                                                                                          \
    X(OCINumberToInt)                                                                                            \
    X(OCINumberToText)                                                                                           \
    X(OCIDateSysDate)                                                                                            \
    X(OCIErrorGet)                                                                                               \
    X(OCIClientVersion)                                                                                          \
    X(OCIBreak)                                                                                                  \
    X(OCIPing)
