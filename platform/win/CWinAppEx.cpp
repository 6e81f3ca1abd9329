#include "CWinAppEx.h"

#include "CWnd.h"

#include <commctrl.h>

namespace {
CWinAppEx* the_app = nullptr;
}

std::u16string LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(n));
}

CWinAppEx::CWinAppEx(const char16_t* app_name) {
    the_app = this;
    if (app_name)
        title_ = app_name;
}

CWinAppEx::~CWinAppEx() {
    if (the_app == this)
        the_app = nullptr;
    if (platform::running_profile() == &profile_)
        platform::set_running_profile(nullptr);
}

CWinAppEx* AfxGetApp() { return the_app; }

BOOL CWinAppEx::InitInstance() {
    if (title_.empty())
        title_ = LoadResourceString(AFX_IDS_APP_TITLE);
    profile_.SetProfileName(title_);
    platform::set_running_profile(&profile_);
    return TRUE;
}

void CWinAppEx::SetRegistryKey(std::u16string_view company) {
    company_ = company;
    if (title_.empty())
        title_ = LoadResourceString(AFX_IDS_APP_TITLE);
    profile_.SetRegistryKey(company);
    profile_.SetProfileName(title_);
    platform::set_running_profile(&profile_);
}

std::u16string CWinAppEx::GetProfileString(std::u16string_view section, std::u16string_view entry,
                                           std::u16string_view fallback) {
    return profile_.GetProfileString(section, entry, fallback);
}

BOOL CWinAppEx::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                   std::u16string_view value) {
    return profile_.WriteProfileString(section, entry, value);
}

UINT CWinAppEx::GetProfileInt(std::u16string_view section, std::u16string_view entry, int fallback) {
    return static_cast<UINT>(profile_.GetProfileInt(section, entry, fallback));
}

BOOL CWinAppEx::WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) {
    return profile_.WriteProfileInt(section, entry, value);
}

BOOL CWinAppEx::CleanState(std::u16string_view section) { return profile_.CleanState(section); }

int AfxMessageBox(std::u16string_view text, UINT type) {
    std::u16string z(text);
    std::u16string caption = the_app ? the_app->AppTitle() : std::u16string();
    if (caption.empty())
        caption = LoadResourceString(CWinAppEx::AFX_IDS_APP_TITLE);
    HWND owner = GetActiveWindow();
    return MessageBoxW(owner, W(z.c_str()), W(caption.c_str()), type);
}
