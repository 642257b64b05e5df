// Tile-map demo: a map read from dane/tile_mapa.tmap, a logo in the lower-right corner, a
// mouse cursor and the frame rate printed with a TrueType font. Escape or closing the window
// ends it.
#include <cstdio>

#include "demos/common/demo_app.h"
#include "engine/tvk.h"
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
  DrawLogoInCorner(tvk, logo);
  tvk->Gfx_EndScene();
  return false;
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
void FreeAll() {
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
}

}  // namespace

int main() {
  tvk = CreateDemoEngine({"demo6.log", Frame, Render, Fps_Unlimited});
  return RunDemo(tvk, Load, FreeAll);
}
