// Animation demo: the keyframed runner of dane/anim_skeletion/char_run.anim over a scrolling
// brick wall and a sheared stone floor, with a scrolling credit line, the frame rate, the
// model's key-frame count, a mouse cursor and the logo. Escape or closing the window ends it.
#include <cstdio>

#include "demos/common/demo_app.h"
#include "engine/tvk.h"
#include "kit/anim/anim_model.h"
#include "kit/draw/sprite.h"
#include "kit/text/font.h"
#include "kit/text/font_manager.h"

namespace {

constexpr float kRunSpeed = 2.5f;     // times the stored key-frame speed
constexpr float kScrollSpeed = 75.0f;  // pixels per second
constexpr char kCredit[] =
    "Tarvok engine  -  a runner of six deformed grid meshes, eight key frames  -  "
    "art drawn by the data generator";

TVK* tvk = nullptr;
FontManager* fonts = nullptr;
Font* font = nullptr;
TextureHandle logo_texture = 0, backdrop_texture = 0, floor_texture = 0, cursor_texture = 0;
Sprite* backdrop = nullptr;
Sprite* floor_tile = nullptr;
Sprite* logo = nullptr;
Sprite* cursor = nullptr;
AnimModel* runner = nullptr;
float sx = 0.0f, sy = 0.0f;
float mouse_x = 0.0f, mouse_y = 0.0f;
char fps_text[32], frames_text[32];  // room for any 32-bit number

bool Frame() {
  const float dt = tvk->Clock_GetDelta();
  runner->Update(dt * kRunSpeed);
  sx -= dt * kScrollSpeed;
  sy -= dt * kScrollSpeed;
  if (sx < -256.0f) sx = 0.0f;
  if (sy < -1000.0f) sy = 0.0f;
  if (tvk->Key_IsDown(Key_Escape)) return true;
  tvk->Mouse_GetPosition(&mouse_x, &mouse_y);
  return false;
}

void DrawScenery() {
  for (int k = 0; k < 5; ++k) backdrop->Draw(sx + 256.0f * float(k), 0.0f);
  // The floor: parallelograms 200 pixels high whose lower edge leans 128 pixels left.
  for (float a = 0.0f; a <= 1024.0f; a += 256.0f) {
    const float d = a + sx;
    floor_tile->DrawCorners(d, 256, d + 256, 256, d + 128, 456, d - 128, 456);
  }
}

void PrintText(float x, float y, const char* text) {
  if (font) font->Render(x, y, Align_Left, text);
}

bool Render() {
  std::snprintf(fps_text, sizeof fps_text, "FPS: %i", tvk->Clock_GetFps());
  std::snprintf(frames_text, sizeof frames_text, "Frames: %i", runner->GetFrameCount());
  if (!tvk->Gfx_BeginScene()) return false;
  tvk->Gfx_Clear(0);
  DrawScenery();
  PrintText(sy + 850.0f, 100.0f, kCredit);
  runner->Render(300, 300);
  PrintText(3, 3, fps_text);
  PrintText(3, 32, frames_text);
  cursor->Draw(mouse_x, mouse_y);
  DrawLogoInCorner(tvk, logo);
  tvk->Gfx_EndScene();
  return false;
}

void Load() {
  fonts = FontManager::Get();
  font = fonts->GetFont(false, "Arial", 16, true, false);
  logo_texture = tvk->Texture_Load("dane/logo.png");
  backdrop_texture = tvk->Texture_Load("dane/W_b_ALL_01_D2.dds");
  backdrop = new Sprite(backdrop_texture, 0, 0, 256, 256);
  floor_texture = tvk->Texture_Load("dane/F_c_01_D2.dds");
  floor_tile = new Sprite(floor_texture, 0, 0, 256, 256);
  logo = new Sprite(logo_texture, 0, 0, 152, 114);
  cursor_texture = tvk->Texture_Load("dane/cursor.png");
  cursor = new Sprite(cursor_texture, 0, 0, 32, 32);
  runner = new AnimModel("dane/anim_skeletion/char_run.anim");
  runner->Play();
}

// The part textures go with the graphics shut-down inside System_Finish.
void FreeAll() {
  if (fonts) {
    fonts->Clear();
    delete fonts;
  }
  delete runner;
  delete cursor;
  delete logo;
  delete floor_tile;
  delete backdrop;
  tvk->Texture_Free(floor_texture);
  tvk->Texture_Free(backdrop_texture);
  tvk->Texture_Free(logo_texture);
  tvk->Texture_Free(cursor_texture);
}

}  // namespace

int main() {
  tvk = CreateDemoEngine({"demo5.log", Frame, Render, Fps_Unlimited});
  return RunDemo(tvk, Load, FreeAll);
}
