// The application profile in a text file, for systems without a registry: the same sections, value
// names and the two value types (string and 32-bit integer) as the registry profile. Names compare
// without regard to the case of A-Z, as registry names do.
//
// File format, one line each, ASCII only:
//     [Section]
//     Name=s:text      a string
//     Name=i:-12       an integer
// Code units outside printable ASCII, and the backslash, are written as \uXXXX; `=`, `[`, `]` and `;`
// are escaped the same way inside names. Lines that do not parse are skipped, so a damaged file loses
// only its damaged lines. Every write replaces the file atomically (a new file, flushed, then renamed
// over the old one); the file is read again when another process has replaced it.
#pragma once

#include "profile.h"

#include <map>
#include <string>
#include <sys/types.h>

namespace platform {

class file_profile : public profile {
public:
    // `path` is the file's name in the system's narrow encoding; an empty path is a profile that reads
    // every value as absent and writes nothing.
    explicit file_profile(std::string path);

    // $XDG_CONFIG_HOME/<application>/profile.ini, or ~/.config/<application>/profile.ini, the
    // application's name in lower case; empty when neither directory is known.
    static std::string default_path(std::u16string_view application);

    const std::string& path() const { return path_; }

    std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view fallback = {}) override;
    bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view value) override;
    int GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) override;
    bool WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) override;
    bool CleanState(std::u16string_view section) override;
    void BeginBatch() override;
    bool EndBatch() override;

private:
    struct value {
        bool is_int = false;
        std::u16string text;
        int number = 0;
    };
    struct named_values {
        std::u16string name;                                               // as first written
        std::map<std::u16string, std::pair<std::u16string, value>> values; // key: name in capitals
    };

    void refresh();
    bool store(); // writes the model unless a batch holds it
    bool write_file();
    void parse(const std::string& content);
    std::string format() const;
    bool put(std::u16string_view section, std::u16string_view entry, value v);
    const value* find(std::u16string_view section, std::u16string_view entry);

    std::string path_;
    std::map<std::u16string, named_values> sections_; // key: section name in capitals
    bool loaded_ = false;
    // Identity of the file as last read or written, to notice a replacement by another process.
    bool seen_exists_ = false;
    dev_t seen_dev_ = 0;
    ino_t seen_ino_ = 0;
    off_t seen_size_ = 0;
    long long seen_mtime_ns_ = 0;
    int batch_depth_ = 0;
    bool dirty_ = false;
};

} // namespace platform
