// Preparing, binding, executing and fetching statements.
#include "convert.h"
#include "host.h"
#include "surface.h"

#include <algorithm>
#include <cstring>
#include <set>

using namespace orasim;
using namespace orasim::oci;

namespace orasim::oci {

std::string placeholder_key(std::string_view name) {
    if (!name.empty() && name.front() == ':')
        name.remove_prefix(1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return std::string(name.substr(1, name.size() - 2));
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

bool has_placeholder(std::string_view t, const std::string& key) {
    auto word = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
               c == '#' || static_cast<unsigned char>(c) >= 0x80;
    };
    size_t i = 0;
    while (i < t.size()) {
        char c = t[i];
        if (c == '\'' || c == '"') {
            size_t close = t.find(c, i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close + 1;
        } else if (c == '-' && i + 1 < t.size() && t[i + 1] == '-') {
            size_t end = t.find('\n', i);
            i = end == std::string_view::npos ? t.size() : end + 1;
        } else if (c == '/' && i + 1 < t.size() && t[i + 1] == '*') {
            size_t end = t.find("*/", i + 2);
            i = end == std::string_view::npos ? t.size() : end + 2;
        } else if (c == ':') {
            size_t start = ++i;
            if (i < t.size() && t[i] == '"') {
                size_t close = t.find('"', i + 1);
                if (close == std::string_view::npos)
                    return false;
                if (t.substr(i + 1, close - i - 1) == key)
                    return true;
                i = close + 1;
                continue;
            }
            while (i < t.size() && word(t[i]))
                ++i;
            if (i > start && placeholder_key(t.substr(start, i - start)) == key)
                return true;
        } else {
            ++i;
        }
    }
    return false;
}

} // namespace orasim::oci

namespace {

bool is_plsql(ub2 stmt_type) {
    return stmt_type == OCI_STMT_BEGIN || stmt_type == OCI_STMT_DECLARE || stmt_type == OCI_STMT_CALL;
}

template <typename T> T* element(T* base, size_t i) { return base ? base + i : nullptr; }

cell bind_cell(const bind_handle* b, size_t i) {
    return {static_cast<unsigned char*>(b->valuep) + i * static_cast<size_t>(b->value_sz > 0 ? b->value_sz : 0),
            b->value_sz, b->dty, b->charset_id == OCI_UTF16ID};
}

// The cursor a SQLT_RSET bind names: the statement handle stored at its address.
stmt_handle* bound_cursor(const bind_handle* b) {
    if (!b->valuep)
        return nullptr;
    void* p = nullptr;
    std::memcpy(&p, b->valuep, sizeof p);
    return lookup<stmt_handle>(p, OCI_HTYPE_STMT);
}

// The binds in force: the latest one of each name.
std::vector<bind_handle*> binds_in_force(const stmt_handle* st) {
    std::vector<bind_handle*> out;
    std::set<std::string> seen;
    for (auto it = st->binds.rbegin(); it != st->binds.rend(); ++it)
        if (seen.insert((*it)->key).second)
            out.push_back(*it);
    return out;
}

// Reads the input values of iteration i. Returns 0 or an ORA code.
int read_binds(const std::vector<bind_handle*>& binds, size_t i, bind_map& out) {
    for (const bind_handle* b : binds) {
        if (b->dty == SQLT_RSET) {
            if (!bound_cursor(b))
                return 1001;
            out[b->key] = value::make_null();
            continue;
        }
        const sb2* ind = element(b->indp, i);
        if (ind && *ind == OCI_IND_NULL) {
            out[b->key] = value::make_null();
            continue;
        }
        const ub2* alen = element(b->alenp, i);
        value v;
        if (int code = read_value(bind_cell(b, i), alen ? *alen : static_cast<ub4>(b->value_sz), v))
            return code;
        if (v.kind == value::text && v.str.empty())
            v = value::make_null(); // an empty string is NULL to the server
        out[b->key] = std::move(v);
    }
    return 0;
}

bool same_value(const value& a, const value& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case value::number: return a.num == b.num;
    case value::text: return a.str == b.str;
    case value::date:
        return a.dt.year == b.dt.year && a.dt.month == b.dt.month && a.dt.day == b.dt.day && a.dt.hour == b.dt.hour &&
               a.dt.minute == b.dt.minute && a.dt.second == b.dt.second;
    default: return true;
    }
}

// Writes the values a PL/SQL block changed in its placeholders. Returns 0 or an ORA code.
int write_binds(const std::vector<bind_handle*>& binds, size_t i, const bind_map& inputs, const bind_map& values) {
    for (bind_handle* b : binds) {
        if (b->dty == SQLT_RSET) {
            // The engine hands back no open cursor: the bound statement stays unexecuted.
            if (stmt_handle* cur = bound_cursor(b))
                cur->forget_result();
            continue;
        }
        auto it = values.find(b->key);
        if (it == values.end())
            continue;
        if (auto in = inputs.find(b->key); in != inputs.end() && same_value(in->second, it->second))
            continue; // left as it came: the client's buffer already holds it
        sb2* ind = element(b->indp, i);
        ub2* alen = element(b->alenp, i);
        ub2* rcode = element(b->rcodep, i);
        if (it->second.is_null()) {
            if (!ind)
                return 1405;
            *ind = OCI_IND_NULL;
            if (alen)
                *alen = 0;
            if (rcode)
                *rcode = 1405;
            continue;
        }
        write_result w = write_value(it->second, bind_cell(b, i));
        if (w.error)
            return w.error;
        if (w.truncated)
            return 6502; // the variable is too small for the value the block assigned
        if (ind)
            *ind = OCI_IND_NOTNULL;
        if (alen)
            *alen = static_cast<ub2>(w.length > 0xFFFF ? 0xFFFF : w.length);
        if (rcode)
            *rcode = 0;
    }
    return 0;
}

// Delivers up to nrows rows into the defines, as a fetch does.
sword deliver(stmt_handle* st, ub4 nrows, records& errs) {
    st->rows_fetched = 0;
    if (!st->columns.empty() && st->defines.empty())
        return fail(errs, 24374);
    for (auto& [pos, d] : st->defines)
        if (pos > st->columns.size())
            return fail(errs, 1007);
    ub4 n = 0;
    bool truncated = false;
    while (n < nrows && st->position < st->rows.size()) {
        const auto& row = st->rows[st->position++];
        int code = 0;
        for (auto& [pos, d] : st->defines) {
            const value& v = row[pos - 1];
            sb2* ind = element(d->indp, n);
            ub2* rlen = element(d->rlenp, n);
            ub2* rcode = element(d->rcodep, n);
            if (v.is_null()) {
                if (!ind) {
                    code = 1405;
                    break;
                }
                *ind = OCI_IND_NULL; // the value buffer keeps what it held
                if (rlen)
                    *rlen = 0;
                if (rcode)
                    *rcode = 1405;
                continue;
            }
            cell c{static_cast<unsigned char*>(d->valuep) + static_cast<size_t>(n) * static_cast<size_t>(d->value_sz),
                   d->value_sz, d->dty, d->charset_id == OCI_UTF16ID};
            write_result w = write_value(v, c);
            if (w.error) {
                code = w.error;
                break;
            }
            if (ind)
                *ind = w.truncated ? static_cast<sb2>(w.full_length > 32767 ? -2 : static_cast<int>(w.full_length))
                                   : OCI_IND_NOTNULL;
            if (rlen)
                *rlen = static_cast<ub2>(w.length > 0xFFFF ? 0xFFFF : w.length);
            if (rcode)
                *rcode = w.truncated ? 1406 : 0;
            truncated = truncated || w.truncated;
        }
        if (code) {
            st->rows_fetched = n;
            st->row_count += n;
            return fail(errs, code);
        }
        ++n;
    }
    st->rows_fetched = n;
    st->row_count += n;
    if (truncated)
        errs.set({1406, message(1406)});
    if (n < nrows)
        return OCI_NO_DATA;
    return truncated ? OCI_SUCCESS_WITH_INFO : OCI_SUCCESS;
}

} // namespace

extern "C" {

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode) {
    api_guard guard(runtime::get().mutex);
    auto* st = lookup<stmt_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* err = error_of(errhp);
    if (!st || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (local_fault("OCIStmtPrepare", err->errors))
        return OCI_ERROR;
    if (language < 1 || language > 3 || mode != OCI_DEFAULT)
        return fail(err->errors, 24300);
    if (!stmt || stmt_len == 0)
        return fail(err->errors, 24373);
    // A new text: the binds, defines and parameters of the old one go.
    while (!st->children.empty())
        destroy(st->children.back());
    st->forget_result();
    st->text = client_to_utf8(std::string_view(reinterpret_cast<const char*>(stmt), stmt_len));
    st->stmt_type = orasim::statement_type(st->text);
    st->prepared = true;
    return OCI_SUCCESS;
}

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder, sb4 placeh_len,
                    void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                    ub4*, ub4 mode) {
    api_guard guard(runtime::get().mutex);
    auto* st = lookup<stmt_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* err = error_of(errhp);
    if (!st || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (!bindpp || value_sz < 0)
        return fail(err->errors, 21560);
    if (local_fault("OCIBindByName", err->errors))
        return OCI_ERROR;
    if (!st->prepared)
        return fail(err->errors, 24337);
    if (mode != OCI_DEFAULT)
        return fail(err->errors, 24300);
    if (!bind_type_supported(dty) || maxarr_len != 0)
        return fail(err->errors, 3115);
    if (!placeholder || placeh_len <= 0)
        return fail(err->errors, 1036);
    std::string name =
        client_to_utf8(std::string_view(reinterpret_cast<const char*>(placeholder), static_cast<size_t>(placeh_len)));
    std::string key = placeholder_key(name);
    if (key.empty() || !has_placeholder(st->text, key))
        return fail(err->errors, 1036);
    if (!valuep && dty != SQLT_RSET)
        return fail(err->errors, 21560);
    bind_handle* b = lookup<bind_handle>(*bindpp, OCI_HTYPE_BIND);
    if (b && b->parent == st) {
        // Rebinding a handle of this statement: it becomes the latest bind of its name.
        st->binds.erase(std::find(st->binds.begin(), st->binds.end(), b));
    } else {
        b = create<bind_handle>(st, OCI_HTYPE_BIND, st);
    }
    st->binds.push_back(b);
    b->key = key;
    b->valuep = valuep;
    b->value_sz = value_sz;
    b->dty = dty;
    b->indp = static_cast<sb2*>(indp);
    b->alenp = alenp;
    b->rcodep = rcodep;
    *bindpp = static_cast<OCIBind*>(client_pointer(b));
    return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                     ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
    api_guard guard(runtime::get().mutex);
    auto* st = lookup<stmt_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* err = error_of(errhp);
    if (!st || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (local_fault("OCIDefineByPos", err->errors))
        return OCI_ERROR;
    if (mode != OCI_DEFAULT && mode != 0x80 /* soft define */)
        return fail(err->errors, 24300);
    if (position < 1 || (st->executed && position > st->columns.size()))
        return fail(err->errors, 1007);
    if (!define_type_supported(dty))
        return fail(err->errors, 3115);
    if (!valuep || value_sz < 0)
        return fail(err->errors, 21560);
    define_handle* d = defnpp ? lookup<define_handle>(*defnpp, OCI_HTYPE_DEFINE) : nullptr;
    if (!d || d->parent != st)
        d = nullptr;
    auto old = st->defines.find(position);
    if (old != st->defines.end() && old->second != d)
        destroy(old->second); // a new define of a position replaces the old one
    if (!d) {
        d = create<define_handle>(st, OCI_HTYPE_DEFINE, st);
    } else {
        for (auto it = st->defines.begin(); it != st->defines.end();)
            it = it->second == d ? st->defines.erase(it) : std::next(it);
    }
    st->defines[position] = d;
    d->position = position;
    d->valuep = valuep;
    d->value_sz = value_sz;
    d->dty = dty;
    d->indp = static_cast<sb2*>(indp);
    d->rlenp = rlenp;
    d->rcodep = rcodep;
    if (defnpp)
        *defnpp = static_cast<OCIDefine*>(client_pointer(d));
    return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff, const OCISnapshot*,
                     OCISnapshot*, ub4 mode) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* svc = lookup<svcctx_handle>(svchp, OCI_HTYPE_SVCCTX);
    auto* st = lookup<stmt_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* err = error_of(errhp);
    if (!svc || !st || !err)
        return OCI_INVALID_HANDLE;
    records& errs = err->errors;
    errs.clear();
    if (!st->prepared)
        return fail(errs, 24337);
    if (mode & ~(OCI_COMMIT_ON_SUCCESS | OCI_DESCRIBE_ONLY))
        return fail(errs, 24300);
    server_handle* srv = svc->server.get();
    session_handle* ses = svc->session.get();
    if (!srv || !srv->conn)
        return fail(errs, 3114);
    if (!ses || !ses->session)
        return fail(errs, srv->conn->dead ? 3114 : 1012);
    const bool query = st->stmt_type == OCI_STMT_SELECT;
    if (!query && iters <= rowoff)
        return fail(errs, 24333);
    ora_error e;
    if (!rt.round_trip("OCIStmtExecute", st->first_line(), srv->conn.get(), e))
        return fail(errs, e);
    st->forget_result();
    auto binds = binds_in_force(st);
    std::optional<ora_error> warning;

    if (query) {
        bind_map values;
        if (int code = read_binds(binds, 0, values))
            return fail(errs, code);
        orasim::result r = ses->session->execute(st->text, values);
        if (!r.ok)
            return fail(errs, r.error);
        if (r.with_info)
            warning = r.error;
        st->executed = true;
        st->is_query = true;
        st->columns = std::move(r.columns);
        st->conn = srv->conn;
        st->session.set(ses);
        if (mode & OCI_DESCRIBE_ONLY)
            return OCI_SUCCESS; // described, not run: nothing to fetch
        st->rows = std::move(r.rows);
        st->open = true;
        if (iters > 0) {
            sword s = deliver(st, iters, errs);
            if (s != OCI_SUCCESS)
                return s;
        }
    } else {
        if (mode & OCI_DESCRIBE_ONLY) {
            st->executed = true;
            return OCI_SUCCESS;
        }
        for (ub4 i = rowoff; i < iters; ++i) {
            bind_map values;
            if (int code = read_binds(binds, i, values))
                return fail(errs, code);
            const bind_map inputs = values;
            orasim::result r = ses->session->execute(st->text, values);
            if (!r.ok)
                return fail(errs, r.error);
            if (r.with_info)
                warning = r.error;
            if (is_plsql(st->stmt_type))
                if (int code = write_binds(binds, i, inputs, values))
                    return fail(errs, code);
        }
        st->executed = true;
        st->conn = srv->conn;
        st->session.set(ses);
    }
    if (warning) {
        errs.set(*warning);
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    auto* st = lookup<stmt_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* err = error_of(errhp);
    if (!st || !err)
        return OCI_INVALID_HANDLE;
    records& errs = err->errors;
    errs.clear();
    if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT)
        return fail(errs, 24391);
    if (!st->executed)
        return fail(errs, 24338);
    if (!st->is_query)
        return fail(errs, 1002);
    session_handle* ses = st->session.get();
    if (!st->conn || st->conn->dead)
        return fail(errs, 3114);
    if (!ses || !ses->session)
        return fail(errs, 1012);
    ora_error e;
    if (!rt.round_trip("OCIStmtFetch", st->first_line(), st->conn.get(), e))
        return fail(errs, e);
    if (nrows == 0) { // cancels the cursor
        st->open = false;
        st->rows.clear();
        st->rows_fetched = 0;
        return OCI_SUCCESS;
    }
    if (!st->open)
        return fail(errs, 1002);
    return deliver(st, nrows, errs);
}

} // extern "C"
