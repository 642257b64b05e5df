// Primitive batching: lines, triangles and quads are copied into the vertex buffer, which stays
// locked through the scene, and drawn together when the primitive type, texture or blend mode
// changes, when the buffer is full, or when something needs the device.
#include <algorithm>
#include <cstring>

#include "engine/graphics.h"
#include "engine/tvk_impl.h"

static_assert(sizeof(Vertex) == gfx::kVertexStride, "Vertex must match the device's layout");

namespace {

bool IsPrimType(int prim_type) {
  return prim_type == Prim_Lines || prim_type == Prim_Triangles || prim_type == Prim_Quads;
}

}  // namespace

void Graphics::DrawLine(float x1, float y1, float x2, float y2, uint32_t color, float z) {
  const Vertex line[2] = {{x1, y1, z, color, 0, 0}, {x2, y2, z, color, 0, 0}};
  Submit(Prim_Lines, line, 0, Blend_Default);
}

void Graphics::DrawTriangle(const Triangle* triangle) {
  if (triangle) Submit(Prim_Triangles, triangle->v, triangle->tex, triangle->blend);
}

void Graphics::DrawQuad(const Quad* quad) {
  if (quad) Submit(Prim_Quads, quad->v, quad->tex, quad->blend);
}

// Appends one primitive of prim_type vertices, starting a new batch when its state differs
// from the pending one or the buffer is full.
void Graphics::Submit(int prim_type, const Vertex* vertices, TextureHandle tex, int blend) {
  if (!vertices_) return;
  if (prim_type != prim_type_ || batch_count_ >= kBatchVertices / prim_type ||
      tex != current_texture_ || blend != blend_) {
    if (!ChangeBatch(prim_type, tex, blend)) return;
  }
  std::memcpy(vertices_ + prim_type * batch_count_, vertices, prim_type * sizeof(Vertex));
  ++batch_count_;
}

// Draws the pending batch and sets the device up for the new one. False (and nothing done)
// when the texture handle is unknown, or when the vertex buffer could not be locked again.
bool Graphics::ChangeBatch(int prim_type, TextureHandle tex, int blend) {
  std::shared_ptr<gfx::Texture> texture;
  if (tex != current_texture_ && tex != 0) {
    const TextureEntry* entry = textures_.Find(tex);
    if (!entry) return false;
    texture = entry->object;
  }
  FlushBatch(false);
  if (!vertices_) return false;
  prim_type_ = prim_type;
  if (blend != blend_) ApplyBlendMode(blend);
  if (tex != current_texture_) {
    device_->SetTexture(0, texture);
    current_texture_ = tex;
  }
  return true;
}

Vertex* Graphics::OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim) {
  if (!vertices_ || !IsPrimType(prim_type) || !ChangeBatch(prim_type, tex, blend)) return nullptr;
  if (max_prim) *max_prim = kBatchVertices / prim_type;
  return vertices_;
}

// Counts outside 0..max would draw past the buffer or make later primitives land before it.
void Graphics::CloseBatch(int prim_count) {
  if (!vertices_) return;
  batch_count_ = std::clamp(prim_count, 0, kBatchVertices / prim_type_);
}

void Graphics::FlushBatch(bool end) {
  if (!vertices_) return;
  vertex_buffer_->Unlock();
  vertices_ = nullptr;
  if (batch_count_) DrawBatch();
  batch_count_ = 0;
  if (!end) LockVertexBuffer();
}

void Graphics::DrawBatch() {
  switch (prim_type_) {
    case Prim_Lines:
      device_->DrawPrimitive(gfx::Prim_LineList, 0, batch_count_);
      break;
    case Prim_Triangles:
      device_->DrawPrimitive(gfx::Prim_TriangleList, 0, batch_count_);
      break;
    case Prim_Quads:
      device_->DrawIndexedPrimitive(gfx::Prim_TriangleList, 0, 0, 4 * batch_count_, 0,
                                    2 * batch_count_);
      break;
  }
}

void Graphics::LockVertexBuffer() {
  void* locked = nullptr;
  if (vertex_buffer_ && gfx::Succeeded(vertex_buffer_->Lock(0, 0, &locked, gfx::Lock_None)))
    vertices_ = static_cast<Vertex*>(locked);
}

// Sets only the render states whose blend bit changed.
void Graphics::ApplyBlendMode(int blend) {
  const int changed = blend ^ blend_;
  if (changed & Blend_AlphaBlend)
    device_->SetRenderState(gfx::RS_DestBlend,
                            blend & Blend_AlphaBlend ? gfx::Blend_InvSrcAlpha : gfx::Blend_One);
  if (changed & Blend_ZWrite)
    device_->SetRenderState(gfx::RS_ZWriteEnable, (blend & Blend_ZWrite) != 0);
  if (changed & Blend_ColorAdd)
    device_->SetTextureStageState(0, gfx::TSS_ColorOp,
                                  blend & Blend_ColorAdd ? gfx::TOP_Add : gfx::TOP_Modulate);
  blend_ = blend;
}

// The batch state that matches the fixed render states of a fresh device.
void Graphics::ResetBatchState() {
  batch_count_ = 0;
  prim_type_ = Prim_Quads;
  blend_ = Blend_Default;
  current_texture_ = 0;
}

// Draws what is pending with the bound texture, then unbinds it (the texture is going away).
void Graphics::UnbindTexture() {
  FlushBatch(false);
  device_->SetTexture(0, nullptr);
  current_texture_ = 0;
}

void TVK_Impl::Gfx_DrawLine(float x1, float y1, float x2, float y2, uint32_t color, float z) {
  gfx.DrawLine(x1, y1, x2, y2, color, z);
}
void TVK_Impl::Gfx_DrawTriangle(const Triangle* triangle) { gfx.DrawTriangle(triangle); }
void TVK_Impl::Gfx_DrawQuad(const Quad* quad) { gfx.DrawQuad(quad); }
Vertex* TVK_Impl::Gfx_OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim) {
  return gfx.OpenBatch(prim_type, tex, blend, max_prim);
}
void TVK_Impl::Gfx_CloseBatch(int prim_count) { gfx.CloseBatch(prim_count); }
