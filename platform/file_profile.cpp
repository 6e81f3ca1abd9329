#include "file_profile.h"

#include "text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A damaged or foreign file larger than this is not read; the profile then starts empty.
constexpr off_t max_file_size = 256 * 1024 * 1024;

std::u16string up_to_nul(std::u16string_view text) {
    return std::u16string(text.substr(0, text.find(u'\0')));
}

void put_escape(std::string& out, char16_t c) {
    static const char hex[] = "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(hex[(c >> shift) & 0xF]);
}

std::string escape(std::u16string_view text, bool is_name) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        bool special = c == u'\\' || (is_name && (c == u'=' || c == u'[' || c == u']' || c == u';'));
        if (c >= 0x20 && c <= 0x7E && !special)
            out.push_back(static_cast<char>(c));
        else
            put_escape(out, c);
    }
    return out;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// False for anything the writer never produces: a byte outside printable ASCII, a bad escape.
bool unescape(std::string_view text, std::u16string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b > 0x7E)
            return false;
        if (b != '\\') {
            out.push_back(static_cast<char16_t>(b));
            continue;
        }
        if (i + 6 > text.size())
            return false;
        if (text[i + 1] != 'u')
            return false;
        unsigned v = 0;
        for (size_t k = 2; k < 6; ++k) {
            int d = hex_digit(text[i + k]);
            if (d < 0)
                return false;
            v = v * 16 + static_cast<unsigned>(d);
        }
        out.push_back(static_cast<char16_t>(v));
        i += 5;
    }
    return true;
}

bool parse_int(std::string_view text, int& out) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 10)
        return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (negative)
        v = -v;
    // The registry keeps 32 unsigned bits; both readings of them are accepted.
    if (v < -2147483648LL || v > 4294967295LL)
        return false;
    out = static_cast<int>(static_cast<unsigned>(static_cast<long long>(v) & 0xFFFFFFFFLL));
    return true;
}

bool write_all(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool make_directories(const std::string& dir) {
    if (dir.empty())
        return true;
    struct stat st;
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !make_directories(dir.substr(0, slash)))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

file_profile::file_profile(std::string path) : path_(std::move(path)) {}

std::string file_profile::default_path(std::u16string_view application) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/.config";
    std::u16string name = up_to_nul(application);
    if (base.empty() || name.empty())
        return {};
    // Only the letters of the name pass into the file name; anything else becomes an underscore.
    std::string folder;
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c >= u'A' && c <= u'Z')
            folder.push_back(static_cast<char>(c - u'A' + u'a'));
        else if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.')
            folder.push_back(static_cast<char>(c));
        else
            folder.push_back('_');
    }
    if (folder == "." || folder == "..")
        folder = "_";
    return base + "/" + folder + "/profile.ini";
}

void file_profile::refresh() {
    if (batch_depth_ > 0 && loaded_)
        return;
    struct stat st;
    bool exists = !path_.empty() && ::stat(path_.c_str(), &st) == 0;
    long long mtime =
        exists ? static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec : 0;
    if (loaded_ && exists == seen_exists_ &&
        (!exists || (st.st_dev == seen_dev_ && st.st_ino == seen_ino_ && st.st_size == seen_size_ &&
                     mtime == seen_mtime_ns_)))
        return;
    sections_.clear();
    loaded_ = true;
    seen_exists_ = exists;
    if (!exists)
        return;
    seen_dev_ = st.st_dev;
    seen_ino_ = st.st_ino;
    seen_size_ = st.st_size;
    seen_mtime_ns_ = mtime;
    if (!S_ISREG(st.st_mode) || st.st_size > max_file_size)
        return;
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    std::string content;
    content.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || content.size() + static_cast<size_t>(n) > static_cast<size_t>(max_file_size))
            break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    parse(content);
}

void file_profile::parse(const std::string& content) {
    named_values* current = nullptr;
    size_t pos = 0;
    std::u16string name, text;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos)
            end = content.size();
        std::string_view line(content.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            current = nullptr;
            size_t close = line.find(']');
            if (close == std::string_view::npos || !unescape(line.substr(1, close - 1), name) || name.empty())
                continue;
            auto& s = sections_[ascii_upper(name)];
            if (s.name.empty())
                s.name = name;
            current = &s;
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos || !unescape(line.substr(0, eq), name) || name.empty())
            continue;
        std::string_view data = line.substr(eq + 1);
        value v;
        if (data.substr(0, 2) == "s:") {
            if (!unescape(data.substr(2), text))
                continue;
            v.text = up_to_nul(text);
        } else if (data.substr(0, 2) == "i:") {
            if (!parse_int(data.substr(2), v.number))
                continue;
            v.is_int = true;
        } else {
            continue;
        }
        current->values[ascii_upper(name)] = {name, std::move(v)};
    }
}

std::string file_profile::format() const {
    std::string out = "; Saved settings of this program. Lines that do not parse are ignored.\n";
    for (const auto& [key, section] : sections_) {
        if (section.values.empty())
            continue;
        out += "[" + escape(section.name, true) + "]\n";
        for (const auto& [vkey, entry] : section.values) {
            out += escape(entry.first, true);
            if (entry.second.is_int)
                out += "=i:" + std::to_string(entry.second.number) + "\n";
            else
                out += "=s:" + escape(entry.second.text, false) + "\n";
        }
    }
    return out;
}

bool file_profile::write_file() {
    if (path_.empty())
        return false;
    size_t slash = path_.find_last_of('/');
    if (slash != std::string::npos && !make_directories(path_.substr(0, slash)))
        return false;
    std::string temp = path_ + ".new-" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, format()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    struct stat st;
    if (::stat(path_.c_str(), &st) == 0) {
        seen_exists_ = true;
        seen_dev_ = st.st_dev;
        seen_ino_ = st.st_ino;
        seen_size_ = st.st_size;
        seen_mtime_ns_ = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }
    return true;
}

bool file_profile::store() {
    if (batch_depth_ > 0) {
        dirty_ = true;
        return true;
    }
    if (write_file())
        return true;
    // The model now holds what the file does not: read the file again next time.
    loaded_ = false;
    return false;
}

void file_profile::BeginBatch() {
    if (batch_depth_ == 0)
        refresh();
    ++batch_depth_;
}

bool file_profile::EndBatch() {
    if (batch_depth_ == 0 || --batch_depth_ > 0 || !dirty_)
        return true;
    dirty_ = false;
    return store();
}

const file_profile::value* file_profile::find(std::u16string_view section, std::u16string_view entry) {
    refresh();
    auto s = sections_.find(ascii_upper(up_to_nul(section)));
    if (s == sections_.end())
        return nullptr;
    auto v = s->second.values.find(ascii_upper(up_to_nul(entry)));
    return v == s->second.values.end() ? nullptr : &v->second.second;
}

bool file_profile::put(std::u16string_view section, std::u16string_view entry, value v) {
    std::u16string section_name = up_to_nul(section), entry_name = up_to_nul(entry);
    if (path_.empty() || section_name.empty() || entry_name.empty())
        return false;
    refresh();
    auto& s = sections_[ascii_upper(section_name)];
    if (s.name.empty())
        s.name = section_name;
    auto& slot = s.values[ascii_upper(entry_name)];
    if (slot.first.empty())
        slot.first = entry_name;
    slot.second = std::move(v);
    return store();
}

std::u16string file_profile::GetProfileString(std::u16string_view section, std::u16string_view entry,
                                              std::u16string_view fallback) {
    const value* v = find(section, entry);
    return v && !v->is_int ? v->text : std::u16string(fallback);
}

bool file_profile::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                      std::u16string_view text) {
    value v;
    v.text = up_to_nul(text);
    return put(section, entry, std::move(v));
}

int file_profile::GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) {
    const value* v = find(section, entry);
    return v && v->is_int ? v->number : fallback;
}

bool file_profile::WriteProfileInt(std::u16string_view section, std::u16string_view entry, int number) {
    value v;
    v.is_int = true;
    v.number = number;
    return put(section, entry, std::move(v));
}

bool file_profile::CleanState(std::u16string_view section) {
    std::u16string name = up_to_nul(section);
    if (path_.empty() || name.empty())
        return false;
    refresh();
    if (sections_.erase(ascii_upper(name)) == 0)
        return true;
    return store();
}

} // namespace platform
