// The message texts of the errors the OCI surface itself raises, and of the codes a fault may name.
#pragma once

#include <string>

namespace orasim::oci {

// "ORA-NNNNN: text" for a code whose text is known; empty otherwise.
std::string known_message(int code);

// The full text of a code: the known text, or "ORA-NNNNN: " followed by the fallback.
std::string message(int code, const char* fallback = "simulated failure");

} // namespace orasim::oci
