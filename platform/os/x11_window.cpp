#include "platform/os/x11_window.h"

#include <X11/XKBlib.h>

namespace os {
namespace {

bool g_failed = false;

int RecordError(Display*, XErrorEvent*) {
  g_failed = true;
  return 0;
}

// Runs the requests with X errors caught: errors of earlier requests reach the handler that
// was there before, and this one's are only noted. True when the requests caused none.
template <typename Requests>
bool Checked(Display* display, Requests requests) {
  XSync(display, False);
  g_failed = false;
  XErrorHandler previous = XSetErrorHandler(RecordError);
  const bool done = requests();
  XSync(display, False);
  XSetErrorHandler(previous);
  return done && !g_failed;
}

}  // namespace

bool X11WindowSize(Display* display, Window window, int* width, int* height) {
  Window root;
  int x, y;
  unsigned w = 0, h = 0, border, depth;
  const bool known = Checked(display, [&] {
    return XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth) != 0;
  });
  if (!known) return false;
  *width = int(w);
  *height = int(h);
  return true;
}

bool X11Reparent(Display* display, Window child, Window parent) {
  int w, h;
  if (!X11WindowSize(display, parent, &w, &h)) return false;
  return Checked(display, [&] {
    XReparentWindow(display, child, parent, 0, 0);
    return true;
  });
}

bool X11LockKeys(Display* display, LockKeys* locks) {
  auto lit = [display](const char* name, bool* on) {
    int index = 0;
    Bool state = False;
    const Atom indicator = XInternAtom(display, name, False);
    if (!XkbGetNamedIndicator(display, indicator, &index, &state, nullptr, nullptr)) return false;
    *on = state;
    return true;
  };
  return lit("Caps Lock", &locks->caps) && lit("Num Lock", &locks->num) &&
         lit("Scroll Lock", &locks->scroll);
}

}  // namespace os
