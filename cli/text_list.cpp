#include "text_list.h"

#include "text.h"

#include <algorithm>

void CTextList::Clear() {
    headers_.clear();
    rows_.clear();
}

void CTextList::AddColumn(int position, std::u16string_view header, int) {
    auto at = std::clamp<size_t>(static_cast<size_t>(std::max(position, 0)), 0, headers_.size());
    headers_.insert(headers_.begin() + static_cast<std::ptrdiff_t>(at), std::u16string(header));
    for (auto& row : rows_)
        if (row.size() >= at)
            row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), std::u16string());
}

void CTextList::AddItem(int row, std::u16string_view text) {
    std::vector<std::u16string> cells(std::max<size_t>(headers_.size(), 1));
    cells[0] = text;
    auto at = std::clamp<size_t>(static_cast<size_t>(std::max(row, 0)), 0, rows_.size());
    if (at == 0)
        rows_.push_front(std::move(cells));
    else
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(cells));
}

void CTextList::SetCell(int row, int column, std::u16string_view text) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || column < 0)
        return;
    auto& cells = rows_[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) >= cells.size())
        cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = text;
}

void CTextList::Print(std::ostream& out) const {
    bool info = headers_.size() == 1 && headers_[0] == u"Info";
    auto line = [&](const std::vector<std::u16string>& cells) {
        std::string s;
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i)
                s += '\t';
            s += platform::to_narrow(cells[i]);
        }
        s += '\n';
        out << s;
    };
    if (!info && !headers_.empty())
        line(headers_);
    for (const auto& row : rows_)
        line(row);
    out.flush();
}
