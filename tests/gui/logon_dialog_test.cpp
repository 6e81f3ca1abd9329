// The logon dialog and its grid, made from the real template and driven through their messages,
// over saved connections in a registry key of the test's own.
#include "gui_support.h"
#include "resource.h"
#include "win/CConnectDlg.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace {

CSQLConnection saved(const char16_t* user, const char16_t* db, const char16_t* password, int as = 0,
                     bool save_password = true) {
    CSQLConnection c;
    c.User = user;
    c.Database = db;
    c.Password = password;
    c.ConnectAs = as;
    c.SavePassword = save_password;
    return c;
}

// Boxes of the session's message boxes, recorded instead of shown.
struct recording_ui : CSessionUi {
    std::vector<std::u16string> errors, infos;
    void ShowError(std::u16string_view t) override { errors.emplace_back(t); }
    void ShowInfo(std::u16string_view t) override { infos.emplace_back(t); }
};

class LogonDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{8, 0xFF};
        InitCommonControlsEx(&icc);
    }
    void TearDown() override {
        dlg.reset();
        pump();
    }
    void store(std::vector<CSQLConnection> entries) {
        CConnectionList list(&profile);
        for (auto& e : entries)
            list.AddConnection(e);
        list.SaveConnections();
    }
    void open() {
        dlg = std::make_unique<CConnectDlg>();
        dlg->m_pConnection = &descriptor;
        dlg->SetUi(&ui);
        ASSERT_TRUE(dlg->Create());
        pump();
    }
    // The first control of the tab order: where the dialog puts the focus.
    HWND first_tab_stop() { return GetNextDlgTabItem(dlg->m_hWnd, nullptr, FALSE); }
    std::u16string text(CWnd& w) { return w.GetWindowText(); }
    std::u16string connect_as_shown() {
        int i = dlg->ConnectAsBox().GetCurSel();
        return i < 0 ? u"" : dlg->ConnectAsBox().GetLBText(i);
    }
    bool save_checked() { return SendMessageW(dlg->SavePasswordButton().m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    POINT cell_point(int col, long row) {
        CUGCtrl& g = dlg->Grid();
        int x = 5;
        for (int c = 0; c < col; ++c)
            x += g.GetColWidth(c);
        return POINT{x, g.HeadingHeight() + static_cast<int>(row) * g.RowHeight() + g.RowHeight() / 2};
    }
    void click(UINT down, UINT up, long row) {
        POINT p = cell_point(0, row);
        SendMessageW(dlg->Grid().m_hWnd, down, 0, MAKELPARAM(p.x, p.y));
        SendMessageW(dlg->Grid().m_hWnd, up, 0, MAKELPARAM(p.x, p.y));
    }
    void key(WPARAM vk) {
        SendMessageW(dlg->Grid().m_hWnd, WM_KEYDOWN, vk, 1);
        SendMessageW(dlg->Grid().m_hWnd, WM_KEYUP, vk, 0xC0000001);
    }

    test_profile profile{u"LogonDialog"};
    CSQLConnection descriptor;
    recording_ui ui;
    std::unique_ptr<CConnectDlg> dlg;
};

TEST_F(LogonDialog, EmptyDescriptorAndNoSavedConnection) {
    open();
    EXPECT_EQ(dlg->GetWindowText(), u"Oracle Logon");
    EXPECT_EQ(text(dlg->UserBox()), u"");
    EXPECT_EQ(text(dlg->PasswordBox()), u"");
    EXPECT_EQ(text(dlg->DatabaseBox()), u"");
    EXPECT_EQ(connect_as_shown(), u"Normal");
    EXPECT_TRUE(save_checked());
    EXPECT_EQ(first_tab_stop(), dlg->UserBox().m_hWnd);
    EXPECT_EQ(dlg->Grid().GetNumberRows(), 0);
    EXPECT_EQ(dlg->Grid().GetCurrentRow(), -1);
    EXPECT_EQ(dlg->Grid().QuickGetText(2, -1), u"Connect As");
    // Clicks on an empty grid change nothing.
    click(WM_LBUTTONDOWN, WM_LBUTTONUP, 0);
    key(VK_DOWN);
    EXPECT_TRUE(descriptor.User.empty());
}

TEST_F(LogonDialog, EmptyDescriptorTakesTheFirstSavedConnection) {
    store({saved(u"SCOTT", u"DEMO", u"tiger", 0), saved(u"SYSTEM", u"PROD", u"Manager1", 1)});
    open();
    EXPECT_EQ(text(dlg->UserBox()), u"SCOTT");
    EXPECT_EQ(text(dlg->PasswordBox()), u"tiger");
    EXPECT_EQ(text(dlg->DatabaseBox()), u"DEMO");
    EXPECT_EQ(dlg->Grid().GetCurrentRow(), 0);
    EXPECT_EQ(dlg->Grid().GetNumberRows(), 2);
    EXPECT_EQ(dlg->Grid().QuickGetText(0, 1), u"SYSTEM");
    EXPECT_EQ(dlg->Grid().QuickGetText(2, 1), u"SYSDBA");
    EXPECT_EQ(descriptor.User, u"SCOTT");
}

TEST_F(LogonDialog, SavedUserTakesPasswordAndSaveStateFromTheEntry) {
    store({saved(u"SCOTT", u"DEMO", u"tiger"), saved(u"HR", u"DEMO", u"", 0, false)});
    descriptor = saved(u"HR", u"DEMO", u"typed-before", 2, true);
    open();
    EXPECT_EQ(descriptor.Password, u"");
    EXPECT_FALSE(descriptor.SavePassword);
    EXPECT_EQ(text(dlg->PasswordBox()), u"");
    EXPECT_FALSE(save_checked());
    EXPECT_EQ(connect_as_shown(), u"SYSOPER") << "the descriptor's other fields stay";
    EXPECT_EQ(dlg->Grid().GetCurrentRow(), 1);
    EXPECT_EQ(first_tab_stop(), dlg->PasswordBox().m_hWnd) << "an empty password gets the focus";
}

TEST_F(LogonDialog, OkCapitalisesUserAndDatabaseKeepsThePasswordAndSaves) {
    store({saved(u"SYSTEM", u"DEMO", u"x", 1)});
    open();
    EXPECT_EQ(connect_as_shown(), u"SYSDBA");
    dlg->UserBox().SetWindowText(u"scott");
    dlg->PasswordBox().SetWindowText(u"TiGer");
    dlg->DatabaseBox().SetWindowText(u"demo.world");
    dlg->OnOkClicked();
    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDOK);
    EXPECT_EQ(descriptor.User, u"SCOTT");
    EXPECT_EQ(descriptor.Password, u"TiGer");
    EXPECT_EQ(descriptor.Database, u"DEMO.WORLD");
    EXPECT_EQ(descriptor.ConnectAs, 1);
    CConnectionList reread(&profile);
    reread.LoadConnections();
    ASSERT_EQ(reread.size(), 2u);
    EXPECT_EQ(reread[1].User, u"SCOTT");
    EXPECT_EQ(reread[1].Password, u"TiGer");
}

TEST_F(LogonDialog, CancelAndTheCloseBoxRestoreTheDescriptor) {
    store({saved(u"A", u"DB1", u"a"), saved(u"B", u"DB2", u"b"), saved(u"C", u"DB3", u"c")});
    for (UINT how : {0u, 1u}) {
        descriptor = saved(u"ME", u"MINE", u"pw", 2);
        open();
        click(WM_LBUTTONDOWN, WM_LBUTTONUP, 1);
        click(WM_RBUTTONDOWN, WM_RBUTTONUP, 2);
        EXPECT_EQ(descriptor.User, u"C") << "a click loads the row at once";
        if (how == 0)
            SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(dlg->CancelButton().m_hWnd));
        else
            SendMessageW(dlg->m_hWnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(dlg->Result(), IDCANCEL);
        EXPECT_EQ(descriptor.User, u"ME");
        EXPECT_EQ(descriptor.Database, u"MINE");
        EXPECT_EQ(descriptor.ConnectAs, 2);
        dlg.reset();
    }
}

TEST_F(LogonDialog, DatabaseBoxListsSavedDatabasesAndAliasesOnce) {
    store({saved(u"A", u"DEMO", u""), saved(u"B", u"DEMO", u""), saved(u"C", u"PROD", u"")});
    FILE* f = std::fopen("TNSNAMES.ORA", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("DEMO = (DESCRIPTION = (ADDRESS = (HOST = h)))\nprod = (DESCRIPTION = (X = 1))\n"
               "# a comment\nTEST.WORLD =\n  (DESCRIPTION = (Y = 2))\n",
               f);
    std::fclose(f);
    open();
    std::remove("TNSNAMES.ORA");
    std::vector<std::u16string> items;
    for (int i = 0; i < dlg->DatabaseBox().GetCount(); ++i)
        items.push_back(dlg->DatabaseBox().GetLBText(i));
    // Sorted by the box; the alias "prod" reads in capitals and so equals the saved PROD.
    EXPECT_EQ(items, (std::vector<std::u16string>{u"DEMO", u"PROD", u"TEST.WORLD"}));
}

TEST_F(LogonDialog, GridRowsClicksKeysAndDeletion) {
    store({saved(u"U1", u"D", u"1"), saved(u"U2", u"D", u"2"), saved(u"U3", u"D", u"3", 7),
           saved(u"U4", u"D", u"4"), saved(u"U5", u"D", u"5")});
    open();
    CUGCtrl& g = dlg->Grid();
    EXPECT_EQ(g.GetNumberCols(), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(g.GetColWidth(c), 140);
    EXPECT_EQ(g.GetSH_Width(), 0);
    EXPECT_TRUE(g.GetHighlightRow());
    EXPECT_EQ(g.QuickGetText(2, 2), u"Normal") << "ConnectAs 7";
    dlg->UserBox().SetWindowText(u"typed");
    click(WM_RBUTTONDOWN, WM_RBUTTONUP, 2);
    EXPECT_EQ(text(dlg->UserBox()), u"U3");
    EXPECT_EQ(descriptor.Password, u"3");
    key(VK_DOWN);
    EXPECT_EQ(g.GetCurrentRow(), 3);
    EXPECT_EQ(descriptor.User, u"U4") << "key up loads the current row";
    key(VK_UP);
    EXPECT_EQ(descriptor.User, u"U3");
    key(VK_DELETE);
    EXPECT_EQ(g.GetNumberRows(), 4);
    EXPECT_EQ(g.QuickGetText(0, 2), u"U4");
    EXPECT_EQ(g.GetCurrentRow(), 0);
    EXPECT_EQ(descriptor.User, u"U1") << "the release loads the first row";
    EXPECT_EQ(dlg->Connections().size(), 4u);
    // Not saved until OK.
    CConnectionList reread(&profile);
    reread.LoadConnections();
    EXPECT_EQ(reread.size(), 5u);
}

TEST_F(LogonDialog, DeletingTheOnlyRowKeepsTheControls) {
    store({saved(u"ONLY", u"DB", u"pw")});
    open();
    key(VK_DELETE);
    EXPECT_EQ(dlg->Grid().GetNumberRows(), 0);
    EXPECT_EQ(text(dlg->UserBox()), u"ONLY");
    EXPECT_TRUE(dlg->Connections().empty());
}

TEST_F(LogonDialog, DoubleClickAndEnterConfirm) {
    store({saved(u"U1", u"D", u"1"), saved(u"U2", u"D", u"2")});
    open();
    POINT p = cell_point(1, 1);
    SendMessageW(dlg->Grid().m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
    SendMessageW(dlg->Grid().m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    SendMessageW(dlg->Grid().m_hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(dlg->Result(), IDOK);
    EXPECT_EQ(descriptor.User, u"U2");
    dlg.reset();
    open();
    SendMessageW(dlg->Grid().m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(dlg->Result(), IDOK);
}

TEST_F(LogonDialog, ButtonsHaveTheirLook) {
    open();
    EXPECT_EQ(dlg->OkButton().GetImageId(), static_cast<UINT>(IDB_CHECK));
    EXPECT_EQ(dlg->CancelButton().GetImageId(), static_cast<UINT>(IDB_CROSS));
    EXPECT_EQ(dlg->TestButton().GetImageId(), static_cast<UINT>(IDB_PLUG));
    EXPECT_EQ(dlg->OkButton().GetTextColor(), RGB(0, 0, 255));
    EXPECT_EQ(dlg->TestButton().GetTextHotColor(), RGB(0, 128, 128));
    CMFCButton& save = dlg->SavePasswordButton();
    EXPECT_EQ(save.m_nFlatStyle, CMFCButton::BUTTONSTYLE_NOBORDERS);
    EXPECT_EQ(save.ShownImageId(), static_cast<UINT>(IDB_CHECK)) << "checked by default";
    SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SAVE_PASSWORD, BN_CLICKED),
                 reinterpret_cast<LPARAM>(save.m_hWnd));
    EXPECT_EQ(save.ShownImageId(), static_cast<UINT>(IDB_CROSS));
    EXPECT_TRUE(dlg->ClientPathLabel().IsTransparent());
}

} // namespace

#include "snapshot.h"

namespace {

TEST_F(LogonDialog, SnapshotWithSavedConnections) {
    if (!snapshots_wanted())
        GTEST_SKIP() << "pictures only for scripts/screenshot";
    store({saved(u"SYSTEM", u"DEMO", u"manager", 0), saved(u"SYS", u"DEMO", u"change_on_install", 1),
           saved(u"SCOTT", u"TEST.WORLD", u"tiger", 0)});
    open();
    SetWindowPos(dlg->m_hWnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    pump();
    snapshot("logon-dialog");
}

} // namespace

#include "function_table.h"
#include "orasim_control.h"
#include "text.h"

namespace {

TEST_F(LogonDialog, TestConnectionTriesTheTypedSettingsInTheShownMode) {
    oci::install_client(orasim_function_table());
    ASSERT_EQ(orasim_load_definition("database DEMO\nuser SYSTEM Manager dba\nuser SYS secret sysdba\n"), 0);
    orasim_reset();
    open();
    struct row {
        const char16_t* user;
        const char16_t* password;
        int mode;
        bool ok;
    };
    const row cases[] = {{u"SYSTEM", u"Manager", 0, true},
                         {u"SYSTEM", u"MANAGER", 0, false},
                         {u"SYS", u"secret", 1, true},
                         {u"SYS", u"secret", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        ui.errors.clear();
        ui.infos.clear();
        dlg->UserBox().SetWindowText(c.user);
        dlg->PasswordBox().SetWindowText(c.password);
        dlg->DatabaseBox().SetWindowText(u"DEMO");
        dlg->ConnectAsBox().SetCurSel(c.mode);
        SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_CONNECTION, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dlg->TestButton().m_hWnd));
        if (c.ok) {
            ASSERT_EQ(ui.infos.size(), 1u);
            EXPECT_EQ(ui.infos[0], u"The connection " + std::u16string(c.user) + u" - DEMO is OK");
            EXPECT_TRUE(ui.errors.empty());
        } else {
            EXPECT_TRUE(ui.infos.empty());
            ASSERT_EQ(ui.errors.size(), 1u);
            EXPECT_TRUE(ui.errors[0].find(u"ORA-01017") != std::u16string::npos ||
                        ui.errors[0].find(u"ORA-28009") != std::u16string::npos)
                << platform::to_narrow(ui.errors[0]);
        }
        EXPECT_EQ(orasim_live_sessions(), 0u) << "the test logon is closed at once";
        EXPECT_FALSE(dlg->HasEnded());
    }
    EXPECT_TRUE(descriptor.User.empty()) << "the session's descriptor is untouched";
}

} // namespace

namespace {

std::u16string module_directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string p(reinterpret_cast<const char16_t*>(path));
    return p.substr(0, p.find_last_of(u'\\'));
}

TEST_F(LogonDialog, LabelsNameTheLoadedClientAndItsHome) {
    // The simulated OCI.DLL beside this program, loaded as the program loads its client.
    HMODULE oci_dll = LoadLibraryW(L"OCI.DLL");
    ASSERT_NE(oci_dll, nullptr);
    std::u16string bin = module_directory();
    std::u16string home = bin.substr(0, bin.find_last_of(u'\\'));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE\\KEY_MendwickTestHome", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto set = [&](const wchar_t* name, const std::u16string& value) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * 2));
    };
    set(L"ORACLE_HOME", home);
    set(L"ORACLE_HOME_NAME", u"OraMendwickTest");
    RegCloseKey(key);
    open();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE\\KEY_MendwickTestHome");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE"); // only when the test made it empty
    std::u16string path = dlg->ClientPathLabel().GetWindowText();
    EXPECT_TRUE(lstrcmpiW(W(path), W(bin + u"\\OCI.DLL")) == 0) << platform::to_narrow(path);
    EXPECT_EQ(dlg->ClientVersionLabel().GetWindowText(), u"19.3.0.0.0 orasim");
    EXPECT_EQ(dlg->OracleHomeLabel().GetWindowText(), u"OraMendwickTest");
    FreeLibrary(oci_dll);
}

} // namespace
