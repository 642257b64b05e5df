// A fixture for drawing tests that read back what reached the screen: the engine on the fake
// OS layer with a small software screen, frames drawn by a callback, pixels read as 0xRRGGBB.
#pragma once

#include <cstdint>
#include <functional>

#include "draw_test_support.h"

class ScreenTest : public DrawTest {
 protected:
  static constexpr int kWidth = 160, kHeight = 120;

  void SetUp() override {
    DrawTest::SetUp();
    fake->modes.push_back({kWidth, kHeight, 32, 60});
    engine->System_SetInt(State_ScreenWidth, kWidth);
    engine->System_SetInt(State_ScreenHeight, kHeight);
    StartGraphics();
  }

  // Draws one frame over a black screen and presents it.
  void DrawFrame(const std::function<void()>& draw) {
    ASSERT_TRUE(engine->Gfx_BeginScene(0));
    engine->Gfx_Clear(0xFF000000);
    draw();
    engine->Gfx_EndScene();
    ASSERT_EQ(fake->present_w, kWidth);
    ASSERT_EQ(fake->present_h, kHeight);
  }

  uint32_t Pixel(int x, int y) const {
    return fake->presented[size_t(y) * kWidth + size_t(x)] & 0xFFFFFF;
  }

  // True when every pixel of the screen is black.
  bool ScreenIsBlack() const {
    for (uint32_t p : fake->presented)
      if (p & 0xFFFFFF) return false;
    return true;
  }
};
