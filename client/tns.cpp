#include "tns.h"

#include "module_version.h"
#include "oci/loader.h"
#include "text.h"
#include "tns_scanner.h"

namespace {

constexpr std::size_t path_buffer = 260;          // characters
constexpr std::size_t machine_value_buffer = 520; // bytes
constexpr std::u16string_view oracle_root = u"SOFTWARE\\ORACLE";

bool starts_with_ignoring_case(std::u16string_view name, std::u16string_view prefix) {
    return name.size() >= prefix.size() && platform::ascii_iequal(name.substr(0, prefix.size()), prefix);
}

} // namespace

CTNS::CTNS() : system_(&platform::client_system::real()) {}

CTNS::CTNS(const platform::client_system& system) : system_(&system) {}

std::u16string CTNS::ClientModuleName() {
    return oci::default_library_name();
}

std::u16string CTNS::GetClientVersion() const {
    CModuleVersion version(*system_);
    if (!version.LoadFromModule(ClientModuleName()))
        return u"Not found";
    return version.QueryStringValue(u"FileVersion");
}

bool CTNS::GetClientPath(std::u16string& path) const {
    std::u16string found;
    if (system_->loaded_module_path(ClientModuleName(), found) != platform::module_lookup::found)
        return false;
    path = found;
    return true;
}

bool CTNS::FindClientDirectory(std::u16string& directory) const {
    std::u16string path;
    std::size_t file_part = 0;
    std::size_t n = system_->search_path(ClientModuleName(), path_buffer, path, file_part);
    if (n == 0 || n >= path_buffer || file_part > path.size())
        return false;
    directory = path.substr(0, file_part);
    return true;
}

bool CTNS::ReadMachineString(std::u16string_view key, std::u16string_view name, std::u16string& value) const {
    platform::machine_value v;
    if (system_->query_machine_value(key, name, machine_value_buffer, v) != platform::value_status::ok ||
        v.type != platform::reg_sz || v.data.size() >= machine_value_buffer)
        return false;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
        if (c == u'\0')
            break;
        text.push_back(c);
    }
    value = text;
    return true;
}

bool CTNS::ListMachineSubkeys(std::u16string_view key, std::vector<std::u16string>& names) const {
    std::vector<std::u16string> found;
    if (!system_->machine_subkeys(key, found))
        return false;
    names = std::move(found);
    return true;
}

bool CTNS::HomeHoldsClient(std::u16string_view oracle_home, std::u16string_view client_directory) {
    std::u16string bin(oracle_home);
    bin += u"\\BIN\\";
    return platform::ascii_iequal(bin, client_directory);
}

std::u16string CTNS::GetOracleHomeName() const {
    std::u16string client;
    std::vector<std::u16string> homes;
    if (!FindClientDirectory(client) || !ListMachineSubkeys(oracle_root, homes))
        return {};
    for (const auto& name : homes) {
        std::u16string key = std::u16string(oracle_root) + u"\\" + name;
        std::u16string home, home_name;
        if (ReadMachineString(key, u"ORACLE_HOME", home) && HomeHoldsClient(home, client) &&
            ReadMachineString(key, u"ORACLE_HOME_NAME", home_name))
            return home_name;
    }
    return {};
}

std::u16string CTNS::in_directory(std::u16string directory) const {
    char16_t separator = system_->path_separator();
    if (!directory.empty() && directory.back() != separator)
        directory.push_back(separator);
    return directory + u"TNSNAMES.ORA";
}

bool CTNS::FindTnsNamesFile(std::u16string& path) const {
    // A working directory that does not fit the buffer is passed over.
    std::u16string cwd;
    std::size_t n = system_->current_directory(path_buffer, cwd);
    if (n > 0 && n < path_buffer) {
        std::u16string candidate = in_directory(cwd);
        if (system_->path_exists(candidate)) {
            path = candidate;
            return true;
        }
    }

    if (auto admin = system_->environment(u"TNS_ADMIN")) {
        std::u16string candidate = in_directory(*admin);
        if (system_->path_exists(candidate)) {
            path = candidate;
            return true;
        }
    }

    std::u16string client;
    std::vector<std::u16string> homes;
    if (!FindClientDirectory(client) || client.empty() || !ListMachineSubkeys(oracle_root, homes))
        return false;
    for (const auto& name : homes) {
        if (!starts_with_ignoring_case(name, u"KEY_") && !starts_with_ignoring_case(name, u"HOME"))
            continue;
        std::u16string key = std::u16string(oracle_root) + u"\\" + name;
        std::u16string home;
        if (!ReadMachineString(key, u"ORACLE_HOME", home) || !HomeHoldsClient(home, client))
            continue;
        std::u16string admin;
        if (ReadMachineString(key, u"TNS_ADMIN", admin))
            path = admin + u"\\TNSNAMES.ORA";
        else
            path = home + u"\\NETWORK\\ADMIN\\TNSNAMES.ORA";
        return true;
    }
    return false;
}

void CTNS::ReadAliases(std::vector<std::u16string>& aliases) const {
    std::u16string path;
    if (!FindTnsNamesFile(path))
        return;
    auto file = system_->open_file(path);
    if (!file)
        return;
    CTnsScanner scanner(aliases);
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        std::ptrdiff_t n = file->read(buffer.data(), buffer.size());
        // A read error ends the reading; the names found so far stay.
        if (n <= 0 || !scanner.Feed(buffer.data(), static_cast<std::size_t>(n)))
            break;
    }
    scanner.Finish();
}
