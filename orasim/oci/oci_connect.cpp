// Attaching to the server, sessions, and the calls that only test or interrupt a connection.
#include "host.h"
#include "surface.h"

using namespace orasim;
using namespace orasim::oci;

namespace {

// Ends the engine sessions that run over a connection, as a detach or a lost connection does.
void end_sessions_of(const connection* conn) {
    registry::get().for_each([conn](handle* h) {
        if (h->type != OCI_HTYPE_SESSION)
            return;
        auto* s = static_cast<session_handle*>(h);
        if (s->conn.get() == conn) {
            s->session.reset();
            s->conn.reset();
        }
    });
}

void detach_locally(server_handle* srv) {
    if (!srv->conn)
        return;
    srv->conn->dead = true;
    end_sessions_of(srv->conn.get());
    srv->conn.reset();
}

} // namespace

extern "C" {

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* srv = lookup<server_handle>(srvhp, OCI_HTYPE_SERVER);
    error_handle* err = error_of(errhp);
    if (!srv || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (mode != OCI_DEFAULT)
        return fail(err->errors, 24300);
    if (srv->conn)
        return fail(err->errors, 24309);
    std::string name;
    if (dblink && dblink_len > 0)
        name = client_to_utf8(std::string_view(reinterpret_cast<const char*>(dblink), static_cast<size_t>(dblink_len)));
    ora_error e;
    if (!rt.round_trip("OCIServerAttach", {}, nullptr, e))
        return fail(err->errors, e);
    if (!rt.ensure_loaded(e))
        return fail(err->errors, e);
    if (name.empty() || !rt.server().has_database(name))
        return fail(err->errors, 12154);
    srv->conn = std::make_shared<connection>();
    srv->conn->database = name;
    return OCI_SUCCESS;
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* srv = lookup<server_handle>(srvhp, OCI_HTYPE_SERVER);
    error_handle* err = error_of(errhp);
    if (!srv || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (!srv->conn)
        return fail(err->errors, 3114);
    if (srv->conn->dead) {
        // Nothing left to tell the server: release the attachment here.
        detach_locally(srv);
        return OCI_SUCCESS;
    }
    ora_error e;
    if (!rt.round_trip("OCIServerDetach", {}, srv->conn.get(), e)) {
        if (srv->conn->dead)
            detach_locally(srv);
        return fail(err->errors, e);
    }
    detach_locally(srv);
    return OCI_SUCCESS;
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* svc = lookup<svcctx_handle>(svchp, OCI_HTYPE_SVCCTX);
    auto* ses = lookup<session_handle>(usrhp, OCI_HTYPE_SESSION);
    error_handle* err = error_of(errhp);
    if (!svc || !ses || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    server_handle* srv = svc->server.get();
    if (!srv || !srv->conn)
        return fail(err->errors, 3114);
    if (ses->session)
        return fail(err->errors, 24313);
    if (mode != OCI_DEFAULT && mode != OCI_SYSDBA && mode != OCI_SYSOPER)
        return fail(err->errors, 24300);
    ora_error e;
    if (!rt.round_trip("OCISessionBegin", {}, srv->conn.get(), e))
        return fail(err->errors, e);
    if (credt != OCI_CRED_RDBMS) // no operating-system or proxy authentication here
        return fail(err->errors, 1017);
    ora_error refused, warning;
    auto session = rt.server().logon(srv->conn->database, client_to_utf8(ses->user_client),
                                     client_to_utf8(ses->password_client), mode, refused, warning);
    if (!session) {
        if (refused.code == 0)
            refused = {1017, message(1017)};
        return fail(err->errors, refused);
    }
    ses->session = std::move(session);
    ses->conn = srv->conn;
    svc->session.set(ses);
    if (warning.code != 0) {
        err->errors.set(warning);
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* svc = lookup<svcctx_handle>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* err = error_of(errhp);
    if (!svc || !err)
        return OCI_INVALID_HANDLE;
    session_handle* ses = usrhp ? lookup<session_handle>(usrhp, OCI_HTYPE_SESSION) : svc->session.get();
    if (usrhp && !ses)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (!ses || !ses->session)
        return OCI_SUCCESS; // nothing was begun: nothing to end
    ora_error e;
    bool reached = rt.round_trip("OCISessionEnd", {}, ses->conn.get(), e);
    bool lost = ses->conn && ses->conn->dead;
    if (reached || lost) {
        // Over a lost connection the session is gone all the same.
        ses->session.reset();
        ses->conn.reset();
    }
    return reached ? OCI_SUCCESS : fail(err->errors, e);
}

sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* svc = lookup<svcctx_handle>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* err = error_of(errhp);
    if (!svc || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    server_handle* srv = svc->server.get();
    if (!srv || !srv->conn)
        return fail(err->errors, 3114);
    ora_error e;
    if (!rt.round_trip("OCIPing", {}, srv->conn.get(), e))
        return fail(err->errors, e);
    return OCI_SUCCESS;
}

sword OCIBreak(void* hndlp, OCIError* errhp) {
    // Called from another thread while a call runs: takes no lock the running call holds.
    auto& rt = runtime::get();
    handle* h = registry::get().find(hndlp);
    if (!h || (h->type != OCI_HTYPE_SVCCTX && h->type != OCI_HTYPE_SERVER) || !error_of(errhp))
        return OCI_INVALID_HANDLE;
    std::unique_lock<std::recursive_mutex> idle(rt.mutex, std::try_to_lock);
    if (idle.owns_lock()) {
        // No call is running: nothing to break off.
        auto* err = error_of(errhp);
        err->errors.clear();
        if (local_fault("OCIBreak", err->errors))
            return OCI_ERROR;
        return OCI_SUCCESS;
    }
    // The running call holds the lock and waits on the server; the handle cannot go away meanwhile.
    const server_handle* srv = h->type == OCI_HTYPE_SERVER ? static_cast<server_handle*>(h)
                                                            : static_cast<svcctx_handle*>(h)->server.ptr;
    if (srv && registry::get().find(srv) == srv)
        rt.request_break(srv->conn.get());
    return OCI_SUCCESS;
}

} // extern "C"
