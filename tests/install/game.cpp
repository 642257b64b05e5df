// A game built outside the engine's tree against an installed engine: it draws one frame,
// a green square on a dark blue screen, saves it as the BMP named by its argument and ends.
#include "engine/tvk.h"
#include "kit/draw/sprite.h"

static TVK* tvk = nullptr;
static Sprite* square = nullptr;
static const char* shot_path = nullptr;
static int frames_drawn = 0;

static bool Frame() {
  if (frames_drawn == 0) return false;
  tvk->System_SaveShot(shot_path);
  return true;
}

static bool Render() {
  if (tvk->Gfx_BeginScene()) {
    tvk->Gfx_Clear(0xFF102030);
    square->Draw(100, 80);
    tvk->Gfx_EndScene();
    ++frames_drawn;
  }
  return false;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  shot_path = argv[1];
  tvk = TVK_Create(TVK_VERSION);
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetBool(State_UseSound, false);
  tvk->System_SetInt(State_ScreenWidth, 320);
  tvk->System_SetInt(State_ScreenHeight, 240);
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  int status = 1;
  if (tvk->System_Initiate()) {
    Sprite green(0, 0, 0, 64, 64);
    green.SetColor(0xFF30C060);
    square = &green;
    status = tvk->System_Start() && frames_drawn > 0 ? 0 : 1;
  } else {
    TVK_MessageBox("Error", tvk->System_GetLastError());
  }
  tvk->System_Finish();
  tvk->Release();
  return status;
}
