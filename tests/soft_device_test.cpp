// The software device as an API: adapter and modes, resource rules, the lost and reset
// cycle, the counters, argument checking, and compressed-texture decoding.
#include "platform/gfx/dxt.h"
#include "soft_test_support.h"

namespace {

using namespace gfx;

using SoftDevice = SoftTest;

TEST_F(SoftDevice, AdapterReportsIdentityDesktopAndModes) {
  AdapterIdentifier id;
  ASSERT_EQ(graphics->GetAdapterIdentifier(&id), Result::Ok);
  EXPECT_FALSE(id.driver.empty());
  DisplayMode desktop;
  ASSERT_EQ(graphics->GetAdapterDisplayMode(&desktop), Result::Ok);
  EXPECT_EQ(desktop.width, 1024);
  EXPECT_EQ(desktop.format, Format_X8R8G8B8);
  ASSERT_EQ(graphics->GetAdapterModeCount(Format_X8R8G8B8), 3);
  EXPECT_EQ(graphics->GetAdapterModeCount(Format_R5G6B5), 0);
  DisplayMode mode;
  ASSERT_EQ(graphics->EnumAdapterModes(Format_X8R8G8B8, 1, &mode), Result::Ok);
  EXPECT_EQ(mode.width, 800);
  EXPECT_EQ(mode.format, Format_X8R8G8B8);
  EXPECT_EQ(graphics->EnumAdapterModes(Format_X8R8G8B8, 3, &mode), Result::InvalidCall);
  EXPECT_EQ(graphics->EnumAdapterModes(Format_X8R8G8B8, -1, &mode), Result::InvalidCall);

  platform.desktop.width = 0;
  EXPECT_EQ(graphics->GetAdapterDisplayMode(&desktop), Result::NotAvailable);
}

TEST_F(SoftDevice, CreationChecksWindowSizeFormatAndFullScreenMode) {
  std::unique_ptr<Device> d;
  PresentParams p = Params(Format_Unknown);
  EXPECT_EQ(graphics->CreateDevice(this, p, &d), Result::Ok);  // windowed: desktop format
  std::shared_ptr<Surface> bb;
  d->GetBackBuffer(0, 0, &bb);
  EXPECT_EQ(bb->GetDesc().format, Format_X8R8G8B8);
  p.device_window = nullptr;
  EXPECT_EQ(graphics->CreateDevice(nullptr, p, &d), Result::InvalidCall);
  EXPECT_EQ(d, nullptr);
  p = Params();
  p.back_buffer_width = 0;
  EXPECT_EQ(graphics->CreateDevice(this, p, &d), Result::InvalidCall);
  p = Params();
  p.windowed = false;  // 32x24 is not a display mode
  EXPECT_EQ(graphics->CreateDevice(this, p, &d), Result::NotAvailable);
  p.back_buffer_width = 800;
  p.back_buffer_height = 600;
  EXPECT_EQ(graphics->CreateDevice(this, p, &d), Result::Ok);
  p.back_buffer_format = Format_R5G6B5;  // no 16-bit mode of that size
  EXPECT_EQ(graphics->CreateDevice(this, p, &d), Result::NotAvailable);
}

TEST_F(SoftDevice, PowerOfTwoRequirementRefusesOtherSizes) {
  std::shared_ptr<Texture> tex;
  ASSERT_EQ(device->CreateTexture(100, 60, 0, 0, Format_A8R8G8B8, Pool_Managed, &tex), Result::Ok);
  EXPECT_EQ(tex->GetLevelCount(), 7);  // 100, 50, 25, 12, 6, 3, 1
  SurfaceDesc d;
  ASSERT_EQ(tex->GetLevelDesc(3, &d), Result::Ok);
  EXPECT_EQ(d.width, 12);
  EXPECT_EQ(d.height, 7);
  EXPECT_FALSE(device->GetDeviceCaps().pow2_textures_only);

  Create({.require_pow2 = true});
  EXPECT_TRUE(device->GetDeviceCaps().pow2_textures_only);
  EXPECT_EQ(device->CreateTexture(100, 60, 1, 0, Format_A8R8G8B8, Pool_Managed, &tex),
            Result::NotAvailable);
  EXPECT_EQ(tex, nullptr);
  EXPECT_EQ(
      device->CreateTexture(128, 64, 1, Usage_RenderTarget, Format_X8R8G8B8, Pool_Default, &tex),
      Result::Ok);
}

TEST_F(SoftDevice, TextureCreationRefusesBadArguments) {
  std::shared_ptr<Texture> tex;
  const auto create = [&](int w, int h, int levels, uint32_t usage, Format f, Pool pool) {
    return device->CreateTexture(w, h, levels, usage, f, pool, &tex);
  };
  EXPECT_EQ(create(0, 4, 1, 0, Format_A8R8G8B8, Pool_Managed), Result::InvalidCall);
  EXPECT_EQ(create(4, -1, 1, 0, Format_A8R8G8B8, Pool_Managed), Result::InvalidCall);
  EXPECT_EQ(create(9000, 4, 1, 0, Format_A8R8G8B8, Pool_Managed), Result::InvalidCall);
  EXPECT_EQ(create(4, 4, 4, 0, Format_A8R8G8B8, Pool_Managed), Result::InvalidCall);
  EXPECT_EQ(create(4, 4, 1, Usage_RenderTarget, Format_A8R8G8B8, Pool_Managed),
            Result::InvalidCall);
  EXPECT_EQ(create(4, 4, 1, Usage_RenderTarget, Format_DXT1, Pool_Default), Result::NotAvailable);
  EXPECT_EQ(create(4, 4, 1, 0, Format_D16, Pool_Managed), Result::NotAvailable);
  EXPECT_EQ(create(4, 4, 1, 0, Format(12345), Pool_Managed), Result::NotAvailable);
  EXPECT_EQ(create(4, 4, 3, 0, Format_DXT5, Pool_Managed), Result::Ok);
  std::shared_ptr<Surface> depth;
  EXPECT_EQ(device->CreateDepthStencilSurface(4, 4, Format_X8R8G8B8, &depth), Result::NotAvailable);
  EXPECT_EQ(device->CreateDepthStencilSurface(0, 4, Format_D16, &depth), Result::InvalidCall);
}

TEST_F(SoftDevice, LostResettableResetCycle) {
  std::shared_ptr<Texture> managed = MakeTexture(2, 1, {0xFF112233, 0xFF445566});
  std::shared_ptr<Texture> target;
  std::shared_ptr<Surface> depth, screen;
  ASSERT_EQ(
      device->CreateTexture(8, 8, 1, Usage_RenderTarget, Format_X8R8G8B8, Pool_Default, &target),
      Result::Ok);
  ASSERT_EQ(device->CreateDepthStencilSurface(8, 8, Format_D16, &depth), Result::Ok);
  device->GetBackBuffer(0, 0, &screen);
  device->Clear(Clear_Target, 0xFF00FF00, 1);

  soft->LoseDevice();
  EXPECT_EQ(device->TestCooperativeLevel(), Result::DeviceLost);
  EXPECT_EQ(device->Reset(Params()), Result::DeviceLost);
  EXPECT_EQ(device->Present(), Result::DeviceLost);
  EXPECT_EQ(platform.presents, 0);
  // Drawing while lost is accepted and dropped.
  device->SetTexture(0, nullptr);
  EXPECT_EQ(DrawQuads(Quad(0, 0, 4, 4, 0xFFFF0000)), Result::Ok);
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(device->GetStats().draw_calls, 0u);

  soft->MakeResettable();
  EXPECT_EQ(device->TestCooperativeLevel(), Result::DeviceNotReset);
  // Every default-pool object and the back buffer must be let go first.
  const auto reset_fails_while_held = [&](auto& held) {
    EXPECT_EQ(device->Reset(Params()), Result::InvalidCall);
    EXPECT_EQ(device->TestCooperativeLevel(), Result::DeviceNotReset);
    // The device stays usable (calls accepted, nothing drawn) until a reset succeeds.
    EXPECT_EQ(device->SetViewport({0, 0, 4, 4, 0, 1}), Result::Ok);
    EXPECT_EQ(device->Clear(Clear_Target, 0xFFFFFFFF, 1), Result::Ok);
    held.reset();
  };
  reset_fails_while_held(vb);
  reset_fails_while_held(ib);
  reset_fails_while_held(target);
  reset_fails_while_held(depth);
  reset_fails_while_held(screen);
  ASSERT_EQ(device->Reset(Params()), Result::Ok);
  EXPECT_EQ(device->TestCooperativeLevel(), Result::Ok);

  // The new back buffer starts empty; states are back to their defaults.
  EXPECT_EQ(Pixel(1, 1), 0xFF000000u);
  uint32_t cull = 0;
  device->GetRenderState(RS_CullMode, &cull);
  EXPECT_EQ(cull, uint32_t(Cull_CCW));
  // The managed texture kept its texels.
  LockedRect lr;
  ASSERT_EQ(managed->LockRect(0, &lr, nullptr, Lock_ReadOnly), Result::Ok);
  EXPECT_EQ(static_cast<uint32_t*>(lr.bits)[1], 0xFF445566u);
  managed->UnlockRect(0);
  EXPECT_EQ(device->Present(), Result::Ok);
  EXPECT_EQ(platform.presents, 1);
}

TEST_F(SoftDevice, StatsCountDrawsPrimitivesAndStateChanges) {
  device->ResetStats();
  EXPECT_EQ(device->GetStats().StateChanges(), 0u);
  device->SetRenderState(RS_ZWriteEnable, 0);
  device->SetRenderState(RS_ZWriteEnable, 0);
  device->SetRenderState(RS_ZWriteEnable, 7);  // refused: not counted
  device->SetTextureStageState(0, TSS_ColorOp, TOP_Add);
  device->SetSamplerState(0, SAMP_MagFilter, Filter_Linear);
  device->SetTexture(0, nullptr);
  device->SetTransform(TS_View, Identity());
  device->SetViewport({0, 0, 4, 4, 0, 1});
  std::shared_ptr<Surface> screen;
  device->GetRenderTarget(0, &screen);
  device->SetRenderTarget(0, screen);
  DrawQuads(Quad(0, 0, 2, 2));
  Upload(Quad(0, 0, 2, 2));
  device->BeginScene();
  device->DrawPrimitive(Prim_TriangleList, 0, 1);
  device->DrawPrimitive(Prim_LineList, 0, 2);
  device->EndScene();
  const Stats s = device->GetStats();
  EXPECT_EQ(s.render_state_sets, 2u);
  EXPECT_EQ(s.texture_stage_state_sets, 1u);
  EXPECT_EQ(s.sampler_state_sets, 1u);
  EXPECT_EQ(s.texture_sets, 1u);
  EXPECT_EQ(s.transform_sets, 1u);
  EXPECT_EQ(s.viewport_sets, 1u);
  EXPECT_EQ(s.render_target_sets, 1u);
  EXPECT_EQ(s.StateChanges(), 8u);
  EXPECT_EQ(s.draw_calls, 3u);
  EXPECT_EQ(s.primitives, 5u);
  device->ResetStats();
  EXPECT_EQ(device->GetStats().draw_calls, 0u);
}

TEST_F(SoftDevice, NonRasterizingDeviceCountsWithoutDrawing) {
  Create({.rasterize = false});
  device->SetTexture(0, nullptr);
  device->ResetStats();
  ASSERT_EQ(DrawQuads(Quad(0, 0, 8, 8, 0xFFFF0000)), Result::Ok);
  EXPECT_EQ(device->GetStats().draw_calls, 1u);
  EXPECT_EQ(device->GetStats().primitives, 2u);
  EXPECT_EQ(Pixel(1, 1), kBackground);
}

TEST_F(SoftDevice, LockRectRefusesBadRectanglesAndDoubleLocks) {
  std::shared_ptr<Texture> tex = MakeTexture(4, 4, std::vector<uint32_t>(16, 0xFF000000));
  LockedRect lr;
  for (const Rect& bad : {Rect{0, 0, 5, 4}, Rect{-1, 0, 2, 2}, Rect{2, 2, 2, 3}, Rect{3, 3, 1, 1},
                          Rect{0, 4, 4, 8}}) {
    EXPECT_EQ(tex->LockRect(0, &lr, &bad, 0), Result::InvalidCall)
        << bad.left << "," << bad.top << "," << bad.right << "," << bad.bottom;
  }
  EXPECT_EQ(tex->LockRect(1, &lr, nullptr, 0), Result::InvalidCall);
  EXPECT_EQ(tex->LockRect(-1, &lr, nullptr, 0), Result::InvalidCall);
  EXPECT_EQ(tex->UnlockRect(0), Result::InvalidCall);  // not locked
  const Rect part{1, 2, 3, 4};
  ASSERT_EQ(tex->LockRect(0, &lr, &part, 0), Result::Ok);
  EXPECT_EQ(lr.pitch, 16);
  EXPECT_EQ(tex->LockRect(0, &lr, nullptr, 0), Result::InvalidCall);
  std::shared_ptr<Surface> level;
  ASSERT_EQ(tex->GetSurfaceLevel(0, &level), Result::Ok);
  EXPECT_EQ(level->LockRect(&lr, nullptr, 0), Result::InvalidCall);  // same pixels, locked
  EXPECT_EQ(tex->UnlockRect(0), Result::Ok);
  EXPECT_EQ(tex->GetSurfaceLevel(1, &level), Result::InvalidCall);

  std::shared_ptr<Texture> dxt;
  ASSERT_EQ(device->CreateTexture(10, 8, 1, 0, Format_DXT1, Pool_Managed, &dxt), Result::Ok);
  const Rect unaligned{2, 0, 6, 4}, edge{8, 4, 10, 8};
  EXPECT_EQ(dxt->LockRect(0, &lr, &unaligned, 0), Result::InvalidCall);
  ASSERT_EQ(dxt->LockRect(0, &lr, &edge, 0), Result::Ok);  // the partial last block column
  EXPECT_EQ(lr.pitch, 3 * 8);
  dxt->UnlockRect(0);

  std::shared_ptr<Surface> depth;
  device->CreateDepthStencilSurface(4, 4, Format_D16, &depth);
  EXPECT_EQ(depth->LockRect(&lr, nullptr, 0), Result::InvalidCall);

  void* p;
  EXPECT_EQ(vb->Lock(96000, 0, &p, 0), Result::InvalidCall);
  EXPECT_EQ(vb->Lock(95990, 24, &p, 0), Result::InvalidCall);
  EXPECT_EQ(vb->Lock(-4, 0, &p, 0), Result::InvalidCall);
  ASSERT_EQ(vb->Lock(95976, 24, &p, 0), Result::Ok);
  EXPECT_EQ(vb->Lock(0, 0, &p, 0), Result::InvalidCall);
  vb->Unlock();
}

TEST_F(SoftDevice, DrawCallsRefuseBadArguments) {
  Upload(Quad(0, 0, 8, 8, 0xFFFF0000));
  // Outside a scene.
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 1), Result::InvalidCall);
  device->BeginScene();
  EXPECT_EQ(device->BeginScene(), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(PrimitiveType(5), 0, 1), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 0), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, -1, 1), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 1334), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(Prim_LineList, 3999, 1), Result::InvalidCall);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 1333), Result::Ok);
  // Indexed: ranges of indices and vertices.
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, 4, 0, 2001), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, 3, 0, 2), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 1, 4, 0, 2), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 3997, 0, 4, 0, 2), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, -1, 0, 4, 0, 2), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, 4, -3, 1), Result::InvalidCall);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, 4000, 0, 2000), Result::Ok);
  // A locked vertex buffer, then no buffers at all.
  void* p;
  vb->Lock(0, 0, &p, 0);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 1), Result::InvalidCall);
  vb->Unlock();
  device->SetIndices(nullptr);
  EXPECT_EQ(device->DrawIndexedPrimitive(Prim_TriangleList, 0, 0, 4, 0, 2), Result::InvalidCall);
  device->SetStreamSource(0, nullptr, 0, 0);
  EXPECT_EQ(device->DrawPrimitive(Prim_TriangleList, 0, 1), Result::InvalidCall);
  device->EndScene();
  EXPECT_EQ(device->EndScene(), Result::InvalidCall);
  EXPECT_EQ(device->GetStats().draw_calls, 2u);
}

TEST_F(SoftDevice, SettersRefuseUnknownStatesValuesAndObjects) {
  EXPECT_EQ(device->SetRenderState(RenderState(9999), 0), Result::InvalidCall);
  EXPECT_EQ(device->SetRenderState(RS_SrcBlend, 11), Result::InvalidCall);
  EXPECT_EQ(device->SetRenderState(RS_AlphaRef, 256), Result::InvalidCall);
  EXPECT_EQ(device->SetRenderState(RS_ZEnable, 2), Result::InvalidCall);
  EXPECT_EQ(device->SetTextureStageState(1, TSS_ColorOp, TOP_Add), Result::InvalidCall);
  EXPECT_EQ(device->SetTextureStageState(0, TSS_ColorArg1, 0x20), Result::InvalidCall);
  EXPECT_EQ(device->SetSamplerState(0, SAMP_AddressU, 4), Result::InvalidCall);
  EXPECT_EQ(device->SetSamplerState(0, SAMP_MipFilter, Filter_Linear), Result::NotAvailable);
  EXPECT_EQ(device->SetTransform(TransformType(7), Identity()), Result::InvalidCall);
  EXPECT_EQ(device->SetTexture(1, nullptr), Result::InvalidCall);
  EXPECT_EQ(device->SetStreamSource(0, vb, 0, 20), Result::InvalidCall);
  EXPECT_EQ(device->SetFVF(0x44), Result::InvalidCall);
  for (const Viewport& bad : {Viewport{0, 0, kW + 1, 1, 0, 1}, Viewport{-1, 0, 2, 2, 0, 1},
                              Viewport{kW, 0, 1, 1, 0, 1}, Viewport{0, 0, 2, 2, 0.5f, 0.2f}})
    EXPECT_EQ(device->SetViewport(bad), Result::InvalidCall);
  EXPECT_EQ(device->SetViewport({kW, kH, 0, 0, 0, 1}), Result::Ok);  // empty but inside
  // A plain texture's level is no render target; a colour surface is no depth buffer.
  std::shared_ptr<Surface> level, screen;
  MakeTexture(2, 2, std::vector<uint32_t>(4))->GetSurfaceLevel(0, &level);
  EXPECT_EQ(device->SetRenderTarget(0, level), Result::InvalidCall);
  EXPECT_EQ(device->SetRenderTarget(0, nullptr), Result::InvalidCall);
  EXPECT_EQ(device->SetDepthStencilSurface(level), Result::InvalidCall);
  device->GetBackBuffer(0, 0, &screen);
  EXPECT_EQ(device->SetRenderTarget(1, screen), Result::InvalidCall);
  EXPECT_EQ(device->GetDepthStencilSurface(&level), Result::NotFound);
  EXPECT_EQ(level, nullptr);
  EXPECT_EQ(device->Clear(Clear_ZBuffer, 0, 1), Result::InvalidCall);  // no depth buffer
  EXPECT_EQ(device->Clear(Clear_Target, 0, 2), Result::InvalidCall);
}

TEST_F(SoftDevice, RenderTargetLevelKeepsItsTextureAlive) {
  std::shared_ptr<Texture> target;
  device->CreateTexture(4, 4, 1, Usage_RenderTarget, Format_A8R8G8B8, Pool_Default, &target);
  std::shared_ptr<Surface> colour;
  target->GetSurfaceLevel(0, &colour);
  target.reset();
  ASSERT_EQ(device->SetRenderTarget(0, colour), Result::Ok);
  colour.reset();
  device->SetTexture(0, nullptr);
  device->SetTransform(TS_Projection, HalfPixelProjection(4, 4));
  EXPECT_EQ(DrawQuads(Quad(0, 0, 4, 4, 0xFFFF0000)), Result::Ok);
  std::shared_ptr<Surface> current;
  device->GetRenderTarget(0, &current);
  LockedRect lr;
  ASSERT_EQ(current->LockRect(&lr, nullptr, Lock_ReadOnly), Result::Ok);
  EXPECT_EQ(static_cast<uint32_t*>(lr.bits)[5], 0xFFFF0000u);
  current->UnlockRect();
}

// ---- compressed textures ----

TEST(SoftDxt, DecodesKnownBlocks) {
  // Red and blue endpoints; row 0 uses indices 0, 1, 2, 3.
  const uint8_t four[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, four, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, four, 1, 0), 0xFF0000FFu);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, four, 2, 0), 0xFFAA0055u);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, four, 3, 0), 0xFF5500AAu);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, four, 3, 1), 0xFFFF0000u);
  // First endpoint not greater: three colours and transparent black.
  const uint8_t three[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, three, 2, 0), 0xFF7F007Fu);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT1, three, 3, 0), 0x00000000u);

  // DXT3: explicit alphas 0, 15, 8, 1 on row 0; its colour block always has four colours.
  uint8_t dxt3[16] = {0xF0, 0x18};
  std::memcpy(dxt3 + 8, three, 8);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT3, dxt3, 0, 0), 0x000000FFu);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT3, dxt3, 1, 0), 0xFFFF0000u);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT3, dxt3, 2, 0), 0x885500AAu);
  EXPECT_EQ(DecodeDxtTexel(Format_DXT3, dxt3, 3, 0), 0x11AA0055u);

  // DXT5: 3-bit alpha indices 0..7 along the first two rows.
  uint64_t bits = 0;
  for (uint64_t i = 0; i < 8; ++i) bits |= i << (3 * i);
  uint8_t dxt5[16] = {255, 0};
  for (int i = 0; i < 6; ++i) dxt5[2 + i] = uint8_t(bits >> (8 * i));
  std::memcpy(dxt5 + 8, four, 8);
  const uint32_t eight_step[8] = {255, 0, 218, 182, 145, 109, 72, 36};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(DecodeDxtTexel(Format_DXT5, dxt5, i % 4, i / 4) >> 24, eight_step[i]) << i;
  dxt5[0] = 0;
  dxt5[1] = 255;
  const uint32_t six_step[8] = {0, 255, 51, 102, 153, 204, 0, 255};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(DecodeDxtTexel(Format_DXT5, dxt5, i % 4, i / 4) >> 24, six_step[i]) << i;
}

// Drawing decodes a compressed level once; a lock and unlock after a draw must still show.
TEST_F(SoftDevice, CompressedTextureIsSampledFromItsBlocksAfterEveryChange) {
  // An 8x4 DXT1 texture: a solid red block and the four-colour block.
  std::shared_ptr<Texture> tex;
  ASSERT_EQ(device->CreateTexture(8, 4, 1, 0, Format_DXT1, Pool_Managed, &tex), Result::Ok);
  const uint8_t blocks[16] = {0x00, 0xF8, 0x00, 0xF8, 0,    0,    0,    0,
                              0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
  LockedRect lr;
  ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), Result::Ok);
  ASSERT_EQ(lr.pitch, 16);
  std::memcpy(lr.bits, blocks, sizeof blocks);
  tex->UnlockRect(0);
  device->SetTexture(0, tex);
  DrawQuads(Quad(0, 0, 8, 4));
  EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(Pixel(4, 3), 0xFFFF0000u);
  EXPECT_EQ(Pixel(5, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(6, 1), 0xFFAA0055u);
  EXPECT_EQ(Pixel(7, 2), 0xFF5500AAu);

  // Swap the two blocks through a surface of the level: the next draw shows the change.
  std::shared_ptr<Surface> level;
  ASSERT_EQ(tex->GetSurfaceLevel(0, &level), Result::Ok);
  ASSERT_EQ(level->LockRect(&lr, nullptr, 0), Result::Ok);
  std::memcpy(lr.bits, blocks + 8, 8);
  std::memcpy(static_cast<uint8_t*>(lr.bits) + 8, blocks, 8);
  level->UnlockRect();
  DrawQuads(Quad(0, 0, 8, 4));
  EXPECT_EQ(Pixel(1, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(6, 1), 0xFFFF0000u);
}

}  // namespace
