// Grid mesh: vertex bookkeeping, texture mapping and drawing cell by cell.
#include "kit/anim/grid_mesh.h"

#include <algorithm>

namespace {

float Ratio(float value, float size) { return size != 0.0f ? value / size : 0.0f; }

}  // namespace

GridMesh::GridMesh(int columns, int rows)
    : rows_(std::clamp(rows, kMinSize, kMaxSize)),
      columns_(std::clamp(columns, kMinSize, kMaxSize)) {
  vertices_.assign(size_t(rows_) * columns_, Vertex{0.0f, 0.0f, 0.5f, 0xFFFFFFFF, 0.0f, 0.0f});
  quad_.blend = Blend_AlphaBlend | Blend_ZWrite;
}

void GridMesh::SetTexture(TextureHandle texture) { quad_.tex = texture; }

void GridMesh::SetBlendMode(int blend) { quad_.blend = blend; }

void GridMesh::TextureSize(float region_width, float region_height, float* width,
                           float* height) const {
  *width = region_width;
  *height = region_height;
  TVK* engine = Engine();
  if (!quad_.tex || !engine) return;
  *width = float(engine->Texture_GetWidth(quad_.tex));
  *height = float(engine->Texture_GetHeight(quad_.tex));
}

void GridMesh::SetTextureRect(float x, float y, float width, float height) {
  float texture_width, texture_height;
  TextureSize(width, height, &texture_width, &texture_height);
  cell_width_ = width / float(columns_ - 1);
  cell_height_ = height / float(rows_ - 1);
  for (int row = 0; row < rows_; ++row)
    for (int column = 0; column < columns_; ++column) {
      Vertex& v = At(column, row);
      v.x = float(column) * cell_width_;
      v.y = float(row) * cell_height_;
      v.tx = Ratio(x + v.x, texture_width);
      v.ty = Ratio(y + v.y, texture_height);
    }
}

void GridMesh::Clear(uint32_t color, float z) {
  for (int row = 0; row < rows_; ++row)
    for (int column = 0; column < columns_; ++column) {
      Vertex& v = At(column, row);
      v.x = float(column) * cell_width_;
      v.y = float(row) * cell_height_;
      v.col = color;
      v.z = z;
    }
}

void GridMesh::SetDepth(int column, int row, float z) {
  if (Inside(column, row)) At(column, row).z = z;
}

void GridMesh::SetColor(int column, int row, uint32_t color) {
  if (Inside(column, row)) At(column, row).col = color;
}

float GridMesh::GetZ(int column, int row) const {
  return Inside(column, row) ? At(column, row).z : 0.0f;
}

uint32_t GridMesh::GetColor(int column, int row) const {
  return Inside(column, row) ? At(column, row).col : 0u;
}

void GridMesh::SetDisplacement(int column, int row, float dx, float dy, int reference) {
  if (!Inside(column, row)) return;
  Vertex& v = At(column, row);
  v.x = dx;
  v.y = dy;
  if (reference == Offset_FromNode) {
    v.x += float(column) * cell_width_;
    v.y += float(row) * cell_height_;
  } else if (reference == Offset_FromCenter) {
    v.x += cell_width_ * float(columns_ - 1) * 0.5f;
    v.y += cell_height_ * float(rows_ - 1) * 0.5f;
  }
}

void GridMesh::GetDisplacement(int column, int row, float* dx, float* dy, int reference) const {
  if (!Inside(column, row) || !dx || !dy) return;
  const Vertex& v = At(column, row);
  if (reference == Offset_FromNode) {
    *dx = v.x - float(column) * cell_width_;
    *dy = v.y - float(row) * cell_height_;
  } else if (reference == Offset_Absolute) {
    *dx = v.x;
    *dy = v.y;
  } else if (reference == Offset_FromCenter) {
    *dx = v.x - float(columns_ - 1) * cell_width_ * 0.5f;
    *dy = v.y - float(rows_ - 1) * cell_height_ * 0.5f;
  }
}

void GridMesh::Render(float x, float y) {
  TVK* engine = Engine();
  if (!engine) return;
  for (int row = 0; row + 1 < rows_; ++row)
    for (int column = 0; column + 1 < columns_; ++column) {
      // Corners clockwise from the top-left, as the batcher expects them.
      const Vertex* corners[4] = {&At(column, row), &At(column + 1, row),
                                  &At(column + 1, row + 1), &At(column, row + 1)};
      for (int c = 0; c < 4; ++c) {
        quad_.v[c] = *corners[c];
        quad_.v[c].x += x;
        quad_.v[c].y += y;
      }
      engine->Gfx_DrawQuad(&quad_);
    }
}
