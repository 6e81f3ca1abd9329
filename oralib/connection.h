// One OCI environment with one server attachment and one user session.
#pragma once

#include "error.h"
#include "oci/loader.h"

#include <string>

namespace oralib {

class statement;

class connection {
public:
    connection() = default;
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;
    ~connection();

    // Logs on. connect_as: 1 SYSDBA, 2 SYSOPER, anything else the normal mode. Throws error; a failure
    // leaves the handles allocated so far for close(). Expects a closed connection.
    void open(const char* database, const char* user, const char* password, int connect_as, ub4 env_mode,
              bool non_blocking);
    // Ends the session and frees every handle; the status of the first failing step, 0 when all
    // succeeded. Never throws. A failed session end or detach does not keep the handles; a failed
    // free stops there, and a later close resumes with the handles it left.
    sword close();

    // Prepares a statement; the caller owns it and deletes it before closing. Throws error.
    statement* prepare(const char* sql, int length = -1);

    // The warning of a logon the server accepted with one ("ORA-28002: the password will expire ..."),
    // the client's text as returned; empty when the logon had none.
    const std::string& logon_warning() const { return logon_warning_; }

    bool holds_handles() const { return env_ || server_ || error_ || session_ || svcctx_; }

    OCIEnv* environment_handle() const { return env_; }
    OCIError* error_handle() const { return error_; }
    OCISvcCtx* service_context() const { return svcctx_; }
    const oci::functions& api() const { return *api_; }

private:
    OCIEnv* env_ = nullptr;
    OCIServer* server_ = nullptr;
    OCIError* error_ = nullptr;
    OCISession* session_ = nullptr;
    OCISvcCtx* svcctx_ = nullptr;
    const oci::functions* api_ = nullptr;
    std::string logon_warning_;
};

} // namespace oralib
