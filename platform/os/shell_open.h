// Opening a file or address with the desktop's default program, through xdg-open.
#pragma once

namespace os {

// Starts the opener on target and reports how it went: true when it said it opened the
// target, or when it is still running after a while (some desktops keep it running as long as
// the program it started). A target beginning with '-' is passed as the path "./-..." so the
// opener never takes it for an option.
bool OpenWithDefaultProgram(const char* target);

}  // namespace os
