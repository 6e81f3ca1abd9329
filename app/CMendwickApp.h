// The application object: starts the common controls, names the registry profile and runs the main
// window modally.
#pragma once

#include "CWinAppEx.h"
#include "session/session_ui.h"

class CMendwickApp : public CWinAppEx {
public:
    BOOL InitInstance() override;
};

// The session's message boxes in the program: the application message box.
class CAppSessionUi : public CSessionUi {
public:
    void ShowError(std::u16string_view text) override;
    void ShowInfo(std::u16string_view text) override;
};
