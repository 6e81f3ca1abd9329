#include "faults.h"

#include <charconv>

namespace orasim::oci {

namespace {

constexpr std::string_view fault_functions[] = {
    "OCIHandleAlloc", "OCIServerAttach", "OCIServerDetach", "OCIAttrSet",     "OCIAttrGet",
    "OCISessionBegin", "OCISessionEnd",  "OCIStmtPrepare",  "OCIStmtExecute", "OCIStmtFetch",
    "OCIBindByName",  "OCIDefineByPos",  "OCIParamGet",     "OCINumberToInt", "OCINumberToText",
    "OCIDateSysDate", "OCIBreak",        "OCIPing",
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool to_number(std::string_view s, unsigned& out) {
    s = trim(s);
    if (s.empty())
        return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

bool fault_function_known(std::string_view function) {
    for (auto f : fault_functions)
        if (f == function)
            return true;
    return false;
}

std::optional<fault_plan> parse_faults(std::string_view spec, std::string& why) {
    fault_plan plan;
    while (!trim(spec).empty()) {
        size_t comma = spec.find(',');
        std::string_view item = trim(spec.substr(0, comma));
        spec = comma == std::string_view::npos ? std::string_view() : spec.substr(comma + 1);
        if (item.empty())
            continue;
        std::vector<std::string_view> parts;
        for (size_t start = 0;;) {
            size_t colon = item.find(':', start);
            parts.push_back(trim(item.substr(start, colon - start)));
            if (colon == std::string_view::npos)
                break;
            start = colon + 1;
        }
        std::string quoted = "\"" + std::string(item) + "\"";
        if (parts[0] == "drop") {
            unsigned at = 0;
            if (parts.size() != 2 || !to_number(parts[1], at) || at == 0) {
                why = "fault " + quoted + ": expected drop:K with K a round trip from 1";
                return std::nullopt;
            }
            plan.drop_at = at;
            continue;
        }
        unsigned call = 0, code = 0;
        if (parts.size() != 3 || !to_number(parts[1], call) || call == 0 || !to_number(parts[2], code) ||
            code == 0 || code > 99999) {
            why = "fault " + quoted + ": expected FUNCTION:K:CODE with K a call from 1 and CODE an ORA number";
            return std::nullopt;
        }
        if (!fault_function_known(parts[0])) {
            why = "fault " + quoted + ": " + std::string(parts[0]) + " is not an OCI function that can fail";
            return std::nullopt;
        }
        plan.faults.push_back(fault{std::string(parts[0]), call, static_cast<int>(code), 0});
    }
    return plan;
}

std::optional<int> fault_table::call(std::string_view function) {
    std::optional<int> due;
    for (auto it = faults_.begin(); it != faults_.end();) {
        if (it->function != function) {
            ++it;
            continue;
        }
        if (++it->seen == it->call) {
            if (!due)
                due = it->code;
            it = faults_.erase(it);
        } else {
            ++it;
        }
    }
    return due;
}

bool fault_table::round_trip() {
    if (drop_at_ == 0)
        return false;
    if (++drop_seen_ < drop_at_)
        return false;
    drop_at_ = drop_seen_ = 0;
    return true;
}

} // namespace orasim::oci
