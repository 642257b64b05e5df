// Bitmap fonts: .fnt loading and its log, line layout, alignment, measuring, the settings
// that shape glyphs, boxed and formatted printing, and bad .fnt files.
#include <string>

#include "text_test_support.h"

namespace {

class FontTest : public TextTest {
 protected:
  std::array<GlyphCell, 256> cells = Cells();
};

const Quad& GlyphQuad(const Font& font, char code) {
  return font.GetGlyph(uint8_t(code))->GetQuad();
}

TEST_F(FontTest, MeasuresFirstOrWidestLine) {
  Font font(cells.data(), 0);
  // a: 1 + 1 + 2, b: 2 + 1 + 2; c..f: 6, 7, 8, 9.
  EXPECT_FLOAT_EQ(font.MeasureText("ab\ncdef", false), 9.0f);
  EXPECT_FLOAT_EQ(font.MeasureText("ab\ncdef", true), 30.0f);
  EXPECT_FLOAT_EQ(font.MeasureText("ab\n\r\rcdef\n", true), 30.0f);
  EXPECT_FLOAT_EQ(font.MeasureText("", true), 0.0f);
  EXPECT_FLOAT_EQ(font.MeasureText(nullptr, true), 0.0f);
  font.SetScale(2.0f);
  font.SetProportion(0.5f);
  font.SetTracking(1.0f);
  EXPECT_FLOAT_EQ(font.MeasureText("ab", false), 11.0f);
}

TEST_F(FontTest, LineFeedsMoveWholeLineStepsAndDrawNothing) {
  Font font(cells.data(), 0);
  font.SetSpacing(1.25f);  // 12.5 a line, cut to 12
  font.Render(40, 30, Align_Left, "\n\nab");
  ExpectCorner(GlyphQuad(font, 'a'), 0, 41, 54);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].x, 40 + 4 + 1);

  for (GlyphCell& cell : cells) cell.h = 0;
  Font flat(cells.data(), 0);
  flat.Render(40, 30, Align_Left, "\n\na");
  ExpectCorner(GlyphQuad(flat, 'a'), 0, 41, 30);
}

TEST_F(FontTest, AlignsEachLineOnItsOwnWidth) {
  Font font(cells.data(), 0);
  font.Render(100, 0, Align_Center, "bq");  // 5 + 20 = 25 wide: starts at 100 - 12
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].x, 88 + 1);
  font.Render(100, 0, Align_Right, "a\nbq");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 100 - 4 + 1);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].x, 100 - 25 + 1);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].y, 10);
  font.Render(100, 0, 3, "a");  // 3 draws as left
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 101);
}

TEST_F(FontTest, ScaleProportionAndTrackingShapeEveryGlyph) {
  Font font(cells.data(), 0);
  font.SetScale(2.0f);
  font.SetProportion(0.5f);
  font.SetTracking(1.0f);
  font.Render(10, 20, Align_Left, "ab");
  const Quad& a = GlyphQuad(font, 'a');
  ExpectCorner(a, 0, 11, 20);
  ExpectCorner(a, 2, 12, 40);  // 1 x 1 wide, 2 x 10 tall
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].x, 11 + (1 + 2 + 1) + 1);
}

TEST_F(FontTest, MissingGlyphsFallBackToQuestionMarkOrAreSkipped) {
  cells['?'].w = 7;
  Font font(cells.data(), 0);
  font.Render(0, 0, Align_Left, "\x01" "a");  // byte 1 has no glyph: drawn as '?'
  EXPECT_FLOAT_EQ(GlyphQuad(font, '?').v[0].x, 1);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 1 + 7 + 2 + 1);
  EXPECT_FLOAT_EQ(font.MeasureText("\x01", false), 10.0f);
}

TEST_F(FontTest, ColourDepthAndBlendReachEveryGlyph) {
  Font font(cells.data(), 0);
  font.SetColor(0x80FF0000);
  font.SetDepth(0.25f);
  font.SetBlendMode(Blend_ColorAdd);
  for (int code = 32; code < 256; ++code) {
    const Sprite* glyph = font.GetGlyph(uint8_t(code));
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->GetColor(3), 0x80FF0000u);
    EXPECT_FLOAT_EQ(glyph->GetDepth(2), 0.25f);
    EXPECT_EQ(glyph->GetBlendMode(), Blend_ColorAdd);
  }
  EXPECT_EQ(font.GetGlyph(31), nullptr);
}

TEST_F(FontTest, LoadsFntRecordsAndLogsThem) {
  const std::string path = WriteFont("f", {{'A', 0, 0, 8, 12, -1, 2},
                                           {300, 8, 0, 4, 20, 0, 0},
                                           {-5, 12, 0, 4, 4, 0, 0},
                                           {'A', 16, 0, 9, 12, 0, 1}});
  Font font(path.c_str());
  ASSERT_NE(font.GetTexture(), 0u);
  EXPECT_FLOAT_EQ(font.GetGlyph('A')->GetWidth(), 9.0f);  // the later record wins
  EXPECT_FLOAT_EQ(font.GetPost('A'), 1.0f);
  EXPECT_FLOAT_EQ(font.GetGlyph(255)->GetWidth(), 4.0f);
  EXPECT_NE(font.GetGlyph(0), nullptr);
  EXPECT_FLOAT_EQ(font.GetHeight(), 20.0f);
  // One line per record, each holding its code's character (glyph 0's line holds a zero).
  EXPECT_EQ(Log().substr(Log().find("Loading font")),
            "Loading font '" + Path("f.bmp") + "'...\nok.\nA\n\xff\n" + std::string(1, '\0') +
                "\nA\n");
}

TEST_F(FontTest, FailedTextureLeavesAFontThatMeasuresNothing) {
  const std::string path = Path("lost.fnt");
  WriteBytes(path, FntBytes(Path("missing.png"), {{'A', 0, 0, 8, 12, 0, 0}}));
  Font font(path.c_str());
  EXPECT_EQ(font.GetTexture(), 0u);
  EXPECT_EQ(font.GetGlyph('A'), nullptr);
  EXPECT_FLOAT_EQ(font.MeasureText("AAA", true), 0.0f);
  font.Render(0, 0, Align_Center, "AAA");
  EXPECT_NE(Log().find("Loading font '" + Path("missing.png") + "'...\n"), std::string::npos);
  EXPECT_NE(Log().find("\nfailed.\n"), std::string::npos);
}

TEST_F(FontTest, BadFntFilesGiveEmptyFontsOrWholeRecordsOnly) {
  const std::string texture = Path("t.bmp");
  WriteBytes(texture, MakeBmp(16, 16, 0xFFFFFFFF));
  std::vector<uint8_t> no_end{0, 'x', 'y'};
  WriteBytes(Path("noend.fnt"), no_end);
  WriteBytes(Path("empty.fnt"), {});
  for (const char* name : {"noend.fnt", "empty.fnt", "absent.fnt"}) {
    Font font(Path(name).c_str());
    EXPECT_EQ(font.GetTexture(), 0u) << name;
    EXPECT_NE(Log().find("Can't read font file '" + Path(name) + "'"), std::string::npos);
  }

  std::vector<uint8_t> partial = FntBytes(texture, {{'a', 0, 0, 3, 4, 0, 0}});
  partial.insert(partial.end(), 13, 0x7F);  // one byte short of a second record
  WriteBytes(Path("partial.fnt"), partial);
  Font font(Path("partial.fnt").c_str());
  EXPECT_NE(font.GetGlyph('a'), nullptr);
  EXPECT_EQ(font.GetGlyph(0x7F), nullptr);

  WriteBytes(Path("huge.fnt"), FntBytes(texture, {{'H', -32768, 32767, 32767, 32767,
                                                   -32768, 32767}}));
  Font huge(Path("huge.fnt").c_str());
  ASSERT_TRUE(engine->Gfx_BeginScene(0));
  huge.Render(0, 0, Align_Center, "HH");
  engine->Gfx_EndScene();
  EXPECT_FLOAT_EQ(huge.MeasureText("H", false), 32766.0f);
}

TEST_F(FontTest, PrintFormattedKeepsThe1023FirstCharacters) {
  Font font(cells.data(), 0);
  font.PrintFormatted(0, 0, Align_Left, "%s%c", "ab", 'c');
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'c').v[0].x, 4 + 5 + 1);
  const std::string text = std::string(1023, 'a') + std::string(977, 'b');
  font.PrintFormatted(1000, 0, Align_Left, "%s", text.c_str());
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 1000 + 1022 * 4 + 1);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'b').v[0].x, 4 + 1);  // still where "ab" left it
}

TEST_F(FontTest, PrintLiteralReadsNoArguments) {
  Font font(cells.data(), 0);
  font.PrintLiteral(0, 0, Align_Left, "%s%n%d%%z");
  const float literal_z = GlyphQuad(font, 'z').v[0].x;
  font.Render(0, 0, Align_Left, "%s%n%d%z");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'z').v[0].x, literal_z);
}

TEST_F(FontTest, PrintInBoxWrapsAtSpacesAndPlacesTheLines) {
  Font font(cells.data(), 0);
  // "zz" (58) is wider than the box: it stands alone on its line.
  font.PrintInBox(0, 0, 20, 100, Align_Bottom, "ab zz ab");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'z').v[0].y, 70 + 10);
  ExpectCorner(GlyphQuad(font, 'b'), 0, 4 + 1, 90);
  // A last word wider than the box adds no line after it.
  font.PrintInBox(0, 0, 20, 100, Align_Bottom, "ab zz");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].y, 80);
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'z').v[0].y, 90);
  font.PrintInBox(0, 0, 5, 100, Align_Top, "zz");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'z').v[0].y, 0);
  font.PrintInBox(10, 0, 30, 50, Align_Right, "ab");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 40 - 9 + 1);
  font.PrintInBox(10, 0, 31, 50, Align_Center, "ab");
  EXPECT_FLOAT_EQ(GlyphQuad(font, 'a').v[0].x, 10 + 15 - 4 + 1);

  for (GlyphCell& cell : cells) cell.h = 20;
  Font tall(cells.data(), 0);
  tall.PrintInBox(0, 5, 200, 100, Align_Middle, "a\nb\nc");
  EXPECT_FLOAT_EQ(GlyphQuad(tall, 'a').v[0].y, 25);
  EXPECT_FLOAT_EQ(GlyphQuad(tall, 'c').v[0].y, 65);
}

TEST(NumberToText, WholeNumbersAndTwoDecimals) {
  EXPECT_EQ(Number_ToText(3), "3");
  EXPECT_EQ(Number_ToText(-7), "-7");
  EXPECT_EQ(Number_ToText(2.5), "2.5");
  EXPECT_EQ(Number_ToText(1.10), "1.1");
  EXPECT_EQ(Number_ToText(0.001), "0.");
  EXPECT_EQ(Number_ToText(3000000000.0), "3000000000.");
  EXPECT_EQ(Number_ToText(-2147483648.0), "-2147483648");
  EXPECT_EQ(Number_ToText(1e300).size(), 302u);
}

}  // namespace
