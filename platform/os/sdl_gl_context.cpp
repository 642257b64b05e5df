#include "platform/os/sdl_gl_context.h"

#include <SDL2/SDL.h>

namespace os {
namespace {

// The window is held by its id: the platform may destroy its main window (a close request
// does) while the context lives on, and then the context draws nowhere instead of reaching
// for a freed window.
class SdlGlContext final : public GlContext {
 public:
  SdlGlContext(SDL_Window* window, SDL_GLContext context, bool owns_window)
      : window_id_(SDL_GetWindowID(window)), context_(context), owns_window_(owns_window) {}

  ~SdlGlContext() override {
    SDL_Window* window = Window();
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context_);
    if (owns_window_ && window) SDL_DestroyWindow(window);
  }

  bool MakeCurrent() override {
    SDL_Window* window = Window();
    return window && SDL_GL_MakeCurrent(window, context_) == 0;
  }

  void SwapBuffers() override {
    if (SDL_Window* window = Window()) SDL_GL_SwapWindow(window);
  }

  void SetSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }

  void DrawableSize(int* width, int* height) override {
    *width = *height = 0;
    if (SDL_Window* window = Window()) SDL_GL_GetDrawableSize(window, width, height);
  }

  bool Recreate() override {
    SDL_Window* window = Window();
    if (!window) return false;
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context_);
    RequestGlAttributes();
    context_ = SDL_GL_CreateContext(window);
    return context_ && SDL_GL_MakeCurrent(window, context_) == 0;
  }

 private:
  // The window, or null once it is gone.
  SDL_Window* Window() const { return SDL_GetWindowFromID(window_id_); }

  Uint32 window_id_;
  SDL_GLContext context_;
  bool owns_window_;
};

}  // namespace

void RequestGlAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into buffers of its own; the window needs colour only.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::unique_ptr<GlContext> CreateSdlGlContext(SDL_Window* window, bool owns_window) {
  if (!window) return nullptr;
  RequestGlAttributes();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
    if (context) SDL_GL_DeleteContext(context);
    if (owns_window) SDL_DestroyWindow(window);
    return nullptr;
  }
  return std::make_unique<SdlGlContext>(window, context, owns_window);
}

std::unique_ptr<GlContext> CreateHiddenSdlGlContext() {
  RequestGlAttributes();
  SDL_Window* window =
      SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  return CreateSdlGlContext(window, true);
}

}  // namespace os
