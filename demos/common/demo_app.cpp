// The demos' shared start-up and shut-down. The icon's PNG bytes come from the generated
// include next to the data folder.
#include "demos/common/demo_app.h"

#include <cstdint>

#include "kit/draw/registry.h"

namespace {

const uint8_t kIconPng[] = {
#include "demo_icon.inc"
};

// An integer resource id travels in the pointer, as State_Icon expects it.
const char* const kIconId = reinterpret_cast<const char*>(1);

}  // namespace

TVK* CreateDemoEngine(const DemoSettings& settings) {
  TVK* tvk = TVK_Create(TVK_VERSION);
  Registry_SetEngine(tvk);
  TVK_RegisterIcon(kIconId, kIconPng, sizeof kIconPng);
  tvk->System_SetText(State_LogFile, settings.log_file);
  tvk->System_SetCallback(State_FrameFunc, settings.frame);
  tvk->System_SetCallback(State_RenderFunc, settings.render);
  tvk->System_SetText(State_Title, "Tarvok");
  tvk->System_SetText(State_Icon, kIconId);
  tvk->System_SetBool(State_Windowed, true);
  tvk->System_SetInt(State_ScreenWidth, 800);
  tvk->System_SetInt(State_ScreenHeight, 600);
  tvk->System_SetInt(State_Fps, settings.fps);
  tvk->System_SetInt(State_ScreenBpp, 32);
  return tvk;
}

int RunDemo(TVK* tvk, void (*load)(), void (*free_all)()) {
  if (tvk->System_Initiate()) {
    load();
    tvk->System_Start();
  } else {
    TVK_MessageBox("Error", tvk->System_GetLastError());
  }
  free_all();
  tvk->System_Finish();
  tvk->Release();
  return 0;
}

void DrawLogoInCorner(TVK* tvk, Sprite* logo) {
  logo->Draw(float(tvk->System_GetInt(State_ScreenWidth) - 152),
             float(tvk->System_GetInt(State_ScreenHeight) - 114));
}
