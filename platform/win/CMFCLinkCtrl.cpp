#include "CMFCLinkCtrl.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {
void shell_open(const std::u16string& url) {
    ShellExecuteW(nullptr, L"open", W(url), nullptr, nullptr, SW_SHOWNORMAL);
}
} // namespace

CMFCLinkCtrl::opener CMFCLinkCtrl::open_url = &shell_open;

CMFCLinkCtrl::CMFCLinkCtrl() {
    m_bTransparent = true;
    m_nFlatStyle = BUTTONSTYLE_NOBORDERS;
    text_colour_ = RGB(0, 0, 255);
    hot_colour_ = RGB(0, 0, 255);
}

CMFCLinkCtrl::~CMFCLinkCtrl() {
    if (tooltip_ && IsWindow(tooltip_))
        ::DestroyWindow(tooltip_);
    if (underlined_)
        DeleteObject(underlined_);
}

void CMFCLinkCtrl::SetURL(std::u16string_view url) {
    MakeOwnerDrawn();
    url_ = url;
}

void CMFCLinkCtrl::SetTooltip(std::u16string_view text) {
    tooltip_text_ = text;
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = GetParent();
        ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ti.lpszText = const_cast<wchar_t*>(W(tooltip_text_));
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND;
        ti.hwnd = GetParent();
        ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ti.lpszText = const_cast<wchar_t*>(W(tooltip_text_));
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

std::u16string CMFCLinkCtrl::GetTooltip() const {
    if (!tooltip_)
        return {};
    wchar_t buffer[1024] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ti.lpszText = buffer;
    SendMessageW(tooltip_, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&ti));
    return reinterpret_cast<const char16_t*>(buffer);
}

HFONT CMFCLinkCtrl::UnderlinedFont() {
    if (!underlined_) {
        HFONT base = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        GetObjectW(base ? base : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        underlined_ = CreateFontIndirectW(&lf);
    }
    return underlined_;
}

void CMFCLinkCtrl::SizeToContent() {
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, UnderlinedFont());
    std::u16string text = GetWindowText();
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, W(text), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    SetWindowPos(m_hWnd, nullptr, 0, 0, r.right + 4, r.bottom + 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMFCLinkCtrl::OnReflectedCommand(int code) {
    if (code == BN_CLICKED && !url_.empty() && open_url)
        open_url(url_);
}

void CMFCLinkCtrl::DrawContent(HDC dc, const RECT& r, bool) {
    std::u16string text = GetWindowText();
    HGDIOBJ old = SelectObject(dc, UnderlinedFont());
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, hot_ ? hot_colour_ : text_colour_);
    RECT tr = r;
    DrawTextW(dc, W(text), -1, &tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SelectObject(dc, old);
}
