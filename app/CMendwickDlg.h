// The main window: three command buttons, the message list and the version link.
#pragma once

#include "CDialogEx.h"
#include "CListCtrl.h"
#include "CMFCButton.h"
#include "CMFCLinkCtrl.h"
#include "win/CConnectDlg.h"
#include "session/COraPrs.h"

class CMendwickDlg : public CDialogEx {
public:
    explicit CMendwickDlg(HWND parent = nullptr);
    ~CMendwickDlg() override;

    // The three commands.
    void OnSearchInvalids();
    void OnCompileInvalids();
    void OnConnection();

    void LayoutControls();

    // The logon dialog the commands prompt with (the program's own by default).
    void SetLogonPrompt(CLogonPrompt* prompt) { session_.SetLogonPrompt(prompt); }

    COraPrs& Session() { return session_; }
    CListCtrl& Messages() { return messages_; }
    CMFCButton& SearchButton() { return search_; }
    CMFCButton& CompileButton() { return compile_; }
    CMFCButton& ConnectionButton() { return connection_; }
    CMFCLinkCtrl& VersionLink() { return version_; }
    HICON Icon() const { return icon_; }

    // The page the version link opens: about.html beside the program.
    static std::u16string AboutPageUrl();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnDestroy() override;

private:
    void SetTitle(std::u16string_view title);

    HICON icon_;
    COraPrs session_;
    CConnectDlgPrompt logon_dialog_;
    CMFCButton search_;
    CMFCButton compile_;
    CMFCButton connection_;
    CListCtrl messages_;
    CMFCLinkCtrl version_;
};
