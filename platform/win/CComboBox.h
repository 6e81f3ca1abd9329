// Edit boxes and combo boxes of a dialog: thin wrappers over their messages.
#pragma once

#include "CWnd.h"

class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    int AddString(std::u16string_view text);
    int GetCount() const;
    int GetCurSel() const;
    // -1 clears the selection.
    int SetCurSel(int index);
    std::u16string GetLBText(int index) const;
    // The index of the item whose text is exactly this (case counting), -1 when there is none.
    int FindExact(std::u16string_view text) const;
    void ResetContent();
};
