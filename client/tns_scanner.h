// The alias scanner of a TNS names file. An alias is whatever stands in front of an `=` at the outer
// level; the parenthesised description after it is skipped by counting parentheses. `#` ends a line's
// scanning in any state. Bytes become the UTF-16 code units of the same value, and a carriage return
// before a line feed is dropped. Names are trimmed of blanks (space, tab, CR, LF) and put in capitals
// (A-Z only, cut at a NUL). The scanner is fed the file in pieces of any size and keeps only the name
// being collected, so it runs in time linear in the file and in bounded memory:
// - a name keeps at most max_name_length code units (past its leading blanks);
// - the scan stops once it has produced max_names names or max_total_length code units of names.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CTnsScanner {
public:
    static constexpr std::size_t max_name_length = 4096;
    static constexpr std::size_t max_names = 100000;
    static constexpr std::size_t max_total_length = std::size_t(1) << 22;

    // Names are appended to `aliases`, in the order of their `=` signs.
    explicit CTnsScanner(std::vector<std::u16string>& aliases);

    // The next bytes of the file. False once the scan has stopped: the rest of the file is not needed.
    bool Feed(const char* bytes, std::size_t size);
    // The end of the file: a name that no `=` finished is dropped.
    void Finish();
    bool Stopped() const { return stopped_; }

private:
    void character(char16_t c);
    void end_of_line();
    void append_to_name(char16_t c);
    void finish_name();

    std::vector<std::u16string>& aliases_;
    std::size_t names_ = 0;
    std::size_t total_length_ = 0;
    bool stopped_ = false;
    bool carriage_return_ = false; // a CR was read; it is a character unless a LF follows
    bool comment_ = false;         // the rest of the line is skipped
    bool in_entry_ = false;
    long long depth_ = 0;
    // The pending name. Leading blanks are dropped as soon as anything else arrives (trimming would
    // drop them), and nothing after a NUL is kept (capitals stop there).
    std::u16string name_;
    bool name_has_content_ = false;
    bool name_cut_at_nul_ = false;
};
