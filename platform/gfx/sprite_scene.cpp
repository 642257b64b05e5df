#include "platform/gfx/sprite_scene.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/matrix.h"

namespace gfx {
namespace {

constexpr int kBatchQuads = 1000;

void PutVertex(uint8_t* at, float x, float y, float u, float v) {
  const float z = 0.5f;
  const uint32_t color = 0xFFFFFFFF;
  std::memcpy(at, &x, 4);
  std::memcpy(at + 4, &y, 4);
  std::memcpy(at + 8, &z, 4);
  std::memcpy(at + 12, &color, 4);
  std::memcpy(at + 16, &u, 4);
  std::memcpy(at + 20, &v, 4);
}

}  // namespace

SpriteScene::SpriteScene(Device& device, int width, int height, int sprite_size, int sprites)
    : device_(device) {
  if (!MakeBuffers() || !MakeTexture(sprite_size)) return;
  MakeSprites(width, height, sprite_size, sprites);
  SetStates(width, height);
  ready_ = true;
}

bool SpriteScene::MakeBuffers() {
  if (!Succeeded(device_.CreateVertexBuffer(kBatchQuads * 4 * kVertexStride, Usage_WriteOnly,
                                            Fvf_Vertex, Pool_Default, &vertices_)) ||
      !Succeeded(device_.CreateIndexBuffer(kBatchQuads * 6 * 2, Usage_WriteOnly, Format_Index16,
                                           Pool_Default, &indices_)))
    return false;
  void* locked = nullptr;
  if (!Succeeded(indices_->Lock(0, 0, &locked, Lock_None))) return false;
  auto* index = static_cast<uint16_t*>(locked);
  for (int quad = 0; quad < kBatchQuads; ++quad)
    for (int corner : {0, 1, 2, 2, 3, 0}) *index++ = uint16_t(quad * 4 + corner);
  indices_->Unlock();
  return true;
}

// A round sprite: opaque inside, fading at the rim, transparent corners.
bool SpriteScene::MakeTexture(int size) {
  LockedRect locked;
  if (!Succeeded(device_.CreateTexture(size, size, 1, Usage_None, Format_A8R8G8B8, Pool_Managed,
                                       &texture_)) ||
      !Succeeded(texture_->LockRect(0, &locked, nullptr, Lock_None)))
    return false;
  const float centre = (size - 1) / 2.0f, radius = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float d2 = (x - centre) * (x - centre) + (y - centre) * (y - centre);
      const uint32_t alpha = d2 < radius * radius * 0.6f ? 255 : d2 < radius * radius ? 128 : 0;
      const uint32_t texel = alpha << 24 | uint32_t(x * 255 / size) << 16 |
                             uint32_t(y * 255 / size) << 8 | 0x80;
      std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, &texel, 4);
    }
  texture_->UnlockRect(0);
  return true;
}

void SpriteScene::MakeSprites(int width, int height, int size, int count) {
  sprite_count_ = count;
  sprites_.resize(size_t(count) * 4 * kVertexStride);
  uint32_t seed = 12345;
  const auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return float((seed >> 8) % uint32_t(std::max(range, 1)));
  };
  for (int i = 0; i < count; ++i) {
    const float x = next(width - size), y = next(height - size), s = float(size);
    uint8_t* at = sprites_.data() + size_t(i) * 4 * kVertexStride;
    PutVertex(at, x, y, 0, 0);
    PutVertex(at + kVertexStride, x + s, y, 1, 0);
    PutVertex(at + 2 * kVertexStride, x + s, y + s, 1, 1);
    PutVertex(at + 3 * kVertexStride, x, y + s, 0, 1);
  }
}

void SpriteScene::SetStates(int width, int height) {
  device_.SetFVF(Fvf_Vertex);
  device_.SetStreamSource(0, vertices_, 0, kVertexStride);
  device_.SetIndices(indices_);
  device_.SetTexture(0, texture_);
  device_.SetRenderState(RS_CullMode, Cull_None);
  device_.SetRenderState(RS_ZEnable, 0);
  device_.SetRenderState(RS_AlphaBlendEnable, 1);
  device_.SetRenderState(RS_SrcBlend, Blend_SrcAlpha);
  device_.SetRenderState(RS_DestBlend, Blend_InvSrcAlpha);
  device_.SetRenderState(RS_AlphaTestEnable, 1);
  device_.SetRenderState(RS_AlphaRef, 1);
  device_.SetRenderState(RS_AlphaFunc, Cmp_GreaterEqual);
  device_.SetTextureStageState(0, TSS_AlphaOp, TOP_Modulate);
  device_.SetTextureStageState(0, TSS_AlphaArg2, TA_Diffuse);
  device_.SetTransform(TS_Projection,
                       Multiply(Multiply(Scaling(1, -1, 1), Translation(-0.5f, height + 0.5f, 0)),
                                OrthoOffCenterLH(0, float(width), 0, float(height), 0, 1)));
}

void SpriteScene::DrawFrame() {
  device_.Clear(Clear_Target, 0xFF102030, 1.0f);
  device_.BeginScene();
  for (int first = 0; first < sprite_count_; first += kBatchQuads) {
    const int quads = std::min(kBatchQuads, sprite_count_ - first);
    void* locked = nullptr;
    if (!Succeeded(vertices_->Lock(0, 0, &locked, Lock_None))) break;
    std::memcpy(locked, sprites_.data() + size_t(first) * 4 * kVertexStride,
                size_t(quads) * 4 * kVertexStride);
    vertices_->Unlock();
    device_.DrawIndexedPrimitive(Prim_TriangleList, 0, 0, quads * 4, 0, quads * 2);
  }
  device_.EndScene();
}

void SpriteScene::Finish() {
  std::shared_ptr<Surface> back;
  LockedRect locked;
  if (!Succeeded(device_.GetBackBuffer(0, 0, &back)) ||
      !Succeeded(back->LockRect(&locked, nullptr, Lock_ReadOnly)))
    return;
  back->UnlockRect();
}

}  // namespace gfx
