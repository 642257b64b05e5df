// Font tutorial: the frame rate printed with the bitmap font of dane/font.fnt, the logo in
// the bottom-right corner and a sprite cursor; holding the left arrow saves one screenshot
// per frame. Closing the window ends it.
#include <cstdio>

#include "demos/common/demo_icon.h"
#include "engine/tvk.h"
#include "kit/draw/registry.h"
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
  logo->Draw(float(tvk->System_GetInt(State_ScreenWidth) - 152),
             float(tvk->System_GetInt(State_ScreenHeight) - 114));
  cursor->Draw(mouse_x, mouse_y);
  tvk->Gfx_EndScene();
  return false;
}

void Configure() {
  tvk->System_SetText(State_LogFile, "TVK_tut02.log");
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  tvk->System_SetText(State_Title, "Tarvok");
  tvk->System_SetText(State_Icon, RegisterDemoIcon());
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetInt(State_ScreenWidth, 800);
  tvk->System_SetInt(State_ScreenHeight, 600);
  tvk->System_SetInt(State_Fps, 99999);  // unlimited, without waiting for the retrace
  tvk->System_SetInt(State_ScreenBpp, 32);
}

void Load() {
  Text_LoadFont("dane/font.fnt");  // id 0; its loading lines go to the log
  logo_texture = tvk->Texture_Load("dane/logo.png", 0, false);
  cursor_texture = tvk->Texture_Load("dane/cursor.png", 0, false);
  logo = new Sprite(logo_texture, 0, 0, 152, 114);
  cursor = new Sprite(cursor_texture, 0, 0, 32, 32);
}

void ShutDown() {
  Text_Clear();
  delete cursor;
  delete logo;
  tvk->Texture_Free(logo_texture);
  tvk->Texture_Free(cursor_texture);
  tvk->System_Finish();
  tvk->Release();
}

}  // namespace

int main() {
  tvk = TVK_Create(TVK_VERSION);
  Registry_SetEngine(tvk);
  Configure();
  if (tvk->System_Initiate()) {
    Load();
    tvk->System_Start();
  } else {
    TVK_MessageBox("Error", tvk->System_GetLastError());
  }
  ShutDown();
  return 0;
}
