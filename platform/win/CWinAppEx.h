// The application object: one per program, created before the entry point runs. It names the
// registry profile, knows the application title and offers the application message box.
#pragma once

#include "registry_profile.h"

#include <windows.h>
// The profile functions keep their own names, not the Windows header's ANSI/Unicode macros.
#undef GetProfileString
#undef WriteProfileString
#undef GetProfileInt

#include <string>

class CWnd;

class CWinAppEx {
public:
    // app_name: null takes the title from string resource 57344.
    explicit CWinAppEx(const char16_t* app_name = nullptr);
    CWinAppEx(const CWinAppEx&) = delete;
    CWinAppEx& operator=(const CWinAppEx&) = delete;
    virtual ~CWinAppEx();

    // The program's start; false ends the program after it.
    virtual BOOL InitInstance();

    // The profile then lives under HKEY_CURRENT_USER\Software\<company>\<application title>.
    void SetRegistryKey(std::u16string_view company);
    std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view fallback = {});
    BOOL WriteProfileString(std::u16string_view section, std::u16string_view entry, std::u16string_view value);
    UINT GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback);
    BOOL WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value);
    // Deletes a section of the profile with everything in it.
    BOOL CleanState(std::u16string_view section);
    platform::profile& Profile() { return profile_; }

    const std::u16string& AppTitle() const { return title_; }
    const std::u16string& RegistryKey() const { return company_; }
    CWnd* m_pMainWnd = nullptr;

    // The string resource that holds the application title.
    static constexpr UINT AFX_IDS_APP_TITLE = 57344;

private:
    std::u16string title_;
    std::u16string company_;
    platform::registry_profile profile_;
};

CWinAppEx* AfxGetApp();

// The application message box: the application title as caption, modal to the active window.
int AfxMessageBox(std::u16string_view text, UINT type = MB_OK | MB_ICONEXCLAMATION);

// Loads a string resource of the program.
std::u16string LoadResourceString(UINT id);
