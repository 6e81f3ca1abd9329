// Pauses a GUI test in a state for scripts/screenshot to take its picture.
#pragma once

#include "gui_support.h"

#include <windows.h>

#include <cstdlib>
#include <string>

// True when a screenshot run asked for pictures.
inline bool snapshots_wanted() { return std::getenv("MENDWICK_SNAP_DIR") != nullptr; }

inline void snapshot(const char* name) {
    const char* dir = std::getenv("MENDWICK_SNAP_DIR");
    if (!dir)
        return;
    std::string base = dir;
    if (!base.empty() && base[0] == '/')
        base = "Z:" + base; // the Unix root as Wine maps it
    std::string ready = base + "/" + name + ".ready";
    std::string taken = base + "/" + name + ".taken";
    HANDLE h = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    for (int i = 0; i < 400 && GetFileAttributesA(taken.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        pump();
        Sleep(50);
    }
}
