#include "connection.h"

#include "statement.h"

#include <cstring>

namespace oralib {

namespace {

ub4 session_mode(int connect_as) {
    switch (connect_as) {
    case 1:
        return OCI_SYSDBA;
    case 2:
        return OCI_SYSOPER;
    default:
        return OCI_DEFAULT;
    }
}

ub4 byte_length(const char* text) { return static_cast<ub4>(std::strlen(text)); }

} // namespace

connection::~connection() { close(); }

void connection::open(const char* database, const char* user, const char* password, int connect_as, ub4 env_mode,
                      bool non_blocking) {
    logon_warning_.clear();
    if (!api_) {
        api_ = oci::client();
        if (!api_)
            throw error::win32(oci::client_error(), ORALIB_HERE);
    }
    const oci::functions& f = *api_;

    sword st = f.OCIEnvCreate(&env_, env_mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
    if (st != OCI_SUCCESS) {
        // No environment, so no text: the layer's own code.
        env_ = nullptr;
        throw error(env_create_failed, ORALIB_HERE);
    }
    st = f.OCIHandleAlloc(env_, reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, 0, nullptr);
    if (st != OCI_SUCCESS) {
        server_ = nullptr;
        throw error(st, env_, ORALIB_HERE);
    }
    st = f.OCIHandleAlloc(env_, reinterpret_cast<void**>(&error_), OCI_HTYPE_ERROR, 0, nullptr);
    if (st != OCI_SUCCESS) {
        error_ = nullptr;
        throw error(st, env_, ORALIB_HERE);
    }
    st = f.OCIServerAttach(server_, error_, reinterpret_cast<const OraText*>(database),
                           static_cast<sb4>(byte_length(database)), OCI_DEFAULT);
    if (st != OCI_SUCCESS)
        throw error(st, error_, ORALIB_HERE);
    st = f.OCIHandleAlloc(env_, reinterpret_cast<void**>(&svcctx_), OCI_HTYPE_SVCCTX, 0, nullptr);
    if (st != OCI_SUCCESS) {
        svcctx_ = nullptr;
        throw error(st, env_, ORALIB_HERE);
    }
    st = f.OCIAttrSet(svcctx_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, error_);
    if (st != OCI_SUCCESS)
        throw error(st, error_, ORALIB_HERE);
    st = f.OCIHandleAlloc(env_, reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION, 0, nullptr);
    if (st != OCI_SUCCESS) {
        session_ = nullptr;
        throw error(st, env_, ORALIB_HERE);
    }
    st = f.OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(user), byte_length(user), OCI_ATTR_USERNAME,
                      error_);
    if (st != OCI_SUCCESS)
        throw error(st, error_, ORALIB_HERE);
    st = f.OCIAttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(password), byte_length(password),
                      OCI_ATTR_PASSWORD, error_);
    if (st != OCI_SUCCESS)
        throw error(st, error_, ORALIB_HERE);
    st = f.OCISessionBegin(svcctx_, error_, session_, OCI_CRED_RDBMS, session_mode(connect_as));
    if (st == OCI_SUCCESS_WITH_INFO) {
        // The server let the user in with a warning (a password about to expire): a working logon.
        error warning(st, error_, ORALIB_HERE);
        std::string prefix = std::string(error::status_name(st)) + " ";
        logon_warning_ = warning.description.substr(prefix.size());
    } else if (st != OCI_SUCCESS) {
        throw error(st, error_, ORALIB_HERE);
    }
    st = f.OCIAttrSet(svcctx_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, error_);
    if (st != OCI_SUCCESS)
        throw error(st, error_, ORALIB_HERE);
    if (non_blocking) {
        ub1 on = 1;
        st = f.OCIAttrSet(server_, OCI_HTYPE_SERVER, &on, 0, OCI_ATTR_NONBLOCKING_MODE, error_);
        if (st != OCI_SUCCESS)
            throw error(st, error_, ORALIB_HERE);
    }
}

sword connection::close() {
    if (!api_)
        return OCI_SUCCESS; // nothing was ever allocated
    const oci::functions& f = *api_;
    if (server_) {
        ub1 off = 0;
        f.OCIAttrSet(server_, OCI_HTYPE_SERVER, &off, 0, OCI_ATTR_NONBLOCKING_MODE, error_);
    }
    // A session end or detach that fails (the server dropped the connection) is reported, but the
    // handles are freed all the same: a lost session cannot be ended by a later close either, and
    // keeping them would leak them for good.
    sword first_failure = OCI_SUCCESS;
    if (svcctx_ && error_) {
        if (session_) {
            sword st = f.OCISessionEnd(svcctx_, error_, session_, OCI_DEFAULT);
            if (st != OCI_SUCCESS)
                first_failure = st;
        }
        sword st = f.OCIServerDetach(server_, error_, OCI_DEFAULT);
        if (st != OCI_SUCCESS && first_failure == OCI_SUCCESS)
            first_failure = st;
    }
    struct slot {
        void** handle;
        ub4 type;
    };
    const slot order[] = {
        {reinterpret_cast<void**>(&svcctx_), OCI_HTYPE_SVCCTX}, {reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION},
        {reinterpret_cast<void**>(&error_), OCI_HTYPE_ERROR},   {reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER},
        {reinterpret_cast<void**>(&env_), OCI_HTYPE_ENV},
    };
    for (const slot& s : order) {
        if (!*s.handle)
            continue;
        sword st = f.OCIHandleFree(*s.handle, s.type);
        if (st != OCI_SUCCESS)
            return st;
        *s.handle = nullptr;
    }
    return first_failure;
}

statement* connection::prepare(const char* sql, int length) { return new statement(this, sql, length); }

} // namespace oralib
