// The smallest engine program: a window with a cleared frame, a line, a textured sprite and a
// turning copy of it; Escape ends it.
#include "engine/tvk.h"
#include "kit/draw/sprite.h"

static TVK* tvk = nullptr;
static Sprite* sprite = nullptr;

static bool Frame() { return tvk->Key_WentDown(Key_Escape); }

static bool Render() {
  if (tvk->Gfx_BeginScene()) {
    tvk->Gfx_Clear(0xFF203040);
    tvk->Gfx_DrawLine(100, 100, 700, 500, 0xFFFFC000);
    sprite->Draw(200, 150);
    sprite->DrawRotated(400, 300, tvk->Clock_GetTime(), 2.0f);
    tvk->Gfx_EndScene();
  }
  return false;
}

// A 64x64 texture of four tiles: red at top-left and bottom-right, green elsewhere.
static TextureHandle MakeTiles() {
  TextureHandle tex = tvk->Texture_Create(64, 64);
  uint32_t* pixels = tex ? tvk->Texture_Lock(tex, false) : nullptr;
  if (!pixels) return tex;
  int pitch = tvk->Texture_GetWidth(tex);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) pixels[y * pitch + x] = (x < 32) == (y < 32) ? 0xFFE04020 : 0xFF20C040;
  tvk->Texture_Unlock(tex);
  return tex;
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
  TextureHandle tiles = MakeTiles();
  sprite = new Sprite(tiles, 0, 0, 64, 64);
  tvk->System_Start();
  delete sprite;
  tvk->Texture_Free(tiles);
  tvk->System_Finish();
  tvk->Release();
  return 0;
}
