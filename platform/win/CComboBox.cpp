#include "CComboBox.h"

int CComboBox::AddString(std::u16string_view text) {
    std::u16string z(text);
    return static_cast<int>(SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(z))));
}

int CComboBox::GetCount() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }

int CComboBox::SetCurSel(int index) {
    return static_cast<int>(SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

std::u16string CComboBox::GetLBText(int index) const {
    auto n = SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR)
        return {};
    std::u16string text(static_cast<size_t>(n) + 1, u'\0');
    n = SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
    return text;
}

int CComboBox::FindExact(std::u16string_view text) const {
    // The box's own search ignores case; the items are compared here code unit by code unit.
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetLBText(i) == text)
            return i;
    return -1;
}

void CComboBox::ResetContent() { SendMessageW(m_hWnd, CB_RESETCONTENT, 0, 0); }
