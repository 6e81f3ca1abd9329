#include "CWnd.h"

#include <vector>

namespace {
const wchar_t* const object_property = L"Mendwick.CWnd";
}

CWnd::~CWnd() {
    if (m_hWnd && old_proc_)
        UnsubclassWindow();
    Detach();
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    SetPropW(hwnd, object_property, this);
}

void CWnd::Detach() {
    if (m_hWnd && IsWindow(m_hWnd) && GetPropW(m_hWnd, object_property) == this)
        RemovePropW(m_hWnd, object_property);
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) { return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, object_property)) : nullptr; }

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd)
        return false;
    Attach(hwnd);
    old_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

bool CWnd::SubclassDlgItem(int id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }

void CWnd::UnsubclassWindow() {
    if (m_hWnd && old_proc_ && IsWindow(m_hWnd))
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_proc_));
    old_proc_ = nullptr;
    Detach();
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandle(hwnd);
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC old = self->old_proc_;
        self->old_proc_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        self->Detach();
        return CallWindowProcW(old, hwnd, msg, wp, lp);
    }
    return self->WindowProc(msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    if (old_proc_)
        return CallWindowProcW(old_proc_, m_hWnd, msg, wp, lp);
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

void CWnd::SetWindowText(std::u16string_view text) {
    std::u16string z(text);
    SetWindowTextW(m_hWnd, W(z));
}

std::u16string CWnd::GetWindowText() const {
    int n = GetWindowTextLengthW(m_hWnd);
    std::u16string text(static_cast<size_t>(n) + 1, u'\0');
    n = GetWindowTextW(m_hWnd, reinterpret_cast<wchar_t*>(text.data()), n + 1);
    text.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return text;
}

void CWnd::MoveWindow(int x, int y, int width, int height, bool repaint) {
    // A repainting move paints the whole control afresh: a window moved while its parent is resized
    // would otherwise keep the pixels copied from its old place, taken before the parent repainted them.
    ::SetWindowPos(m_hWnd, nullptr, x, y, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? SWP_NOCOPYBITS : SWP_NOREDRAW));
}

RECT CWnd::GetClientRect() const {
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    return r;
}

RECT CWnd::GetRectInParent() const {
    RECT r{};
    ::GetWindowRect(m_hWnd, &r);
    MapWindowPoints(HWND_DESKTOP, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = ::GetParent(child);
    RECT r{};
    ::GetClientRect(child, &r);
    if (!parent) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    // The dialog's own background brush, as it gives it to its children.
    HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(parent)));
    RECT pr{};
    ::GetClientRect(parent, &pr);
    FillRect(dc, &pr, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}
