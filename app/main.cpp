#include "CMendwickApp.h"

CMendwickApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (CWinAppEx* app = AfxGetApp())
        app->InitInstance();
    return 0;
}
