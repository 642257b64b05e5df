// Shared helpers of the drawing-class tests: the engine on the fake OS layer, in-memory
// images for textures, and quad corner checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/tvk.h"
#include "support/engine_fixture.h"

// A 32-bit uncompressed BMP of one colour (0xAARRGGBB).
inline std::vector<uint8_t> MakeBmp(int width, int height, uint32_t argb) {
  const uint32_t pixel_bytes = uint32_t(width) * uint32_t(height) * 4;
  std::vector<uint8_t> bmp;
  auto put16 = [&](uint32_t v) {
    bmp.push_back(uint8_t(v));
    bmp.push_back(uint8_t(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  bmp.push_back('B');
  bmp.push_back('M');
  put32(54 + pixel_bytes);
  put32(0);
  put32(54);
  put32(40);
  put32(uint32_t(width));
  put32(uint32_t(height));
  put16(1);
  put16(32);
  put32(0);  // uncompressed
  put32(pixel_bytes);
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  for (uint32_t i = 0; i < pixel_bytes / 4; ++i) put32(argb);
  return bmp;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class DrawTest : public EngineTest {
 protected:
  // Brings the engine up on the fake OS layer, so textures and drawing work.
  void StartGraphics() {
    engine->System_SetBool(State_Windowed, true);
    ASSERT_TRUE(Initiate()) << engine->System_GetLastError();
  }

  // A texture whose image is width x height pixels of one colour.
  TextureHandle ImageTexture(int width, int height, uint32_t argb = 0xFFFFFFFF) {
    std::vector<uint8_t> bmp = MakeBmp(width, height, argb);
    return engine->Texture_Load(reinterpret_cast<const char*>(bmp.data()),
                                uint32_t(bmp.size()), false);
  }
};

inline void ExpectCorner(const Quad& q, int corner, float x, float y) {
  EXPECT_FLOAT_EQ(q.v[corner].x, x) << "corner " << corner;
  EXPECT_FLOAT_EQ(q.v[corner].y, y) << "corner " << corner;
}

inline void ExpectTexCoord(const Quad& q, int corner, float u, float v) {
  EXPECT_FLOAT_EQ(q.v[corner].tx, u) << "corner " << corner;
  EXPECT_FLOAT_EQ(q.v[corner].ty, v) << "corner " << corner;
}
