// Font tutorial: the frame rate printed with the bitmap font of dane/font.fnt, the logo in
// the bottom-right corner and a sprite cursor; holding the left arrow saves one screenshot
// per frame. Closing the window ends it.
#include <cstdio>

#include "demos/common/demo_app.h"
#include "engine/tvk.h"
#include "kit/draw/sprite.h"
#include "kit/text/text_api.h"

namespace {

TVK* tvk = nullptr;
TextureHandle logo_texture = 0, cursor_texture = 0;
Sprite* logo = nullptr;
Sprite* cursor = nullptr;
float mouse_x = 0.0f, mouse_y = 0.0f;
char fps_text[32];  // "FPS " and any 32-bit count

bool Frame() {
  if (tvk->Key_IsDown(Key_Left)) Screen_Snapshot(nullptr);
  tvk->Mouse_GetPosition(&mouse_x, &mouse_y);
  return false;  // only closing the window ends the tutorial
}

bool Render() {
  if (!tvk->Gfx_BeginScene(0)) return false;
  tvk->Gfx_Clear(0);
  Text_SetColor(0xFFFFE060);
  std::snprintf(fps_text, sizeof fps_text, "FPS %i", tvk->Clock_GetFps());
  text_v1::Text_Print(3, 3, fps_text);  // the earlier form: the font loaded last
  DrawLogoInCorner(tvk, logo);
  cursor->Draw(mouse_x, mouse_y);
  tvk->Gfx_EndScene();
  return false;
}

void Load() {
  Text_LoadFont("dane/font.fnt");  // id 0; its loading lines go to the log
  logo_texture = tvk->Texture_Load("dane/logo.png", 0, false);
  cursor_texture = tvk->Texture_Load("dane/cursor.png", 0, false);
  logo = new Sprite(logo_texture, 0, 0, 152, 114);
  cursor = new Sprite(cursor_texture, 0, 0, 32, 32);
}

void FreeAll() {
  Text_Clear();
  delete cursor;
  delete logo;
  tvk->Texture_Free(logo_texture);
  tvk->Texture_Free(cursor_texture);
}

}  // namespace

int main() {
  // 99999 frames a second: unlimited, without waiting for the retrace.
  tvk = CreateDemoEngine({"TVK_tut02.log", Frame, Render, 99999});
  return RunDemo(tvk, Load, FreeAll);
}
