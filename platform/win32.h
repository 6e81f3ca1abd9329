// <windows.h> for our Windows sources. It maps a few names that our own classes use as member names
// (the application profile functions) to its ANSI functions by macro; those macros are taken back
// here, so include this header in place of <windows.h>.
#pragma once

#ifndef _WIN32
#error "Windows only"
#endif

#include <windows.h>

#undef GetProfileString
#undef WriteProfileString
#undef GetProfileInt
