// An in-memory profile with the registry's rules: two value types, names without regard to the case
// of A-Z, a text stored up to its first NUL. It keeps the order of writes and can refuse to clean.
#pragma once

#include "profile.h"
#include "text.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

class fake_profile : public platform::profile {
public:
    using value = std::variant<std::u16string, int>;

    std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view fallback = {}) override {
        const value* v = find(section, entry);
        return v && v->index() == 0 ? std::get<0>(*v) : std::u16string(fallback);
    }
    bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view text) override {
        writes.push_back(std::u16string(entry));
        put(section, entry, std::u16string(text.substr(0, text.find(u'\0'))));
        return true;
    }
    int GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) override {
        const value* v = find(section, entry);
        return v && v->index() == 1 ? std::get<1>(*v) : fallback;
    }
    bool WriteProfileInt(std::u16string_view section, std::u16string_view entry, int number) override {
        writes.push_back(std::u16string(entry));
        put(section, entry, number);
        return true;
    }
    bool CleanState(std::u16string_view section) override {
        ++cleanings;
        if (refuse_cleaning)
            return false;
        sections.erase(platform::ascii_upper(section));
        return true;
    }

    // Test set-up and inspection.
    void put(std::u16string_view section, std::u16string_view entry, value v) {
        sections[platform::ascii_upper(section)][platform::ascii_upper(entry)] = std::move(v);
    }
    const value* find(std::u16string_view section, std::u16string_view entry) const {
        auto s = sections.find(platform::ascii_upper(section));
        if (s == sections.end())
            return nullptr;
        auto v = s->second.find(platform::ascii_upper(entry));
        return v == s->second.end() ? nullptr : &v->second;
    }
    bool has_section(std::u16string_view section) const {
        return sections.count(platform::ascii_upper(section)) != 0;
    }

    std::map<std::u16string, std::map<std::u16string, value>> sections;
    std::vector<std::u16string> writes;
    int cleanings = 0;
    bool refuse_cleaning = false;
};
