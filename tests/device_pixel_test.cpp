// Pixels both device backends produce from the same scenes: texel mapping, filtering,
// blending, clipping, transforms, render targets, depth, the fill rule, mip levels, lines.
// Texel-exact scenes must match exactly on both; blends and gradients within a tolerance.
#include <cmath>

#include "soft_test_support.h"

namespace {

using namespace gfx;

std::vector<uint32_t> Pattern(int w, int h, uint32_t alpha = 0xFF000000) {
  std::vector<uint32_t> p(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[size_t(y) * w + x] = alpha | uint32_t(x * 30) << 16 | uint32_t(y * 30) << 8 | 0x11;
  return p;
}

class DevicePixels : public DeviceTest {
 protected:
  // The rectangle [x0, x1) x [y0, y1) of the frame holds texels of a w-wide pattern 1:1,
  // and every other pixel is the background.
  void ExpectCopied(const std::vector<uint32_t>& texels, int w, int x0, int y0, int x1, int y1) {
    const std::vector<uint32_t> f = Frame();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
        const uint32_t want = inside ? texels[size_t(y - y0) * w + (x - x0)] : kBackground;
        ASSERT_EQ(f[size_t(y) * kW + x], want) << x << "," << y;
      }
  }
};

TEST_P(DevicePixels, IntegerQuadCopiesTexelsWithPointAndLinearFiltering) {
  const std::vector<uint32_t> texels = Pattern(7, 6);
  device->SetTexture(0, MakeTexture(7, 6, texels));
  for (uint32_t filter : {Filter_Point, Filter_Linear}) {
    SCOPED_TRACE(filter);
    device->Clear(Clear_Target, kBackground, 1);
    device->SetSamplerState(0, SAMP_MagFilter, filter);
    device->SetSamplerState(0, SAMP_MinFilter, filter);
    ASSERT_EQ(DrawQuads(Quad(5, 3, 12, 9)), Result::Ok);
    ExpectCopied(texels, 7, 5, 3, 12, 9);
    // The same quad as two separate triangles covers the same pixels with the same texels.
    device->Clear(Clear_Target, kBackground, 1);
    const std::vector<Vertex> q = Quad(5, 3, 12, 9);
    ASSERT_EQ(Draw(Prim_TriangleList, {q[0], q[1], q[2], q[2], q[3], q[0]}), Result::Ok);
    ExpectCopied(texels, 7, 5, 3, 12, 9);
  }
}

TEST_P(DevicePixels, LinearFilteringBlendsBetweenTexelCentres) {
  device->SetTexture(0, MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF}));
  device->SetSamplerState(0, SAMP_MagFilter, Filter_Linear);
  device->SetSamplerState(0, SAMP_AddressU, Address_Clamp);
  DrawQuads(Quad(0, 0, 8, 1));
  // Texel centres fall on pixel 1.5 and 5.5: the ramp climbs between them.
  uint32_t previous = 0;
  for (int x = 2; x <= 5; ++x) {
    const uint32_t g = (Pixel(x, 0) >> 8) & 255;
    EXPECT_GT(g, previous) << x;
    previous = g;
  }
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(7, 0), 0xFFFFFFFFu);
}

TEST_P(DevicePixels, BlendModesOnAKnownBackground) {
  // Texel (alpha 0x80, rgb 0x40, 0x80, 0xC0) over background (0x20, 0x30, 0x40).
  device->SetTexture(0, MakeTexture(1, 1, {0x804080C0}));
  struct Case {
    const char* name;
    uint32_t dest_blend, color_op, diffuse, want;
  } cases[] = {
      // 0x40 * 129/256 + 0x20 * 127/256 and so on; the alpha channel blends the same way.
      {"over", Blend_InvSrcAlpha, TOP_Modulate, 0xFFFFFFFF, 0xFF305880},
      {"additive", Blend_One, TOP_Modulate, 0xFFFFFFFF, 0xFF4070A0},
      {"colour add", Blend_InvSrcAlpha, TOP_Add, 0xFF101010, 0xFF386088},
      {"modulated colour", Blend_InvSrcAlpha, TOP_Modulate, 0xFF808080, 0xFF203850},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device->Clear(Clear_Target, kBackground, 1);
    device->SetRenderState(RS_DestBlend, c.dest_blend);
    device->SetTextureStageState(0, TSS_ColorOp, c.color_op);
    DrawQuads(Quad(2, 2, 4, 4, c.diffuse));
    EXPECT_TRUE(Near(Pixel(2, 2), c.want));
    EXPECT_TRUE(Near(Pixel(3, 3), c.want));
    EXPECT_EQ(Pixel(4, 4), kBackground);
  }
}

TEST_P(DevicePixels, AlphaZeroTexelsAreDiscardedEvenWithoutBlending) {
  device->SetRenderState(RS_AlphaBlendEnable, 0);
  device->SetTexture(0, MakeTexture(2, 1, {0x00FF0000, 0x01FF0000}));
  DrawQuads(Quad(0, 0, 2, 1));
  EXPECT_EQ(Pixel(0, 0), kBackground);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF0000u);  // alpha 1 passes; the target has no alpha
}

TEST_P(DevicePixels, ViewportClipCutsExactlyAtItsEdges) {
  const std::vector<uint32_t> texels = Pattern(kW, kH);
  device->SetTexture(0, MakeTexture(kW, kH, texels));
  const Viewport clip{5, 3, 7, 4, 0, 1};
  ASSERT_EQ(device->SetViewport(clip), Result::Ok);
  // The engine keeps pixel coordinates by giving the clip rectangle its own projection.
  device->SetTransform(TS_Projection,
                       Multiply(Multiply(Scaling(1, -1, 1), Translation(-0.5f, 0.5f, 0)),
                                OrthoOffCenterLH(5, 12, -7, -3, 0, 1)));
  DrawQuads(Quad(0, 0, kW, kH));
  const std::vector<uint32_t> f = Frame();
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool inside = x >= 5 && x < 12 && y >= 3 && y < 7;
      ASSERT_EQ(f[size_t(y) * kW + x], inside ? texels[size_t(y) * kW + x] : kBackground)
          << x << "," << y;
    }
}

TEST_P(DevicePixels, ClearTouchesOnlyTheViewport) {
  device->SetViewport({1, 2, 3, 4, 0, 1});
  device->Clear(Clear_Target, 0xFF00FF00, 1);
  EXPECT_EQ(Pixel(1, 2), 0xFF00FF00u);
  EXPECT_EQ(Pixel(3, 5), 0xFF00FF00u);
  EXPECT_EQ(Pixel(4, 5), kBackground);
  EXPECT_EQ(Pixel(1, 6), kBackground);
}

TEST_P(DevicePixels, RotatedAndScaledView) {
  // A 2x2 texture on a 2x2 quad, scaled by 3 and turned a quarter about the origin, then
  // moved to (12, 4): texel (i, j) lands on the 3x3 block whose corner is (12 - 3 j, 4 + 3 i).
  const std::vector<uint32_t> texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
  device->SetTexture(0, MakeTexture(2, 2, texels));
  const float quarter = float(M_PI / 2);
  device->SetTransform(
      TS_View, Multiply(Multiply(Scaling(3, 3, 1), RotationZ(quarter)), Translation(12, 4, 0)));
  DrawQuads(Quad(0, 0, 2, 2));
  const std::vector<uint32_t> f = Frame();
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      // Pixel centre in input coordinates, mapped back through the inverse view.
      const double cx = x + 0.5 - 12, cy = y + 0.5 - 4;
      const double qx = cy / 3, qy = -cx / 3;
      const bool inside = qx > 0 && qx < 2 && qy > 0 && qy < 2;
      const uint32_t want = inside ? texels[size_t(qy) * 2 + size_t(qx)] : kBackground;
      ASSERT_EQ(f[size_t(y) * kW + x], want) << x << "," << y;
    }
}

TEST_P(DevicePixels, RenderTargetIsDrawnOntoTheBackBufferAsATexture) {
  std::shared_ptr<Texture> target;
  ASSERT_EQ(
      device->CreateTexture(8, 8, 1, Usage_RenderTarget, Format_X8R8G8B8, Pool_Default, &target),
      Result::Ok);
  std::shared_ptr<Surface> colour, screen;
  target->GetSurfaceLevel(0, &colour);
  device->GetRenderTarget(0, &screen);
  ASSERT_EQ(device->SetRenderTarget(0, colour), Result::Ok);
  device->SetTransform(TS_Projection, HalfPixelProjection(8, 8));
  device->Clear(Clear_Target, 0xFF0000FF, 1);
  device->SetTexture(0, nullptr);
  DrawQuads(Quad(2, 2, 5, 4, 0xFFFF0000));

  ASSERT_EQ(device->SetRenderTarget(0, screen), Result::Ok);
  device->SetTransform(TS_Projection, HalfPixelProjection(kW, kH));
  device->SetTexture(0, target);
  DrawQuads(Quad(10, 10, 18, 18));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool red = x >= 2 && x < 5 && y >= 2 && y < 4;
      ASSERT_EQ(Pixel(10 + x, 10 + y), red ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
    }
  EXPECT_EQ(Pixel(9, 10), kBackground);
}

TEST_P(DevicePixels, DepthTestIsLessOrEqualAndWritesFollowTheFlag) {
  Create({}, Format_X8R8G8B8, true);
  device->SetRenderState(RS_ZEnable, 1);
  device->SetRenderState(RS_ZWriteEnable, 1);
  const auto draw = [&](float z, uint32_t colour) { DrawQuads(Quad(0, 0, 4, 4, colour, z)); };
  draw(0.5f, 0xFFFF0000);
  draw(0.7f, 0xFF00FF00);  // farther: hidden
  EXPECT_EQ(Pixel(1, 1), 0xFFFF0000u);
  draw(0.5f, 0xFF0000FF);  // equal: passes
  EXPECT_EQ(Pixel(1, 1), 0xFF0000FFu);
  device->SetRenderState(RS_ZWriteEnable, 0);
  draw(0.3f, 0xFFFFFFFF);  // nearer, drawn, but the depth stays 0.5
  EXPECT_EQ(Pixel(1, 1), 0xFFFFFFFFu);
  draw(0.4f, 0xFF00FFFF);
  EXPECT_EQ(Pixel(1, 1), 0xFF00FFFFu);
  device->SetRenderState(RS_ZEnable, 0);
  draw(0.9f, 0xFF101010);  // no test at all
  EXPECT_EQ(Pixel(1, 1), 0xFF101010u);
}

// Draws primitives adding 1 to the blue channel of each pixel they cover.
class DeviceFillRule : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped()) return;
    device->Clear(Clear_Target, 0xFF000000, 1);
    device->SetRenderState(RS_SrcBlend, Blend_One);
    device->SetRenderState(RS_DestBlend, Blend_One);
    device->SetTransform(TS_Projection, PixelProjection());
  }
  static constexpr uint32_t kOne = 0x01000001;
  int Count(int x, int y) { return int(Pixel(x, y) & 255); }
};

TEST_P(DeviceFillRule, TrianglesSharingEdgesCoverEachPixelOnce) {
  // A grid of squares with corners on pixel centres, each split along a diagonal, so many
  // pixel centres lie exactly on shared edges.
  std::vector<Vertex> tris;
  for (int gy = 0; gy < 4; ++gy)
    for (int gx = 0; gx < 5; ++gx) {
      const float x0 = 2 + 4.0f * gx, y0 = 2 + 4.0f * gy, x1 = x0 + 4, y1 = y0 + 4;
      const Vertex a = V(x0, y0, kOne), b = V(x1, y0, kOne), c = V(x1, y1, kOne),
                   d = V(x0, y1, kOne);
      if ((gx + gy) % 2)
        tris.insert(tris.end(), {a, b, c, c, d, a});
      else
        tris.insert(tris.end(), {a, b, d, b, c, d});
    }
  ASSERT_EQ(Draw(Prim_TriangleList, tris), Result::Ok);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      ASSERT_EQ(Count(x, y), (x >= 2 && x < 22 && y >= 2 && y < 18) ? 1 : 0) << x << "," << y;
}

TEST_P(DeviceFillRule, FanAroundAnInnerPointCoversEachPixelOnce) {
  const float cx = 13.3f, cy = 11.7f;
  const float ring[][2] = {{3, 2}, {20.5f, 1.25f}, {29, 10}, {25, 22}, {8, 20.5f}, {1, 12}};
  std::vector<Vertex> tris;
  for (int i = 0; i < 6; ++i) {
    const float* p = ring[i];
    const float* q = ring[(i + 1) % 6];
    tris.insert(tris.end(), {V(cx, cy, kOne), V(p[0], p[1], kOne), V(q[0], q[1], kOne)});
  }
  ASSERT_EQ(Draw(Prim_TriangleList, tris), Result::Ok);
  int covered = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      ASSERT_LE(Count(x, y), 1) << x << "," << y;
      covered += Count(x, y);
    }
  EXPECT_EQ(Count(13, 11), 1);
  EXPECT_EQ(Count(0, 0), 0);
  EXPECT_GT(covered, 300);
}

TEST_P(DeviceFillRule, HugeCoordinatesAreClippedAndBadOnesDropped) {
  // A triangle reaching a billion pixels out still covers the whole screen, once.
  ASSERT_EQ(Draw(Prim_TriangleList, {V(-5, -5, kOne), V(1e9f, -5, kOne), V(-5, 1e9f, kOne)}),
            Result::Ok);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(Count(x, y), 1) << x << "," << y;
  device->Clear(Clear_Target, 0xFF000000, 1);
  const float nan = std::nanf("");
  const float inf = INFINITY;
  ASSERT_EQ(Draw(Prim_TriangleList, {V(nan, 1, kOne), V(8, 1, kOne), V(1, 8, kOne), V(inf, 1, kOne),
                                     V(8, 1, kOne), V(1, 8, kOne)}),
            Result::Ok);
  ASSERT_EQ(Draw(Prim_LineList, {V(nan, 1, kOne), V(8, 1, kOne)}), Result::Ok);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(Count(x, y), 0);
}

TEST_P(DeviceFillRule, VerticesBehindTheEyeAreClippedAway) {
  // w = z: a perspective divide. The vertex behind the eye (z < 0) is clipped off; the part
  // in front reaches from the edge on row 2 upwards and out of the screen.
  Matrix m = PixelProjection();
  m.m[2][3] = 1;
  m.m[3][3] = 0;
  device->SetTransform(TS_Projection, m);
  ASSERT_EQ(Draw(Prim_TriangleList,
                 {V(2, 2, kOne, 0, 0, 1), V(20, 2, kOne, 0, 0, 1), V(2, 20, kOne, 0, 0, -1)}),
            Result::Ok);
  EXPECT_EQ(Count(10, 1), 1);
  EXPECT_EQ(Count(3, 3), 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_LE(Count(x, y), 1);
}

TEST_P(DevicePixels, LinesCoverTheirMajorAxisWithoutTheFarEnd) {
  device->SetTexture(0, nullptr);
  ASSERT_EQ(Draw(Prim_LineList, {V(10, 10, 0xFFFF0000), V(20, 10, 0xFFFF0000), V(3, 20, 0xFF00FF00),
                                 V(3, 14, 0xFF00FF00)}),
            Result::Ok);
  for (int x = 8; x < 22; ++x)
    EXPECT_EQ(Pixel(x, 10), x >= 10 && x < 20 ? 0xFFFF0000u : kBackground) << x;
  EXPECT_EQ(Pixel(10, 9), kBackground);
  for (int y = 12; y < 22; ++y)
    EXPECT_EQ(Pixel(3, y), y >= 14 && y < 20 ? 0xFF00FF00u : kBackground) << y;
}

TEST_P(DevicePixels, GouraudColoursBlendAcrossATriangle) {
  device->SetTexture(0, nullptr);
  device->SetTransform(TS_Projection, PixelProjection());
  Draw(Prim_TriangleList, {V(0, 0, 0xFFFF0000), V(30, 0, 0xFF00FF00), V(0, 20, 0xFF0000FF)});
  const auto channel = [&](int x, int y, int shift) { return (Pixel(x, y) >> shift) & 255; };
  EXPECT_GT(channel(1, 1, 16), 230u);
  EXPECT_GT(channel(27, 1, 8), 200u);
  EXPECT_GT(channel(1, 18, 0), 200u);
  // Halfway along the top edge: half red, half green, no blue.
  EXPECT_NEAR(double(channel(15, 0, 16)), 127.5, 3);
  EXPECT_NEAR(double(channel(15, 0, 8)), 127.5, 3);
  EXPECT_EQ(channel(15, 0, 0), 0u);
}

TEST_P(DevicePixels, SpriteAndGeneralPathsGiveTheSameBytes) {
  // Same sprites drawn twice: once on the specialised path, once forced onto the general one
  // by a depth test that always passes.
  Create({}, Format_A8R8G8B8, true);
  std::vector<uint32_t> texels = Pattern(8, 8, 0);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] |= uint32_t(i * 4) << 24;
  const std::shared_ptr<Texture> texture = MakeTexture(8, 8, texels);
  std::vector<Vertex> quads;
  for (int i = 0; i < 6; ++i) {
    std::vector<Vertex> q = Quad(1.0f + 3.3f * i, 2.0f + 1.7f * i, 9.0f + 3.7f * i, 14.5f + i,
                                 0xC0FFFFFF, 0.5f, 0.1f * i, 0, 1.3f + 0.2f * i, 0.9f);
    q[2].col = 0x80FF4020 + uint32_t(i);  // gouraud on some corners
    quads.insert(quads.end(), q.begin(), q.end());
  }
  // Unscaled on whole pixels, an odd number of them wide.
  for (const std::vector<Vertex>& q :
       {Quad(20, 1, 27, 6, 0xFFFFFFFF, 0.5f, 0, 0, 7 / 8.0f, 5 / 8.0f),
        Quad(3, 15, 8, 20, 0xC0FFFFFF, 0.5f, 0, 0, 5 / 8.0f, 5 / 8.0f)})
    quads.insert(quads.end(), q.begin(), q.end());
  std::vector<std::vector<uint32_t>> frames;
  for (uint32_t z_enable : {0u, 1u})
    for (uint32_t filter : {Filter_Point, Filter_Linear})
      for (uint32_t dest : {Blend_InvSrcAlpha, Blend_One})
        for (bool textured : {true, false}) {
          device->SetTexture(0, textured ? texture : nullptr);
          device->Clear(Clear_Target | Clear_ZBuffer, 0x80402010, 1);
          device->SetRenderState(RS_ZEnable, z_enable);
          device->SetRenderState(RS_ZFunc, Cmp_Always);
          device->SetRenderState(RS_ZWriteEnable, 0);
          device->SetSamplerState(0, SAMP_MagFilter, filter);
          device->SetSamplerState(0, SAMP_MinFilter, filter);
          device->SetRenderState(RS_DestBlend, dest);
          DrawQuads(quads);
          frames.push_back(Frame());
        }
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(frames[i], frames[i + 8]) << i;
}

TEST_P(DevicePixels, PointMipLevelFollowsTheMinification) {
  std::shared_ptr<Texture> tex;
  ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, Format_A8R8G8B8, Pool_Managed, &tex), Result::Ok);
  ASSERT_EQ(tex->GetLevelCount(), 4);
  const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (int level = 0; level < 4; ++level) {
    const int size = 8 >> level;
    FillLevel(*tex, level, std::vector<uint32_t>(size_t(size) * size, colours[level]));
  }
  device->SetTexture(0, tex);
  DrawQuads(Quad(0, 0, 8, 8));    // 1:1
  DrawQuads(Quad(10, 0, 14, 4));  // half size
  DrawQuads(Quad(20, 0, 22, 2));  // quarter size
  EXPECT_EQ(Pixel(3, 3), colours[0]);
  EXPECT_EQ(Pixel(11, 1), colours[1]);
  EXPECT_EQ(Pixel(21, 1), colours[2]);
  device->SetSamplerState(0, SAMP_MipFilter, Filter_None);
  DrawQuads(Quad(10, 10, 14, 14));
  EXPECT_EQ(Pixel(11, 11), colours[0]);
}

TEST_P(DevicePixels, TextureFormatsWithoutAlphaReadOpaque) {
  // X8R8G8B8 texels whose unused byte is 0, through both filters; then 5-6-5 texels.
  device->SetTexture(0, MakeTexture(2, 1, {0x00FF0000, 0x0000FF00}, Format_X8R8G8B8));
  for (uint32_t filter : {Filter_Point, Filter_Linear}) {
    device->SetSamplerState(0, SAMP_MagFilter, filter);
    DrawQuads(Quad(0, 0, 2, 1));
    EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(1, 0), 0xFF00FF00u);
  }
  std::shared_ptr<Texture> tex;
  ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, Format_R5G6B5, Pool_Managed, &tex), Result::Ok);
  LockedRect lr;
  ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), Result::Ok);
  const uint16_t texels[2] = {0x001F, 0x07E0};  // blue, green
  std::memcpy(lr.bits, texels, sizeof texels);
  tex->UnlockRect(0);
  device->SetTexture(0, tex);
  DrawQuads(Quad(4, 0, 6, 1));
  EXPECT_EQ(Pixel(4, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(5, 0), 0xFF00FF00u);
}

TEST_P(DevicePixels, SixteenBitBackBufferPresentsAsThirtyTwoBit) {
  Create({}, Format_R5G6B5);
  device->SetTexture(0, nullptr);
  DrawQuads(Quad(0, 0, 2, 2, 0xFF00FF00));
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(Pixel(3, 3), 0xFF213042u);  // the background through 5-6-5 bits
  ASSERT_EQ(device->Present(), Result::Ok);
  if (Gl()) return;  // GL shows the frame in its own window
  ASSERT_EQ(platform.present_w, kW);
  EXPECT_EQ(platform.presented[size_t(kW) + 1], 0xFF00FF00u);
}

INSTANTIATE_TEST_SUITE_P(Backends, DevicePixels, ::testing::Values(Backend::Soft, Backend::Gl),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, DeviceFillRule, ::testing::Values(Backend::Soft, Backend::Gl),
                         BackendName);

}  // namespace
