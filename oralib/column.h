// One select-list column with the arrays the client library fetches its values into.
#pragma once

#include "data_kind.h"
#include "error.h"

#include <memory>
#include <string>

namespace oralib {

class resultset;

class column {
public:
    column(const column&) = delete;
    column& operator=(const column&) = delete;
    ~column() = default;

    // The current row's value as NUL-terminated UTF-16 text, a pointer into the value array, valid until
    // the next fetch. Throws error 1006 for NULL or another kind.
    const char16_t* as_string() const;
    // The current row's number as narrow text in the column's text buffer, valid until the next call.
    // Throws error 1006 for NULL or another kind; an Oracle error when the conversion fails.
    const char* as_text(const char* format = "TM", ub4 format_length = 2);
    // The current row's date. Throws error 1006 for NULL or another kind.
    const OCIDate& as_date() const;

    const std::string& name() const { return name_; }
    data_kind kind() const { return kind_; }
    ub2 oracle_type() const { return oracle_type_; }
    ub4 width() const { return width_; }
    bool is_null() const;

private:
    friend class resultset;
    column(resultset* owner, const char* name, ub4 name_length, ub2 described_type, ub2 size, ub2 batch);
    void define(OCIStmt* stmt, ub4 position);
    ub4 slot() const;
    void require(data_kind k) const;

    std::string name_;
    data_kind kind_ = string;
    ub2 oracle_type_ = SQLT_STR;
    ub4 width_ = 0;
    std::unique_ptr<sb2[]> indicators_;
    std::unique_ptr<ub2[]> lengths_;
    std::unique_ptr<ub1[]> values_;
    OCIDefine* define_ = nullptr;
    resultset* resultset_;
    char text_[65] = {};
};

} // namespace oralib
