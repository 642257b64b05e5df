// Software device throughput on the engine's common case: batches of 1000 textured,
// alpha-blended 32x32 sprites drawn as one indexed triangle list.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/tvk.h"
#include "platform/gfx/device.h"
#include "tests/support/fake_platform.h"

namespace {

using namespace gfx;

constexpr int kWidth = 800, kHeight = 600, kQuads = 1000, kSprite = 32;

// Sprites on whole pixels, unscaled: with linear filtering every texel lands on a pixel
// centre. Scaled: magnified 1.25 times at fractional positions, so filtering blends texels.
enum class Layout { PointAligned, LinearAligned, LinearScaled, LinearRotated };

class SpriteScene {
 public:
  explicit SpriteScene(Layout layout) {
    graphics_ = CreateSoftGraphics(platform_, {});
    PresentParams p;
    p.back_buffer_width = kWidth;
    p.back_buffer_height = kHeight;
    p.back_buffer_format = Format_X8R8G8B8;
    p.device_window = this;
    graphics_->CreateDevice(this, p, &device_);
    device_->CreateVertexBuffer(kQuads * 4 * kVertexStride, Usage_WriteOnly, Fvf_Vertex,
                                Pool_Default, &vb_);
    device_->CreateIndexBuffer(kQuads * 6 * 2, Usage_WriteOnly, Format_Index16, Pool_Default, &ib_);
    FillIndices();
    FillTexture();
    FillVertices(layout);
    SetEngineStates(layout != Layout::PointAligned);
  }

  void ClearFrame() { device_->Clear(Clear_Target, 0xFF102030, 1.0f); }

  void DrawBatch() {
    device_->BeginScene();
    device_->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, kQuads * 4, 0, kQuads * 2);
    device_->EndScene();
  }

 private:
  void FillIndices() {
    void* p;
    ib_->Lock(0, 0, &p, 0);
    auto* idx = static_cast<uint16_t*>(p);
    for (int q = 0; q < kQuads; ++q) {
      const uint16_t n = uint16_t(4 * q);
      const uint16_t group[6] = {
          n, uint16_t(n + 1), uint16_t(n + 2), uint16_t(n + 2), uint16_t(n + 3), n};
      std::memcpy(idx + 6 * q, group, sizeof group);
    }
    ib_->Unlock();
  }

  void FillTexture() {
    device_->CreateTexture(kSprite, kSprite, 1, 0, Format_A8R8G8B8, Pool_Managed, &texture_);
    LockedRect lr;
    texture_->LockRect(0, &lr, nullptr, 0);
    for (int y = 0; y < kSprite; ++y)
      for (int x = 0; x < kSprite; ++x) {
        // A round sprite: opaque inside, fading at the rim, transparent corners.
        const double d = std::hypot(x - 15.5, y - 15.5);
        const uint32_t a = d < 12 ? 255 : d < 16 ? uint32_t((16 - d) * 63) : 0;
        const uint32_t texel = a << 24 | uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x80;
        std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * 4, &texel, 4);
      }
    texture_->UnlockRect(0);
  }

  void FillVertices(Layout layout) {
    std::vector<Vertex> v;
    uint32_t seed = 12345;
    const auto next = [&seed](int range) {
      seed = seed * 1664525u + 1013904223u;
      return int((seed >> 8) % uint32_t(range));
    };
    const float angle = layout == Layout::LinearRotated ? 0.5f : 0.0f;
    const bool scaled = layout == Layout::LinearScaled;
    const float c = std::cos(angle), s = std::sin(angle), h = kSprite / 2.0f;
    const float lo = scaled ? 0.1f : 0.0f, hi = scaled ? 0.9f : 1.0f, shift = scaled ? 0.37f : 0;
    const float corners[4][4] = {
        {-h, -h, lo, lo}, {h, -h, hi, lo}, {h, h, hi, hi}, {-h, h, lo, hi}};
    for (int q = 0; q < kQuads; ++q) {
      const float cx = h + shift + float(next(kWidth - kSprite - 1));
      const float cy = h + shift + float(next(kHeight - kSprite - 1));
      for (const auto& k : corners)
        v.push_back(
            {cx + k[0] * c - k[1] * s, cy + k[0] * s + k[1] * c, 0.5f, 0xFFFFFFFF, k[2], k[3]});
    }
    void* p;
    vb_->Lock(0, 0, &p, 0);
    std::memcpy(p, v.data(), v.size() * sizeof(Vertex));
    vb_->Unlock();
  }

  void SetEngineStates(bool linear) {
    device_->SetFVF(Fvf_Vertex);
    device_->SetStreamSource(0, vb_, 0, kVertexStride);
    device_->SetIndices(ib_);
    device_->SetTexture(0, texture_);
    device_->SetRenderState(RS_CullMode, Cull_None);
    device_->SetRenderState(RS_AlphaBlendEnable, 1);
    device_->SetRenderState(RS_SrcBlend, Blend_SrcAlpha);
    device_->SetRenderState(RS_DestBlend, Blend_InvSrcAlpha);
    device_->SetRenderState(RS_AlphaTestEnable, 1);
    device_->SetRenderState(RS_AlphaRef, 1);
    device_->SetRenderState(RS_AlphaFunc, Cmp_GreaterEqual);
    device_->SetTextureStageState(0, TSS_AlphaOp, TOP_Modulate);
    device_->SetTextureStageState(0, TSS_AlphaArg2, TA_Diffuse);
    const uint32_t filter = linear ? Filter_Linear : Filter_Point;
    device_->SetSamplerState(0, SAMP_MagFilter, filter);
    device_->SetSamplerState(0, SAMP_MinFilter, filter);
    device_->SetTransform(
        TS_Projection, Multiply(Multiply(Scaling(1, -1, 1), Translation(-0.5f, kHeight + 0.5f, 0)),
                                OrthoOffCenterLH(0, kWidth, 0, kHeight, 0, 1)));
  }

  FakePlatform platform_;
  std::unique_ptr<Graphics> graphics_;
  std::unique_ptr<Device> device_;
  std::shared_ptr<VertexBuffer> vb_;
  std::shared_ptr<IndexBuffer> ib_;
  std::shared_ptr<Texture> texture_;
};

void BM_SoftSpriteQuad(benchmark::State& state) {
  SpriteScene scene(Layout(state.range(0)));
  for (auto _ : state) scene.DrawBatch();
  // Reported per quad: the rate counter inverted gives seconds per quad.
  state.counters["per_quad"] =
      benchmark::Counter(double(state.iterations()) * kQuads,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SoftSpriteQuad)
    ->ArgName("layout")
    ->Arg(int(Layout::PointAligned))
    ->Arg(int(Layout::LinearAligned))
    ->Arg(int(Layout::LinearScaled))
    ->Arg(int(Layout::LinearRotated))
    ->Unit(benchmark::kMicrosecond);

// Clearing the whole 800x600 back buffer, which a program does once a frame.
void BM_SoftClear(benchmark::State& state) {
  SpriteScene scene(Layout::PointAligned);
  for (auto _ : state) scene.ClearFrame();
}
BENCHMARK(BM_SoftClear)->Unit(benchmark::kMicrosecond);

}  // namespace
