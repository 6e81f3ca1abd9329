// Environments, handle allocation and release, attributes, descriptors and error records.
#include "host.h"
#include "surface.h"

#include <cstring>

using namespace orasim;
using namespace orasim::oci;

namespace {

handle* allocate(env_handle* env, ub4 type) {
    switch (type) {
    case OCI_HTYPE_ERROR:
        return create<error_handle>(env, type, env);
    case OCI_HTYPE_SVCCTX:
        return create<svcctx_handle>(env, type, env);
    case OCI_HTYPE_STMT:
        return create<stmt_handle>(env, type, env);
    case OCI_HTYPE_SERVER:
        return create<server_handle>(env, type, env);
    case OCI_HTYPE_SESSION:
        return create<session_handle>(env, type, env);
    default:
        return nullptr;
    }
}

void give_user_memory(handle* h, size_t size, void** usrmempp) {
    if (size == 0 || !usrmempp)
        return;
    h->user_memory.assign(size, 0);
    *usrmempp = h->user_memory.data();
}

template <typename T> void put(void* attributep, T v) { std::memcpy(attributep, &v, sizeof v); }

template <typename T> T take(const void* attributep) {
    T v;
    std::memcpy(&v, attributep, sizeof v);
    return v;
}

void put_text(void* attributep, ub4* sizep, const std::string& text) {
    put(attributep, reinterpret_cast<const OraText*>(text.data()));
    if (sizep)
        *sizep = static_cast<ub4>(text.size());
}

bool valid_charset(ub2 id) { return id == 0 || id == OCI_UTF16ID || id == 873 /* AL32UTF8 */; }

sword get_attribute(handle* h, void* attributep, ub4* sizep, ub4 attr, records& errs) {
    switch (h->type) {
    case OCI_HTYPE_SVCCTX: {
        auto* svc = static_cast<svcctx_handle*>(h);
        if (attr == OCI_ATTR_SERVER) {
            put(attributep, static_cast<OCIServer*>(client_pointer(svc->server.get())));
            return OCI_SUCCESS;
        }
        if (attr == OCI_ATTR_SESSION) {
            put(attributep, static_cast<OCISession*>(client_pointer(svc->session.get())));
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_HTYPE_SERVER:
        if (attr == OCI_ATTR_NONBLOCKING_MODE) {
            put(attributep, static_cast<server_handle*>(h)->nonblocking);
            return OCI_SUCCESS;
        }
        break;
    case OCI_HTYPE_SESSION: {
        auto* s = static_cast<session_handle*>(h);
        if (attr == OCI_ATTR_USERNAME) {
            put_text(attributep, sizep, s->user_client);
            return OCI_SUCCESS;
        }
        break; // a password is never read back
    }
    case OCI_HTYPE_STMT: {
        auto* st = static_cast<stmt_handle*>(h);
        switch (attr) {
        case OCI_ATTR_STMT_TYPE:
            put<ub2>(attributep, st->stmt_type);
            return OCI_SUCCESS;
        case OCI_ATTR_PARAM_COUNT:
            put<ub4>(attributep, static_cast<ub4>(st->columns.size()));
            return OCI_SUCCESS;
        case OCI_ATTR_ROW_COUNT:
            put<ub4>(attributep, st->row_count);
            return OCI_SUCCESS;
        case OCI_ATTR_ROWS_FETCHED:
            put<ub4>(attributep, st->rows_fetched);
            return OCI_SUCCESS;
        case OCI_ATTR_PREFETCH_ROWS:
            put<ub4>(attributep, st->prefetch_rows);
            return OCI_SUCCESS;
        case OCI_ATTR_PREFETCH_MEMORY:
            put<ub4>(attributep, st->prefetch_memory);
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_HTYPE_BIND:
    case OCI_HTYPE_DEFINE: {
        bool bind = h->type == OCI_HTYPE_BIND;
        ub2 id = bind ? static_cast<bind_handle*>(h)->charset_id : static_cast<define_handle*>(h)->charset_id;
        ub1 form = bind ? static_cast<bind_handle*>(h)->charset_form : static_cast<define_handle*>(h)->charset_form;
        if (attr == OCI_ATTR_CHARSET_ID) {
            put<ub2>(attributep, id);
            return OCI_SUCCESS;
        }
        if (attr == OCI_ATTR_CHARSET_FORM) {
            put<ub1>(attributep, form);
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_DTYPE_PARAM: {
        auto* p = static_cast<param_handle*>(h);
        const column_info& c = p->column;
        bool text = c.type == SQLT_CHR || c.type == SQLT_AFC || c.type == SQLT_CLOB || c.type == SQLT_LNG;
        switch (attr) {
        case OCI_ATTR_NAME:
            put_text(attributep, sizep, p->name_client);
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_TYPE:
            put<ub2>(attributep, c.type);
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_SIZE:
            put<ub2>(attributep, c.size);
            return OCI_SUCCESS;
        case OCI_ATTR_PRECISION:
            put<sb2>(attributep, 0);
            return OCI_SUCCESS;
        case OCI_ATTR_SCALE:
            put<sb1>(attributep, c.type == SQLT_NUM ? -127 : 0);
            return OCI_SUCCESS;
        case OCI_ATTR_CHARSET_FORM:
            put<ub1>(attributep, text ? 1 : 0);
            return OCI_SUCCESS;
        case OCI_ATTR_CHAR_SIZE:
            put<ub2>(attributep, c.type == SQLT_CHR || c.type == SQLT_AFC ? c.size : 0);
            return OCI_SUCCESS;
        }
        break;
    }
    default:
        break;
    }
    return fail(errs, 24315);
}

sword set_attribute(handle* h, void* attributep, ub4 size, ub4 attr, records& errs) {
    switch (h->type) {
    case OCI_HTYPE_SVCCTX: {
        auto* svc = static_cast<svcctx_handle*>(h);
        if (attr == OCI_ATTR_SERVER || attr == OCI_ATTR_SESSION) {
            // The value is the handle itself, not a pointer to it.
            if (attr == OCI_ATTR_SERVER) {
                auto* s = attributep ? lookup<server_handle>(attributep, OCI_HTYPE_SERVER) : nullptr;
                if (attributep && !s)
                    return OCI_INVALID_HANDLE;
                svc->server.set(s);
            } else {
                auto* s = attributep ? lookup<session_handle>(attributep, OCI_HTYPE_SESSION) : nullptr;
                if (attributep && !s)
                    return OCI_INVALID_HANDLE;
                svc->session.set(s);
            }
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_HTYPE_SERVER:
        if (attr == OCI_ATTR_NONBLOCKING_MODE) {
            // Calls complete before they return, which a client in this mode must accept as well.
            static_cast<server_handle*>(h)->nonblocking = attributep ? take<ub1>(attributep) : 0;
            return OCI_SUCCESS;
        }
        break;
    case OCI_HTYPE_SESSION: {
        auto* s = static_cast<session_handle*>(h);
        if (attr == OCI_ATTR_USERNAME || attr == OCI_ATTR_PASSWORD) {
            std::string v = attributep ? std::string(static_cast<const char*>(attributep), size) : std::string();
            (attr == OCI_ATTR_USERNAME ? s->user_client : s->password_client) = std::move(v);
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_HTYPE_STMT: {
        auto* st = static_cast<stmt_handle*>(h);
        if (attr == OCI_ATTR_PREFETCH_ROWS || attr == OCI_ATTR_PREFETCH_MEMORY) {
            if (!attributep)
                return fail(errs, 21560);
            (attr == OCI_ATTR_PREFETCH_ROWS ? st->prefetch_rows : st->prefetch_memory) = take<ub4>(attributep);
            return OCI_SUCCESS;
        }
        break;
    }
    case OCI_HTYPE_BIND:
    case OCI_HTYPE_DEFINE: {
        bool bind = h->type == OCI_HTYPE_BIND;
        if (attr == OCI_ATTR_CHARSET_ID) {
            if (!attributep)
                return fail(errs, 21560);
            // A 16-bit value; callers that pass it in 4 bytes on a little-endian machine agree.
            ub2 id = take<ub2>(attributep);
            if (!valid_charset(id))
                return fail(errs, 12715);
            (bind ? static_cast<bind_handle*>(h)->charset_id : static_cast<define_handle*>(h)->charset_id) = id;
            return OCI_SUCCESS;
        }
        if (attr == OCI_ATTR_CHARSET_FORM) {
            if (!attributep)
                return fail(errs, 21560);
            ub1 form = take<ub1>(attributep);
            if (form != 1 && form != 2)
                return fail(errs, 12715);
            (bind ? static_cast<bind_handle*>(h)->charset_form : static_cast<define_handle*>(h)->charset_form) = form;
            return OCI_SUCCESS;
        }
        break;
    }
    default:
        break;
    }
    return fail(errs, 24315);
}

} // namespace

extern "C" {

sword OCIEnvCreate(OCIEnv** envhpp, ub4 mode, const void*, void* (*)(void*, size_t), void* (*)(void*, void*, size_t),
                   void (*)(void*, void*), size_t xtramemsz, void** usrmempp) {
    api_guard guard(runtime::get().mutex);
    if (!envhpp)
        return OCI_INVALID_HANDLE;
    auto* env = create<env_handle>(nullptr, mode);
    give_user_memory(env, xtramemsz, usrmempp);
    *envhpp = static_cast<OCIEnv*>(client_pointer(env));
    if (mode & OCI_UTF16) {
        // Every text of such an environment would be UTF-16; this client speaks its code page.
        env->errors.set({24300, message(24300)});
        return OCI_ERROR;
    }
    return OCI_SUCCESS;
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, size_t xtramem_sz, void** usrmempp) {
    api_guard guard(runtime::get().mutex);
    auto* env = lookup<env_handle>(parenth, OCI_HTYPE_ENV);
    if (!env)
        return OCI_INVALID_HANDLE;
    env->errors.clear();
    if (!hndlpp)
        return fail(env->errors, 21560);
    if (local_fault("OCIHandleAlloc", env->errors))
        return OCI_ERROR;
    handle* h = allocate(env, type);
    if (!h)
        return fail(env->errors, 24316);
    give_user_memory(h, xtramem_sz, usrmempp);
    *hndlpp = client_pointer(h);
    return OCI_SUCCESS;
}

sword OCIHandleFree(void* hndlp, ub4 type) {
    api_guard guard(runtime::get().mutex);
    handle* h = registry::get().find(hndlp);
    // Binds, defines and parameter descriptors go with their statement.
    if (!h || h->type != type || type == OCI_HTYPE_BIND || type == OCI_HTYPE_DEFINE || type == OCI_DTYPE_PARAM)
        return OCI_INVALID_HANDLE;
    destroy(h);
    return OCI_SUCCESS;
}

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp) {
    api_guard guard(runtime::get().mutex);
    handle* h = registry::get().find(trgthndlp);
    error_handle* err = error_of(errhp);
    if (!h || h->type != trghndltyp || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (local_fault("OCIAttrSet", err->errors))
        return OCI_ERROR;
    return set_attribute(h, attributep, size, attrtype, err->errors);
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp) {
    api_guard guard(runtime::get().mutex);
    handle* h = registry::get().find(trgthndlp);
    error_handle* err = error_of(errhp);
    if (!h || h->type != trghndltyp || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (!attributep)
        return fail(err->errors, 21560);
    if (local_fault("OCIAttrGet", err->errors))
        return OCI_ERROR;
    return get_attribute(h, attributep, sizep, attrtype, err->errors);
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
    api_guard guard(runtime::get().mutex);
    auto* st = htype == OCI_HTYPE_STMT ? lookup<stmt_handle>(hndlp, OCI_HTYPE_STMT) : nullptr;
    error_handle* err = error_of(errhp);
    if (!st || !err)
        return OCI_INVALID_HANDLE;
    err->errors.clear();
    if (!parmdpp)
        return fail(err->errors, 21560);
    if (local_fault("OCIParamGet", err->errors))
        return OCI_ERROR;
    if (pos < 1 || pos > st->columns.size())
        return fail(err->errors, 24334);
    auto* p = create<param_handle>(st, OCI_DTYPE_PARAM, st);
    p->column = st->columns[pos - 1];
    p->name_client = utf8_to_client(p->column.name);
    *parmdpp = client_pointer(p);
    return OCI_SUCCESS;
}

sword OCIDescriptorFree(void* descp, const ub4 type) {
    api_guard guard(runtime::get().mutex);
    handle* h = registry::get().find(descp);
    if (!h || h->type != type || type != OCI_DTYPE_PARAM)
        return OCI_INVALID_HANDLE;
    destroy(h);
    return OCI_SUCCESS;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type) {
    api_guard guard(runtime::get().mutex);
    records* r = nullptr;
    if (type == OCI_HTYPE_ERROR) {
        if (auto* e = lookup<error_handle>(hndlp, OCI_HTYPE_ERROR))
            r = &e->errors;
    } else if (type == OCI_HTYPE_ENV) {
        if (auto* e = lookup<env_handle>(hndlp, OCI_HTYPE_ENV))
            r = &e->errors;
    }
    if (!r)
        return OCI_INVALID_HANDLE;
    if (recordno < 1 || recordno > r->list.size())
        return OCI_NO_DATA;
    const ora_error& e = r->list[recordno - 1];
    if (errcodep)
        *errcodep = e.code;
    if (bufp && bufsiz > 0) {
        std::string text = utf8_to_client(e.text) + "\n";
        size_t n = text.size() < bufsiz - 1 ? text.size() : bufsiz - 1;
        std::memcpy(bufp, text.data(), n);
        bufp[n] = 0;
    }
    return OCI_SUCCESS;
}

} // extern "C"
