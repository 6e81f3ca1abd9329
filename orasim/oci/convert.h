// Values between the engine and the client's buffers, in the external types a bind or define names.
#pragma once

#include "engine/engine.h"
#include "oci/oci.h"

#include <string>

namespace orasim::oci {

// One element of a client buffer.
struct cell {
    void* data;
    sb4 size;   // capacity in bytes
    ub2 dty;    // SQLT_*
    bool utf16; // text in UTF-16 (OCI_ATTR_CHARSET_ID 1000) rather than the client's narrow encoding
};

bool define_type_supported(ub2 dty);
bool bind_type_supported(ub2 dty);

struct write_result {
    int error = 0;          // an ORA code when the value cannot be given in this type
    bool truncated = false; // text cut to fit
    ub4 full_length = 0;    // bytes the whole value needs (without a terminator)
    ub4 length = 0;         // bytes written (without a terminator)
};

// Writes a non-NULL value into the cell.
write_result write_value(const value& v, const cell& c);

// Reads the value of an input cell; length is the byte count the client gave (alenp), or the capacity.
// Returns 0 or an ORA code.
int read_value(const cell& c, ub4 length, value& out);

// A date as Oracle's default NLS_DATE_FORMAT shows it: DD-MON-RR.
std::string default_date_text(const date_value& d);

} // namespace orasim::oci
