// What the GUI tests share: running the messages that wait, reading a window, and a registry
// profile of the tests' own for the program's saved connections.
#pragma once

#include "registry_profile.h"

#include <windows.h>

#include <string>

inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline std::u16string text_of(HWND h) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(h, reinterpret_cast<wchar_t*>(text.data()), int(text.size()))));
    return text;
}

inline std::u16string class_of(HWND h) {
    wchar_t buffer[256] = {};
    GetClassNameW(h, buffer, 256);
    return reinterpret_cast<const char16_t*>(buffer);
}

// HKEY_CURRENT_USER\Software\Mendwick Tests\NAME, the running profile while it lives; it starts
// with no saved connection and leaves no key behind.
class test_profile : public platform::registry_profile {
public:
    explicit test_profile(const char16_t* name) {
        SetRegistryKey(u"Mendwick Tests");
        SetProfileName(name);
        CleanState(u"Connections");
        platform::set_running_profile(this);
    }
    ~test_profile() override {
        CleanState(u"Connections");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Mendwick Tests");
        platform::set_running_profile(nullptr);
    }
    test_profile(const test_profile&) = delete;
    test_profile& operator=(const test_profile&) = delete;
};
