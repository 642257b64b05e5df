// Fonts made at run time from TrueType faces: packing, the family-name reader on real and
// hostile files, the manager's cache, and a pixel check on the software device against a
// .fnt file made by the builder.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <string>
#include <vector>

#include "kit/text/font_manager.h"
#include "kit/text/glyph_texture.h"
#include "kit/text/truetype_name.h"
#include "text_test_support.h"

namespace {

const std::string kLiberationSans =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

void PutU16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(uint8_t(v >> 8));
  out->push_back(uint8_t(v));
}
void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  PutU16(out, v >> 16);
  PutU16(out, v & 0xFFFF);
}

// A TrueType header with one "name" table at offset 28 holding a UTF-16 family record
// (passed over) and then the 8-bit family name.
std::vector<uint8_t> TrueTypeBytes(const std::string& family, uint32_t name_count = 2) {
  std::vector<uint8_t> b;
  for (uint32_t v : {1u, 0u, 1u, 16u, 0u, 0u}) PutU16(&b, v);
  b.insert(b.end(), {'n', 'a', 'm', 'e'});
  PutU32(&b, 0);
  PutU32(&b, 28);
  PutU32(&b, 0);
  const std::string wide = {'\0', 'W'};
  for (uint32_t v : {0u, name_count, 6u + 12u * 2u}) PutU16(&b, v);
  for (uint32_t v : {3u, 1u, 1033u, 1u, uint32_t(wide.size()), 0u}) PutU16(&b, v);
  for (uint32_t v : {1u, 0u, 0u, 1u, uint32_t(family.size()), uint32_t(wide.size())}) {
    PutU16(&b, v);
  }
  b.insert(b.end(), wide.begin(), wide.end());
  b.insert(b.end(), family.begin(), family.end());
  return b;
}

class TrueTypeTest : public TextTest {
 protected:
  void TearDown() override {
    FontManager::Get()->Clear();
    TextTest::TearDown();
  }

  std::string FamilyOf(const std::vector<uint8_t>& bytes) {
    WriteBytes(Path("face.ttf"), bytes);
    return TrueType_GetFamilyName(Path("face.ttf").c_str());
  }

  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST(GlyphPacking, CellsGoLeftToRightInRowsOneApart) {
  GlyphCell* cells = Font_GlyphCells();
  for (int code = 32; code < 40; ++code) cells[code] = {0, 0, 10, 20, 0, 0};
  const GlyphRange range{32, 37};
  ASSERT_TRUE(Font_PackGlyphs(32, 128, &range, 1));
  const int expected[][2] = {{1, 1}, {12, 1}, {1, 22}, {12, 22}, {1, 43}, {12, 43}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(cells[32 + i].x, expected[i][0]) << i;
    EXPECT_EQ(cells[32 + i].y, expected[i][1]) << i;
  }
  EXPECT_FALSE(Font_PackGlyphs(32, 64, &range, 1));  // the third row needs 43 + 21 < 64
  cells[38].w = 40;  // wider than the texture: never fits, whatever the rows
  const GlyphRange wide{38, 38};
  EXPECT_FALSE(Font_PackGlyphs(32, 1024, &wide, 1));
  const GlyphRange beyond{250, 400};  // codes past 255 are left out
  for (int code = 250; code < 256; ++code) cells[code] = {0, 0, 1, 1, 0, 0};
  EXPECT_TRUE(Font_PackGlyphs(32, 32, &beyond, 1));
}

TEST_F(TrueTypeTest, ReadsTheFirstEightBitFamilyName) {
  EXPECT_EQ(TrueType_GetFamilyName(kLiberationSans.c_str()), "Liberation Sans");
  EXPECT_EQ(FamilyOf(TrueTypeBytes("Tarvok Sans")), "Tarvok Sans");
  EXPECT_EQ(TrueType_GetFamilyName(Path("absent.ttf").c_str()), "");
  EXPECT_EQ(Log().find("#Error"), std::string::npos);
}

TEST_F(TrueTypeTest, PostScriptOutlinesGiveNoNameAndNoLog) {
  std::vector<uint8_t> bytes = TrueTypeBytes("Tarvok Sans");
  bytes[0] = 'O', bytes[1] = 'T', bytes[2] = 'T', bytes[3] = 'O';
  EXPECT_EQ(FamilyOf(bytes), "");
  EXPECT_EQ(Log().find("#Error"), std::string::npos);
}

TEST_F(TrueTypeTest, FileEndingInTheTableDirectoryLogsEndOfFileThenFail) {
  std::vector<uint8_t> bytes = TrueTypeBytes("Tarvok Sans");
  bytes.resize(20);
  EXPECT_EQ(FamilyOf(bytes), "");
  EXPECT_NE(Log().find("#Error parsing font file : end of file\n"
                       "#Error parsing font file : fail\n"),
            std::string::npos);
  EXPECT_EQ(Count(Log(), "#Error parsing"), 2u);
}

TEST_F(TrueTypeTest, LyingOffsetsAndCountsGiveAnEmptyName) {
  std::vector<uint8_t> far_table = TrueTypeBytes("X");
  far_table[23] = 0xF0;  // the name table's offset points past the end
  EXPECT_EQ(FamilyOf(far_table), "");
  EXPECT_EQ(FamilyOf(TrueTypeBytes("X", 60000)), "X");  // found before the count runs out
  std::vector<uint8_t> long_string = TrueTypeBytes("Y");
  long_string[long_string.size() - 1 - 1 - 2 - 2] = 0xFF;  // the 8-bit record's length
  EXPECT_EQ(FamilyOf(long_string), "");
  std::vector<uint8_t> many_tables = TrueTypeBytes("Z");
  many_tables[5] = 0xFF;  // 255 tables declared, one present
  EXPECT_EQ(FamilyOf(many_tables), "Z");
  EXPECT_EQ(TrueType_ParseFamilyName(nullptr, 100), "");
}

TEST_F(TrueTypeTest, ManagerCachesByFaceSizeAndStyle) {
  EXPECT_EQ(FontManager::CacheKey("Arial", 16, true, false), "Arial|16|1|0");
  EXPECT_EQ(FontManager::CacheKey("", 1234567, false, true), "|1.23457e+06|0|1");
  FontManager* manager = FontManager::Get();
  Font* font = manager->GetFont(false, "Arial", 16, true, false);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font->GetTexture(), 0u);
  EXPECT_GT(font->GetHeight(), 16.0f);
  EXPECT_EQ(font->GetGlyph(31), nullptr);
  Font_GlyphCells()['A'].w = -99;  // a second rendering would overwrite this
  EXPECT_EQ(manager->GetFont(false, "Arial", 16, true, false), font);
  EXPECT_EQ(Font_GlyphCells()['A'].w, -99);
  EXPECT_NE(manager->GetFont(false, "Arial", 16, false, false), font);
  EXPECT_EQ(Log().find("Unknown font file"), std::string::npos);

  // The file's family name is the face, so it shares the installed face's entry.
  Font* from_file = manager->GetFont(true, kLiberationSans.c_str(), 12, false, false);
  EXPECT_EQ(manager->GetFont(false, "Liberation Sans", 12, false, false), from_file);
  EXPECT_EQ(manager->GetFont(false, "No Such Face At All", 12, false, true) != nullptr, true);
  EXPECT_EQ(manager->GetFont(false, "Arial", 0, false, false), nullptr);
  EXPECT_EQ(manager->GetFont(false, "Arial", 300, false, false), nullptr);  // over 1024x1024
  EXPECT_EQ(manager->GetFont(false, "Arial", 2000, false, false), nullptr);
}

TEST_F(TrueTypeTest, MissingFileIsLoggedOnEveryRequest) {
  const std::string missing = Path("missing.ttf");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(FontManager::Get()->GetFont(true, missing.c_str(), 16, false, false), nullptr);
  }
  EXPECT_EQ(Count(Log(), "#Error# : Unknown font file : \"" + missing + "\"\n"), 2u);
}

// A copy of a monospaced face renamed to a family only this file has: once the manager
// registers it, the face is found by that name (the system's fallback is proportional).
TEST_F(TrueTypeTest, RegisteredFileFaceCanBeAskedForByName) {
  std::string bytes = ReadFile("/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf");
  ASSERT_FALSE(bytes.empty());
  const std::string from = "Liberation Mono", to = "Tarvok Test Mon";
  std::string from_wide, to_wide;
  for (size_t i = 0; i < from.size(); ++i) {
    from_wide += std::string(1, '\0') + from[i];
    to_wide += std::string(1, '\0') + to[i];
  }
  for (const auto& [old_name, new_name] : {std::pair{from, to}, std::pair{from_wide, to_wide}}) {
    for (size_t at = bytes.find(old_name); at != std::string::npos; at = bytes.find(old_name)) {
      bytes.replace(at, old_name.size(), new_name);
    }
  }
  const std::string path = Path("renamed.ttf");
  WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  ASSERT_EQ(TrueType_GetFamilyName(path.c_str()), to);

  Font* font = FontManager::Get()->GetFont(true, path.c_str(), 20, false, false);
  ASSERT_NE(font, nullptr);
  EXPECT_FLOAT_EQ(font->MeasureText("i", false), font->MeasureText("W", false));
  EXPECT_EQ(FontManager::Get()->GetFont(false, to.c_str(), 20, false, false), font);
}

// The frame as 0xRRGGBB, screen cleared to black, white text printed at (kX, kY).
class TextPixelTest : public TrueTypeTest {
 protected:
  static constexpr int kWidth = 200, kHeight = 60, kX = 10, kY = 15;
  static constexpr char kText[] = "Tarvok 16 bold!";

  void BeforeStart() override {
    fake->modes.push_back({kWidth, kHeight, 32, 60});
    engine->System_SetInt(State_ScreenWidth, kWidth);
    engine->System_SetInt(State_ScreenHeight, kHeight);
  }

  std::vector<uint32_t> Print(Font* font) {
    EXPECT_TRUE(engine->Gfx_BeginScene(0));
    engine->Gfx_Clear(0xFF000000);
    font->SetColor(0xFFFFFFFF);
    font->Render(kX, kY, Align_Left, kText);
    engine->Gfx_EndScene();
    std::vector<uint32_t> frame(fake->presented);
    for (uint32_t& pixel : frame) pixel &= 0xFFFFFF;
    return frame;
  }
};

TEST_F(TextPixelTest, ArialBoldShowsCoverageOnlyWhereTheTextIs) {
  Font* font = FontManager::Get()->GetFont(false, "Arial", 16, true, false);
  ASSERT_NE(font, nullptr);
  const std::vector<uint32_t> frame = Print(font);
  ASSERT_EQ(frame.size(), size_t(kWidth) * kHeight);
  const int right = kX + int(font->MeasureText(kText, false));
  const int bottom = kY + int(font->GetHeight());
  int lit = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t pixel = frame[size_t(y) * kWidth + x];
      const bool inside = x >= kX && x < right && y >= kY && y < bottom;
      if (!inside) {
        EXPECT_EQ(pixel, 0u) << x << ", " << y;
      }
      if (inside && pixel != 0) {
        ++lit;
        EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF) << "grey coverage at " << x << ", " << y;
      }
    }
  }
  // Bold strokes: a fair share of the box is covered, some of it fully.
  EXPECT_GT(lit, (right - kX) * (bottom - kY) / 5);
  EXPECT_NE(std::find(frame.begin(), frame.end(), 0xFFFFFFu), frame.end());
}

TEST_F(TextPixelTest, BuilderFntPrintsTheSameText) {
  const std::string command = std::string(TVK_TEST_BINARY_DIR) + "/font_builder --bold Arial 16 " +
                              Path("arial.fnt") + " " + Path("arial.png") + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  Font* made = FontManager::Get()->GetFont(false, "Arial", 16, true, false);
  ASSERT_NE(made, nullptr);
  const std::vector<uint32_t> expected = Print(made);
  Font loaded(Path("arial.fnt").c_str());
  ASSERT_NE(loaded.GetTexture(), 0u);
  EXPECT_FLOAT_EQ(loaded.GetHeight(), made->GetHeight());
  EXPECT_TRUE(Print(&loaded) == expected);
}

}  // namespace
