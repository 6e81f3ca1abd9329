#include "dbms_output.h"

#include <cmath>

namespace orasim {
namespace {

constexpr std::size_t max_line = 32767;

// The package's own frames follow the error: PUT raises it, PUT_LINE calls PUT.
[[noreturn]] void package_error(const std::string& text, bool from_put_line) {
    db_error e{20000, "ORA-20000: " + text, {}, no_pos};
    e.frames.push_back("ORA-06512: at \"SYS.DBMS_OUTPUT\", line 32");
    e.frames.push_back("ORA-06512: at \"SYS.DBMS_OUTPUT\", line 97");
    if (from_put_line) e.frames.push_back("ORA-06512: at \"SYS.DBMS_OUTPUT\", line 112");
    throw e;
}

} // namespace

void dbms_output::enable(std::optional<double> limit) {
    enabled_ = true;
    if (!limit) {
        limit_.reset();
        return;
    }
    double n = std::floor(*limit);
    if (n < 2000) n = 2000;
    if (n > 1000000) n = 1000000;
    limit_ = static_cast<std::size_t>(n);
}

void dbms_output::disable() {
    enabled_ = false;
    lines_.clear();
    pending_.clear();
    used_ = 0;
    read_since_write_ = false;
}

void dbms_output::before_write() {
    // The first write after a read throws away what was not read.
    if (read_since_write_) {
        lines_.clear();
        used_ = pending_.size();
        read_since_write_ = false;
    }
}

void dbms_output::charge(std::size_t bytes, std::size_t line_length, bool from_put_line) {
    if (line_length > max_line)
        package_error("ORU-10028: line length overflow, limit of 32767 bytes per line", from_put_line);
    if (limit_ && used_ + bytes > *limit_)
        package_error("ORU-10027: buffer overflow, limit of " + std::to_string(*limit_) + " bytes", from_put_line);
}

void dbms_output::put(const std::string& text) {
    if (!enabled_) return;
    before_write();
    charge(text.size(), pending_.size() + text.size(), false);
    pending_ += text;
    used_ += text.size();
}

void dbms_output::put_line(const std::string& text) {
    if (!enabled_) return;
    before_write();
    charge(text.size(), pending_.size() + text.size(), true);
    pending_ += text;
    used_ += text.size();
    lines_.push_back(std::move(pending_));
    pending_.clear();
}

void dbms_output::new_line() {
    if (!enabled_) return;
    before_write();
    lines_.push_back(std::move(pending_));
    pending_.clear();
}

int dbms_output::get_line(std::optional<std::string>& line) {
    line.reset();
    if (!enabled_) return 1;
    read_since_write_ = true;
    if (lines_.empty()) return 1;
    std::string l = std::move(lines_.front());
    lines_.pop_front();
    used_ -= l.size();
    if (!l.empty()) line = std::move(l);
    return 0;
}

} // namespace orasim
