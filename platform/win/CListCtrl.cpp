#include "CListCtrl.h"

#include <commctrl.h>

void CListCtrl::Clear() {
    SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageW(m_hWnd, LVM_DELETECOLUMN, 0, 0)) {
    }
}

void CListCtrl::SetTextColor(colorref colour) {
    SendMessageW(m_hWnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour));
    Invalidate();
}

void CListCtrl::AddColumn(int position, std::u16string_view header, int width) {
    std::u16string text(header);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(W(text));
    col.iSubItem = position;
    SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&col));
}

void CListCtrl::AddItem(int row, std::u16string_view text) {
    std::u16string z(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(W(z));
    SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CListCtrl::SetCell(int row, int column, std::u16string_view text) {
    std::u16string z(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(W(z));
    SendMessageW(m_hWnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }

int CListCtrl::GetColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::u16string CListCtrl::GetItemText(int row, int column) const {
    std::u16string buffer(4100, u'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.data());
    item.cchTextMax = static_cast<int>(buffer.size());
    auto n = SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

std::u16string CListCtrl::GetColumnHeader(int column) const {
    wchar_t buffer[512] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer;
    col.cchTextMax = 512;
    if (!SendMessageW(m_hWnd, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)))
        return {};
    return reinterpret_cast<const char16_t*>(buffer);
}

int CListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int CListCtrl::GetColumnFormat(int column) const {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT;
    SendMessageW(m_hWnd, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
    return col.fmt;
}

colorref CListCtrl::GetTextColor() const {
    return static_cast<colorref>(SendMessageW(m_hWnd, LVM_GETTEXTCOLOR, 0, 0));
}
