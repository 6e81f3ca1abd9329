// The report-view list control, with the five operations of the message list.
#pragma once

#include "CWnd.h"
#include "message_list.h"

#include <string>

class CListCtrl : public CWnd, public CMessageList {
public:
    void Clear() override;
    void SetTextColor(colorref colour) override;
    void AddColumn(int position, std::u16string_view header, int width) override;
    void AddItem(int row, std::u16string_view text) override;
    void SetCell(int row, int column, std::u16string_view text) override;

    // Read back, for the program's own tests and for copying out.
    int GetItemCount() const;
    int GetColumnCount() const;
    std::u16string GetItemText(int row, int column) const;
    std::u16string GetColumnHeader(int column) const;
    int GetColumnWidth(int column) const;
    int GetColumnFormat(int column) const;
    colorref GetTextColor() const;
};
