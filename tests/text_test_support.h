// Shared helpers of the font tests: fonts over known glyph cells and .fnt files written
// byte by byte.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "draw_test_support.h"
#include "kit/draw/registry.h"
#include "kit/text/font.h"
#include "kit/text/text_api.h"

// One .fnt glyph record as the file stores it.
struct FntBytesRecord {
  int16_t code, x, y, w, h, pre, post;
};

inline std::vector<uint8_t> FntBytes(const std::string& texture_name,
                                     const std::vector<FntBytesRecord>& records) {
  std::vector<uint8_t> bytes(texture_name.size() + 2, 0x01);
  std::copy(texture_name.begin(), texture_name.end(), bytes.begin() + 1);
  bytes.back() = 0x10;
  for (const FntBytesRecord& r : records) {
    for (int16_t v : {r.code, r.x, r.y, r.w, r.h, r.pre, r.post}) {
      bytes.push_back(uint8_t(uint16_t(v)));
      bytes.push_back(uint8_t(uint16_t(v) >> 8));
    }
  }
  return bytes;
}

class TextTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    BeforeStart();
    StartGraphics();
    Registry_SetEngine(engine);
    log_path = Path("engine.log");
  }
  void TearDown() override {
    Text_Clear();
    Registry_SetEngine(nullptr);
    DrawTest::TearDown();
  }

  // Room to choose a screen mode before the engine starts.
  virtual void BeforeStart() {}

  // Cells for every code: glyph 'a' + i is (i + 1) pixels wide, everything 10 high, and
  // each carries pre 1 and post 2. Codes below 32 never become glyphs.
  static std::array<GlyphCell, 256> Cells() {
    std::array<GlyphCell, 256> cells{};
    for (int code = 0; code < 256; ++code) cells[code] = {0, 0, 5, 10, 1, 2};
    for (int i = 0; i < 26; ++i) cells['a' + i].w = i + 1;
    return cells;
  }

  // A .fnt file in the test folder naming a white texture that exists.
  std::string WriteFont(const std::string& name, const std::vector<FntBytesRecord>& records) {
    const std::string texture = Path(name + ".bmp");
    WriteBytes(texture, MakeBmp(64, 64, 0xFFFFFFFF));
    const std::string path = Path(name + ".fnt");
    WriteBytes(path, FntBytes(texture, records));
    return path;
  }

  std::string Log() const { return ReadFile(log_path); }

  std::string log_path;
};
