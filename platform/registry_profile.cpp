#include "registry_profile.h"

#include "win32.h"

#include <cstring>
#include <vector>

namespace platform {

namespace {

const wchar_t* w(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

class reg_key {
public:
    reg_key() = default;
    reg_key(const reg_key&) = delete;
    reg_key& operator=(const reg_key&) = delete;
    ~reg_key() {
        if (h_)
            RegCloseKey(h_);
    }
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HKEY h_ = nullptr;
};

std::u16string up_to_nul(std::u16string_view text) {
    return std::u16string(text.substr(0, text.find(u'\0')));
}

} // namespace

registry_profile::registry_profile(std::u16string_view company, std::u16string_view application)
    : company_(company), application_(application) {}

std::u16string registry_profile::ProfileKeyPath() const {
    return u"Software\\" + company_ + u"\\" + application_;
}

// The section key is opened, and created when missing, for reading and writing alike.
static bool open_section(const std::u16string& company, const std::u16string& profile_path,
                         std::u16string_view section, reg_key& key) {
    if (company.empty() || section.empty())
        return false;
    std::u16string path = profile_path + u"\\" + up_to_nul(section);
    return RegCreateKeyExW(HKEY_CURRENT_USER, w(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

std::u16string registry_profile::GetProfileString(std::u16string_view section, std::u16string_view entry,
                                                  std::u16string_view fallback) {
    reg_key key;
    if (!open_section(company_, ProfileKeyPath(), section, key))
        return std::u16string(fallback);
    std::u16string name = up_to_nul(entry);
    std::vector<BYTE> data;
    // The value may change between the size query and the read; a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc =
            RegQueryValueExW(key.get(), w(name), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        if (rc == ERROR_MORE_DATA || (rc == ERROR_SUCCESS && data.empty() && size > 0)) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (rc != ERROR_SUCCESS || type != REG_SZ)
            return std::u16string(fallback);
        std::u16string text(size / sizeof(char16_t), u'\0');
        if (!text.empty())
            memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
        return up_to_nul(text);
    }
    return std::u16string(fallback);
}

bool registry_profile::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                          std::u16string_view value) {
    reg_key key;
    if (!open_section(company_, ProfileKeyPath(), section, key))
        return false;
    std::u16string text = up_to_nul(value);
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    return RegSetValueExW(key.get(), w(up_to_nul(entry)), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

int registry_profile::GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) {
    reg_key key;
    if (!open_section(company_, ProfileKeyPath(), section, key))
        return fallback;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG rc = RegQueryValueExW(key.get(), w(up_to_nul(entry)), nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return fallback;
    return static_cast<int>(value);
}

bool registry_profile::WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) {
    reg_key key;
    if (!open_section(company_, ProfileKeyPath(), section, key))
        return false;
    DWORD data = static_cast<DWORD>(value);
    return RegSetValueExW(key.get(), w(up_to_nul(entry)), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

bool registry_profile::CleanState(std::u16string_view section) {
    // An empty section name would take the whole profile key with it.
    if (company_.empty() || up_to_nul(section).empty())
        return false;
    std::u16string path = ProfileKeyPath() + u"\\" + up_to_nul(section);
    LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, w(path));
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

} // namespace platform
