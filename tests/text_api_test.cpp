// The integer-id text API and its earlier form: ids, the selected and the latest font, the
// colour, the scale that stays, literal printing of caller text, and the screen calls.
#include <string>

#include "text_test_support.h"

namespace {

class TextApiTest : public TextTest {
 protected:
  // Two fonts: id 0 with 'A' 8 wide, id 1 with 'A' 4 wide.
  void LoadTwoFonts() {
    ASSERT_EQ(Text_LoadFont(WriteFont("wide", {{'A', 0, 0, 8, 10, 0, 0}}).c_str()), 0);
    ASSERT_EQ(Text_LoadFont(WriteFont("narrow", {{'A', 0, 0, 4, 10, 0, 0},
                                                 {'%', 0, 0, 3, 10, 0, 0},
                                                 {'s', 0, 0, 2, 10, 0, 0}})
                                .c_str()),
              1);
  }
  static const Quad& A(int id) { return Text_GetFont(id)->GetGlyph('A')->GetQuad(); }
};

TEST_F(TextApiTest, NothingToPrintWithoutAFont) {
  EXPECT_EQ(Text_Print(0, 0, "A"), 0);
  EXPECT_EQ(Text_PrintEx(0, 0, "A", 0xFFFFFFFF, 1, 0), 0);
  EXPECT_EQ(Text_PrintNumber(0, 0, 3), 0);
  EXPECT_EQ(text_v1::Text_Print(0, 0, "A"), 0);
  EXPECT_FLOAT_EQ(Text_GetWidth("A"), 0.0f);
  // No manager: the id is given, but holds no font.
  EXPECT_EQ(Text_CreateFont(false, "Arial", 16, true, false), 0);
  EXPECT_EQ(Text_SelectFont(0), 0);
  EXPECT_EQ(Text_Print(0, 0, "A"), 0);
}

TEST_F(TextApiTest, PrintsWithTheSelectedFontAndMeasuresWithTheLatest) {
  LoadTwoFonts();
  EXPECT_EQ(Text_Print(10, 20, "A"), 1);  // the selection starts at id 0
  ExpectCorner(A(0), 0, 10, 20);
  EXPECT_FLOAT_EQ(Text_GetWidth("AA"), 8.0f);  // id 1, the latest
  EXPECT_EQ(Text_SelectFont(1), 1);
  EXPECT_EQ(Text_SelectFont(7), 0);  // unknown: the selection stays on 1
  EXPECT_EQ(Text_Print(30, 40, "A"), 1);
  ExpectCorner(A(1), 0, 30, 40);
  EXPECT_EQ(Text_SelectFont(0), 1);
  EXPECT_EQ(text_v1::Text_Print(50, 60, "A"), 1);  // the earlier form takes the latest
  ExpectCorner(A(1), 0, 50, 60);
}

TEST_F(TextApiTest, ColourStartsTransparentAndPrintExKeepsItsScale) {
  LoadTwoFonts();
  Text_Print(0, 0, "A");
  EXPECT_EQ(Text_GetFont(0)->GetGlyph('A')->GetColor(0), 0u);
  EXPECT_EQ(Text_SetColor(0xFFFFE060), 1);
  EXPECT_EQ(Text_PrintEx(0, 0, "A", 0xFF00FF00, 2.0f, 0.0f), 1);
  EXPECT_EQ(Text_GetFont(0)->GetGlyph('A')->GetColor(2), 0xFF00FF00u);
  Text_Print(100, 0, "A");
  ExpectCorner(A(0), 2, 116, 20);  // still twice the size
  EXPECT_EQ(Text_GetFont(0)->GetGlyph('A')->GetColor(1), 0xFFFFE060u);
  EXPECT_EQ(text_v1::Text_PrintEx(0, 0, "A", 0xFF0000FF, 3.0f, 0.0f), 1);
  EXPECT_FLOAT_EQ(Text_GetFont(1)->GetScale(), 3.0f);
}

TEST_F(TextApiTest, CallerTextIsNeverUsedAsAFormat) {
  LoadTwoFonts();
  Text_SelectFont(1);
  // Were "%s" a conversion it would read a missing argument; it prints as it stands.
  EXPECT_EQ(Text_Print(0, 0, "%s%n%%A"), 1);
  EXPECT_FLOAT_EQ(A(1).v[0].x, 3 + 2 + 3 + 3);  // "%s%n%A": 'n' has no glyph and no '?'
  EXPECT_EQ(Text_PrintEx(0, 0, "%%%A", 0xFFFFFFFF, 1, 0), 1);
  EXPECT_FLOAT_EQ(A(1).v[0].x, 3 + 3);
  EXPECT_EQ(Text_PrintNumber(0, 0, 2.5), 1);
  const std::string long_text = std::string(1023, 's') + "A";
  Text_Print(1000, 0, "A");
  Text_Print(0, 0, long_text.c_str());
  EXPECT_FLOAT_EQ(A(1).v[0].x, 1000);  // the 1024th character is cut
}

TEST_F(TextApiTest, ScreenCallsReachTheEngine) {
  ASSERT_TRUE(engine->Gfx_BeginScene(0));
  EXPECT_EQ(Screen_Clear(0xFF102030), 1);
  engine->Gfx_EndScene();
  EXPECT_EQ(fake->presented[0] & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(Screen_Snapshot(Path("shot.bmp").c_str()), 1);
  EXPECT_FALSE(ReadFile(Path("shot.bmp")).empty());
  EXPECT_EQ(Screen_GetFps(), engine->Clock_GetFps());
  Registry_SetEngine(nullptr);
  EXPECT_EQ(Screen_Clear(0), 0);
  EXPECT_EQ(Screen_Snapshot(nullptr), 0);
  EXPECT_EQ(Screen_GetFps(), 0);
}

}  // namespace
