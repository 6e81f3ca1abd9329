#include "parameter.h"

#include "connection.h"

#include <cstring>

namespace oralib {

parameter::parameter(connection* conn, const char* name, int requested_kind, ub4 string_bytes)
    : name_(name), connection_(conn), string_bytes_(string_bytes < 2 ? 2 : string_bytes) {
    decide_kind(requested_kind);
}

parameter::~parameter() {
    // The bind handle belongs to the statement handle; a cursor handle is ours.
    bind_ = nullptr;
    if (cursor_)
        connection_->api().OCIHandleFree(cursor_, OCI_HTYPE_STMT);
}

void parameter::decide_kind(int requested_kind) {
    const char* p = name_.c_str();
    if (*p == ':')
        ++p;
    if (*p == 't') {
        marker_ = true;
        ++p;
    }
    switch (requested_kind) {
    case number:
    case date:
    case string:
    case cursor:
        kind_ = static_cast<data_kind>(requested_kind);
        return;
    case kind_from_name:
        switch (*p) {
        case 'n':
            kind_ = number;
            return;
        case 'd':
            kind_ = date;
            return;
        case 's':
            kind_ = string;
            return;
        case 'c':
            kind_ = cursor;
            return;
        }
        break;
    }
    throw error(unknown_parameter_prefix, ORALIB_HERE, name_);
}

void parameter::bind(OCIStmt* stmt) {
    const oci::functions& f = connection_->api();
    const auto name_length = static_cast<sb4>(name_.size());
    const auto* placeholder = reinterpret_cast<const OraText*>(name_.c_str());
    if (kind_ == cursor) {
        sword st = f.OCIHandleAlloc(connection_->environment_handle(), reinterpret_cast<void**>(&cursor_),
                                    OCI_HTYPE_STMT, 0, nullptr);
        if (st != OCI_SUCCESS) {
            cursor_ = nullptr;
            throw error(st, connection_->environment_handle(), ORALIB_HERE);
        }
        oracle_type_ = SQLT_RSET;
        buffer_size_ = 4;
        st = f.OCIBindByName(stmt, &bind_, connection_->error_handle(), placeholder, name_length, &cursor_, 4,
                             SQLT_RSET, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        if (st != OCI_SUCCESS)
            throw error(st, connection_->error_handle(), ORALIB_HERE, name_);
        return;
    }
    switch (kind_) {
    case number:
        oracle_type_ = SQLT_VNU;
        buffer_size_ = sizeof(OCINumber);
        break;
    case date:
        oracle_type_ = SQLT_ODT;
        buffer_size_ = sizeof(OCIDate);
        break;
    case string:
        oracle_type_ = SQLT_STR;
        buffer_size_ = string_bytes_;
        break;
    default:
        throw error(internal_error, ORALIB_HERE, "Unsupported internal type");
    }
    buffer_.reset(new (std::nothrow) ub1[buffer_size_]());
    if (!buffer_)
        throw error(memory_allocation, ORALIB_HERE, name_);
    if (kind_ == number)
        f.OCINumberSetZero(connection_->error_handle(), reinterpret_cast<OCINumber*>(buffer_.get()));
    else if (kind_ == date)
        f.OCIDateSysDate(connection_->error_handle(), reinterpret_cast<OCIDate*>(buffer_.get()));
    // The length cell is 16-bit; a larger string buffer is described by its size alone.
    actual_length_ = static_cast<ub2>(buffer_size_ > 0xFFFF ? 0xFFFF : buffer_size_);
    sword st = f.OCIBindByName(stmt, &bind_, connection_->error_handle(), placeholder, name_length, buffer_.get(),
                               static_cast<sb4>(buffer_size_), oracle_type_, &indicator_, &actual_length_, nullptr,
                               0, nullptr, OCI_DEFAULT);
    if (st != OCI_SUCCESS)
        throw error(st, connection_->error_handle(), ORALIB_HERE, name_);
    ub4 charset = OCI_UTF16ID;
    st = f.OCIAttrSet(bind_, OCI_HTYPE_BIND, &charset, 4, OCI_ATTR_CHARSET_ID, connection_->error_handle());
    if (st != OCI_SUCCESS)
        throw error(st, connection_->error_handle(), ORALIB_HERE, name_);
}

const char16_t* parameter::as_string() const {
    if (kind_ != string || indicator_ == -1)
        throw error(cannot_convert, ORALIB_HERE);
    // The client terminates the text; the last unit is kept NUL so a full buffer stays terminated.
    auto* text = reinterpret_cast<char16_t*>(buffer_.get());
    text[buffer_size_ / 2 - 1] = 0;
    return text;
}

int32_t parameter::as_int() const {
    if (kind_ != number || indicator_ == -1)
        throw error(cannot_convert, ORALIB_HERE);
    int32_t value = 0;
    sword st = connection_->api().OCINumberToInt(connection_->error_handle(),
                                                 reinterpret_cast<const OCINumber*>(buffer_.get()), 4,
                                                 OCI_NUMBER_SIGNED, &value);
    if (st != OCI_SUCCESS)
        throw error(st, connection_->error_handle(), ORALIB_HERE);
    return value;
}

} // namespace oralib
