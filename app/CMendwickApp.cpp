#include "CMendwickApp.h"

#include "CMendwickDlg.h"

#include <commctrl.h>

void CAppSessionUi::ShowError(std::u16string_view text) { AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION); }

void CAppSessionUi::ShowInfo(std::u16string_view text) { AfxMessageBox(text, MB_OK | MB_ICONINFORMATION); }

BOOL CMendwickApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = 8;
    icc.dwICC = 0xFF;
    InitCommonControlsEx(&icc);
    CWinAppEx::InitInstance();
    SetRegistryKey(u"Tolvera Software");
    static CAppSessionUi ui;
    SetApplicationUi(&ui);
    {
        CMendwickDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
