#include "runtime.h"

#include "host.h"
#include "messages.h"

#include <charconv>

namespace orasim::oci {

runtime& runtime::get() {
    // Never destroyed: a client may still hold sessions when the process ends.
    static runtime* r = new runtime;
    return *r;
}

runtime::runtime() : server_(std::make_unique<orasim::server>()) { read_environment(); }

void runtime::read_environment() {
    config_error_.clear();
    faults_.clear();
    trace_path_ = environment("ORASIM_TRACE").value_or("");
    latency_ms_ = 0;
    if (auto v = environment("ORASIM_LATENCY_MS"); v && !v->empty()) {
        unsigned ms = 0;
        auto r = std::from_chars(v->data(), v->data() + v->size(), ms);
        if (r.ec != std::errc() || r.ptr != v->data() + v->size())
            config_error_ = "ORASIM_LATENCY_MS: \"" + *v + "\" is not a number of milliseconds";
        else
            latency_ms_ = ms;
    }
    if (auto v = environment("ORASIM_FAULTS"); v && !v->empty()) {
        std::string why;
        auto plan = parse_faults(*v, why);
        if (!plan) {
            config_error_ = "ORASIM_FAULTS: " + why;
        } else {
            for (auto& f : plan->faults)
                faults_.add(f);
            if (plan->drop_at)
                faults_.arm_drop(plan->drop_at);
        }
    }
}

bool runtime::ensure_loaded(ora_error& err) {
    if (!config_error_.empty()) {
        err = {1034, message(1034) + "\n" + config_error_};
        return false;
    }
    if (loaded_)
        return true;
    std::string text, source, why;
    if (given_text_) {
        text = *given_text_;
        source = "definition";
    } else if (auto named = environment("ORASIM_DEFINITION"); named && !named->empty()) {
        source = *named;
        if (!read_file(source, text)) {
            err = {12154, message(12154) + "\n" + source + ": the definition cannot be read"};
            return false;
        }
    } else {
        std::string folder = module_folder();
        source = folder + "orasim.txt";
        if (folder.empty() || !read_file(source, text)) {
            err = {12154, message(12154)};
            return false;
        }
    }
    if (!server_->load(text, source, why)) {
        err = {1034, message(1034) + "\n" + why};
        return false;
    }
    loaded_ = true;
    return true;
}

bool runtime::load_text(std::string_view text, std::string& error) {
    given_text_ = std::string(text);
    loaded_ = server_->load(text, "definition", error);
    return loaded_;
}

void runtime::end_all_sessions() {
    registry::get().for_each([](handle* h) {
        if (h->type == OCI_HTYPE_SESSION) {
            auto* s = static_cast<session_handle*>(h);
            s->session.reset();
            if (s->conn)
                s->conn->dead = true;
        } else if (h->type == OCI_HTYPE_SERVER) {
            auto* s = static_cast<server_handle*>(h);
            if (s->conn)
                s->conn->dead = true;
        }
    });
}

void runtime::reset() {
    end_all_sessions();
    read_environment();
    round_trips_ = 0;
    loaded_ = false;
    if (given_text_) {
        std::string ignored;
        loaded_ = server_->load(*given_text_, "definition", ignored);
    }
}

bool runtime::round_trip(const char* function, std::string_view statement, connection* conn, ora_error& err) {
    if (conn && conn->dead) {
        err = {3114, message(3114)};
        return false;
    }
    ++round_trips_;
    if (!trace_path_.empty()) {
        std::string line = function;
        if (!statement.empty()) {
            line += '\t';
            line += statement;
        }
        line += '\n';
        append_to_file(trace_path_, line);
    }
    if (latency_ms_) {
        running_ = conn;
        for (unsigned slept = 0; slept < latency_ms_ && !break_requested_;) {
            unsigned slice = latency_ms_ - slept < 10 ? latency_ms_ - slept : 10;
            sleep_ms(slice);
            slept += slice;
        }
        running_ = nullptr;
        if (break_requested_.exchange(false)) {
            err = {1013, message(1013)};
            return false;
        }
    }
    if (faults_.round_trip()) {
        if (conn)
            conn->dead = true;
        err = {3113, message(3113)};
        return false;
    }
    if (auto code = faults_.call(function)) {
        if (*code == 3113 && conn)
            conn->dead = true;
        err = {*code, message(*code)};
        return false;
    }
    return true;
}

std::optional<ora_error> runtime::local_fault(const char* function) {
    if (auto code = faults_.call(function))
        return ora_error{*code, message(*code)};
    return std::nullopt;
}

void runtime::request_break(const connection* conn) {
    if (conn && running_.load() == conn)
        break_requested_ = true;
}

} // namespace orasim::oci
