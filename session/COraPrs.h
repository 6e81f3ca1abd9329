// The program's one link to the database: the logon settings, the connection, and the statement to run
// next, with what comes back shown in the message list.
#pragma once

#include "message_list.h"
#include "oralib/connection.h"
#include "oralib/resultset.h"
#include "session_ui.h"
#include "settings/sql_connection.h"

#include <string>

// "Tolvera Mendwick": the main window's caption and the start of every title the commands set.
extern const char16_t* const title_prefix;

class COraPrs {
public:
    // ui: the message boxes of this session; null means the application's.
    explicit COraPrs(CSessionUi* ui = nullptr);
    COraPrs(const COraPrs&) = delete;
    COraPrs& operator=(const COraPrs&) = delete;
    virtual ~COraPrs();

    // Opens the connection from the descriptor; on failure shows the error and returns false.
    bool Connect();
    // Closes an open connection; nothing when disconnected.
    void Disconnect();
    // True when connected at the end; false when the logon prompt was cancelled.
    bool EnsureConnected();
    // Runs the logon prompt on the descriptor; false unless it ended with OK. An OK with a user
    // closes the open connection, so that the next Connect uses the new settings.
    bool PromptLogon();

    // Sends the statement text; false only when preparing, executing or opening it failed.
    bool RunStatement(CMessageList& list);
    static void StripCarriageReturns(std::u16string& text);

    void FillFromResultSet(CMessageList& list, oralib::resultset& rs);
    std::u16string GetColumnText(oralib::resultset& rs, std::u16string_view name);

    // The work of the search and recompile commands once the session is connected: false when the
    // statement failed and the privileges message was shown.
    bool SearchInvalids(CMessageList& list);
    bool CompileInvalids(CMessageList& list);

    void EnableOutput();
    void ReadOutput(CMessageList& list);
    void DisableOutput();

    // Report texts.
    std::u16string ConnectedTitle() const;        // "Tolvera Mendwick - USER@DB"
    std::u16string ConnectedMessage() const;      // "USER@DB connected..."
    std::u16string PrivilegesMessage() const;     // "User USER@DB doesn't have sufficient privileges"
    static std::u16string ConnectionErrorTitle(); // "Tolvera Mendwick - Connection Error"

    void SetLogonPrompt(CLogonPrompt* prompt) { prompt_ = prompt; }
    CSessionUi& Ui() const;

    CSQLConnection descriptor;
    oralib::connection connection;
    oralib::connection* const connection_ptr = &connection;
    std::u16string statement_text;
    bool connected = false;

    // The longest line the server's output delivers: 32767 characters and the terminator, in UTF-16.
    static constexpr ub4 output_line_bytes = 2 * (32767 + 1);

private:
    void ShowError(const oralib::error& e) const;
    CSessionUi* ui_;
    CLogonPrompt* prompt_ = nullptr;
};
