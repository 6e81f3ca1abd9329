#include "function_table.h"
#include "orasim_control.h"
#include "host.h"
#include "surface.h"

#include <string>

using namespace orasim;
using namespace orasim::oci;

namespace {

std::string& last_error() {
    static std::string* text = new std::string;
    return *text;
}

std::string& status_text() {
    static std::string* text = new std::string;
    return *text;
}

} // namespace

extern "C" {

int orasim_load_definition(const char* text) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    std::string why;
    if (!text) {
        rt.forget_text();
        return 0;
    }
    if (!rt.load_text(text, why)) {
        last_error() = why;
        return -1;
    }
    return 0;
}

const char* orasim_last_error(void) { return last_error().c_str(); }

void orasim_reset(void) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    rt.reset();
}

unsigned long long orasim_round_trips(void) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    return rt.round_trips();
}

void orasim_reset_round_trips(void) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    rt.reset_round_trips();
}

unsigned orasim_live_handles(void) { return static_cast<unsigned>(registry::get().size()); }

unsigned orasim_live_sessions(void) {
    api_guard guard(runtime::get().mutex);
    unsigned n = 0;
    registry::get().for_each([&n](handle* h) {
        if (h->type != OCI_HTYPE_SESSION)
            return;
        auto* s = static_cast<session_handle*>(h);
        if (s->session && s->conn && !s->conn->dead)
            ++n;
    });
    return n;
}

const char* orasim_object_status(const char* owner, const char* type, const char* name) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    ora_error ignored;
    if (!owner || !type || !name || !rt.ensure_loaded(ignored))
        status_text().clear();
    else
        status_text() = rt.server().object_status(owner, type, name);
    return status_text().c_str();
}

int orasim_inject_fault(const char* function, unsigned call, int code) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    if (!function || !fault_function_known(function)) {
        last_error() = std::string(function ? function : "(null)") + " is not an OCI function that can fail";
        return -1;
    }
    if (call == 0 || code <= 0 || code > 99999) {
        last_error() = "a fault needs a call from 1 and an ORA number from 1 to 99999";
        return -1;
    }
    rt.faults().add(fault{function, call, code, 0});
    return 0;
}

int orasim_set_faults(const char* spec) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    std::string why;
    auto plan = parse_faults(spec ? spec : "", why);
    if (!plan) {
        last_error() = why;
        return -1;
    }
    for (auto& f : plan->faults)
        rt.faults().add(f);
    if (plan->drop_at)
        rt.faults().arm_drop(plan->drop_at);
    return 0;
}

void orasim_drop_after(unsigned round_trips) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    rt.faults().arm_drop(round_trips);
}

void orasim_clear_faults(void) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    rt.faults().clear();
}

void orasim_set_latency_ms(unsigned ms) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    rt.set_latency(ms);
}

int orasim_set_trace_file(const char* path) {
    auto& rt = runtime::get();
    api_guard guard(rt.mutex);
    last_error().clear();
    std::string file = path ? path : "";
    if (!file.empty() && !append_to_file(file, "")) {
        last_error() = "the trace file " + file + " cannot be opened for writing";
        return -1;
    }
    rt.set_trace(file);
    return 0;
}

} // extern "C"

const ::oci::functions& orasim_function_table() {
    static const ::oci::functions table = [] {
        ::oci::functions t{};
#define ORASIM_FUNCTION(name) t.name = &::name;
        MENDWICK_OCI_FUNCTIONS(ORASIM_FUNCTION)
#undef ORASIM_FUNCTION
        return t;
    }();
    return table;
}
