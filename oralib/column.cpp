#include "column.h"

#include "connection.h"
#include "resultset.h"

namespace oralib {

namespace {

struct mapping {
    data_kind kind;
    ub2 define_type;
    bool refused;
};

mapping map_type(ub2 described) {
    switch (described) {
    case SQLT_NUM:
    case SQLT_INT:
    case SQLT_FLT:
    case SQLT_VNU:
    case SQLT_PDN:
    case SQLT_UIN:
        return {number, SQLT_VNU, false};
    case SQLT_DAT:
    case SQLT_ODT:
        return {date, SQLT_ODT, false};
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILEE:
    case SQLT_CFILEE:
        return {string, 0, true};
    default:
        // Character types, LONG and every other code are fetched as UTF-16 text.
        return {string, SQLT_STR, false};
    }
}

} // namespace

column::column(resultset* owner, const char* name, ub4 name_length, ub2 described_type, ub2 size, ub2 batch)
    : name_(name, name_length), resultset_(owner) {
    mapping m = map_type(described_type);
    if (m.refused)
        throw error(unsupported_type, ORALIB_HERE, name_);
    kind_ = m.kind;
    oracle_type_ = m.define_type;
    if (kind_ == number) {
        width_ = sizeof(OCINumber);
    } else if (kind_ == date) {
        width_ = sizeof(OCIDate);
    } else {
        // A LONG is described without a size: it gets the bound, and longer values arrive cut.
        if (described_type == SQLT_LNG)
            size = resultset::max_column_size;
        width_ = 2u * size + 2u;
    }
    indicators_.reset(new (std::nothrow) sb2[batch]());
    if (kind_ == string)
        lengths_.reset(new (std::nothrow) ub2[batch]());
    values_.reset(new (std::nothrow) ub1[static_cast<size_t>(batch) * width_]());
    if (!indicators_ || !values_ || (kind_ == string && !lengths_)) {
        indicators_.reset();
        lengths_.reset();
        values_.reset();
        throw error(memory_allocation, ORALIB_HERE, name_);
    }
}

void column::define(OCIStmt* stmt, ub4 position) {
    const connection& conn = *resultset_->connection_;
    const oci::functions& f = conn.api();
    sword st = f.OCIDefineByPos(stmt, &define_, conn.error_handle(), position, values_.get(),
                                static_cast<sb4>(width_), oracle_type_, indicators_.get(), lengths_.get(), nullptr,
                                OCI_DEFAULT);
    if (st != OCI_SUCCESS)
        throw error(st, conn.error_handle(), ORALIB_HERE, name_);
    if (kind_ == string) {
        ub4 charset = OCI_UTF16ID;
        st = f.OCIAttrSet(define_, OCI_HTYPE_DEFINE, &charset, 4, OCI_ATTR_CHARSET_ID, conn.error_handle());
        if (st != OCI_SUCCESS)
            throw error(st, conn.error_handle(), ORALIB_HERE, name_);
    }
}

ub4 column::slot() const { return resultset_->current_row % resultset_->rows_per_fetch_; }

bool column::is_null() const { return indicators_[slot()] == -1; }

void column::require(data_kind k) const {
    if (kind_ != k || indicators_[slot()] == -1)
        throw error(cannot_convert, ORALIB_HERE);
}

const char16_t* column::as_string() const {
    require(string);
    return reinterpret_cast<const char16_t*>(values_.get() + static_cast<size_t>(slot()) * width_);
}

const OCIDate& column::as_date() const {
    require(date);
    return *reinterpret_cast<const OCIDate*>(values_.get() + static_cast<size_t>(slot()) * width_);
}

const char* column::as_text(const char* format, ub4 format_length) {
    require(number);
    const connection& conn = *resultset_->connection_;
    ub4 size = sizeof(text_);
    sword st = conn.api().OCINumberToText(
        conn.error_handle(), reinterpret_cast<const OCINumber*>(values_.get() + static_cast<size_t>(slot()) * width_),
        reinterpret_cast<const OraText*>(format), format_length, nullptr, 0, &size,
        reinterpret_cast<OraText*>(text_));
    if (st != OCI_SUCCESS)
        throw error(st, conn.error_handle(), ORALIB_HERE);
    text_[size < sizeof(text_) ? size : sizeof(text_) - 1] = 0;
    return text_;
}

} // namespace oralib
