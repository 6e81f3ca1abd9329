#include "CMFCButton.h"

void CMFCButton::MakeOwnerDrawn() {
    if (owner_drawn_ || !m_hWnd)
        return;
    LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    LONG_PTR type = style & BS_TYPEMASK;
    check_box_ = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
    if (check_box_)
        checked_ = SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    owner_drawn_ = true;
    Invalidate();
}

void CMFCButton::SetTextColor(COLORREF colour) {
    MakeOwnerDrawn();
    text_colour_ = colour;
    Invalidate();
}

void CMFCButton::SetTextHotColor(COLORREF colour) {
    MakeOwnerDrawn();
    hot_colour_ = colour;
    Invalidate();
}

bool CMFCButton::SetImage(UINT png_id, UINT checked_png_id) {
    MakeOwnerDrawn();
    bool ok = image_.load(png_id);
    if (checked_png_id)
        ok = checked_image_.load(checked_png_id) && ok;
    Invalidate();
    return ok;
}

UINT CMFCButton::ShownImageId() const {
    if (check_box_ && checked_ && !checked_image_.empty())
        return checked_image_.id();
    return image_.id();
}

LRESULT CMFCButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
            tracking_ = TrackMouseEvent(&tme) != FALSE;
        }
        if (!hot_) {
            hot_ = true;
            Invalidate(false);
        }
        break;
    case WM_MOUSELEAVE:
        tracking_ = false;
        hot_ = false;
        Invalidate(false);
        break;
    // An owner-drawn button keeps no check state of its own: this one keeps it.
    case BM_GETCHECK:
        if (check_box_)
            return checked_ ? BST_CHECKED : BST_UNCHECKED;
        break;
    case BM_SETCHECK:
        if (check_box_) {
            checked_ = wp == BST_CHECKED;
            Invalidate(false);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    }
    return Default(msg, wp, lp);
}

void CMFCButton::OnReflectedCommand(int code) {
    if (code == BN_CLICKED && check_box_) {
        checked_ = !checked_;
        Invalidate(false);
    }
}

bool CMFCButton::OnDrawItem(DRAWITEMSTRUCT* di) {
    HDC dc = di->hDC;
    RECT r = di->rcItem;
    // Double-buffered: the whole face is drawn off screen first.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old_bmp = SelectObject(mem, bmp);
    RECT local{0, 0, r.right - r.left, r.bottom - r.top};
    if (m_bTransparent)
        PaintParentBackground(m_hWnd, mem);
    else
        FillRect(mem, &local, GetSysColorBrush(COLOR_BTNFACE));
    bool pressed = (di->itemState & ODS_SELECTED) != 0;
    if (m_nFlatStyle == BUTTONSTYLE_3D)
        DrawEdge(mem, &local, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (m_nFlatStyle != BUTTONSTYLE_NOBORDERS && (hot_ || pressed))
        DrawEdge(mem, &local, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    DrawContent(mem, local, pressed);
    if ((di->itemState & ODS_FOCUS) && !(di->itemState & ODS_NOFOCUSRECT)) {
        RECT f = local;
        InflateRect(&f, -3, -3);
        DrawFocusRect(mem, &f);
    }
    BitBlt(dc, r.left, r.top, local.right, local.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old_bmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    return true;
}

void CMFCButton::DrawContent(HDC dc, const RECT& r, bool pressed) {
    std::u16string text = GetWindowText();
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ old_font = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    bool enabled = IsWindowEnabled(m_hWnd) != FALSE;
    ::SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT) : hot_ ? hot_colour_ : text_colour_);
    RECT measure{0, 0, 0, 0};
    DrawTextW(dc, W(text), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
    const png_image& img = check_box_ && checked_ && !checked_image_.empty() ? checked_image_ : image_;
    int iw = img.empty() ? 0 : img.width();
    int ih = img.empty() ? 0 : img.height();
    int gap = iw && !text.empty() ? 4 : 0;
    int tw = measure.right - measure.left;
    int shift = pressed ? 1 : 0;
    if (m_bTopImage) {
        int total = ih + gap + (measure.bottom - measure.top);
        int y = (r.bottom - r.top - total) / 2 + shift;
        img.draw(dc, (r.right - r.left - iw) / 2 + shift, y);
        RECT tr{r.left + shift, y + ih + gap, r.right + shift, r.bottom};
        DrawTextW(dc, W(text), -1, &tr, DT_SINGLELINE | DT_CENTER | DT_TOP);
    } else {
        int total = iw + gap + tw;
        int x = (r.right - r.left - total) / 2 + shift;
        int image_x = m_bRightImage ? x + tw + gap : x;
        int text_x = m_bRightImage ? x : x + iw + gap;
        img.draw(dc, image_x, (r.bottom - r.top - ih) / 2 + shift);
        RECT tr{text_x, r.top + shift, text_x + tw + 1, r.bottom + shift};
        DrawTextW(dc, W(text), -1, &tr, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    }
    SelectObject(dc, old_font);
}
