#include "x_close_request.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

bool SendCloseRequest(const std::string& display, const std::string& window) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return false;
  const Window target = std::strtoul(window.c_str(), nullptr, 10);
  const Atom protocols = XInternAtom(x, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(x, target, False, NoEventMask, &event) != 0;
  XFlush(x);
  XCloseDisplay(x);
  return sent;
}
