#include "statement.h"

#include "connection.h"
#include "resultset.h"

#include <cstring>

namespace oralib {

statement::statement(connection* conn, const char* sql, int length) : connection_(conn) {
    const oci::functions& f = conn->api();
    sword st = f.OCIHandleAlloc(conn->environment_handle(), reinterpret_cast<void**>(&handle_), OCI_HTYPE_STMT, 0,
                                nullptr);
    if (st != OCI_SUCCESS) {
        handle_ = nullptr;
        throw error(st, conn->environment_handle(), ORALIB_HERE);
    }
    ub4 bytes = length == -1 ? static_cast<ub4>(std::strlen(sql)) : static_cast<ub4>(length);
    st = f.OCIStmtPrepare(handle_, conn->error_handle(), reinterpret_cast<const OraText*>(sql), bytes,
                          OCI_NTV_SYNTAX, OCI_DEFAULT);
    if (st == OCI_SUCCESS) {
        ub2 type = 0;
        st = f.OCIAttrGet(handle_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, conn->error_handle());
        statement_type = type;
    }
    if (st != OCI_SUCCESS) {
        error e(st, conn->error_handle(), ORALIB_HERE);
        f.OCIHandleFree(handle_, OCI_HTYPE_STMT);
        handle_ = nullptr;
        throw e;
    }
}

statement::~statement() {
    if (handle_)
        connection_->api().OCIHandleFree(handle_, OCI_HTYPE_STMT);
    handle_ = nullptr;
    index_.clear();
    parameters_.clear(); // in binding order
    retired_.clear();
}

void statement::execute() {
    ub4 iterations = statement_type == OCI_STMT_SELECT ? 0 : 1;
    sword st = connection_->api().OCIStmtExecute(connection_->service_context(), handle_, connection_->error_handle(),
                                                 iterations, 0, nullptr, nullptr, OCI_DEFAULT);
    if (st != OCI_SUCCESS)
        throw error(st, connection_->error_handle(), ORALIB_HERE);
}

resultset* statement::select() {
    execute();
    std::unique_ptr<resultset> rs(new resultset(handle_, connection_, rows_per_fetch));
    rs->fetch();
    return rs.release();
}

parameter* statement::bind(const char* name, int kind, ub4 string_bytes) {
    std::unique_ptr<parameter> p(new parameter(connection_, name, kind, string_bytes));
    try {
        p->bind(handle_);
    } catch (const error&) {
        // A placeholder the client accepted stays bound to the parameter's buffer inside the statement
        // handle; that buffer must outlive the handle, so the parameter is kept aside, out of the index.
        if (p->bind_)
            retired_.push_back(std::move(p));
        throw;
    }
    p->statement_ = this;
    parameter* raw = p.get();
    parameters_.push_back(std::move(p));
    index_[raw->name()] = raw;
    return raw;
}

parameter* statement::get_parameter(const char* name) const {
    auto it = index_.find(name);
    if (it == index_.end())
        throw error(parameter_not_found, ORALIB_HERE, name);
    return it->second;
}

} // namespace oralib
