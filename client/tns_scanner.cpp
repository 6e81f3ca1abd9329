#include "tns_scanner.h"

namespace {

bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

CTnsScanner::CTnsScanner(std::vector<std::u16string>& aliases) : aliases_(aliases) {}

bool CTnsScanner::Feed(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size && !stopped_; ++i) {
        char16_t c = static_cast<unsigned char>(bytes[i]);
        if (carriage_return_) {
            carriage_return_ = false;
            if (c == u'\n') {
                end_of_line();
                continue;
            }
            character(u'\r');
            if (stopped_)
                break;
        }
        if (c == u'\r')
            carriage_return_ = true;
        else if (c == u'\n')
            end_of_line();
        else
            character(c);
    }
    return !stopped_;
}

void CTnsScanner::Finish() {
    if (carriage_return_ && !stopped_)
        character(u'\r');
    carriage_return_ = false;
    stopped_ = true;
    name_.clear();
}

void CTnsScanner::end_of_line() {
    comment_ = false;
    // A `)` too many ends the reading once its line is done.
    if (depth_ < 0)
        stopped_ = true;
}

void CTnsScanner::character(char16_t c) {
    if (comment_)
        return;
    if (c == u'#') {
        comment_ = true;
        return;
    }
    if (in_entry_) {
        if (c == u'(') {
            ++depth_;
        } else if (c == u')') {
            if (--depth_ == 0)
                in_entry_ = false;
        }
        return;
    }
    if (c == u'=') {
        finish_name();
        in_entry_ = true;
        return;
    }
    append_to_name(c);
}

void CTnsScanner::append_to_name(char16_t c) {
    if (!name_has_content_) {
        if (is_blank(c)) {
            if (name_.size() < max_name_length)
                name_.push_back(c);
            return;
        }
        name_.clear();
        name_has_content_ = true;
    }
    if (name_cut_at_nul_)
        return;
    if (c == u'\0') {
        name_cut_at_nul_ = true;
        return;
    }
    if (name_.size() < max_name_length)
        name_.push_back(c);
}

void CTnsScanner::finish_name() {
    std::u16string name;
    name.swap(name_);
    // A name of blanks only stays as it is; otherwise the trailing blanks go, unless a NUL came after
    // them (the text after the NUL is what trimming would have cut at).
    if (name_has_content_ && !name_cut_at_nul_) {
        std::size_t end = name.size();
        while (end > 0 && is_blank(name[end - 1]))
            --end;
        name.resize(end);
    }
    for (char16_t& c : name)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    name_has_content_ = false;
    name_cut_at_nul_ = false;
    total_length_ += name.size();
    aliases_.push_back(std::move(name));
    if (++names_ >= max_names || total_length_ >= max_total_length)
        stopped_ = true;
}
