#include "CConnectDlg.h"

#include "app/resource.h"
#include "session/COraPrs.h"
#include "text.h"
#include "tns.h"

#include <algorithm>

CConnectDlg::CConnectDlg(HWND parent) : CDialogEx(IDD_CONNECT, parent) { LoadConnections(); }

CConnectDlg::~CConnectDlg() { ClearConnections(); }

void CConnectDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_USER, user_);
    DDX_Control(dx, IDC_PASSWORD, password_);
    DDX_Control(dx, IDC_DATABASE, database_);
    DDX_Control(dx, IDC_CONNECT_AS, connect_as_);
    DDX_Text(dx, IDC_PASSWORD, password_text_);
    DDX_Check(dx, IDC_SAVE_PASSWORD, save_password_);
    DDX_Control(dx, IDC_SAVE_PASSWORD, save_password_button_);
    DDX_Control(dx, IDOK, ok_button_);
    DDX_Control(dx, IDCANCEL, cancel_button_);
    DDX_Control(dx, IDC_TEST_CONNECTION, test_button_);
    DDX_Control(dx, IDC_OCI_PATH, client_path_);
    DDX_Control(dx, IDC_OCI_VERSION, client_version_);
    DDX_Control(dx, IDC_ORACLE_HOME, oracle_home_);
}

void CConnectDlg::AddDatabaseName(std::u16string_view name) {
    // Each text once, case counting; the box keeps its own alphabetical order.
    if (std::find(added_databases_.begin(), added_databases_.end(), name) != added_databases_.end())
        return;
    added_databases_.emplace_back(name);
    database_.AddString(name);
}

BOOL CConnectDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    grid_.AttachGrid(m_hWnd, IDC_CONNECTIONS);

    save_password_button_.m_nFlatStyle = CMFCButton::BUTTONSTYLE_NOBORDERS;
    save_password_button_.m_bTransparent = true;
    save_password_button_.m_bRightImage = false;
    save_password_button_.SetImage(IDB_CROSS, IDB_CHECK);
    const std::pair<CMFCButton*, UINT> buttons[] = {
        {&ok_button_, IDB_CHECK}, {&cancel_button_, IDB_CROSS}, {&test_button_, IDB_PLUG}};
    for (auto [button, image] : buttons) {
        button->m_nFlatStyle = CMFCButton::BUTTONSTYLE_FLAT;
        button->m_bTransparent = true;
        button->m_bRightImage = false;
        button->SetTextColor(RGB(0, 0, 255));
        button->SetTextHotColor(RGB(0, 128, 128));
        button->SetImage(image);
    }

    if (m_pConnection) {
        snapshot_ = *m_pConnection;
        if (!m_pConnection->User.empty())
            if (const CSQLConnection* saved = FindConnection(*m_pConnection)) {
                m_pConnection->Password = saved->Password;
                m_pConnection->SavePassword = saved->SavePassword;
            }
    }
    grid_.FillConnections(connections_);
    if (m_pConnection && m_pConnection->User.empty() && !connections_.empty())
        *m_pConnection = connections_[0];

    for (const char16_t* mode : {u"Normal", u"SYSDBA", u"SYSOPER"})
        connect_as_.AddString(mode);
    connect_as_.SetCurSel(0);
    UpdateControls();

    if (m_pConnection)
        for (size_t i = 0; i < connections_.size(); ++i)
            if (connections_[i].IsSameConnection(*m_pConnection)) {
                grid_.GotoRow(static_cast<long>(i));
                break;
            }

    for (size_t i = 0; i < connections_.size(); ++i)
        AddDatabaseName(connections_[i].Database);

    client_path_.SetTransparent(true);
    client_version_.SetTransparent(true);
    oracle_home_.SetTransparent(true);

    // What the client environment cannot tell is left out; the dialog opens all the same.
    try {
        CTNS tns;
        client_version_.SetText(tns.GetClientVersion());
        std::u16string path;
        if (tns.GetClientPath(path))
            client_path_.SetText(path);
        oracle_home_.SetText(tns.GetOracleHomeName());
        std::vector<std::u16string> aliases;
        tns.ReadAliases(aliases);
        for (const auto& alias : aliases)
            AddDatabaseName(alias);
    } catch (...) {
    }

    HWND first = user_.m_hWnd;
    if (m_pConnection && !m_pConnection->User.empty() && m_pConnection->Password.empty())
        first = password_.m_hWnd;
    SetWindowPos(first, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    UpdateData(false);
    return TRUE;
}

void CConnectDlg::UpdateControls() {
    if (m_pConnection) {
        user_.SetWindowText(m_pConnection->User);
        save_password_ = m_pConnection->SavePassword ? BST_CHECKED : BST_UNCHECKED;
        password_text_ = m_pConnection->Password;
        database_.SetWindowText(m_pConnection->Database);
        int as = m_pConnection->ConnectAs;
        connect_as_.SetCurSel(as >= 0 && as <= 2 ? as : -1);
    }
    UpdateData(false);
}

void CConnectDlg::OnOkClicked() {
    UpdateData(true);
    if (m_pConnection) {
        CSQLConnection& d = *m_pConnection;
        d.User = platform::ascii_upper(user_.GetWindowText());
        // Oracle passwords are case-sensitive: the password is kept exactly as typed.
        d.Password = password_.GetWindowText();
        d.Database = platform::ascii_upper(database_.GetWindowText());
        d.ConnectAs = connect_as_.GetCurSel();
        d.SavePassword = save_password_ == BST_CHECKED;
        AddConnection(d);
        SaveConnections();
    }
    EndDialog(IDOK);
}

void CConnectDlg::OnCancel() {
    if (m_pConnection)
        *m_pConnection = snapshot_;
    EndDialog(IDCANCEL);
}

void CConnectDlg::OnClose() { OnCancel(); }

void CConnectDlg::OnTestConnection() {
    COraPrs session(&Ui());
    CSQLConnection trial;
    trial.User = user_.GetWindowText();
    trial.Database = database_.GetWindowText();
    trial.Password = password_.GetWindowText();
    // The logon is tried in the mode the box shows: a SYS logon succeeds only as SYSDBA or SYSOPER.
    int as = connect_as_.GetCurSel();
    trial.ConnectAs = as < 0 ? 0 : as;
    session.descriptor = trial;
    if (session.Connect()) {
        session.Disconnect();
        Ui().ShowInfo(u"The connection " + trial.User + u" - " + trial.Database + u" is OK");
    }
}

bool CConnectDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDOK:
            OnOkClicked();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
        case IDC_TEST_CONNECTION:
            OnTestConnection();
            return true;
        }
    }
    return CDialogEx::OnCommand(id, code, control);
}

bool CConnectDlgPrompt::Prompt(CSQLConnection& descriptor) {
    CConnectDlg dlg(parent_);
    dlg.m_pConnection = &descriptor;
    return dlg.DoModal() == IDOK;
}
