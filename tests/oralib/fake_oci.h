// A scripted client library: records every call by name and answers with the statuses a test asks for.
#pragma once

#include "oci/loader.h"

#include <map>
#include <string>
#include <vector>

namespace fake_oci {

struct script {
    std::vector<std::string> calls;        // "OCIHandleAlloc(8)", "OCIAttrSet(22)", "OCISessionBegin(2)", ...
    std::map<std::string, sword> statuses; // a call (as recorded) -> status it returns; absent: OCI_SUCCESS
    std::string message = "ORA-01017: invalid username/password; logon denied\n";
    sb4 number = 1017;
    ub2 statement_type = OCI_STMT_BEGIN;
    std::string last_placeholder;
    std::string last_password;
};

// Resets the script and installs the fake as the process's client.
script& install();
const oci::functions& table();

} // namespace fake_oci
