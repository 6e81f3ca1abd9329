// The dbms_output package of one session: an enabled flag, a byte limit (none for NULL), the
// completed lines, the pending partial line, and whether a read has happened since the last write.
#pragma once

#include "errors.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace orasim {

class dbms_output {
public:
    // ENABLE(n): NULL lifts the limit; below 2000 counts as 2000, above 1000000 as 1000000.
    void enable(std::optional<double> limit);
    // DISABLE: discards everything buffered.
    void disable();
    // PUT, PUT_LINE, NEW_LINE: no-ops while disabled; throw ORU-10027 / ORU-10028 (ORA-20000).
    void put(const std::string& text);
    void put_line(const std::string& text);
    void new_line();
    // GET_LINE: the next completed line (nullopt for a line that was empty) and status 0, or status 1.
    int get_line(std::optional<std::string>& line);

    bool enabled() const { return enabled_; }
    std::size_t buffered_bytes() const { return used_; }

private:
    bool enabled_ = false;
    std::optional<std::size_t> limit_;
    std::deque<std::string> lines_;
    std::string pending_;
    std::size_t used_ = 0; // text bytes of the unread lines and the pending one
    bool read_since_write_ = false;

    void before_write();
    void charge(std::size_t bytes, std::size_t line_length, bool from_put_line);
};

} // namespace orasim
