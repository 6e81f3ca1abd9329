// A message list kept as text, printed when a command has finished.
#pragma once

#include "message_list.h"

#include <deque>
#include <ostream>
#include <string>
#include <vector>

class CTextList : public CMessageList {
public:
    void Clear() override;
    void SetTextColor(colorref colour) override { colour_ = colour; }
    void AddColumn(int position, std::u16string_view header, int width) override;
    void AddItem(int row, std::u16string_view text) override;
    void SetCell(int row, int column, std::u16string_view text) override;

    // A one-column "Info" list prints its lines; any other list prints a header line and one line per
    // row, cells separated by a tab.
    void Print(std::ostream& out) const;

    const std::vector<std::u16string>& headers() const { return headers_; }
    const std::deque<std::vector<std::u16string>>& rows() const { return rows_; }
    colorref colour() const { return colour_; }

private:
    std::vector<std::u16string> headers_;
    std::deque<std::vector<std::u16string>> rows_;
    colorref colour_ = 0;
};
