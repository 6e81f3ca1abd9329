#include "CMendwickDlg.h"
#include "gui_support.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <vector>

namespace {

// Counts the logon prompts a command asks for and cancels them.
struct counting_prompt : CLogonPrompt {
    int calls = 0;
    bool Prompt(CSQLConnection&) override {
        ++calls;
        return false;
    }
};

RECT dialog_units(HWND dlg, int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    MapDialogRect(dlg, &r);
    return r;
}

RECT rect_in_parent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Pixels of the text colour that the window shows on the screen now.
int pixels_of_colour(HWND h, COLORREF colour) {
    RECT r{};
    GetClientRect(h, &r);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    BitBlt(mem, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            n += GetPixel(mem, x, y) == colour;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return n;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{8, 0xFF};
        InitCommonControlsEx(&icc);
        dlg.SetLogonPrompt(&prompt);
        ASSERT_TRUE(dlg.Create());
        pump();
    }
    void TearDown() override {
        dlg.DestroyWindow();
        pump();
    }
    HWND item(int id) { return GetDlgItem(dlg.m_hWnd, id); }
    counting_prompt prompt;
    CMendwickDlg dlg;
};

TEST_F(MainWindow, TemplateGivesCaptionControlsAndPlaces) {
    EXPECT_EQ(text_of(dlg.m_hWnd), u"Tolvera Mendwick");
    LONG style = GetWindowLongW(dlg.m_hWnd, GWL_STYLE);
    for (LONG s : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_VISIBLE})
        EXPECT_EQ(style & s, s) << std::hex << s;
    EXPECT_TRUE(GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    struct control {
        int id;
        const char16_t* cls;
        const char16_t* caption;
    };
    const control controls[] = {
        {IDC_SEARCH_INVALIDS, u"Button", u"Search Invalids"},
        {IDC_COMPILE_INVALIDS, u"Button", u"Compile Invalids"},
        {IDC_CONNECTION, u"Button", u"Connection"},
        {IDC_MESSAGES, u"SysListView32", u""},
        {IDC_VERSION_LINK, u"Button", u"Version 1.0. (C) 2026 Tolvera Software"},
    };
    for (const auto& c : controls) {
        HWND h = item(c.id);
        ASSERT_NE(h, nullptr) << c.id;
        EXPECT_EQ(lstrcmpiW(W(class_of(h)), W(c.cls)), 0) << c.id;
        EXPECT_EQ(text_of(h), c.caption) << c.id;
    }
    // The two buttons that the layout leaves where the template put them.
    RECT compile = dialog_units(dlg.m_hWnd, 85, 7, 70, 14);
    RECT connection = dialog_units(dlg.m_hWnd, 163, 7, 70, 14);
    RECT a = rect_in_parent(item(IDC_COMPILE_INVALIDS));
    RECT b = rect_in_parent(item(IDC_CONNECTION));
    EXPECT_EQ(a.left, compile.left);
    EXPECT_EQ(a.top, compile.top);
    EXPECT_EQ(a.right - a.left, compile.right - compile.left);
    EXPECT_EQ(b.left, connection.left);
    EXPECT_EQ(b.bottom - b.top, connection.bottom - connection.top);

    LONG list_style = GetWindowLongW(item(IDC_MESSAGES), GWL_STYLE);
    EXPECT_EQ(list_style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(list_style & LVS_SINGLESEL) << "several rows can be selected";
    // The list view turns its border into the sunken client edge.
    EXPECT_TRUE((list_style & WS_BORDER) || (GetWindowLongW(item(IDC_MESSAGES), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    EXPECT_TRUE(list_style & WS_TABSTOP);
    EXPECT_EQ(dlg.Messages().GetColumnCount(), 0);
    EXPECT_EQ(dlg.Messages().GetItemCount(), 0);
}

TEST_F(MainWindow, LayoutFollowsTheClientArea) {
    RECT search_before = rect_in_parent(item(IDC_SEARCH_INVALIDS));
    RECT compile_before = rect_in_parent(item(IDC_COMPILE_INVALIDS));
    RECT connection_before = rect_in_parent(item(IDC_CONNECTION));
    for (auto [w, h] : {std::pair{900, 600}, std::pair{640, 420}, std::pair{1201, 777}, std::pair{700, 500}}) {
        SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        pump();
        RECT c{};
        GetClientRect(dlg.m_hWnd, &c);
        RECT list = rect_in_parent(item(IDC_MESSAGES));
        EXPECT_EQ(list.left, 10);
        EXPECT_EQ(list.top, 40);
        EXPECT_EQ(c.right - list.right, 10);
        EXPECT_EQ(c.bottom - list.bottom, 30);
        RECT link = rect_in_parent(item(IDC_VERSION_LINK));
        EXPECT_EQ(link.left, c.right / 2 - 123);
        EXPECT_EQ(link.top, c.bottom - 25);
        EXPECT_EQ(link.right - link.left, 246);
        EXPECT_EQ(link.bottom - link.top, 20);
        EXPECT_GT(pixels_of_colour(item(IDC_VERSION_LINK), RGB(0, 0, 255)), 50)
            << "the moved link shows its text at " << w << " x " << h;
        RECT search = rect_in_parent(item(IDC_SEARCH_INVALIDS));
        EXPECT_EQ(search.left, 10);
        EXPECT_EQ(search.top, 10);
        EXPECT_EQ(search.right - search.left, search_before.right - search_before.left);
        RECT compile = rect_in_parent(item(IDC_COMPILE_INVALIDS));
        RECT connection = rect_in_parent(item(IDC_CONNECTION));
        EXPECT_TRUE(EqualRect(&compile, &compile_before));
        EXPECT_TRUE(EqualRect(&connection, &connection_before));
    }
}

TEST_F(MainWindow, ButtonsHaveTheirLook) {
    const std::pair<CMFCButton*, UINT> buttons[] = {{&dlg.SearchButton(), IDB_SEARCH},
                                                    {&dlg.CompileButton(), IDB_COMPILE},
                                                    {&dlg.ConnectionButton(), IDB_CONNECTION}};
    for (auto [b, image] : buttons) {
        EXPECT_TRUE(b->m_bTransparent);
        EXPECT_EQ(b->m_nFlatStyle, CMFCButton::BUTTONSTYLE_FLAT);
        EXPECT_FALSE(b->m_bRightImage);
        EXPECT_FALSE(b->m_bTopImage);
        EXPECT_EQ(b->GetTextColor(), 0xFF0000u);
        EXPECT_EQ(b->GetTextHotColor(), 0x808000u);
        EXPECT_EQ(b->GetImageId(), image);
    }
}

TEST_F(MainWindow, MessageListOperationsReadBack) {
    CListCtrl& list = dlg.Messages();
    list.AddColumn(0, u"OWNER", 150);
    list.AddColumn(1, u"OBJECT_TYPE", 150);
    list.AddItem(0, u"HR");
    list.SetCell(0, 1, u"VIEW");
    list.AddItem(0, u"APP");
    list.SetTextColor(0x0000FF);
    EXPECT_EQ(list.GetColumnCount(), 2);
    EXPECT_EQ(list.GetColumnHeader(1), u"OBJECT_TYPE");
    EXPECT_EQ(list.GetColumnWidth(0), 150);
    EXPECT_EQ(list.GetColumnFormat(0) & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), u"APP");
    EXPECT_EQ(list.GetItemText(1, 0), u"HR");
    EXPECT_EQ(list.GetItemText(1, 1), u"VIEW");
    EXPECT_EQ(list.GetTextColor(), 0x0000FFu);

    ShowMessage(list, u"SYSTEM@DEMO connected...", 0xFF0000);
    EXPECT_EQ(list.GetColumnCount(), 1);
    EXPECT_EQ(list.GetColumnHeader(0), u"Info");
    EXPECT_EQ(list.GetColumnWidth(0), 500);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemText(0, 0), u"SYSTEM@DEMO connected...");
    EXPECT_EQ(list.GetTextColor(), 0xFF0000u);
}

std::vector<std::u16string> opened;

TEST_F(MainWindow, VersionLinkOpensTheAboutPage) {
    const std::u16string& url = dlg.VersionLink().GetURL();
    EXPECT_EQ(url.rfind(u"file:///", 0), 0u);
    EXPECT_EQ(url.substr(url.size() - 11), u"/about.html");
    EXPECT_EQ(dlg.VersionLink().GetTooltip(), url);
    auto old = CMFCLinkCtrl::open_url;
    CMFCLinkCtrl::open_url = [](const std::u16string& u) { opened.push_back(u); };
    SendMessageW(item(IDC_VERSION_LINK), BM_CLICK, 0, 0);
    pump();
    CMFCLinkCtrl::open_url = old;
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], url);
    EXPECT_EQ(prompt.calls, 0);
}

TEST_F(MainWindow, MinimisedShowsTheIcon) {
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0)), dlg.Icon());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0)), dlg.Icon());
}

TEST_F(MainWindow, ButtonsRunTheirCommands) {
    // Without a connection each command asks for a logon; cancelled, nothing changes.
    for (int id : {IDC_SEARCH_INVALIDS, IDC_COMPILE_INVALIDS, IDC_CONNECTION})
        SendMessageW(item(id), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(prompt.calls, 3);
    EXPECT_EQ(text_of(dlg.m_hWnd), u"Tolvera Mendwick");
    EXPECT_EQ(dlg.Messages().GetColumnCount(), 0);
}

// Enter and Esc in the modal window: no command, the window stays.
TEST(MainWindowModal, EnterAndEscapeDoNothing) {
    counting_prompt prompt;
    CMendwickDlg dlg;
    dlg.SetLogonPrompt(&prompt);
    static CMendwickDlg* running;
    static bool open_after_keys;
    running = &dlg;
    open_after_keys = false;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND focus = GetFocus();
        HWND target = focus ? focus : running->m_hWnd;
        for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
            PostMessageW(target, WM_KEYDOWN, key, 1);
            PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        }
        SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id2, DWORD) {
            KillTimer(nullptr, id2);
            open_after_keys = IsWindow(running->m_hWnd) && IsWindowVisible(running->m_hWnd);
            PostMessageW(running->m_hWnd, WM_CLOSE, 0, 0);
        });
    });
    INT_PTR result = dlg.DoModal();
    EXPECT_TRUE(open_after_keys);
    EXPECT_EQ(prompt.calls, 0);
    EXPECT_EQ(result, IDCANCEL) << "the close box ends the modal run";
}

} // namespace

#include "snapshot.h"

namespace {

TEST(Snapshot, MainWindow) {
    INITCOMMONCONTROLSEX icc{8, 0xFF};
    InitCommonControlsEx(&icc);
    CMendwickDlg dlg;
    ASSERT_TRUE(dlg.Create());
    SetWindowPos(dlg.m_hWnd, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump();
    snapshot("main-window");
    ShowMessage(dlg.Messages(), u"SYSTEM@DEMO connected...", 0xFF0000);
    pump();
    snapshot("main-window-message");
    dlg.DestroyWindow();
}

} // namespace

#include "function_table.h"
#include "orasim_control.h"

namespace {

TEST(MainWindowSession, ClosingTheWindowEndsTheDatabaseSession) {
    oci::install_client(orasim_function_table());
    ASSERT_EQ(orasim_load_definition("database DEMO\nuser SYSTEM manager dba\n"), 0);
    orasim_reset();
    {
        CMendwickDlg dlg;
        ASSERT_TRUE(dlg.Create());
        dlg.Session().descriptor.User = u"SYSTEM";
        dlg.Session().descriptor.Password = u"manager";
        dlg.Session().descriptor.Database = u"DEMO";
        ASSERT_TRUE(dlg.Session().Connect());
        EXPECT_EQ(orasim_live_sessions(), 1u);
        SendMessageW(dlg.m_hWnd, WM_CLOSE, 0, 0);
        pump();
        dlg.DestroyWindow();
        EXPECT_EQ(orasim_live_sessions(), 0u) << "WM_DESTROY disconnects";
    }
    EXPECT_EQ(orasim_live_handles(), 0u);
}

} // namespace
