// Shared helpers of the graphics tests: the engine on the fake OS layer drawing on the
// software device, frame read-back, quads, and image files made in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/image/image.h"
#include "support/engine_fixture.h"

class GfxTest : public EngineTest {
 protected:
  static constexpr int kWidth = 80, kHeight = 60;

  void SetUp() override {
    EngineTest::SetUp();
    api = engine;
  }

  // A windowed kWidth x kHeight engine (a full-screen mode of that size exists).
  bool Start(bool pow2 = false, bool zbuffer = false) {
    fake->modes.push_back({kWidth, kHeight, 32, 60});
    engine->gfx.soft_options.require_pow2 = pow2;
    engine->System_SetBool(State_Windowed, true);
    engine->System_SetBool(State_ZBuffer, zbuffer);
    engine->System_SetInt(State_ScreenWidth, kWidth);
    engine->System_SetInt(State_ScreenHeight, kHeight);
    return Initiate();
  }

  TVK* api = nullptr;  // the engine through its interface, with the interface's defaults

  gfx::Device& device() { return *engine->gfx.Device(); }
  gfx::SoftDevice& soft() { return dynamic_cast<gfx::SoftDevice&>(device()); }
  const gfx::Stats& stats() { return device().GetStats(); }
  std::string Log() { return ReadFile(Path("engine.log")); }

  // The back buffer's colour (alpha dropped) at (x, y).
  uint32_t Pixel(int x, int y) {
    int w = 0, h = 0;
    const std::vector<uint32_t> frame = soft().ReadBackBuffer(&w, &h);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0xDEADBEEF;
    return frame[size_t(y) * w + x] & 0xFFFFFF;
  }

  // An axis-aligned quad covering (x, y) .. (x + w, y + h) with texture coordinates 0..u, 0..v.
  static Quad MakeQuad(float x, float y, float w, float h, uint32_t color, TextureHandle tex = 0,
                       int blend = Blend_Default, float z = 0.5f, float u = 1, float v = 1) {
    Quad q{};
    q.v[0] = {x, y, z, color, 0, 0};
    q.v[1] = {x + w, y, z, color, u, 0};
    q.v[2] = {x + w, y + h, z, color, u, v};
    q.v[3] = {x, y + h, z, color, 0, v};
    q.tex = tex;
    q.blend = blend;
    return q;
  }

  // The bytes of a PNG of w x h pixels (0xAARRGGBB, row after row).
  std::vector<uint8_t> Png(int w, int h, const std::vector<uint32_t>& pixels) {
    const std::string path = Path("image.png");
    EXPECT_TRUE(image::WritePng(path.c_str(), pixels.data(), w, h, w * 4));
    const std::string bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
  }

  TextureHandle LoadBytes(const std::vector<uint8_t>& bytes, bool mipmap = false) {
    return api->Texture_Load(reinterpret_cast<const char*>(bytes.data()),
                                uint32_t(bytes.size()), mipmap);
  }
};

// A DDS file: the 128-byte header for one level of w x h, then the given pixel data. fourcc 0
// describes an uncompressed layout of bits per pixel with the four masks.
struct DdsLayout {
  uint32_t fourcc = 0, bits = 0, r = 0, g = 0, b = 0, a = 0;
};
inline std::vector<uint8_t> Dds(int w, int h, const DdsLayout& layout,
                                const std::vector<uint8_t>& data) {
  std::vector<uint8_t> f(128, 0);
  auto put = [&f](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
  put(0, 0x20534444);                 // "DDS "
  put(4, 124);                        // header size
  put(8, 0x1 | 0x2 | 0x4 | 0x1000);   // caps, height, width, pixel format
  put(12, uint32_t(h));
  put(16, uint32_t(w));
  put(76, 32);                        // pixel format size
  put(80, layout.fourcc ? 0x4u : 0x40u | (layout.a ? 0x1u : 0u));
  put(84, layout.fourcc);
  put(88, layout.bits);
  put(92, layout.r);
  put(96, layout.g);
  put(100, layout.b);
  put(104, layout.a);
  put(108, 0x1000);                   // texture
  f.insert(f.end(), data.begin(), data.end());
  return f;
}
