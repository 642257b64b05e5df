// What the three demos share: the engine set up with the window states they all use and the
// demos' icon, the start-up and shut-down sequence, and the logo in the lower-right corner.
#pragma once

#include "engine/tvk.h"
#include "kit/draw/sprite.h"

/// The states that differ between the demos.
struct DemoSettings {
  const char* log_file;
  Callback frame;
  Callback render;
  int fps;
};

/// Creates the engine, makes it the text and registry functions' engine, and sets the log,
/// the callbacks, the title "Tarvok", icon 1 and an 800x600x32 window.
TVK* CreateDemoEngine(const DemoSettings& settings);

/// Initiates the engine; on success loads and runs the main loop, otherwise shows the error
/// in a message box. Then frees the program's things, finishes and releases the engine.
/// The demos' exit code: 0 in every case.
int RunDemo(TVK* tvk, void (*load)(), void (*free_all)());

/// Draws the 152x114 logo sprite in the lower-right corner; the screen size is read every
/// frame, so it stays there in any mode.
void DrawLogoInCorner(TVK* tvk, Sprite* logo);
