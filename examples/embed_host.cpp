// A host program that runs the engine inside its own window: it opens an SDL window, hands
// its native X11 window to the engine as State_ParentWindow and calls System_Start once per
// frame. After 60 frames it makes its window larger, and the engine's back buffer follows.
// The engine's input events go to the log; Escape in the engine's window ends the program.
// Arguments: log file (default "embed_host.log"), then the seconds to run at most (default 20).
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>

#include "engine/tvk.h"

static TVK* tvk = nullptr;
static bool escape = false;

static bool Frame() {
  InputEvent ev;
  while (tvk->Input_NextEvent(&ev))
    tvk->System_WriteLog("event type=%d key=%d chr=%d", ev.type, ev.key, ev.chr);
  escape = escape || tvk->Key_WentDown(Key_Escape);
  return false;
}

static bool Render() {
  if (tvk->Gfx_BeginScene()) {
    tvk->Gfx_Clear(0xFF40A020);
    tvk->Gfx_EndScene();
  }
  return false;
}

static Window NativeWindow(SDL_Window* window, Display** display) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  *display = info.info.x11.display;
  return info.info.x11.window;
}

// Whether the engine's window still sits inside the host's.
static bool Embedded(Display* display, Window host) {
  Window engine = Window(reinterpret_cast<uintptr_t>(tvk->System_GetWindow(State_WindowHandle)));
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!engine || !XQueryTree(display, engine, &root, &parent, &children, &count)) return false;
  if (children) XFree(children);
  return parent == host;
}

// The host's own events; a request to close ends the program.
static bool HostEvents() {
  SDL_Event ev;
  bool quit = false;
  while (SDL_PollEvent(&ev))
    quit = quit || ev.type == SDL_QUIT ||
           (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE);
  return !quit;
}

static void RunFrames(int count) {
  for (int i = 0; i < count && !escape && HostEvents(); ++i) {
    tvk->System_Start();
    SDL_Delay(16);
  }
}

int main(int argc, char** argv) {
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* host = SDL_CreateWindow("Tarvok host", SDL_WINDOWPOS_CENTERED,
                                      SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_RESIZABLE);
  Display* display = nullptr;
  const Window native = host ? NativeWindow(host, &display) : 0;
  if (!native) return 1;

  tvk = TVK_Create(TVK_VERSION);
  tvk->System_SetText(State_LogFile, argc > 1 ? argv[1] : "embed_host.log");
  tvk->System_SetText(State_Title, "Tarvok embedded");
  tvk->System_SetWindow(State_ParentWindow, reinterpret_cast<WindowHandle>(uintptr_t(native)));
  tvk->System_SetInt(State_ScreenWidth, 640);
  tvk->System_SetInt(State_ScreenHeight, 480);
  tvk->System_SetBool(State_UseSound, false);
  tvk->System_SetBool(State_HideCursor, false);
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  if (!tvk->System_Initiate()) {
    SDL_Log("%s", tvk->System_GetLastError());
    tvk->Release();
    SDL_Quit();
    return 1;
  }

  RunFrames(60);
  tvk->System_WriteLog("after 60 frames: %dx%d, %s", tvk->System_GetInt(State_ScreenWidth),
                       tvk->System_GetInt(State_ScreenHeight),
                       Embedded(display, native) ? "embedded" : "not embedded");
  SDL_SetWindowSize(host, 800, 600);
  RunFrames(30);
  tvk->System_WriteLog("after resize: %dx%d, %s", tvk->System_GetInt(State_ScreenWidth),
                       tvk->System_GetInt(State_ScreenHeight),
                       Embedded(display, native) ? "embedded" : "not embedded");
  RunFrames(seconds * 60);

  tvk->System_Finish();
  tvk->Release();
  SDL_DestroyWindow(host);
  SDL_Quit();
  return 0;
}
