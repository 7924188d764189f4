// Asks a window to close as a window manager's close button does, which xdotool cannot:
//   close_window WINDOW_ID
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char* argv[]) {
  Display* display = XOpenDisplay(nullptr);
  if (argc != 2 || display == nullptr) return 2;
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = std::strtoul(argv[1], nullptr, 0);
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, e.xclient.window, False, NoEventMask, &e);
  XCloseDisplay(display);
  return 0;
}
