// Shared helpers of the device tests: a device set up the way the engine sets it up, textures
// from pixel lists, vertex submission and frame read-back. SoftTest runs on the software
// device over the fake OS layer; DeviceTest runs the same tests on each backend, the GL one on
// a hidden context of the real platform (skipped without a display).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/tvk.h"
#include "platform/gfx/device.h"
#include "support/fake_platform.h"

class SoftTest : public ::testing::Test {
 protected:
  static constexpr int kW = 32, kH = 24;
  static constexpr uint32_t kBackground = 0xFF203040;

  void SetUp() override { Create(); }

  void Create(gfx::SoftOptions options = {}, gfx::Format format = gfx::Format_X8R8G8B8,
              bool depth = false) {
    vb.reset();
    ib.reset();
    device.reset();
    graphics = MakeGraphics(options);
    ASSERT_NE(graphics, nullptr);
    ASSERT_EQ(graphics->CreateDevice(this, Params(format, depth), &device), gfx::Result::Ok);
    soft = dynamic_cast<gfx::ControlledDevice*>(device.get());
    ASSERT_NE(soft, nullptr);
    ASSERT_EQ(device->CreateVertexBuffer(4000 * 24, gfx::Usage_WriteOnly, gfx::Fvf_Vertex,
                                         gfx::Pool_Default, &vb),
              gfx::Result::Ok);
    ASSERT_EQ(device->CreateIndexBuffer(6000 * 2, gfx::Usage_WriteOnly, gfx::Format_Index16,
                                        gfx::Pool_Default, &ib),
              gfx::Result::Ok);
    void* p = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &p, 0), gfx::Result::Ok);
    auto* idx = static_cast<uint16_t*>(p);
    for (int q = 0; q < 1000; ++q) {
      const uint16_t n = uint16_t(4 * q);
      const uint16_t group[6] = {
          n, uint16_t(n + 1), uint16_t(n + 2), uint16_t(n + 2), uint16_t(n + 3), n};
      std::memcpy(idx + 6 * q, group, sizeof group);
    }
    ib->Unlock();
    EngineStates();
    device->Clear(depth ? gfx::Clear_Target | gfx::Clear_ZBuffer : uint32_t(gfx::Clear_Target),
                  kBackground, 1.0f);
  }

  virtual std::unique_ptr<gfx::Graphics> MakeGraphics(const gfx::SoftOptions& options) {
    return gfx::CreateSoftGraphics(platform, options);
  }

  gfx::PresentParams Params(gfx::Format format = gfx::Format_X8R8G8B8, bool depth = false) {
    gfx::PresentParams p;
    p.back_buffer_width = kW;
    p.back_buffer_height = kH;
    p.back_buffer_format = format;
    p.device_window = this;
    p.enable_auto_depth_stencil = depth;
    p.auto_depth_stencil_format = gfx::Format_D16;
    return p;
  }

  // The fixed states and half-pixel projection the engine uses.
  void EngineStates(int w = kW, int h = kH) {
    using namespace gfx;
    device->SetFVF(Fvf_Vertex);
    device->SetStreamSource(0, vb, 0, kVertexStride);
    device->SetIndices(ib);
    device->SetRenderState(RS_CullMode, Cull_None);
    device->SetRenderState(RS_Lighting, 0);
    device->SetRenderState(RS_AlphaBlendEnable, 1);
    device->SetRenderState(RS_SrcBlend, Blend_SrcAlpha);
    device->SetRenderState(RS_DestBlend, Blend_InvSrcAlpha);
    device->SetRenderState(RS_AlphaTestEnable, 1);
    device->SetRenderState(RS_AlphaRef, 1);
    device->SetRenderState(RS_AlphaFunc, Cmp_GreaterEqual);
    device->SetTextureStageState(0, TSS_ColorOp, TOP_Modulate);
    device->SetTextureStageState(0, TSS_ColorArg1, TA_Texture);
    device->SetTextureStageState(0, TSS_ColorArg2, TA_Diffuse);
    device->SetTextureStageState(0, TSS_AlphaOp, TOP_Modulate);
    device->SetTextureStageState(0, TSS_AlphaArg1, TA_Texture);
    device->SetTextureStageState(0, TSS_AlphaArg2, TA_Diffuse);
    device->SetSamplerState(0, SAMP_MipFilter, Filter_Point);
    device->SetTransform(TS_Projection, HalfPixelProjection(w, h));
  }

  static gfx::Matrix HalfPixelProjection(int w, int h) {
    using namespace gfx;
    return Multiply(Multiply(Scaling(1, -1, 1), Translation(-0.5f, h + 0.5f, 0)),
                    OrthoOffCenterLH(0, float(w), 0, float(h), 0, 1));
  }
  // Input coordinates are screen coordinates exactly (pixel centres at integers).
  static gfx::Matrix PixelProjection(int w = kW, int h = kH) {
    using namespace gfx;
    return Multiply(Multiply(Scaling(1, -1, 1), Translation(0, float(h), 0)),
                    OrthoOffCenterLH(0, float(w), 0, float(h), 0, 1));
  }

  std::shared_ptr<gfx::Texture> MakeTexture(int w, int h, const std::vector<uint32_t>& texels,
                                            gfx::Format format = gfx::Format_A8R8G8B8,
                                            int levels = 1) {
    std::shared_ptr<gfx::Texture> tex;
    EXPECT_EQ(device->CreateTexture(w, h, levels, 0, format, gfx::Pool_Managed, &tex),
              gfx::Result::Ok);
    if (tex) FillLevel(*tex, 0, texels);
    return tex;
  }

  static void FillLevel(gfx::Texture& tex, int level, const std::vector<uint32_t>& texels) {
    gfx::SurfaceDesc d;
    tex.GetLevelDesc(level, &d);
    gfx::LockedRect lr;
    ASSERT_EQ(tex.LockRect(level, &lr, nullptr, 0), gfx::Result::Ok);
    for (int y = 0; y < d.height; ++y)
      std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch, &texels[size_t(y) * d.width],
                  size_t(d.width) * 4);
    tex.UnlockRect(level);
  }

  static Vertex V(float x, float y, uint32_t col = 0xFFFFFFFF, float u = 0, float v = 0,
                  float z = 0) {
    return {x, y, z, col, u, v};
  }

  void Upload(const std::vector<Vertex>& vs) {
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), gfx::Result::Ok);
    std::memcpy(p, vs.data(), vs.size() * sizeof(Vertex));
    vb->Unlock();
  }

  // Quads as the engine batches them: four corners each, drawn through the index pattern.
  gfx::Result DrawQuads(const std::vector<Vertex>& corners) {
    Upload(corners);
    const int quads = int(corners.size() / 4);
    device->BeginScene();
    const gfx::Result r =
        device->DrawIndexedPrimitive(gfx::Prim_TriangleList, 0, 0, quads * 4, 0, quads * 2);
    device->EndScene();
    return r;
  }

  static std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, uint32_t col = 0xFFFFFFFF,
                                  float z = 0, float u0 = 0, float v0 = 0, float u1 = 1,
                                  float v1 = 1) {
    return {V(x0, y0, col, u0, v0, z), V(x1, y0, col, u1, v0, z), V(x1, y1, col, u1, v1, z),
            V(x0, y1, col, u0, v1, z)};
  }

  gfx::Result Draw(gfx::PrimitiveType type, const std::vector<Vertex>& vs) {
    Upload(vs);
    const int per = type == gfx::Prim_LineList ? 2 : 3;
    device->BeginScene();
    const gfx::Result r = device->DrawPrimitive(type, 0, int(vs.size()) / per);
    device->EndScene();
    return r;
  }

  std::vector<uint32_t> Frame() {
    int w = 0, h = 0;
    return soft->ReadBackBuffer(&w, &h);
  }
  uint32_t Pixel(int x, int y) { return Frame()[size_t(y) * kW + x]; }

  FakePlatform platform;
  std::unique_ptr<gfx::Graphics> graphics;
  std::unique_ptr<gfx::Device> device;
  gfx::ControlledDevice* soft = nullptr;  // the device's test controls
  std::shared_ptr<gfx::VertexBuffer> vb;
  std::shared_ptr<gfx::IndexBuffer> ib;
};

enum class Backend { Soft, Gl };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Soft ? "Soft" : "Gl";
}

class DeviceTest : public SoftTest, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::Gl && !std::getenv("DISPLAY"))
      GTEST_SKIP() << "no display: the GL backend runs under xvfb-run (ctest e2e_gl_device)";
    SoftTest::SetUp();
  }

  std::unique_ptr<gfx::Graphics> MakeGraphics(const gfx::SoftOptions& options) override {
    if (GetParam() == Backend::Soft) return SoftTest::MakeGraphics(options);
    static const std::unique_ptr<os::Platform> real = os::CreateSdlPlatform();
    return gfx::CreateGlGraphics(*real, false);
  }

  bool Gl() const { return GetParam() == Backend::Gl; }
  // Per-channel difference allowed where the backends round blending and filtering their own
  // ways; texel-exact cases compare exactly on both.
  int Tolerance() const { return Gl() ? 3 : 0; }

  // got equals want within the tolerance in each of the four channels.
  ::testing::AssertionResult Near(uint32_t got, uint32_t want) const {
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = int(got >> shift & 255), b = int(want >> shift & 255);
      if (std::abs(a - b) > Tolerance())
        return ::testing::AssertionFailure() << std::hex << got << " is not near " << want;
    }
    return ::testing::AssertionSuccess();
  }
};
