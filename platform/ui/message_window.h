// Message windows: hidden windows that only receive posted messages, and the
// posted-message queue that delivers them on the main thread. PostMessageA may
// be called from any thread; everything else from the main thread. The
// caller of AllocateHWnd owns the window until DeallocateHWnd.
#pragma once

#include <functional>

#include "platform/wintypes/wintypes.h"

// Handles one message of a message window and gives its result.
using TWindowProcedure = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// Creates a hidden window whose messages go to procedure. Never null.
HWND AllocateHWnd(TWindowProcedure procedure);

// Destroys a window made by AllocateHWnd. Messages still queued for it are
// dropped; a procedure running at that moment finishes normally.
void DeallocateHWnd(HWND hwnd);

// Queues a message for the window and returns at once; it is delivered on the
// main thread by ProcessPostedMessages. FALSE when hwnd is not a live
// message window. Any thread.
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The result of a message that a window procedure does not handle itself.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Delivers the messages queued when it is called, in posting order, and
// returns how many reached a window. Messages posted by the procedures
// themselves wait for the next call. Main thread (whatever runs the loop).
int ProcessPostedMessages();

// Number of messages waiting. Any thread.
int PostedMessageCount();

// Called (on the posting thread) after each post so that the main loop can
// wake up and call ProcessPostedMessages. Empty function = none.
void SetPostedMessageWakeup(std::function<void()> wakeup);

inline constexpr UINT WM_USER = 0x0400;
