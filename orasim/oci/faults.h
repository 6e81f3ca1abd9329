// Injected failures: the k-th call of a named OCI function fails with an ORA code, or the connection
// drops at the k-th round trip. The text form, as ORASIM_FAULTS takes it, is a comma-separated list
// of FUNCTION:K:CODE and drop:K items ("OCIStmtExecute:2:3113,OCISessionBegin:1:1017,drop:5").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orasim::oci {

struct fault {
    std::string function;
    unsigned call = 0; // the call that fails, counted from 1 since the fault was armed
    int code = 0;
    unsigned seen = 0;
};

struct fault_plan {
    std::vector<fault> faults;
    unsigned drop_at = 0; // 0: no drop armed
};

// Whether a fault may name this function: the OCI functions that report errors through a handle.
bool fault_function_known(std::string_view function);

// Parses the text form; on a malformed item returns none and says why.
std::optional<fault_plan> parse_faults(std::string_view spec, std::string& why);

class fault_table {
public:
    void add(fault f) { faults_.push_back(std::move(f)); }
    void arm_drop(unsigned at) {
        drop_at_ = at;
        drop_seen_ = 0;
    }
    void clear() {
        faults_.clear();
        drop_at_ = drop_seen_ = 0;
    }
    // Counts one call of the function; the code when this call is the one that fails.
    std::optional<int> call(std::string_view function);
    // Counts one round trip; true when the connection drops on it.
    bool round_trip();

private:
    std::vector<fault> faults_;
    unsigned drop_at_ = 0, drop_seen_ = 0;
};

} // namespace orasim::oci
