// What the session needs of the windows around it: message boxes and the logon prompt.
#pragma once

#include <string_view>

class CSQLConnection;

class CSessionUi {
public:
    virtual ~CSessionUi() = default;
    // The error message box: OK button, exclamation icon, the application title as caption.
    virtual void ShowError(std::u16string_view text) = 0;
    // An information box: OK button, information icon.
    virtual void ShowInfo(std::u16string_view text) = 0;
};

class CLogonPrompt {
public:
    virtual ~CLogonPrompt() = default;
    // Runs the logon dialog on the descriptor, which it edits in place; true when it ended with OK.
    virtual bool Prompt(CSQLConnection& descriptor) = 0;
};

// The message boxes every session uses unless it is given others: set once by the program at start.
// Until then errors go to the standard error stream.
void SetApplicationUi(CSessionUi* ui);
CSessionUi& ApplicationUi();
