// A first game: a window with a turning square; Escape quits.
#include "engine/tvk.h"
#include "kit/draw/sprite.h"

TVK* tvk;
Sprite* square;

bool Frame() { return tvk->Key_IsDown(Key_Escape); }  // true ends the game

bool Render() {
  tvk->Gfx_BeginScene();
  tvk->Gfx_Clear(0xFF203040);
  square->DrawRotated(400, 300, tvk->Clock_GetTime());  // angle in radians
  tvk->Gfx_EndScene();
  return false;
}

int main() {
  tvk = TVK_Create(TVK_VERSION);
  tvk->System_SetText(State_Title, "My first game");
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetBool(State_UseSound, false);  // no sound library needed
  tvk->System_SetCallback(State_FrameFunc, Frame);
  tvk->System_SetCallback(State_RenderFunc, Render);
  if (!tvk->System_Initiate()) TVK_MessageBox("Error", tvk->System_GetLastError());
  else {
    Sprite orange(0, 0, 0, 64, 64);  // texture 0: a plain coloured quad
    orange.SetColor(0xFFFF8020);
    orange.SetHotSpot(32, 32);  // turn about the centre
    square = &orange;
    tvk->System_Start();
  }
  tvk->Release();  // the last reference shuts the engine down
}
