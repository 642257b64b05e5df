// The keyframed model and its .anim files: both format versions, blending and stepping
// between key frames, part textures from the file's folder, and refusal of counts beyond the
// loader's capacities and of files cut short, with nothing read past their end.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kit/anim/anim_file.h"
#include "kit/anim/anim_model.h"
#include "support/screen_test.h"

namespace {

// Builds .anim images field by field.
class AnimBytes {
 public:
  AnimBytes& Int(int32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return *this;
  }
  AnimBytes& Float(float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    return Int(bits);
  }
  AnimBytes& Name(const std::string& name) {
    std::vector<uint8_t> field(kAnimNameSize, 0);
    std::memcpy(field.data(), name.data(), std::min(name.size(), field.size()));
    bytes.insert(bytes.end(), field.begin(), field.end());
    return *this;
  }
  // A part of 1 x 1 cells whose vertex (column, row) sits at key + (column, row) * 10 in
  // frame f, where key is 100 * f; then the extra grid.
  AnimBytes& SimplePart(const std::string& texture, int frames) {
    Name(texture).Int(1).Int(1);
    for (int f = 0; f <= frames; ++f)  // the last pass is the extra grid
      for (int column = 0; column < 2; ++column)
        for (int row = 0; row < 2; ++row) Float(100.0f * f + 10.0f * column).Float(10.0f * row);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> SimpleFile(int version, int frames, int parts = 1) {
  AnimBytes file;
  file.Int(version).Int(frames);
  if (version > 4) file.Float(0.25f);
  file.Int(parts);
  for (int p = 0; p < parts; ++p) file.SimplePart("part.bmp", frames);
  file.Int(0);
  return file.bytes;
}

class AnimTest : public ScreenTest {
 protected:
  std::string WriteAnim(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteBytes(Path(name), bytes);
    return Path(name);
  }
  void WritePartTexture(const std::string& name) { WriteBytes(Path(name), MakeBmp(20, 10, 0xFFFFFFFF)); }

  static void ExpectVertex(const AnimModel& model, int column, int row, float x, float y) {
    float vx = -1, vy = -1;
    model.GetMesh(0)->GetDisplacement(column, row, &vx, &vy, Offset_Absolute);
    EXPECT_FLOAT_EQ(vx, x) << column << "," << row;
    EXPECT_FLOAT_EQ(vy, y) << column << "," << row;
  }
};

TEST_F(AnimTest, Version4HasNoDurationFieldAndVersion5KeepsItsDurationApart) {
  WritePartTexture("part.bmp");
  AnimModel v4(WriteAnim("v4.anim", SimpleFile(4, 2)).c_str());
  ASSERT_EQ(v4.GetPartCount(), 1);
  EXPECT_EQ(v4.GetFrameCount(), 2);
  EXPECT_FLOAT_EQ(v4.GetFrameDuration(), 0.5f);
  EXPECT_FLOAT_EQ(v4.GetFileFrameDuration(), 0.0f);
  float x = 0, y = 0;
  ASSERT_TRUE(v4.GetKeyPosition(0, 1, 1, 1, &x, &y));
  EXPECT_FLOAT_EQ(x, 110.0f);
  EXPECT_FLOAT_EQ(y, 10.0f);

  AnimModel v5(WriteAnim("v5.anim", SimpleFile(5, 2)).c_str());
  EXPECT_FLOAT_EQ(v5.GetFrameDuration(), 0.5f);
  EXPECT_FLOAT_EQ(v5.GetFileFrameDuration(), 0.25f);
  ASSERT_TRUE(v5.GetKeyPosition(0, 1, 1, 1, &x, &y));
  EXPECT_FLOAT_EQ(x, 110.0f);
}

// Vertices show the time reached before each step; a long step moves on one key frame only,
// and the last key frame blends back into the first.
TEST_F(AnimTest, PlayingBlendsTowardsTheNextKeyFrameOneFrameAtATime) {
  WritePartTexture("part.bmp");
  AnimModel model(WriteAnim("run.anim", SimpleFile(5, 3)).c_str());
  model.Play();
  model.Update(0.25f);
  ExpectVertex(model, 1, 1, 10.0f, 10.0f);  // frame 0 as it stood before the step
  model.Update(0.0f);
  ExpectVertex(model, 1, 1, 60.0f, 10.0f);  // halfway to frame 1
  model.Update(10.0f);
  EXPECT_EQ(model.GetCurrentFrame(), 1);  // the excess is dropped
  model.Update(0.0f);
  ExpectVertex(model, 1, 1, 110.0f, 10.0f);
  model.Update(0.5f);
  EXPECT_EQ(model.GetCurrentFrame(), 2);
  model.Update(0.25f);
  model.Update(0.0f);
  ExpectVertex(model, 0, 0, 100.0f, 0.0f);  // halfway from frame 2 (200) back to frame 0
  model.Update(0.25f);
  EXPECT_EQ(model.GetCurrentFrame(), 0);
  EXPECT_TRUE(model.IsPlaying());

  model.Play(false);
  for (int i = 0; i < 3; ++i) model.Update(1.0f);
  EXPECT_FALSE(model.IsPlaying());
  EXPECT_EQ(model.GetCurrentFrame(), 2);  // a run without loop ends on its last key frame
}

TEST_F(AnimTest, OneKeyFrameStandsStillAndBadStepsCountNothing) {
  WritePartTexture("part.bmp");
  AnimModel model(WriteAnim("still.anim", SimpleFile(4, 1)).c_str());
  model.Play();
  for (float step : {0.1f, 0.7f, -3.0f, NAN, INFINITY, 0.0f}) {
    model.Update(step);
    ExpectVertex(model, 1, 0, 10.0f, 0.0f);
    EXPECT_EQ(model.GetCurrentFrame(), 0);
  }
}

TEST_F(AnimTest, PartTexturesComeFromTheFilesFolder) {
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
  WriteBytes(Path("sub/part.bmp"), MakeBmp(20, 10, 0xFFFFFFFF));
  WriteAnim("sub/run.anim", SimpleFile(5, 1));
  AnimModel absolute(Path("sub/run.anim").c_str());
  ASSERT_EQ(absolute.GetPartCount(), 1);
  EXPECT_EQ(std::string(absolute.GetPartName(0)), Path("sub/part.bmp"));
  EXPECT_NE(absolute.GetMesh(0)->GetTexture(), 0u);

  // A relative path is read from the working folder, and so are its parts.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  AnimModel relative("sub/run.anim");
  AnimModel backslashed("sub\\run.anim");
  ASSERT_EQ(chdir(previous), 0);
  ASSERT_EQ(relative.GetPartCount(), 1);
  EXPECT_EQ(std::string(relative.GetPartName(0)), dir + "/sub/part.bmp");
  EXPECT_NE(relative.GetMesh(0)->GetTexture(), 0u);
  EXPECT_EQ(backslashed.GetPartCount(), 1);
}

// A part whose texture is missing still loads: texture 0 over a zero-size grid.
TEST_F(AnimTest, AMissingPartTextureGivesAnUntexturedPart) {
  AnimModel model(WriteAnim("run.anim", SimpleFile(5, 1)).c_str());
  ASSERT_EQ(model.GetPartCount(), 1);
  EXPECT_EQ(model.GetMesh(0)->GetTexture(), 0u);
  float x = -1, y = -1;
  ASSERT_TRUE(model.GetKeyPosition(0, 0, 1, 1, &x, &y));
  EXPECT_FLOAT_EQ(x, 10.0f);  // the file's key frames still apply
}

std::vector<uint8_t> WithPartCells(int row_cells, int column_cells) {
  AnimBytes file;
  file.Int(5).Int(1).Float(0.5f).Int(1).Name("part.bmp").Int(row_cells).Int(column_cells);
  for (int i = 0; i < 2 * (row_cells + 1) * (column_cells + 1) * 2 && i < 4096; ++i) file.Float(0);
  file.Int(0);
  return file.bytes;
}

// Counts beyond the capacities and files cut anywhere are refused, the model left as it was
// and the refusal logged; each image lies in a buffer of exactly its size.
TEST_F(AnimTest, TheLoaderRefusesBadCountsAndShortFiles) {
  WritePartTexture("part.bmp");
  AnimModel model(WriteAnim("good.anim", SimpleFile(5, 2)).c_str());
  ASSERT_EQ(model.GetPartCount(), 1);
  const std::vector<std::vector<uint8_t>> bad = {
      SimpleFile(5, 0),  SimpleFile(5, 65), SimpleFile(5, -1), SimpleFile(5, 1, 17),
      SimpleFile(4, 2, -1), WithPartCells(0, 1), WithPartCells(1, 0), WithPartCells(16, 1),
      WithPartCells(1, 16), WithPartCells(-2, 3),
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    AnimFile parsed;
    EXPECT_NE(AnimFile_Parse(bad[i].data(), bad[i].size(), &parsed), nullptr) << i;
    EXPECT_FALSE(model.Load(WriteAnim("bad.anim", bad[i]).c_str())) << i;
  }
  const std::vector<uint8_t> good = SimpleFile(5, 2, 2);
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(size));
    AnimFile parsed;
    ASSERT_NE(AnimFile_Parse(cut.data(), cut.size(), &parsed), nullptr) << size;
  }
  EXPECT_FALSE(model.Load(Path("missing.anim").c_str()));
  EXPECT_EQ(model.GetPartCount(), 1);
  EXPECT_EQ(model.GetFrameCount(), 2);
  EXPECT_NE(ReadFile(Path("engine.log")).find("Can't load animation: " + Path("missing.anim")),
            std::string::npos);

  AnimBytes nan_key;
  nan_key.Int(4).Int(1).Int(1).Name("p").Int(1).Int(1).Float(NAN);
  for (int i = 0; i < 15; ++i) nan_key.Float(0);
  nan_key.Int(0);
  AnimFile parsed;
  EXPECT_NE(AnimFile_Parse(nan_key.bytes.data(), nan_key.bytes.size(), &parsed), nullptr);
}

TEST_F(AnimTest, AddPartAndKeyPositionsRefuseWhatLiesOutsideTheModel) {
  AnimModel model;
  model.Reset(2);
  EXPECT_FALSE(model.AddPart("p.bmp", 0, 1));
  EXPECT_FALSE(model.AddPart("p.bmp", 1, 16));
  EXPECT_FALSE(model.AddPart(nullptr, 1, 1));
  for (int i = 0; i < kAnimMaxParts; ++i) EXPECT_TRUE(model.AddPart("p.bmp", 1, 1));
  EXPECT_FALSE(model.AddPart("p.bmp", 1, 1));
  EXPECT_FALSE(model.SetKeyPosition(0, 2, 0, 0, 1, 1));
  EXPECT_FALSE(model.SetKeyPosition(16, 0, 0, 0, 1, 1));
  EXPECT_FALSE(model.SetKeyPosition(0, 0, 2, 0, 1, 1));
  EXPECT_TRUE(model.SetKeyPosition(0, 1, 1, 1, 5, 6));
  EXPECT_EQ(model.GetMesh(16), nullptr);
  EXPECT_EQ(model.GetPartName(-1), nullptr);
  model.SetFrameDuration(0.0f);
  model.SetFrameDuration(NAN);
  EXPECT_FLOAT_EQ(model.GetFrameDuration(), 0.5f);
}

TEST_F(AnimTest, GridMeshIgnoresVerticesOutsideItsGrid) {
  GridMesh mesh(3, 2);
  mesh.SetColor(1, 2, 0xFF123456);  // row equal to rows
  mesh.SetColor(3, 0, 0xFF123456);  // column equal to columns
  mesh.SetDepth(-1, 0, 0.1f);
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(mesh.GetColor(column, row), 0xFFFFFFFFu);
      EXPECT_FLOAT_EQ(mesh.GetZ(column, row), 0.5f);
    }
  EXPECT_EQ(mesh.GetColor(1, 2), 0u);
  EXPECT_FLOAT_EQ(mesh.GetZ(0, -1), 0.0f);
  float dx = 7, dy = 8;
  mesh.GetDisplacement(0, 2, &dx, &dy, Offset_Absolute);
  mesh.GetDisplacement(0, 0, &dx, &dy, 9);
  EXPECT_FLOAT_EQ(dx, 7);
  EXPECT_FLOAT_EQ(dy, 8);
  GridMesh tiny(1, -5);  // clamped to the smallest grid
  EXPECT_EQ(tiny.GetColumns(), 2);
  EXPECT_EQ(tiny.GetRows(), 2);
}

TEST_F(AnimTest, GridMeshOffsetsReadBackInEveryReference) {
  GridMesh mesh(3, 3);
  mesh.SetTextureRect(0, 0, 40, 20);  // cells of 20 x 10
  float dx, dy;
  mesh.GetDisplacement(2, 1, &dx, &dy, Offset_Absolute);
  EXPECT_FLOAT_EQ(dx, 40);
  EXPECT_FLOAT_EQ(dy, 10);
  mesh.SetDisplacement(2, 1, 1, 2, Offset_FromNode);
  mesh.GetDisplacement(2, 1, &dx, &dy, Offset_Absolute);
  EXPECT_FLOAT_EQ(dx, 41);
  EXPECT_FLOAT_EQ(dy, 12);
  mesh.GetDisplacement(2, 1, &dx, &dy, Offset_FromCenter);
  EXPECT_FLOAT_EQ(dx, 21);
  EXPECT_FLOAT_EQ(dy, 2);
  mesh.SetDisplacement(0, 0, -3, 4, Offset_FromCenter);
  mesh.GetDisplacement(0, 0, &dx, &dy, Offset_FromNode);
  EXPECT_FLOAT_EQ(dx, 17);
  EXPECT_FLOAT_EQ(dy, 14);
  mesh.Clear(0xFF00FF00, 0.25f);
  mesh.GetDisplacement(2, 1, &dx, &dy, Offset_FromNode);
  EXPECT_FLOAT_EQ(dx, 0);
  EXPECT_EQ(mesh.GetColor(2, 1), 0xFF00FF00u);
}

// A mesh over a two-colour texture, drawn with one vertex column pulled right: each cell
// carries its half of the texture to where its corners are.
TEST_F(AnimTest, AMeshDrawsItsCellsWhereItsVerticesAre) {
  TextureHandle texture = engine->Texture_Create(16, 16);
  uint32_t* pixels = engine->Texture_Lock(texture, false, 0, 0, 0, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels[y * 16 + x] = x < 8 ? 0xFFFF0000 : 0xFF0000FF;
  engine->Texture_Unlock(texture);
  GridMesh mesh(3, 2);
  mesh.SetTexture(texture);
  mesh.SetTextureRect(0, 0, 16, 16);
  mesh.SetDisplacement(1, 0, 24, 0, Offset_Absolute);
  mesh.SetDisplacement(1, 1, 24, 16, Offset_Absolute);
  mesh.SetDisplacement(2, 0, 40, 0, Offset_Absolute);
  mesh.SetDisplacement(2, 1, 40, 16, Offset_Absolute);
  DrawFrame([&] { mesh.Render(10, 20); });
  // Texel centres inside each half; edges blend with their filtered neighbours.
  EXPECT_EQ(Pixel(13, 23), 0xFF0000u);
  EXPECT_EQ(Pixel(29, 32), 0xFF0000u);  // the red half stretched over 24 pixels
  EXPECT_EQ(Pixel(38, 23), 0x0000FFu);
  EXPECT_EQ(Pixel(46, 32), 0x0000FFu);  // the blue half over 16
  EXPECT_EQ(Pixel(51, 28), 0u);
  EXPECT_EQ(Pixel(20, 37), 0u);
  EXPECT_EQ(Pixel(9, 28), 0u);
  engine->Texture_Free(texture);
}

}  // namespace
