// The application profile in the per-user registry: HKEY_CURRENT_USER\Software\<company>\<application>,
// one subkey per section. Windows only.
#pragma once

#include "profile.h"

namespace platform {

class registry_profile : public profile {
public:
    registry_profile() = default;
    registry_profile(std::u16string_view company, std::u16string_view application);

    // The two components below HKEY_CURRENT_USER\Software. Without a company no value is read or
    // written.
    void SetRegistryKey(std::u16string_view company) { company_ = company; }
    void SetProfileName(std::u16string_view application) { application_ = application; }
    // Software\<company>\<application>, relative to HKEY_CURRENT_USER.
    std::u16string ProfileKeyPath() const;

    std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view fallback = {}) override;
    bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view value) override;
    int GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) override;
    bool WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) override;
    bool CleanState(std::u16string_view section) override;

private:
    std::u16string company_;
    std::u16string application_;
};

} // namespace platform
