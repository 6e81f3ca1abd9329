#include "CLabel.h"

void CLabel::SetTransparent(bool on) {
    transparent_ = on;
    Invalidate();
}

void CLabel::SetText(std::u16string_view text) {
    SetWindowText(text);
    Invalidate();
}

LRESULT CLabel::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (!transparent_)
        return Default(msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        LRESULT r = Default(msg, wp, lp);
        Invalidate();
        return r;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT r = GetClientRect();
        PaintParentBackground(m_hWnd, dc);
        // A sunken frame, when the template asks for one, is drawn by the non-client area.
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        std::u16string text = GetWindowText();
        RECT tr = r;
        InflateRect(&tr, -1, 0);
        DrawTextW(dc, W(text), -1, &tr, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_PATH_ELLIPSIS | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    }
    return Default(msg, wp, lp);
}
