// The three commands of the main window end to end: the real window, the real logon dialog and the
// real message boxes, over the demo database in the simulated server. A second thread plays the user:
// it waits for each modal window a command opens, reads it, types into it and presses its buttons.
#include "CMendwickApp.h"
#include "CMendwickDlg.h"
#include "function_table.h"
#include "orasim_control.h"
#include "resource.h"
#include "text.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui_support.h"
#include "snapshot.h"

namespace {

using namespace std::chrono_literals;

// What the user does with the next modal window.
struct step {
    enum kind { logon, cancel_logon, box } what;
    std::u16string user, password, database;
};
step logon(std::u16string user, std::u16string password, std::u16string database = u"DEMO") {
    return {step::logon, std::move(user), std::move(password), std::move(database)};
}
const step cancel{step::cancel_logon, {}, {}, {}};
const step box{step::box, {}, {}, {}};

// Plays the user from a thread of its own while the window's thread runs a command with its modal
// loops. Each window it meets is written to the transcript:
//   "logon USER@DB"  the logon dialog, with the user and database it showed when it came up;
//   "box TEXT"       an error box (the exclamation icon) and its text;
//   "info TEXT"      an information box.
// A box's caption must be the application title.
// A window that comes when no step is left is written as "unexpected ..." and closed, so that a
// wrong command ends instead of hanging; a step whose window never comes is written as "missing".
class user_robot {
public:
    explicit user_robot(HWND main) : main_(main), ui_thread_(GetCurrentThreadId()) {}
    ~user_robot() { finish(); }

    void start(std::vector<step> steps) {
        transcript_.clear();
        steps_ = std::move(steps);
        done_ = false;
        thread_ = std::thread([this] { run(); });
    }
    // Called once the command has returned.
    std::vector<std::u16string> finish() {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        return transcript_;
    }

private:
    void run() {
        size_t next = 0;
        for (;;) {
            HWND w = modal_window();
            if (!w) {
                if (done_) {
                    for (; next < steps_.size(); ++next)
                        transcript_.push_back(u"missing");
                    return;
                }
                std::this_thread::sleep_for(10ms);
                continue;
            }
            bool is_logon = GetDlgItem(w, IDC_USER) != nullptr;
            std::u16string seen = is_logon ? u"logon " + text_of(GetDlgItem(w, IDC_USER)) + u"@" +
                                                 text_of(GetDlgItem(w, IDC_DATABASE))
                                           : box_kind(w) + box_text(w);
            if (!is_logon && text_of(w) != u"Mendwick")
                seen += u" [caption " + text_of(w) + u"]";
            if (next >= steps_.size()) {
                transcript_.push_back(u"unexpected " + seen);
                close(w, is_logon);
            } else {
                const step& s = steps_[next++];
                transcript_.push_back(seen);
                if (is_logon != (s.what != step::box))
                    transcript_.back() += u" [instead of another window]";
                if (is_logon && s.what == step::logon) {
                    type(GetDlgItem(w, IDC_USER), s.user);
                    type(GetDlgItem(w, IDC_PASSWORD), s.password);
                    type(GetDlgItem(w, IDC_DATABASE), s.database);
                    PostMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
                } else {
                    close(w, is_logon);
                }
            }
            for (int i = 0; i < 1000 && IsWindow(w) && IsWindowVisible(w); ++i)
                std::this_thread::sleep_for(5ms);
        }
    }

    // The enabled modal window of the window's thread: a dialog other than the main window.
    HWND modal_window() {
        struct search {
            HWND main, found;
        } s{main_, nullptr};
        EnumThreadWindows(
            ui_thread_,
            [](HWND h, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<search*>(p);
                if (h != s->main && IsWindowVisible(h) && IsWindowEnabled(h) && class_of(h) == u"#32770") {
                    s->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&s));
        return s.found;
    }

    static std::u16string box_text(HWND box) {
        HWND text = GetDlgItem(box, 0xFFFF);
        if (text)
            return text_of(text);
        // Else the longest static text of the box.
        std::u16string longest;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (lstrcmpiW(W(class_of(c)), L"Static") == 0 && text_of(c).size() > longest.size())
                longest = text_of(c);
        return longest;
    }

    static std::u16string box_kind(HWND box) {
        HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 1088, STM_GETICON, 0, 0));
        // The system's exclamation (32515) and information (32516) icons, shared by every box.
        if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32515)))
            return u"box ";
        if (icon == LoadIconW(nullptr, MAKEINTRESOURCEW(32516)))
            return u"info ";
        return u"box with another icon ";
    }

    static void type(HWND control, const std::u16string& text) {
        SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text.c_str())));
    }

    static void close(HWND w, bool is_logon) {
        HWND button = GetDlgItem(w, is_logon ? IDCANCEL : IDOK);
        if (button)
            PostMessageW(button, BM_CLICK, 0, 0);
        else
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    HWND main_;
    DWORD ui_thread_;
    std::vector<step> steps_;
    std::vector<std::u16string> transcript_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

std::string demo_definition() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string p(reinterpret_cast<const char16_t*>(path), n);
    p = p.substr(0, p.find_last_of(u"\\/") + 1) + u"demo_orasim.txt";
    std::ifstream in(W(p.c_str()));
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The error box of an Oracle error: the server's message ends with its own line break.
std::u16string error_box(const char* description) {
    return u"box Error type: Oracle\nDescription: (OCI_ERROR) " + platform::to_utf16(description) + u"\n\n";
}

const char* const wrong_password = "ORA-01017: invalid username/password; logon denied";
const char* const not_connected = "ORA-03114: not connected to ORACLE";

class Commands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { definition = demo_definition(); }
    void SetUp() override {
        ASSERT_FALSE(definition.empty()) << "demo_orasim.txt beside the test program";
        INITCOMMONCONTROLSEX icc{8, 0xFF};
        InitCommonControlsEx(&icc);
        SetApplicationUi(&boxes);
        oci::install_client(orasim_function_table());
        ASSERT_EQ(orasim_load_definition(definition.c_str()), 0) << orasim_last_error();
        orasim_reset();
        trace = testing::TempDir() + "commands_trace.txt";
        DeleteFileA(trace.c_str());
        dlg = std::make_unique<CMendwickDlg>();
        ASSERT_TRUE(dlg->Create());
        pump();
        robot = std::make_unique<user_robot>(dlg->m_hWnd);
    }
    void TearDown() override {
        robot.reset();
        dlg->DestroyWindow();
        pump();
        dlg.reset();
        EXPECT_EQ(orasim_live_sessions(), 0u);
        EXPECT_EQ(orasim_live_handles(), 0u) << "every handle is freed once the window is gone";
        orasim_set_trace_file(nullptr);
        orasim_clear_faults();
        SetApplicationUi(nullptr);
    }

    // Clicks a button of the main window as the user does; the robot answers what the command opens.
    std::vector<std::u16string> click(int id, std::vector<step> steps = {}) {
        robot->start(std::move(steps));
        SendMessageW(GetDlgItem(dlg->m_hWnd, id), BM_CLICK, 0, 0);
        pump();
        return robot->finish();
    }
    void connect_as_system() {
        ASSERT_EQ(click(IDC_CONNECTION, {logon(u"system", u"manager", u"demo")}),
                  std::vector<std::u16string>{u"logon @"});
        ASSERT_TRUE(dlg->Session().connected);
    }

    std::u16string title() { return text_of(dlg->m_hWnd); }
    CListCtrl& list() { return dlg->Messages(); }
    std::vector<std::u16string> column(int col) {
        std::vector<std::u16string> out;
        for (int i = 0; i < list().GetItemCount(); ++i)
            out.push_back(list().GetItemText(i, col));
        return out;
    }
    std::vector<std::u16string> rows() {
        std::vector<std::u16string> out;
        for (int i = 0; i < list().GetItemCount(); ++i) {
            std::u16string row;
            for (int c = 0; c < list().GetColumnCount(); ++c)
                row += (c ? u"|" : u"") + list().GetItemText(i, c);
            out.push_back(row);
        }
        return out;
    }
    std::vector<std::u16string> headers() {
        std::vector<std::u16string> out;
        for (int c = 0; c < list().GetColumnCount(); ++c)
            out.push_back(list().GetColumnHeader(c));
        return out;
    }
    // The statements the server ran, in order, from its trace.
    std::vector<std::string> executed() {
        std::vector<std::string> out;
        std::ifstream in(trace);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("OCIStmtExecute\t", 0) == 0)
                out.push_back(line.substr(15));
        return out;
    }

    static std::string definition;
    test_profile profile{u"Commands"};
    CAppSessionUi boxes;
    std::unique_ptr<CMendwickDlg> dlg;
    std::unique_ptr<user_robot> robot;
    std::string trace;
};
std::string Commands::definition;

const std::vector<std::u16string> search_headers{u"OWNER", u"OBJECT_TYPE", u"OBJECT_NAME", u"STATUS"};

TEST_F(Commands, ConnectSearchCompileSearch) {
    connect_as_system();
    EXPECT_EQ(title(), u"Tolvera Mendwick - SYSTEM@DEMO");
    EXPECT_EQ(headers(), std::vector<std::u16string>{u"Info"});
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"SYSTEM@DEMO connected..."});
    EXPECT_EQ(list().GetTextColor(), 0xFF0000u) << "blue";
    EXPECT_EQ(orasim_live_sessions(), 1u);

    EXPECT_EQ(click(IDC_SEARCH_INVALIDS), std::vector<std::u16string>{}) << "connected: no dialog";
    EXPECT_EQ(headers(), search_headers);
    EXPECT_EQ(list().GetItemCount(), 41);
    EXPECT_EQ(list().GetTextColor(), 0x0000FFu) << "red";
    std::vector<std::u16string> all = rows();
    EXPECT_EQ(all.front(), u"HR|FUNCTION|GET_SALARY|INVALID");
    EXPECT_EQ(all.back(), u"SALES|VIEW|TOP_CUSTOMERS_V|INVALID");
    EXPECT_NE(std::find(all.begin(), all.end(), u"PUBLIC|SYNONYM|EMP_API|INVALID"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), u"HR|TRIGGER|audit_emp_trg|INVALID"), all.end());

    ASSERT_EQ(orasim_set_trace_file(trace.c_str()), 0);
    EXPECT_EQ(click(IDC_COMPILE_INVALIDS), std::vector<std::u16string>{});
    EXPECT_EQ(title(), u"Tolvera Mendwick - SYSTEM@DEMO");
    EXPECT_EQ(headers(), std::vector<std::u16string>{u"Info"});
    EXPECT_EQ(list().GetTextColor(), 0x008000u) << "green";
    std::vector<std::u16string> report = column(0);
    ASSERT_GT(report.size(), 40u);
    EXPECT_EQ(report[1], u"-- Recompile iteration No.1:  Invalid objects in the database - 38");
    const std::vector<std::u16string> tail{
        u"-- Recompile iteration No.3:  Invalid objects in the database - 2",
        std::u16string(79, u'-'),
        u"The object has errors: PACKAGE BODY HR.payroll",
        u"The object has errors: PROCEDURE SALES.load_feed",
        std::u16string(79, u'-'),
    };
    EXPECT_EQ(std::vector<std::u16string>(report.end() - 5, report.end()), tail);
    EXPECT_NE(std::find(report.begin(), report.end(), u"TRIGGER HR.audit_emp_trg -- OK."), report.end());
    std::vector<std::string> statements = executed();
    ASSERT_GE(statements.size(), 3u);
    EXPECT_EQ(statements.front(), "BEGIN dbms_output.enable(NULL); END;");
    EXPECT_EQ(statements.back(), "BEGIN dbms_output.disable; END;");
    EXPECT_EQ(static_cast<size_t>(std::count(statements.begin(), statements.end(),
                                             "BEGIN dbms_output.get_line(:1, :2); END;")),
              report.size() + 1)
        << "one read per line, and the one that finds none";

    EXPECT_EQ(click(IDC_SEARCH_INVALIDS), std::vector<std::u16string>{});
    EXPECT_EQ(rows(), (std::vector<std::u16string>{
                          u"HR|PACKAGE BODY|PAYROLL|INVALID",
                          u"SALES|INDEX|ORDERS_ARCHIVE_IX|INVALID",
                          u"SALES|JAVA CLASS|FEEDPARSER|INVALID",
                          u"SALES|PROCEDURE|LOAD_FEED|INVALID",
                          u"SALES|TABLE|ORDERS_ARCHIVE|INVALID",
                      }));
    EXPECT_EQ(list().GetTextColor(), 0x0000FFu);

    // A connection after a search turns the list blue with its one line.
    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"SYSTEM", u"manager")}), std::vector<std::u16string>{u"logon SYSTEM@DEMO"});
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"SYSTEM@DEMO connected..."});
    EXPECT_EQ(list().GetTextColor(), 0xFF0000u);
}

TEST_F(Commands, WrongPasswordThroughConnection) {
    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"SYSTEM", u"Manager"), box}),
              (std::vector<std::u16string>{u"logon @", error_box(wrong_password)}))
        << "the password is used as typed: Oracle's are case-sensitive";
    EXPECT_EQ(title(), u"Tolvera Mendwick - Connection Error");
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"Connection Error"});
    EXPECT_EQ(list().GetTextColor(), 0x0000FFu);
    EXPECT_FALSE(dlg->Session().connected);

    // Disconnected: the search asks again, with what was typed; cancelled, nothing changes.
    EXPECT_EQ(click(IDC_SEARCH_INVALIDS, {cancel}), std::vector<std::u16string>{u"logon SYSTEM@DEMO"});
    EXPECT_EQ(title(), u"Tolvera Mendwick - Connection Error");
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"Connection Error"});
    EXPECT_EQ(orasim_live_sessions(), 0u);
}

TEST_F(Commands, WrongPasswordThroughSearchAsksAgainUntilCancelled) {
    EXPECT_EQ(click(IDC_SEARCH_INVALIDS, {logon(u"SYSTEM", u"wrong"), box, logon(u"SYSTEM", u"still wrong"), box, cancel}),
              (std::vector<std::u16string>{u"logon @", error_box(wrong_password), u"logon SYSTEM@DEMO",
                                           error_box(wrong_password), u"logon SYSTEM@DEMO"}));
    EXPECT_EQ(title(), u"Tolvera Mendwick");
    EXPECT_EQ(list().GetColumnCount(), 0);
    EXPECT_FALSE(dlg->Session().connected);
    EXPECT_EQ(orasim_live_sessions(), 0u);

    // The loop ends at the first good logon, and the command then runs.
    EXPECT_EQ(click(IDC_COMPILE_INVALIDS, {logon(u"SYSTEM", u"wrong"), box, logon(u"SYSTEM", u"manager")}),
              (std::vector<std::u16string>{u"logon SYSTEM@DEMO", error_box(wrong_password), u"logon SYSTEM@DEMO"}));
    EXPECT_EQ(title(), u"Tolvera Mendwick - SYSTEM@DEMO");
    EXPECT_EQ(list().GetTextColor(), 0x008000u);
    EXPECT_EQ(list().GetItemText(1, 0), u"-- Recompile iteration No.1:  Invalid objects in the database - 38");
}

TEST_F(Commands, UserWithoutDbaPrivilege) {
    std::vector<std::u16string> seen =
        click(IDC_SEARCH_INVALIDS, {logon(u"reporter", u"reporter"), box});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], error_box("ORA-00942: table or view does not exist"));
    EXPECT_EQ(title(), u"Tolvera Mendwick - REPORTER@DEMO");
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"User REPORTER@DEMO doesn't have sufficient privileges"});
    EXPECT_EQ(list().GetTextColor(), 0x0000FFu);

    ASSERT_EQ(orasim_set_trace_file(trace.c_str()), 0);
    seen = click(IDC_COMPILE_INVALIDS, {box});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].rfind(u"box Error type: Oracle\nDescription: (OCI_ERROR) ORA-06550: line ", 0), 0u) << W(seen[0]);
    EXPECT_NE(seen[0].find(u"PL/SQL: ORA-00942: table or view does not exist"), std::u16string::npos);
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"User REPORTER@DEMO doesn't have sufficient privileges"});
    EXPECT_EQ(list().GetTextColor(), 0x0000FFu);
    std::vector<std::string> statements = executed();
    ASSERT_FALSE(statements.empty());
    EXPECT_EQ(statements.back(), "BEGIN dbms_output.disable; END;") << "the disable statement is still sent";
}

TEST_F(Commands, LogonWarningAndRefusals) {
    ASSERT_EQ(orasim_load_definition((definition + "user ANALYST analyst expiring\nuser AUDITOR auditor locked\n").c_str()),
              0);
    orasim_reset();
    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"ANALYST", u"analyst"), box}),
              (std::vector<std::u16string>{u"logon @", u"info ORA-28002: the password will expire within 7 days\n"}))
        << "a warning, and the logon stands";
    EXPECT_EQ(title(), u"Tolvera Mendwick - ANALYST@DEMO");
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"ANALYST@DEMO connected..."});

    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"AUDITOR", u"auditor"), box}),
              (std::vector<std::u16string>{u"logon ANALYST@DEMO", error_box("ORA-28000: the account is locked")}));
    EXPECT_EQ(title(), u"Tolvera Mendwick - Connection Error");

    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"SYSTEM", u"manager", u"NOWHERE"), box}),
              (std::vector<std::u16string>{u"logon AUDITOR@DEMO",
                                           error_box("ORA-12154: TNS:could not resolve the connect identifier specified")}));
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"Connection Error"});
    EXPECT_EQ(orasim_live_sessions(), 0u);
}

TEST_F(Commands, ConnectionWhileConnected) {
    connect_as_system();
    click(IDC_SEARCH_INVALIDS);
    std::vector<std::u16string> before = rows();

    // Cancelled: the old connection is kept, and so are the title and the list.
    EXPECT_EQ(click(IDC_CONNECTION, {cancel}), std::vector<std::u16string>{u"logon SYSTEM@DEMO"});
    EXPECT_TRUE(dlg->Session().connected);
    EXPECT_EQ(orasim_live_sessions(), 1u);
    EXPECT_EQ(title(), u"Tolvera Mendwick - SYSTEM@DEMO");
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(click(IDC_SEARCH_INVALIDS), std::vector<std::u16string>{}) << "still connected";

    // Confirmed with another user: the old connection is closed, the new one opened.
    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"hr", u"hr")}), std::vector<std::u16string>{u"logon SYSTEM@DEMO"});
    EXPECT_EQ(orasim_live_sessions(), 1u);
    EXPECT_EQ(title(), u"Tolvera Mendwick - HR@DEMO");
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"HR@DEMO connected..."});

    // Confirmed with a wrong password: the old connection is gone all the same.
    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"SYSTEM", u"nope"), box}),
              (std::vector<std::u16string>{u"logon HR@DEMO", error_box(wrong_password)}));
    EXPECT_EQ(orasim_live_sessions(), 0u);
    EXPECT_FALSE(dlg->Session().connected);
    EXPECT_EQ(title(), u"Tolvera Mendwick - Connection Error");
}

TEST_F(Commands, DroppedConnectionFailsUntilConnectionLogsOnAgain) {
    connect_as_system();
    orasim_drop_after(1);
    std::vector<std::u16string> seen = click(IDC_SEARCH_INVALIDS, {box});
    EXPECT_EQ(seen, std::vector<std::u16string>{error_box("ORA-03113: end-of-file on communication channel")})
        << "no logon dialog: the session still counts as connected";
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"User SYSTEM@DEMO doesn't have sufficient privileges"});
    EXPECT_EQ(title(), u"Tolvera Mendwick - SYSTEM@DEMO");

    // The recompile: the enable, the script and the disable each report the lost connection.
    seen = click(IDC_COMPILE_INVALIDS, {box, box, box});
    EXPECT_EQ(seen, std::vector<std::u16string>(3, error_box(not_connected)));
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"User SYSTEM@DEMO doesn't have sufficient privileges"});

    EXPECT_EQ(click(IDC_CONNECTION, {logon(u"SYSTEM", u"manager")}), std::vector<std::u16string>{u"logon SYSTEM@DEMO"});
    EXPECT_EQ(rows(), std::vector<std::u16string>{u"SYSTEM@DEMO connected..."});
    EXPECT_EQ(click(IDC_SEARCH_INVALIDS), std::vector<std::u16string>{});
    EXPECT_EQ(list().GetItemCount(), 41);
}

// The window in the states a user sees most, for scripts/screenshot.
TEST_F(Commands, SnapshotAfterEachCommand) {
    if (!snapshots_wanted())
        GTEST_SKIP() << "pictures only for scripts/screenshot";
    SetWindowPos(dlg->m_hWnd, nullptr, 20, 20, 900, 600, SWP_NOZORDER);
    connect_as_system();
    pump();
    snapshot("after-connection");
    click(IDC_SEARCH_INVALIDS);
    pump();
    snapshot("after-search");
    click(IDC_COMPILE_INVALIDS);
    pump();
    snapshot("after-compile");
}

} // namespace
