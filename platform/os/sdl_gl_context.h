// GL contexts over SDL2 windows, for the SDL platform layer.
#pragma once

#include <memory>

#include "platform/os/gl_context.h"

struct SDL_Window;

namespace os {

// The GL attributes a context of ours asks for; set them before making a window for GL.
void RequestGlAttributes();
// A 3.3 core context on window, made current. With owns_window the context destroys the
// window when it goes. Null (and the window destroyed if owned) when none can be made.
std::unique_ptr<GlContext> CreateSdlGlContext(SDL_Window* window, bool owns_window);
// A context on a hidden window of its own, for drawing off screen.
std::unique_ptr<GlContext> CreateHiddenSdlGlContext();

}  // namespace os
