// The per-user application profile: named values grouped in sections, as the application object
// offers them. Strings and 32-bit integers are distinct types; a value stored with the other type
// reads as absent. On Windows the profile is the registry key
// HKEY_CURRENT_USER\Software\<company>\<application>; elsewhere a file under the user's
// configuration directory (file_profile.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class profile {
public:
    virtual ~profile() = default;

    // The string value `entry` of `section`, or `fallback` when the value, its section or the profile
    // is absent, or the value is not a string. The text ends at its first NUL.
    virtual std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                            std::u16string_view fallback = {}) = 0;
    // Stores a string value, up to the text's first NUL. False when it could not be written.
    virtual bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view value) = 0;
    // The 32-bit integer value, or `fallback` when absent or not an integer.
    virtual int GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) = 0;
    virtual bool WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) = 0;
    // Deletes the whole section with every value in it. True when the section is gone afterwards.
    virtual bool CleanState(std::u16string_view section) = 0;

    // Many writes in a row: a profile kept in a file holds them until the outermost batch ends and
    // then rewrites the file once; EndBatch is false when that failed. The registry writes each value
    // at once and ignores batches.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }
};

// Scope of one batch of writes.
class profile_batch {
public:
    explicit profile_batch(profile* p) : profile_(p) {
        if (profile_)
            profile_->BeginBatch();
    }
    ~profile_batch() {
        if (profile_)
            profile_->EndBatch();
    }
    profile_batch(const profile_batch&) = delete;
    profile_batch& operator=(const profile_batch&) = delete;

private:
    profile* profile_;
};

// The profile of the running application: set by the application object when it starts, null before.
profile* running_profile();
void set_running_profile(profile* p);

// The user's profile of this program: the registry key on Windows, the profile file elsewhere.
std::unique_ptr<profile> open_user_profile(std::u16string_view company, std::u16string_view application);

} // namespace platform
