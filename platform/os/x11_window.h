// The few X11 requests the SDL layer makes itself, for a window embedded in a host's window.
// A host's window may be gone or its id made up, so every request here checks its result
// instead of letting the X error end the process.
#pragma once

#include <X11/Xlib.h>

namespace os {

// Size of the window; false (sizes untouched) when there is no such window.
bool X11WindowSize(Display* display, Window window, int* width, int* height);
// Makes child a child of parent at its top-left corner; false when parent is no window.
bool X11Reparent(Display* display, Window child, Window parent);

struct LockKeys {
  bool caps = false, num = false, scroll = false;
};
// The lock keys as the server's keyboard indicators show them; false when it cannot tell.
bool X11LockKeys(Display* display, LockKeys* locks);

}  // namespace os
