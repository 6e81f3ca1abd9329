#include "fake_oci.h"

#include <cstring>

namespace fake_oci {

namespace {

script the_script;
char handles[64]; // distinct addresses serve as handles

sword answer(std::string call) {
    the_script.calls.push_back(call);
    auto it = the_script.statuses.find(call);
    return it == the_script.statuses.end() ? OCI_SUCCESS : it->second;
}

std::string with(const char* name, unsigned n) { return std::string(name) + "(" + std::to_string(n) + ")"; }

sword env_create(OCIEnv** env, ub4 mode, const void*, void* (*)(void*, size_t), void* (*)(void*, void*, size_t),
                 void (*)(void*, void*), size_t, void**) {
    sword st = answer(with("OCIEnvCreate", mode));
    *env = st == OCI_SUCCESS ? reinterpret_cast<OCIEnv*>(&handles[0]) : nullptr;
    return st;
}
sword handle_alloc(const void*, void** h, ub4 type, size_t, void**) {
    sword st = answer(with("OCIHandleAlloc", type));
    *h = st == OCI_SUCCESS ? &handles[type] : nullptr;
    return st;
}
sword handle_free(void*, ub4 type) { return answer(with("OCIHandleFree", type)); }
sword server_attach(OCIServer*, OCIError*, const OraText*, sb4, ub4) { return answer("OCIServerAttach"); }
sword server_detach(OCIServer*, OCIError*, ub4) { return answer("OCIServerDetach"); }
sword attr_set(void*, ub4, void* value, ub4 size, ub4 attr, OCIError*) {
    if (attr == OCI_ATTR_PASSWORD)
        the_script.last_password.assign(static_cast<const char*>(value), size);
    if (attr == OCI_ATTR_NONBLOCKING_MODE)
        return answer("OCIAttrSet(3)=" + std::to_string(*static_cast<ub1*>(value)));
    return answer(with("OCIAttrSet", attr));
}
sword attr_get(const void*, ub4, void* value, ub4*, ub4 attr, OCIError*) {
    sword st = answer(with("OCIAttrGet", attr));
    if (st == OCI_SUCCESS && attr == OCI_ATTR_STMT_TYPE)
        *static_cast<ub2*>(value) = the_script.statement_type;
    return st;
}
sword session_begin(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4 mode) { return answer(with("OCISessionBegin", mode)); }
sword session_end(OCISvcCtx*, OCIError*, OCISession*, ub4) { return answer("OCISessionEnd"); }
sword stmt_prepare(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4) { return answer("OCIStmtPrepare"); }
sword stmt_execute(OCISvcCtx*, OCIStmt*, OCIError*, ub4 iters, ub4, const OCISnapshot*, OCISnapshot*, ub4) {
    return answer(with("OCIStmtExecute", iters));
}
sword stmt_fetch(OCIStmt*, OCIError*, ub4, ub2, ub4) { return answer("OCIStmtFetch"); }
sword bind_by_name(OCIStmt*, OCIBind** b, OCIError*, const OraText* name, sb4 len, void*, sb4 size, ub2 dty, void*,
                   ub2*, ub2*, ub4, ub4*, ub4) {
    the_script.last_placeholder.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(len));
    sword st = answer(with("OCIBindByName", dty) + "/" + std::to_string(size));
    if (st == OCI_SUCCESS)
        *b = reinterpret_cast<OCIBind*>(&handles[OCI_HTYPE_BIND]);
    return st;
}
sword define_by_pos(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4) {
    return answer("OCIDefineByPos");
}
sword param_get(const void*, ub4, OCIError*, void**, ub4) { return answer("OCIParamGet"); }
sword descriptor_free(void*, ub4) { return answer("OCIDescriptorFree"); }
void number_set_zero(OCIError*, OCINumber* n) {
    the_script.calls.push_back("OCINumberSetZero");
    std::memset(n, 0, sizeof *n);
}
sword number_to_int(OCIError*, const OCINumber*, uword, uword, void* out) {
    sword st = answer("OCINumberToInt");
    *static_cast<int*>(out) = 0;
    return st;
}
sword number_to_text(OCIError*, const OCINumber*, const OraText*, ub4, const OraText*, ub4, ub4*, OraText*) {
    return answer("OCINumberToText");
}
sword date_sys_date(OCIError*, OCIDate*) { return answer("OCIDateSysDate"); }
sword error_get(void*, ub4, OraText*, sb4* code, OraText* buf, ub4 size, ub4 type) {
    the_script.calls.push_back(with("OCIErrorGet", type));
    *code = the_script.number;
    std::strncpy(reinterpret_cast<char*>(buf), the_script.message.c_str(), size - 1);
    return OCI_SUCCESS;
}
void client_version(sword*, sword*, sword*, sword*, sword*) {}
sword brk(void*, OCIError*) { return answer("OCIBreak"); }
sword ping(OCISvcCtx*, OCIError*, ub4) { return answer("OCIPing"); }

} // namespace

const oci::functions& table() {
    static const oci::functions t = [] {
        oci::functions f{};
        f.OCIEnvCreate = env_create;
        f.OCIHandleAlloc = handle_alloc;
        f.OCIHandleFree = handle_free;
        f.OCIServerAttach = server_attach;
        f.OCIServerDetach = server_detach;
        f.OCIAttrSet = attr_set;
        f.OCIAttrGet = attr_get;
        f.OCISessionBegin = session_begin;
        f.OCISessionEnd = session_end;
        f.OCIStmtPrepare = stmt_prepare;
        f.OCIStmtExecute = stmt_execute;
        f.OCIStmtFetch = stmt_fetch;
        f.OCIBindByName = bind_by_name;
        f.OCIDefineByPos = define_by_pos;
        f.OCIParamGet = param_get;
        f.OCIDescriptorFree = descriptor_free;
        f.OCINumberSetZero = number_set_zero;
        f.OCINumberToInt = number_to_int;
        f.OCINumberToText = number_to_text;
        f.OCIDateSysDate = date_sys_date;
        f.OCIErrorGet = error_get;
        f.OCIClientVersion = client_version;
        f.OCIBreak = brk;
        f.OCIPing = ping;
        return f;
    }();
    return t;
}

script& install() {
    the_script = script{};
    oci::install_client(table());
    return the_script;
}

} // namespace fake_oci
