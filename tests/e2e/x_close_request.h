// The window system's close request (WM_DELETE_WINDOW, what a desktop's
// close button sends) to a window of the end-to-end test's display, without
// a window manager. Test-only; the test's main thread.
#pragma once

#include <string>

// display ":N", window the decimal id xdotool gives; false when the display
// could not be opened or the window does not take the request.
bool SendCloseRequest(const std::string& display, const std::string& window);
