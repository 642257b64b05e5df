// An OpenGL 3.3 core context made by the platform layer, current on the calling thread from
// its creation on. The graphics layer draws through it without knowing the windowing system.
#pragma once

namespace os {

class GlContext {
 public:
  virtual ~GlContext() = default;
  // Makes the context current again, after another one was; cheap when it already is. False
  // when it cannot be, as after its window was destroyed: then no GL call may follow.
  virtual bool MakeCurrent() = 0;
  // Shows the default framebuffer in the window.
  virtual void SwapBuffers() = 0;
  // 1 waits for the vertical retrace at each swap, 0 does not.
  virtual void SetSwapInterval(int interval) = 0;
  // Size of the default framebuffer in pixels.
  virtual void DrawableSize(int* width, int* height) = 0;
  // Drops the context and makes a new one on the same window, as after the old one was lost.
  // Every object of the old context is gone. False when no new context can be made.
  virtual bool Recreate() = 0;
};

}  // namespace os
