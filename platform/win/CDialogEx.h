// Dialogs from resource templates, run modally in a loop of our own (so that PreTranslateMessage sees
// every message first), or created modeless; with data exchange between members and controls.
#pragma once

#include "CWnd.h"

#include <string>

class CDialogEx;

// The direction and the dialog of one data exchange.
struct CDataExchange {
    bool m_bSaveAndValidate;
    CDialogEx* m_pDlgWnd;
};

// Binds a control of the dialog to a member object (once: the first exchange subclasses it).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// A control's text and a string member.
void DDX_Text(CDataExchange* dx, int id, std::u16string& value);
// A check box's state (BST_UNCHECKED, BST_CHECKED) and an integer member.
void DDX_Check(CDataExchange* dx, int id, int& value);

class CDialogEx : public CWnd {
public:
    explicit CDialogEx(UINT template_id, HWND parent = nullptr);
    ~CDialogEx() override;

    // Runs the dialog modally; the value given to EndDialog (IDOK, IDCANCEL, ...), -1 when it could not be made.
    INT_PTR DoModal();
    // Creates the dialog modeless (for the program's own tests of its windows).
    bool Create();
    void EndDialog(INT_PTR result);
    void DestroyWindow();
    bool IsModalRunning() const { return running_; }
    bool HasEnded() const { return ended_; }
    INT_PTR Result() const { return result_; }

    // Moves member values into controls (save false) or controls into members (save true).
    bool UpdateData(bool save = true);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    // True when the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void OnOK();
    virtual void OnCancel();

    UINT template_id() const { return template_id_; }
    static HINSTANCE ResourceInstance();

protected:
    // A command from a control or a menu; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {}
    virtual bool OnPaint() { return false; }
    virtual HCURSOR OnQueryDragIcon() { return nullptr; }
    virtual void OnDestroy() {}
    virtual void OnClose() { OnCancel(); }
    // Every other message; return true with *result set when handled.
    virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, LRESULT* /*result*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    UINT template_id_;
    HWND parent_;
    bool running_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
};
