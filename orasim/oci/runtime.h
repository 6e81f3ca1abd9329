// The process's simulated server as the OCI surface sees it: the engine with its definition, loaded
// on first attach, and what every round trip passes through (count, trace, latency, faults, drops).
#pragma once

#include "engine/engine.h"
#include "faults.h"
#include "handles.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orasim::oci {

class runtime {
public:
    static runtime& get();

    // Held by every OCI call for its whole length (OCIBreak excepted).
    std::recursive_mutex mutex;

    // Loads the definition when none is loaded yet: the text given through the control API, else the
    // file named by ORASIM_DEFINITION, else orasim.txt in the library's folder. False with the error
    // an attach reports when there is none or it is malformed.
    bool ensure_loaded(ora_error& err);
    orasim::server& server() { return *server_; }

    // The control API's definition: replaces the catalog now. False with the loader's text.
    bool load_text(std::string_view text, std::string& error);
    // Back to the file: the next attach loads ORASIM_DEFINITION or orasim.txt.
    void forget_text() {
        given_text_.reset();
        loaded_ = false;
    }
    // Ends every session and connection, clears faults and counters, rereads the environment and
    // reloads the definition from its source.
    void reset();

    // One call that reaches the server. False with err filled when the call fails there: its connection
    // is dead (ORA-03114), it drops now (ORA-03113), a fault is due, or it was broken off (ORA-01013).
    bool round_trip(const char* function, std::string_view statement, connection* conn, ora_error& err);
    // A fault due on a call that stays in the client.
    std::optional<ora_error> local_fault(const char* function);

    unsigned long long round_trips() const { return round_trips_; }
    void reset_round_trips() { round_trips_ = 0; }

    fault_table& faults() { return faults_; }
    void set_latency(unsigned ms) { latency_ms_ = ms; }
    void set_trace(std::string path) { trace_path_ = std::move(path); }

    // OCIBreak: breaks off the round trip running on this connection, if any.
    void request_break(const connection* conn);

private:
    runtime();
    void read_environment();
    void end_all_sessions();

    std::unique_ptr<orasim::server> server_;
    bool loaded_ = false;
    std::optional<std::string> given_text_; // from the control API
    std::string config_error_;              // a malformed ORASIM_FAULTS or ORASIM_LATENCY_MS
    fault_table faults_;
    unsigned latency_ms_ = 0;
    std::string trace_path_;
    unsigned long long round_trips_ = 0;
    std::atomic<const connection*> running_{nullptr};
    std::atomic<bool> break_requested_{false};
};

} // namespace orasim::oci
