#include "CUGCtrl.h"

#include <windowsx.h>

#include <algorithm>

namespace {

const wchar_t* const grid_class = L"MendwickGrid";
constexpr int min_col_width = 10;
constexpr int border_grip = 3;

ATOM register_grid_class(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = nullptr;
        wc.lpszClassName = grid_class;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

} // namespace

CUGCtrl::~CUGCtrl() {
    if (m_hWnd && IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (heading_font_)
        DeleteObject(heading_font_);
}

LRESULT CALLBACK CUGCtrl::GridProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<CUGCtrl*>(cs->lpCreateParams);
        self->Attach(hwnd);
    }
    CWnd* w = CWnd::FromHandle(hwnd);
    auto* self = dynamic_cast<CUGCtrl*>(w);
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        self->Detach();
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->WindowProc(msg, wp, lp);
}

bool CUGCtrl::AttachGrid(HWND dialog, int placeholder_id) {
    HWND placeholder = ::GetDlgItem(dialog, placeholder_id);
    if (!placeholder || m_hWnd)
        return false;
    register_grid_class(&CUGCtrl::GridProc);
    RECT r{};
    ::GetWindowRect(placeholder, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    HWND before = ::GetWindow(placeholder, GW_HWNDPREV);
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, grid_class, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(placeholder_id)),
                                GetModuleHandleW(nullptr), this);
    if (!hwnd)
        return false;
    // The grid takes the placeholder's place in the tab order.
    SetWindowPos(hwnd, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(placeholder);

    cell_font_ = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!cell_font_)
        cell_font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf{};
    GetObjectW(cell_font_, sizeof lf, &lf);
    lf.lfWeight = (lf.lfWeight ? lf.lfWeight : FW_NORMAL) + 200;
    heading_font_ = CreateFontIndirectW(&lf);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, cell_font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    row_height_ = tm.tmHeight + 4;
    SelectObject(dc, heading_font_);
    GetTextMetricsW(dc, &tm);
    heading_height_ = tm.tmHeight + 6;
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);

    OnSetup();
    UpdateScrollBars();
    return true;
}

void CUGCtrl::SetNumberCols(int count) {
    count = std::max(count, 0);
    widths_.resize(static_cast<size_t>(count), 75);
    headings_.resize(static_cast<size_t>(count));
    for (auto& row : cells_)
        row.resize(static_cast<size_t>(count));
    UpdateScrollBars();
}

void CUGCtrl::SetNumberRows(long count) {
    count = std::max(count, 0L);
    cells_.resize(static_cast<size_t>(count), std::vector<std::u16string>(widths_.size()));
    if (count == 0)
        current_ = -1;
    else if (current_ < 0)
        current_ = 0;
    else if (current_ >= count)
        current_ = count - 1;
    top_ = std::clamp(top_, 0L, std::max(0L, count - 1));
    UpdateScrollBars();
    if (m_hWnd)
        Invalidate(false);
}

void CUGCtrl::SetColWidth(int col, int width) {
    if (col < 0 || col >= GetNumberCols())
        return;
    widths_[static_cast<size_t>(col)] = std::max(width, 0);
    UpdateScrollBars();
}

int CUGCtrl::GetColWidth(int col) const {
    return col >= 0 && col < GetNumberCols() ? widths_[static_cast<size_t>(col)] : 0;
}

void CUGCtrl::QuickSetText(int col, long row, std::u16string_view text) {
    if (col < 0 || col >= GetNumberCols())
        return;
    if (row == -1)
        headings_[static_cast<size_t>(col)] = text;
    else if (row >= 0 && row < GetNumberRows())
        cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
}

std::u16string CUGCtrl::QuickGetText(int col, long row) const {
    if (col < 0 || col >= GetNumberCols())
        return {};
    if (row == -1)
        return headings_[static_cast<size_t>(col)];
    if (row >= 0 && row < GetNumberRows())
        return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    return {};
}

void CUGCtrl::GotoRow(long row) {
    if (row < 0 || row >= GetNumberRows())
        return;
    current_ = row;
    EnsureVisible(row);
    if (m_hWnd)
        Invalidate(false);
}

void CUGCtrl::RedrawAll() {
    if (m_hWnd)
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int CUGCtrl::VisibleRows() const {
    if (!m_hWnd)
        return 1;
    RECT c = GetClientRect();
    return std::max(1, static_cast<int>((c.bottom - heading_height_) / std::max(row_height_, 1)));
}

void CUGCtrl::EnsureVisible(long row) {
    int visible = VisibleRows();
    if (row < top_)
        top_ = row;
    else if (row >= top_ + visible)
        top_ = row - visible + 1;
    UpdateScrollBars();
}

void CUGCtrl::UpdateScrollBars() {
    if (!m_hWnd)
        return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    si.nMin = 0;
    si.nMax = std::max(0L, GetNumberRows() - 1);
    si.nPage = static_cast<UINT>(VisibleRows());
    si.nPos = static_cast<int>(top_);
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    int total = side_width_;
    for (int w : widths_)
        total += w;
    RECT c = GetClientRect();
    SCROLLINFO sh{sizeof sh, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    sh.nMax = std::max(0, total - 1);
    sh.nPage = static_cast<UINT>(std::max(1L, c.right));
    scroll_x_ = std::clamp(scroll_x_, 0, std::max(0, total - static_cast<int>(c.right)));
    sh.nPos = scroll_x_;
    SetScrollInfo(m_hWnd, SB_HORZ, &sh, TRUE);
}

RECT CUGCtrl::CellRect(int col, long row) const {
    int x = side_width_ - scroll_x_;
    for (int i = 0; i < col; ++i)
        x += widths_[static_cast<size_t>(i)];
    RECT r{x, 0, x + GetColWidth(col), heading_height_};
    if (row >= 0) {
        r.top = heading_height_ + static_cast<int>(row - top_) * row_height_;
        r.bottom = r.top + row_height_;
    }
    return r;
}

void CUGCtrl::HitTest(POINT p, int& col, long& row) const {
    col = -1;
    int x = side_width_ - scroll_x_;
    for (int i = 0; i < GetNumberCols(); ++i) {
        if (p.x >= x && p.x < x + widths_[static_cast<size_t>(i)]) {
            col = i;
            break;
        }
        x += widths_[static_cast<size_t>(i)];
    }
    if (p.y < heading_height_) {
        row = -1;
        return;
    }
    long r = top_ + (p.y - heading_height_) / std::max(row_height_, 1);
    row = r < GetNumberRows() ? r : -2;
}

int CUGCtrl::BorderAt(POINT p) const {
    if (p.y >= heading_height_)
        return -1;
    int x = side_width_ - scroll_x_;
    for (int i = 0; i < GetNumberCols(); ++i) {
        x += widths_[static_cast<size_t>(i)];
        if (std::abs(p.x - x) <= border_grip)
            return i;
    }
    return -1;
}

void CUGCtrl::Click(UINT msg, LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    int col = 0;
    long row = 0;
    HitTest(p, col, row);
    bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
    if (press && row >= 0 && row != current_) {
        current_ = row;
        Invalidate(false);
    }
    long reported = row == -2 ? current_ : row;
    RECT rect = CellRect(col, reported);
    switch (msg) {
    case WM_LBUTTONDOWN:
        OnLClicked(col, reported, 1, &rect, &p, FALSE);
        break;
    case WM_LBUTTONUP:
        OnLClicked(col, reported, 0, &rect, &p, FALSE);
        break;
    case WM_RBUTTONDOWN:
        OnRClicked(col, reported, 1, &rect, &p, FALSE);
        break;
    case WM_RBUTTONUP:
        OnRClicked(col, reported, 0, &rect, &p, FALSE);
        break;
    case WM_LBUTTONDBLCLK:
        OnDClicked(col, reported, &rect, &p, FALSE);
        break;
    }
}

bool CUGCtrl::KeyMove(UINT key) {
    long rows = GetNumberRows();
    if (rows == 0)
        return false;
    long next = current_ < 0 ? 0 : current_;
    long page = std::max(1, VisibleRows() - 1);
    switch (key) {
    case VK_UP:
        next -= 1;
        break;
    case VK_DOWN:
        next += 1;
        break;
    case VK_PRIOR:
        next -= page;
        break;
    case VK_NEXT:
        next += page;
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = rows - 1;
        break;
    default:
        return false;
    }
    GotoRow(std::clamp(next, 0L, rows - 1));
    return true;
}

LRESULT CUGCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        if (lp) {
            auto* m = reinterpret_cast<MSG*>(lp);
            if (m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_DELETE))
                return DLGC_WANTALLKEYS | DLGC_WANTARROWS;
        }
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        Paint(dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_SIZE:
        UpdateScrollBars();
        Invalidate(false);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(false);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(m_hWnd);
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int border = BorderAt(p);
        if (border >= 0) {
            sizing_col_ = border;
            sizing_start_x_ = p.x;
            sizing_start_width_ = GetColWidth(border);
            SetCapture(m_hWnd);
            return 0;
        }
        Click(msg, lp);
        return 0;
    }
    case WM_MOUSEMOVE: {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (sizing_col_ >= 0) {
            SetColWidth(sizing_col_, std::max<int>(min_col_width, sizing_start_width_ + static_cast<int>(p.x) - sizing_start_x_));
            Invalidate(false);
        }
        if (sizing_col_ >= 0 || BorderAt(p) >= 0)
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32644)));
        return 0;
    }
    case WM_SETCURSOR: {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(m_hWnd, &p);
        if (LOWORD(lp) == HTCLIENT && BorderAt(p) >= 0) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32644)));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONUP:
        if (sizing_col_ >= 0) {
            sizing_col_ = -1;
            ReleaseCapture();
            return 0;
        }
        Click(msg, lp);
        return 0;
    case WM_CAPTURECHANGED:
        sizing_col_ = -1;
        return 0;
    case WM_RBUTTONDOWN:
        SetFocus(m_hWnd);
        Click(msg, lp);
        return 0;
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
        Click(msg, lp);
        return 0;
    case WM_KEYDOWN: {
        UINT key = static_cast<UINT>(wp);
        KeyMove(key);
        OnKeyDown(&key, FALSE);
        return 0;
    }
    case WM_KEYUP: {
        UINT key = static_cast<UINT>(wp);
        OnKeyUp(&key, FALSE);
        return 0;
    }
    case WM_VSCROLL: {
        long rows = GetNumberRows();
        long page = VisibleRows();
        switch (LOWORD(wp)) {
        case SB_LINEUP:
            top_ -= 1;
            break;
        case SB_LINEDOWN:
            top_ += 1;
            break;
        case SB_PAGEUP:
            top_ -= page;
            break;
        case SB_PAGEDOWN:
            top_ += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            top_ = HIWORD(wp);
            break;
        }
        top_ = std::clamp(top_, 0L, std::max(0L, rows - page));
        UpdateScrollBars();
        Invalidate(false);
        return 0;
    }
    case WM_HSCROLL: {
        switch (LOWORD(wp)) {
        case SB_LINELEFT:
            scroll_x_ -= 10;
            break;
        case SB_LINERIGHT:
            scroll_x_ += 10;
            break;
        case SB_PAGELEFT:
            scroll_x_ -= 100;
            break;
        case SB_PAGERIGHT:
            scroll_x_ += 100;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            scroll_x_ = HIWORD(wp);
            break;
        }
        UpdateScrollBars();
        Invalidate(false);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int delta = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
        SendMessageW(m_hWnd, WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        return 0;
    }
    }
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

void CUGCtrl::Paint(HDC target) {
    RECT client = GetClientRect();
    HDC dc = target;
    HBITMAP bmp = nullptr;
    HGDIOBJ old_bmp = nullptr;
    if (double_buffer_) {
        dc = CreateCompatibleDC(target);
        bmp = CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
        old_bmp = SelectObject(dc, bmp);
    }
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    HPEN grid_pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT));
    HGDIOBJ old_pen = SelectObject(dc, grid_pen);
    bool focused = GetFocus() == m_hWnd;

    // Heading row.
    SelectObject(dc, heading_font_ ? heading_font_ : cell_font_);
    if (side_width_ > 0) {
        RECT side{0, 0, side_width_, heading_height_};
        FillRect(dc, &side, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &side, EDGE_RAISED, BF_RECT);
    }
    for (int c = 0; c < GetNumberCols(); ++c) {
        RECT r = CellRect(c, -1);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT t = r;
        InflateRect(&t, -4, 0);
        DrawTextW(dc, W(headings_[static_cast<size_t>(c)]), -1, &t,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    }

    // Cells.
    SelectObject(dc, cell_font_);
    long last = std::min(GetNumberRows(), top_ + VisibleRows() + 1);
    for (long row = top_; row < last; ++row) {
        bool current = row == current_;
        for (int c = 0; c < GetNumberCols(); ++c) {
            RECT r = CellRect(c, row);
            bool lit = current && cell_mode_ == 2 && (highlight_row_ || c == 0);
            if (lit) {
                FillRect(dc, &r, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
                ::SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            } else {
                ::SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            }
            RECT t = r;
            InflateRect(&t, -4, 0);
            DrawTextW(dc, W(cells_[static_cast<size_t>(row)][static_cast<size_t>(c)]), -1, &t,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
            MoveToEx(dc, r.left, r.bottom - 1, nullptr);
            LineTo(dc, r.right - 1, r.bottom - 1);
            LineTo(dc, r.right - 1, r.top - 1);
        }
        if (current && (cell_mode_ == 1 || focused)) {
            RECT whole = CellRect(0, row);
            whole.right = CellRect(GetNumberCols() - 1, row).right;
            if (cell_mode_ == 1 || !highlight_row_)
                DrawFocusRect(dc, &whole);
        }
    }
    SelectObject(dc, old_pen);
    DeleteObject(grid_pen);
    if (double_buffer_) {
        BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        SelectObject(dc, old_bmp);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
}
