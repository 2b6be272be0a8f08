#pragma once
// The screen density a window is drawn at. The calls that tell it per monitor
// came with Windows 10; they are looked up at run time so that the program
// still starts on Windows 7 and 8.1, which give the system's density instead.
#include <windows.h>

namespace zorv {

// The density of the primary screen when the session began, in dots per inch.
UINT SystemDpi();
// The density of the monitor the window is on, or the system's where Windows cannot tell.
UINT WindowDpi(HWND window);
// The outer rectangle that gives this client rectangle, with the frame drawn at dpi.
RECT OuterRect(const RECT& client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace zorv
