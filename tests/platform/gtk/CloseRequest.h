#pragma once
// Asks a window to close as a window manager does (the WM_DELETE_WINDOW
// protocol message), apart from the tests since Xlib's macros clash with
// GoogleTest's names.

#include <string>

bool RequestClose(const std::string& display, unsigned long window);
