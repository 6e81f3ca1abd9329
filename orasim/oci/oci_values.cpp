// The client-side value functions: numbers, the client's clock, and the client's version.
#include "host.h"
#include "number.h"
#include "surface.h"

#include <cstring>

using namespace orasim;
using namespace orasim::oci;

extern "C" {

void OCINumberSetZero(OCIError*, OCINumber* num) {
    if (num)
        encode_number(decimal{}, *num);
}

sword OCINumberToInt(OCIError* err, const OCINumber* number, uword rsl_length, uword rsl_flag, void* rsl) {
    api_guard guard(runtime::get().mutex);
    error_handle* e = error_of(err);
    if (!e)
        return OCI_INVALID_HANDLE;
    e->errors.clear();
    if (local_fault("OCINumberToInt", e->errors))
        return OCI_ERROR;
    if (!number || !rsl || (rsl_flag != OCI_NUMBER_SIGNED && rsl_flag != OCI_NUMBER_UNSIGNED) ||
        (rsl_length != 1 && rsl_length != 2 && rsl_length != 4 && rsl_length != 8))
        return fail(e->errors, 21560);
    decimal d;
    if (decode_number(*number, d) != number_status::ok)
        return fail(e->errors, 22060);
    if (decimal_to_int(d, rsl_length, rsl_flag == OCI_NUMBER_SIGNED, rsl) != number_status::ok)
        return fail(e->errors, 22053);
    return OCI_SUCCESS;
}

sword OCINumberToText(OCIError* err, const OCINumber* number, const OraText* fmt, ub4 fmt_length,
                      const OraText* nls_params, ub4 nls_p_length, ub4* buf_size, OraText* buf) {
    api_guard guard(runtime::get().mutex);
    error_handle* e = error_of(err);
    if (!e)
        return OCI_INVALID_HANDLE;
    e->errors.clear();
    if (local_fault("OCINumberToText", e->errors))
        return OCI_ERROR;
    if (!number || !fmt || !buf_size || !buf)
        return fail(e->errors, 21560);
    if (nls_params && nls_p_length > 0)
        return fail(e->errors, 12702); // only the session's own settings are known here
    std::string format(reinterpret_cast<const char*>(fmt), fmt_length);
    for (char& c : format)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    bool scientific;
    if (format == "TM" || format == "TM9")
        scientific = false;
    else if (format == "TME")
        scientific = true;
    else
        return fail(e->errors, 22061);
    decimal d;
    if (decode_number(*number, d) != number_status::ok)
        return fail(e->errors, 22060);
    std::string text = text_minimum(d, scientific);
    if (text.size() > *buf_size)
        return fail(e->errors, 22065);
    std::memcpy(buf, text.data(), text.size());
    if (text.size() < *buf_size)
        buf[text.size()] = 0;
    *buf_size = static_cast<ub4>(text.size());
    return OCI_SUCCESS;
}

sword OCIDateSysDate(OCIError* err, OCIDate* sys_date) {
    api_guard guard(runtime::get().mutex);
    error_handle* e = error_of(err);
    if (!e)
        return OCI_INVALID_HANDLE;
    e->errors.clear();
    if (local_fault("OCIDateSysDate", e->errors))
        return OCI_ERROR;
    if (!sys_date)
        return fail(e->errors, 21560);
    local_time t = now_local();
    OCIDate d{};
    d.OCIDateYYYY = static_cast<sb2>(t.year);
    d.OCIDateMM = static_cast<ub1>(t.month);
    d.OCIDateDD = static_cast<ub1>(t.day);
    d.OCIDateTime.OCITimeHH = static_cast<ub1>(t.hour);
    d.OCIDateTime.OCITimeMI = static_cast<ub1>(t.minute);
    d.OCIDateTime.OCITimeSS = static_cast<ub1>(t.second);
    std::memcpy(sys_date, &d, sizeof d);
    return OCI_SUCCESS;
}

void OCIClientVersion(sword* major_version, sword* minor_version, sword* update_num, sword* patch_num,
                      sword* port_update_num) {
    const sword v[5] = {19, 3, 0, 0, 0};
    sword* out[5] = {major_version, minor_version, update_num, patch_num, port_update_num};
    for (int i = 0; i < 5; ++i)
        if (out[i])
            *out[i] = v[i];
}

} // extern "C"
