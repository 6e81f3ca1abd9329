#include "CDialogEx.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd)
        control.SubclassDlgItem(id, dx->m_pDlgWnd->m_hWnd);
}

void DDX_Text(CDataExchange* dx, int id, std::u16string& value) {
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate) {
        int n = GetWindowTextLengthW(item);
        std::u16string text(static_cast<size_t>(n) + 1, u'\0');
        n = GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), n + 1);
        text.resize(static_cast<size_t>(n < 0 ? 0 : n));
        value = text;
    } else {
        SetWindowTextW(item, W(value));
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(item, BM_GETCHECK, 0, 0));
    else
        SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

CDialogEx::CDialogEx(UINT template_id, HWND parent) : template_id_(template_id), parent_(parent) {}

CDialogEx::~CDialogEx() {
    if (m_hWnd)
        DestroyWindow();
}

HINSTANCE CDialogEx::ResourceInstance() { return GetModuleHandleW(nullptr); }

bool CDialogEx::Create() {
    HWND hwnd = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(template_id_), parent_, &CDialogEx::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialogEx::DestroyWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialogEx::DoModal() {
    HWND owner = parent_ ? parent_ : GetActiveWindow();
    ended_ = false;
    result_ = -1;
    HWND hwnd = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(template_id_), owner, &CDialogEx::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return -1;
    bool owner_enabled = owner && IsWindowEnabled(owner);
    if (owner_enabled)
        EnableWindow(owner, FALSE);
    if (!ended_)
        ShowWindow(hwnd, SW_SHOW);
    running_ = true;
    MSG msg;
    while (!ended_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit for the outer loop
            break;
        }
        if (PreTranslateMessage(&msg))
            continue;
        if (m_hWnd && IsDialogMessageW(m_hWnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    running_ = false;
    if (owner_enabled)
        EnableWindow(owner, TRUE);
    if (m_hWnd) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (owner)
            SetActiveWindow(owner);
        ::DestroyWindow(m_hWnd);
    }
    return result_;
}

void CDialogEx::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (m_hWnd)
        PostMessageW(m_hWnd, WM_NULL, 0, 0); // wakes the loop
}

bool CDialogEx::UpdateData(bool save) {
    CDataExchange dx{save, this};
    DoDataExchange(&dx);
    return true;
}

BOOL CDialogEx::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

BOOL CDialogEx::PreTranslateMessage(MSG*) { return FALSE; }

void CDialogEx::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialogEx::OnCancel() { EndDialog(IDCANCEL); }

bool CDialogEx::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR CALLBACK CDialogEx::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialogEx* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogEx*>(lp);
        self->Attach(hwnd);
    } else {
        self = dynamic_cast<CDialogEx*>(CWnd::FromHandle(hwnd));
    }
    if (!self)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        self->Detach();
        return FALSE;
    }
    return self->HandleMessage(msg, wp, lp);
}

INT_PTR CDialogEx::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lp);
        int code = HIWORD(wp);
        if (CWnd* c = CWnd::FromHandle(control))
            c->OnReflectedCommand(code);
        if (OnCommand(LOWORD(wp), code, control))
            return TRUE;
        // Esc and the close box arrive as IDCANCEL without a control.
        if (LOWORD(wp) == IDCANCEL && !control) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_DRAWITEM: {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (CWnd* c = CWnd::FromHandle(di->hwndItem))
            if (c->OnDrawItem(di)) {
                SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
        return FALSE;
    }
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return TRUE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default: {
        LRESULT result = 0;
        if (OnMessage(msg, wp, lp, &result)) {
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    }
}
