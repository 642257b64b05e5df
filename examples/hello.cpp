// The smallest engine program: opens a window, clears it each frame, ends on Escape.
#include "engine/tvk.h"

static TVK* tvk = nullptr;

static bool Frame() { return tvk->Key_WentDown(Key_Escape); }

static bool Render() {
  if (tvk->Gfx_BeginScene()) {
    tvk->Gfx_Clear(0xFF203040);
    tvk->Gfx_DrawLine(100, 100, 700, 500, 0xFFFFC000);
    tvk->Gfx_EndScene();
  }
  return false;
}

int main() {
  tvk = TVK_Create(TVK_VERSION);
  tvk->System_SetText(State_LogFile, "hello.log");
  tvk->System_SetText(State_Title, "Tarvok example");
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetBool(State_UseSound, false);
  tvk->System_SetInt(State_Fps, 60);
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  if (!tvk->System_Initiate()) {
    TVK_MessageBox("Error", tvk->System_GetLastError());
    tvk->System_Finish();
    tvk->Release();
    return 1;
  }
  tvk->System_Start();
  tvk->System_Finish();
  tvk->Release();
  return 0;
}
