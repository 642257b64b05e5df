// Graphics area of the engine: device, batching, textures, scenes and render targets.
// PLACEHOLDER until the graphics work lands: no device, every drawing call does nothing.
#pragma once

#include "engine/tvk.h"

class TVK_Impl;

class Graphics {
 public:
  explicit Graphics(TVK_Impl& engine) : e_(engine) {}

  // Lifecycle, called by the system area.
  bool CreateDevice();       // at System_Initiate, after the window exists
  void ReleaseDevice();      // at System_Finish
  bool HasInterface() const; // the graphics object exists (between create and release)
  bool HasDevice() const;
  bool InScene() const;      // between a successful Gfx_BeginScene and Gfx_EndScene

  // State effects, called by the state setters once the value is known to need them.
  void SwitchWindowed(bool windowed);   // with a device and a different value
  void ApplyTextureFilter();            // after State_TextureFilter was stored
  void ApplyFpsSignChange(int new_fps); // device exists and the sign of State_Fps changes
  void ResizeBackBuffer(int width, int height);  // child window resized
  void SaveShot(const char* path);      // absolute path of the BMP to write

 private:
  [[maybe_unused]] TVK_Impl& e_;
};
