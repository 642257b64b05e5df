// Tile-map demo: a map read from dane/tile_mapa.tmap, a logo in the lower-right corner, a
// mouse cursor and the frame rate printed with a TrueType font. Escape or closing the window
// ends it.
#include <cstdio>

#include "demos/common/demo_icon.h"
#include "engine/tvk.h"
#include "kit/draw/registry.h"
#include "kit/draw/sprite.h"
#include "kit/text/font_manager.h"
#include "kit/text/text_api.h"
#include "kit/tilemap/tile_map.h"
#include "kit/tilemap/tmap_file.h"

namespace {

TVK* tvk = nullptr;
FontManager* fonts = nullptr;
TextureHandle logo_texture = 0, tileset_texture = 0, cursor_texture = 0;
TileMap* map = nullptr;
Sprite* logo = nullptr;
Sprite* cursor = nullptr;
float mouse_x = 0.0f, mouse_y = 0.0f;
char fps_text[32];  // "FPS: " and any 32-bit count

bool Frame() {
  if (tvk->Key_IsDown(Key_Escape)) return true;
  tvk->Mouse_GetPosition(&mouse_x, &mouse_y);
  return false;
}

bool Render() {
  std::snprintf(fps_text, sizeof fps_text, "FPS: %i", tvk->Clock_GetFps());
  if (!tvk->Gfx_BeginScene()) return false;
  tvk->Gfx_Clear(0xFFFFFFFF);
  Text_SetColor(0xFF000000);
  map->Render();
  Text_Print(3, 3, fps_text);
  cursor->Draw(mouse_x, mouse_y);
  // The screen size is read every frame, so the logo keeps to the corner in any mode.
  logo->Draw(float(tvk->System_GetInt(State_ScreenWidth) - 152),
             float(tvk->System_GetInt(State_ScreenHeight) - 114));
  tvk->Gfx_EndScene();
  return false;
}

void Configure() {
  tvk->System_SetText(State_LogFile, "demo6.log");
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  tvk->System_SetText(State_Title, "Tarvok");
  tvk->System_SetText(State_Icon, RegisterDemoIcon());
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetInt(State_ScreenWidth, 800);
  tvk->System_SetInt(State_ScreenHeight, 600);
  tvk->System_SetInt(State_Fps, Fps_Unlimited);
  tvk->System_SetInt(State_ScreenBpp, 32);
}

void Load() {
  fonts = FontManager::Get();
  Text_SetFontManager(fonts);
  fonts->GetFont(false, "Arial", 16, true, false);
  Text_CreateFont(false, "Arial", 16, true, false);  // text font 0, the print default
  logo_texture = tvk->Texture_Load("dane/logo.png");
  tileset_texture = tvk->Texture_Load("dane/tileset.png");
  map = new TileMap;
  Tmap_Read("dane/tile_mapa.tmap", tileset_texture, map);  // a bad file leaves it empty
  map->Build();
  logo = new Sprite(logo_texture, 0, 0, 152, 114);
  cursor_texture = tvk->Texture_Load("dane/cursor.png");
  cursor = new Sprite(cursor_texture, 0, 0, 32, 32);
}

// The tileset texture goes with the graphics shut-down inside System_Finish.
void ShutDown() {
  if (fonts) {
    Text_Clear();
    fonts->Clear();
    delete fonts;
  }
  delete cursor;
  delete logo;
  delete map;
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
