// A system made of tables: loaded modules, version resources by sub-block, one search result, a
// working directory, existing paths, environment variables, file contents and a machine registry
// (key names without regard to case, subkeys in the order given).
#pragma once

#include "client_system.h"
#include "text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

class fake_system : public platform::client_system {
public:
    struct key {
        std::map<std::u16string, platform::machine_value> values;
        std::vector<std::u16string> subkeys;
    };

    // Tables.
    std::map<std::u16string, std::u16string> modules; // module name -> file name
    std::set<std::u16string> unreadable_module_names;
    std::map<std::u16string, std::map<std::u16string, std::vector<std::uint8_t>>>
        versions;                 // file -> sub-block
    std::u16string search_result; // empty: not found
    std::size_t search_length_override = 0;
    std::u16string cwd;
    std::size_t cwd_length_override = 0;
    std::set<std::u16string> existing;
    std::map<std::u16string, std::u16string> env;
    std::map<std::u16string, std::string> files;
    std::map<std::u16string, key> registry; // key path in capitals
    char16_t separator = u'\\';

    // Set-up helpers.
    key& reg(std::u16string_view path) { return registry[platform::ascii_upper(path)]; }
    void reg_string(std::u16string_view path, std::u16string_view name, std::u16string_view text,
                    std::uint32_t type = platform::reg_sz) {
        std::u16string t(text);
        platform::machine_value v;
        v.type = type;
        v.data.resize((t.size() + 1) * 2);
        std::memcpy(v.data.data(), t.c_str(), v.data.size());
        reg(path).values[std::u16string(name)] = v;
    }
    void home(std::u16string name, std::u16string oracle_home, std::u16string home_name = {},
              std::u16string tns_admin = {}) {
        std::u16string path = u"SOFTWARE\\ORACLE\\" + name;
        reg(u"SOFTWARE\\ORACLE").subkeys.push_back(name);
        reg(path);
        if (!oracle_home.empty())
            reg_string(path, u"ORACLE_HOME", oracle_home);
        if (!home_name.empty())
            reg_string(path, u"ORACLE_HOME_NAME", home_name);
        if (!tns_admin.empty())
            reg_string(path, u"TNS_ADMIN", tns_admin);
    }

    platform::module_lookup loaded_module_path(std::u16string_view module,
                                               std::u16string& path) const override {
        std::u16string name = platform::ascii_upper(module);
        if (unreadable_module_names.count(name))
            return platform::module_lookup::no_file_name;
        auto m = modules.find(name);
        if (m == modules.end())
            return platform::module_lookup::not_loaded;
        path = m->second;
        return platform::module_lookup::found;
    }
    bool read_version_info(std::u16string_view file, std::vector<std::uint8_t>& block) const override {
        auto v = versions.find(std::u16string(file));
        if (v == versions.end())
            return false;
        // The block names its file, so that queries find their table again.
        block.assign(reinterpret_cast<const std::uint8_t*>(file.data()),
                     reinterpret_cast<const std::uint8_t*>(file.data() + file.size()));
        return true;
    }
    bool query_version_value(const std::vector<std::uint8_t>& block, std::u16string_view sub_block,
                             const std::uint8_t*& data, std::size_t& bytes) const override {
        std::u16string file(block.size() / 2, u'\0');
        std::memcpy(file.data(), block.data(), file.size() * 2);
        auto v = versions.find(file);
        if (v == versions.end())
            return false;
        auto s = v->second.find(std::u16string(sub_block)); // exact: lower-case hexadecimal digits count
        if (s == v->second.end())
            return false;
        data = s->second.data();
        bytes = s->second.size();
        return true;
    }
    std::size_t search_path(std::u16string_view file, std::size_t capacity, std::u16string& path,
                            std::size_t& file_part) const override {
        ++searches;
        (void)file;
        if (search_result.empty())
            return 0;
        std::size_t length = search_length_override ? search_length_override : search_result.size();
        if (length >= capacity)
            return length + 1;
        path = search_result;
        file_part = search_result.find_last_of(u"\\/") + 1;
        return length;
    }
    std::size_t current_directory(std::size_t capacity, std::u16string& dir) const override {
        std::size_t length = cwd_length_override ? cwd_length_override : cwd.size();
        if (length == 0)
            return 0;
        if (length >= capacity)
            return length + 1;
        dir = cwd;
        return length;
    }
    bool path_exists(std::u16string_view path) const override {
        checked.push_back(std::u16string(path));
        return existing.count(std::u16string(path)) != 0 || files.count(std::u16string(path)) != 0;
    }
    std::optional<std::u16string> environment(std::u16string_view name) const override {
        auto e = env.find(std::u16string(name));
        if (e == env.end())
            return std::nullopt;
        return e->second;
    }

    class reader : public platform::byte_reader {
    public:
        reader(std::string data, std::size_t fail_after) : data_(std::move(data)), fail_after_(fail_after) {}
        std::ptrdiff_t read(char* buffer, std::size_t size) override {
            if (pos_ >= fail_after_)
                return -1;
            std::size_t n = std::min({size, data_.size() - pos_, fail_after_ - pos_});
            std::memcpy(buffer, data_.data() + pos_, n);
            pos_ += n;
            return static_cast<std::ptrdiff_t>(n);
        }

    private:
        std::string data_;
        std::size_t pos_ = 0;
        std::size_t fail_after_;
    };
    std::size_t read_error_after = std::string::npos; // bytes delivered before a read fails
    std::unique_ptr<platform::byte_reader> open_file(std::u16string_view path) const override {
        auto f = files.find(std::u16string(path));
        if (f == files.end())
            return nullptr;
        return std::make_unique<reader>(f->second, read_error_after);
    }

    platform::value_status query_machine_value(std::u16string_view path, std::u16string_view name,
                                               std::size_t capacity,
                                               platform::machine_value& value) const override {
        auto k = registry.find(platform::ascii_upper(path));
        if (k == registry.end())
            return platform::value_status::no_key;
        for (const auto& [n, v] : k->second.values) {
            if (!platform::ascii_iequal(n, name))
                continue;
            if (v.data.size() > capacity)
                return platform::value_status::more_data;
            value = v;
            return platform::value_status::ok;
        }
        return platform::value_status::no_value;
    }
    bool machine_subkeys(std::u16string_view path, std::vector<std::u16string>& names) const override {
        auto k = registry.find(platform::ascii_upper(path));
        if (k == registry.end())
            return false;
        names = k->second.subkeys;
        return true;
    }
    char16_t path_separator() const override { return separator; }

    mutable int searches = 0;
    mutable std::vector<std::u16string> checked;
};
