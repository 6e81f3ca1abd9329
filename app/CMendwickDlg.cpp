#include "CMendwickDlg.h"

#include "resource.h"

CMendwickDlg::CMendwickDlg(HWND parent)
    : CDialogEx(IDD_MENDWICK_DIALOG, parent),
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0,
                                          0, LR_DEFAULTSIZE | LR_SHARED))) {
    session_.SetLogonPrompt(&logon_dialog_);
}

CMendwickDlg::~CMendwickDlg() = default;

void CMendwickDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_SEARCH_INVALIDS, search_);
    DDX_Control(dx, IDC_COMPILE_INVALIDS, compile_);
    DDX_Control(dx, IDC_CONNECTION, connection_);
    DDX_Control(dx, IDC_MESSAGES, messages_);
    DDX_Control(dx, IDC_VERSION_LINK, version_);
}

std::u16string CMendwickDlg::AboutPageUrl() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string url(reinterpret_cast<const char16_t*>(path), n);
    size_t slash = url.find_last_of(u"\\/");
    url = url.substr(0, slash == std::u16string::npos ? 0 : slash + 1) + u"about.html";
    for (auto& c : url)
        if (c == u'\\')
            c = u'/';
    return u"file:///" + url;
}

BOOL CMendwickDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    logon_dialog_.SetParent(m_hWnd);
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    const std::pair<CMFCButton*, UINT> buttons[] = {
        {&search_, IDB_SEARCH}, {&compile_, IDB_COMPILE}, {&connection_, IDB_CONNECTION}};
    for (auto [button, image] : buttons) {
        button->m_bTransparent = true;
        button->m_nFlatStyle = CMFCButton::BUTTONSTYLE_FLAT;
        button->m_bRightImage = false;
        button->m_bTopImage = false;
        button->SetTextColor(colour_blue);
        button->SetTextHotColor(colour_teal);
        button->SetImage(image);
    }

    std::u16string url = AboutPageUrl();
    version_.SetURL(url);
    version_.SetTooltip(url);
    version_.SizeToContent();

    LayoutControls();
    return TRUE;
}

void CMendwickDlg::LayoutControls() {
    RECT r = GetClientRect();
    if (messages_.m_hWnd && IsWindow(messages_.m_hWnd)) {
        messages_.MoveWindow(r.left + 10, r.top + 40, r.right - r.left - 20, r.bottom - r.top - 70, true);
        version_.MoveWindow((r.right - r.left) / 2 - 123, r.bottom - 25, 246, 20, true);
    }
    if (search_.m_hWnd && IsWindow(search_.m_hWnd)) {
        RECT b = search_.GetRectInParent();
        search_.MoveWindow(10, r.top + 10, b.right - b.left, b.bottom - b.top, true);
    }
}

void CMendwickDlg::OnSize(UINT, int, int) { LayoutControls(); }

BOOL CMendwickDlg::PreTranslateMessage(MSG* msg) {
    // Enter never presses a button and Esc never closes the window.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN))
        return TRUE;
    return CDialogEx::PreTranslateMessage(msg);
}

bool CMendwickDlg::OnPaint() {
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    RECT r = GetClientRect();
    int x = (r.right - r.left - cx + 1) / 2;
    int y = (r.bottom - r.top - cy + 1) / 2;
    DrawIconEx(dc, x, y, icon_, cx, cy, 0, nullptr, DI_NORMAL);
    EndPaint(m_hWnd, &ps);
    return true;
}

HCURSOR CMendwickDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(icon_); }

void CMendwickDlg::OnDestroy() {
    CDialogEx::OnDestroy();
    session_.Disconnect();
}

bool CMendwickDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_SEARCH_INVALIDS:
            OnSearchInvalids();
            return true;
        case IDC_COMPILE_INVALIDS:
            OnCompileInvalids();
            return true;
        case IDC_CONNECTION:
            OnConnection();
            return true;
        case IDOK:
        case IDCANCEL:
            if (control)
                return true; // there are no such buttons; Enter and Esc are swallowed before
            break;
        }
    }
    return CDialogEx::OnCommand(id, code, control);
}

void CMendwickDlg::SetTitle(std::u16string_view title) { SetWindowText(title); }

void CMendwickDlg::OnConnection() {
    if (!session_.PromptLogon())
        return;
    if (session_.Connect()) {
        SetTitle(session_.ConnectedTitle());
        ShowMessage(messages_, session_.ConnectedMessage(), colour_blue);
    } else {
        SetTitle(COraPrs::ConnectionErrorTitle());
        ShowMessage(messages_, u"Connection Error", colour_red);
    }
}

void CMendwickDlg::OnSearchInvalids() {
    if (!session_.EnsureConnected())
        return;
    SetTitle(session_.ConnectedTitle());
    session_.SearchInvalids(messages_);
}

void CMendwickDlg::OnCompileInvalids() {
    if (!session_.EnsureConnected())
        return;
    SetTitle(session_.ConnectedTitle());
    session_.CompileInvalids(messages_);
}
