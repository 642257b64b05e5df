// Writes every input event and window-mode change to its log: a tool to watch what the engine
// makes of the keyboard and mouse. Alt+Enter switches full screen; F12 or closing the window
// ends it. The log file is the first argument (default "event_log.log").
#include <initializer_list>

#include "engine/tvk.h"

static TVK* tvk = nullptr;
static int frames = 0;
static bool last_windowed = true;
static WindowHandle first_window = nullptr;

static void LogEvents() {
  InputEvent ev;
  while (tvk->Input_NextEvent(&ev))
    tvk->System_WriteLog("event type=%d key=%d chr=%d flags=0x%02X wheel=%d", ev.type, ev.key,
                         ev.chr, ev.flags, ev.wheel);
}

// The window stays the one made at start for the program's whole life.
static const char* WindowKept() {
  return tvk->System_GetWindow(State_WindowHandle) == first_window ? "kept" : "replaced";
}

static void LogModeChange() {
  const bool windowed = tvk->System_GetBool(State_Windowed);
  if (windowed == last_windowed) return;
  last_windowed = windowed;
  tvk->System_WriteLog("mode windowed=%d size=%dx%d window %s", windowed ? 1 : 0,
                       tvk->System_GetInt(State_ScreenWidth),
                       tvk->System_GetInt(State_ScreenHeight), WindowKept());
}

static bool Frame() {
  LogEvents();
  LogModeChange();
  if (++frames == 30) tvk->System_WriteLog("window %s", WindowKept());
  return tvk->Key_WentDown(Key_F12);
}

// A white square in each corner of the screen, on a blue ground.
static bool Render() {
  if (!tvk->Gfx_BeginScene()) return false;
  tvk->Gfx_Clear(0xFF204080);
  const float w = float(tvk->System_GetInt(State_ScreenWidth));
  const float h = float(tvk->System_GetInt(State_ScreenHeight));
  for (float y : {0.0f, h - 16}) {
    for (float x : {0.0f, w - 16}) {
      Quad q{};
      const float corners[4][2] = {{x, y}, {x + 16, y}, {x + 16, y + 16}, {x, y + 16}};
      for (int i = 0; i < 4; ++i) q.v[i] = {corners[i][0], corners[i][1], 0.5f, 0xFFFFFFFF, 0, 0};
      q.blend = Blend_Default;
      tvk->Gfx_DrawQuad(&q);
    }
  }
  tvk->Gfx_EndScene();
  return false;
}

int main(int argc, char** argv) {
  tvk = TVK_Create(TVK_VERSION);
  tvk->System_SetText(State_LogFile, argc > 1 ? argv[1] : "event_log.log");
  tvk->System_SetText(State_Title, "Tarvok events");
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetBool(State_UseSound, false);
  tvk->System_SetBool(State_HideCursor, false);
  tvk->System_SetInt(State_Fps, 60);
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  if (!tvk->System_Initiate()) {
    TVK_MessageBox("Error", tvk->System_GetLastError());
    tvk->Release();
    return 1;
  }
  first_window = tvk->System_GetWindow(State_WindowHandle);
  tvk->System_Start();
  tvk->System_Finish();
  tvk->Release();
  return 0;
}
