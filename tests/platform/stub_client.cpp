// A stand-in client library: every function the program resolves, doing nothing but answering, so
// that the loader's resolution can be checked without a real client.
#include "oci/oci.h"

extern "C" {
sword OCIEnvCreate(OCIEnv** envhpp, ub4, const void*, void* (*)(void*, size_t), void* (*)(void*, void*, size_t),
                   void (*)(void*, void*), size_t, void**) {
    *envhpp = nullptr;
    return 4242;
}
sword OCIHandleAlloc(const void*, void**, ub4, size_t, void**) { return OCI_INVALID_HANDLE; }
sword OCIHandleFree(void*, ub4) { return OCI_INVALID_HANDLE; }
sword OCIServerAttach(OCIServer*, OCIError*, const OraText*, sb4, ub4) { return OCI_ERROR; }
sword OCIServerDetach(OCIServer*, OCIError*, ub4) { return OCI_ERROR; }
sword OCIAttrSet(void*, ub4, void*, ub4, ub4, OCIError*) { return OCI_ERROR; }
sword OCIAttrGet(const void*, ub4, void*, ub4*, ub4, OCIError*) { return OCI_ERROR; }
sword OCISessionBegin(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4) { return OCI_ERROR; }
sword OCISessionEnd(OCISvcCtx*, OCIError*, OCISession*, ub4) { return OCI_ERROR; }
sword OCIStmtPrepare(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4) { return OCI_ERROR; }
sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*, OCISnapshot*, ub4) {
    return OCI_ERROR;
}
sword OCIStmtFetch(OCIStmt*, OCIError*, ub4, ub2, ub4) { return OCI_ERROR; }
sword OCIBindByName(OCIStmt*, OCIBind**, OCIError*, const OraText*, sb4, void*, sb4, ub2, void*, ub2*, ub2*, ub4,
                    ub4*, ub4) {
    return OCI_ERROR;
}
sword OCIDefineByPos(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4) {
    return OCI_ERROR;
}
sword OCIParamGet(const void*, ub4, OCIError*, void**, ub4) { return OCI_ERROR; }
sword OCIDescriptorFree(void*, ub4) { return OCI_ERROR; }
void OCINumberSetZero(OCIError*, OCINumber* num) {
    for (auto& b : num->OCINumberPart)
        b = 0;
}
sword OCINumberToInt(OCIError*, const OCINumber*, uword, uword, void*) { return OCI_ERROR; }
sword OCINumberToText(OCIError*, const OCINumber*, const OraText*, ub4, const OraText*, ub4, ub4*, OraText*) {
    return OCI_ERROR;
}
sword OCIDateSysDate(OCIError*, OCIDate*) { return OCI_ERROR; }
sword OCIErrorGet(void*, ub4, OraText*, sb4*, OraText*, ub4, ub4) { return OCI_NO_DATA; }
void OCIClientVersion(sword* major, sword* minor, sword* update, sword* patch, sword* port) {
    *major = 99;
    *minor = 1;
    *update = 2;
    *patch = 3;
    *port = 4;
}
sword OCIBreak(void*, OCIError*) { return OCI_SUCCESS; }
#ifndef STUB_WITHOUT_PING
sword OCIPing(OCISvcCtx*, OCIError*, ub4) { return 7; }
#endif
}
