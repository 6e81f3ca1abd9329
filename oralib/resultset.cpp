#include "resultset.h"

#include "connection.h"

namespace oralib {

resultset::resultset(OCIStmt* stmt, connection* conn, ub2 rows_per_fetch)
    : connection_(conn), statement_(stmt), rows_per_fetch_(rows_per_fetch) {
    describe();
    ub4 position = 1;
    for (auto& c : columns_)
        c->define(statement_, position++);
}

resultset::~resultset() {
    index_.clear();
    columns_.clear(); // define handles stay with the statement handle
}

ub4 resultset::column_count() const {
    ub4 count = 0;
    sword st = connection_->api().OCIAttrGet(statement_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT,
                                             connection_->error_handle());
    if (st != OCI_SUCCESS)
        throw error(st, connection_->error_handle(), ORALIB_HERE);
    return count;
}

void resultset::describe() {
    const oci::functions& f = connection_->api();
    OCIError* err = connection_->error_handle();
    ub4 count = column_count();
    columns_.reserve(count);
    for (ub4 position = 1; position <= count; ++position) {
        void* param = nullptr;
        OraText* name = nullptr;
        ub4 name_length = 0;
        ub2 type = 0;
        ub2 size = 0;
        sword st = f.OCIParamGet(statement_, OCI_HTYPE_STMT, err, &param, position);
        if (st == OCI_SUCCESS)
            st = f.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_length, OCI_ATTR_NAME, err);
        if (st == OCI_SUCCESS)
            st = f.OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err);
        if (st == OCI_SUCCESS)
            st = f.OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err);
        if (size > max_column_size)
            size = max_column_size;
        if (st != OCI_SUCCESS) {
            // The text is read before the descriptor goes, so that it names this failure.
            error e(st, err, ORALIB_HERE);
            if (param)
                f.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
            throw e;
        }
        // The name belongs to the descriptor: the column copies it before the descriptor is freed.
        std::unique_ptr<column> c;
        try {
            c.reset(new column(this, reinterpret_cast<const char*>(name), name_length, type, size, rows_per_fetch_));
        } catch (...) {
            f.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
            throw;
        }
        f.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
        index_[c->name()] = c.get();
        columns_.push_back(std::move(c));
    }
}

void resultset::fetch() {
    const oci::functions& f = connection_->api();
    OCIError* err = connection_->error_handle();
    sword st = f.OCIStmtFetch(statement_, err, rows_per_fetch_, OCI_FETCH_NEXT, OCI_DEFAULT);
    if (st != OCI_SUCCESS && st != OCI_SUCCESS_WITH_INFO && st != OCI_NO_DATA)
        throw error(st, err, ORALIB_HERE);
    ub4 count = 0;
    st = f.OCIAttrGet(statement_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_ROW_COUNT, err);
    if (st != OCI_SUCCESS)
        throw error(st, err, ORALIB_HERE);
    if (count - rows_fetched != rows_per_fetch_)
        end_of_data = true;
    rows_fetched = count;
}

bool resultset::next() {
    ++current_row;
    if (current_row == rows_fetched && !end_of_data)
        fetch();
    return current_row < rows_fetched;
}

column* resultset::get_column(const char* name) const {
    auto it = index_.find(name);
    if (it == index_.end())
        throw error(column_not_found, ORALIB_HERE, name);
    return it->second;
}

column* resultset::first_column() const { return columns_.empty() ? nullptr : columns_.front().get(); }

column* resultset::next_column(const column* c) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].get() == c)
            return i + 1 < columns_.size() ? columns_[i + 1].get() : nullptr;
    return nullptr;
}

column* resultset::column_at(size_t position) const {
    return position < columns_.size() ? columns_[position].get() : nullptr;
}

} // namespace oralib
