// The modal "Oracle Logon" dialog: edits the session's descriptor in place, shows the saved
// connections in a grid, offers saved databases and TNS aliases, and tries a logon.
#pragma once

#include "CComboBox.h"
#include "CConnectionLst.h"
#include "CDialogEx.h"
#include "CLabel.h"
#include "CMFCButton.h"
#include "connection_list.h"
#include "session/session_ui.h"
#include "sql_connection.h"

#include <string>

class CConnectDlg : public CDialogEx {
public:
    explicit CConnectDlg(HWND parent = nullptr);
    ~CConnectDlg() override;

    // Shows the descriptor in the controls.
    void UpdateControls();
    // Takes the controls into the descriptor, saves the list and ends the dialog with IDOK.
    void OnOkClicked();
    void OnTestConnection();
    void OnCancel() override;

    void AddConnection(const CSQLConnection& c) { connections_.AddConnection(c); }
    CSQLConnection* FindConnection(const CSQLConnection& c) { return connections_.FindConnection(c); }
    void RemoveConnection(const CSQLConnection& c) { connections_.RemoveConnection(c); }
    void LoadConnections() { connections_.LoadConnections(); }
    void SaveConnections() { connections_.SaveConnections(); }
    void ClearConnections() { connections_.ClearConnections(); }
    CConnectionList& Connections() { return connections_; }

    // The message boxes of Test connection (the application's by default).
    void SetUi(CSessionUi* ui) { ui_ = ui; }

    // The session's descriptor that the dialog edits; set before the dialog runs.
    CSQLConnection* m_pConnection = nullptr;

    // For the program's own tests.
    CEdit& UserBox() { return user_; }
    CEdit& PasswordBox() { return password_; }
    CComboBox& DatabaseBox() { return database_; }
    CComboBox& ConnectAsBox() { return connect_as_; }
    CMFCButton& SavePasswordButton() { return save_password_button_; }
    CMFCButton& OkButton() { return ok_button_; }
    CMFCButton& CancelButton() { return cancel_button_; }
    CMFCButton& TestButton() { return test_button_; }
    CLabel& ClientPathLabel() { return client_path_; }
    CLabel& ClientVersionLabel() { return client_version_; }
    CLabel& OracleHomeLabel() { return oracle_home_; }
    CConnectionLst& Grid() { return grid_; }
    const CSQLConnection& Snapshot() const { return snapshot_; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnClose() override;

private:
    void AddDatabaseName(std::u16string_view name);
    CSessionUi& Ui() const { return ui_ ? *ui_ : ApplicationUi(); }

    CSQLConnection snapshot_;
    CConnectionList connections_;
    CEdit user_;
    CEdit password_;
    CComboBox database_;
    CComboBox connect_as_;
    std::u16string password_text_;
    int save_password_ = 0;
    CMFCButton save_password_button_;
    CMFCButton ok_button_;
    CMFCButton cancel_button_;
    CMFCButton test_button_;
    CLabel client_path_;
    CLabel client_version_;
    CLabel oracle_home_;
    CConnectionLst grid_;
    std::vector<std::u16string> added_databases_;
    CSessionUi* ui_ = nullptr;
};

// The logon prompt of the program: runs a logon dialog on the session's descriptor.
class CConnectDlgPrompt : public CLogonPrompt {
public:
    explicit CConnectDlgPrompt(HWND parent = nullptr) : parent_(parent) {}
    void SetParent(HWND parent) { parent_ = parent; }
    bool Prompt(CSQLConnection& descriptor) override;

private:
    HWND parent_;
};
