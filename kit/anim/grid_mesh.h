/// @file
/// A textured grid of vertices whose cells are drawn as quads; moving the vertices deforms the
/// picture. The animation model draws every body part with one.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/draw/engine_reference.h"

/// How GridMesh::SetDisplacement and GetDisplacement read their offsets.
enum {
  Offset_FromNode = 0,    ///< relative to the vertex's undeformed place in the grid
  Offset_Absolute = 1,    ///< relative to the mesh origin
  Offset_FromCenter = 2,  ///< relative to the centre of the undeformed grid
};

/// A grid of columns x rows vertices over a texture region. Vertex positions are relative to
/// the point the mesh is rendered at. A copy has its own vertices and engine reference.
class TVK_API GridMesh {
 public:
  /// The smallest grid, in either direction.
  static constexpr int kMinSize = 2;
  /// The largest grid, in either direction.
  static constexpr int kMaxSize = 1024;

  /// A grid of columns x rows vertices (each clamped to kMinSize..kMaxSize), all at (0, 0)
  /// with z 0.5, white and texture coordinates 0; no texture; alpha blending with z writes.
  GridMesh(int columns, int rows);

  /// Sets the texture the cells are drawn with; nothing else changes.
  void SetTexture(TextureHandle texture);
  /// Maps the grid evenly over the pixel region (x, y, width, height) of the texture and
  /// places the vertices on the undeformed grid of that size.
  void SetTextureRect(float x, float y, float width, float height);
  /// Sets the blend mode the cells are drawn with.
  void SetBlendMode(int blend);
  /// Moves every vertex back to its undeformed place and gives it the colour and depth;
  /// texture coordinates stay.
  void Clear(uint32_t color, float z);
  /// Sets one vertex's depth; ignored outside the grid.
  void SetDepth(int column, int row, float z);
  /// Sets one vertex's colour; ignored outside the grid.
  void SetColor(int column, int row, uint32_t color);
  /// One vertex's depth, or 0 outside the grid.
  float GetZ(int column, int row) const;
  /// One vertex's colour, or 0 outside the grid.
  uint32_t GetColor(int column, int row) const;
  /// Places one vertex at (dx, dy) read as the reference says (Offset_*); an unknown
  /// reference reads as Offset_Absolute. Ignored outside the grid.
  void SetDisplacement(int column, int row, float dx, float dy, int reference);
  /// The offset SetDisplacement would take to leave the vertex where it is; the outputs are
  /// left untouched outside the grid or for an unknown reference.
  void GetDisplacement(int column, int row, float* dx, float* dy, int reference) const;
  /// Draws every cell, row by row, with the mesh origin at (x, y). Call inside a scene.
  void Render(float x, float y);

  /// The number of vertex columns.
  int GetColumns() const { return columns_; }
  /// The number of vertex rows.
  int GetRows() const { return rows_; }
  /// The texture the cells are drawn with.
  TextureHandle GetTexture() const { return quad_.tex; }
  /// The blend mode the cells are drawn with.
  int GetBlendMode() const { return quad_.blend; }

 private:
  static TVK* Engine() { return EngineReference<GridMesh>::Engine(); }
  bool Inside(int column, int row) const {
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
  }
  Vertex& At(int column, int row) { return vertices_[size_t(row) * columns_ + column]; }
  const Vertex& At(int column, int row) const {
    return vertices_[size_t(row) * columns_ + column];
  }
  // The texture's size for texture coordinates: its allocated size, or the region's size
  // without a texture.
  void TextureSize(float region_width, float region_height, float* width, float* height) const;

  EngineReference<GridMesh> engine_;
  std::vector<Vertex> vertices_;  // row-major
  int rows_, columns_;
  float cell_width_ = 0.0f, cell_height_ = 0.0f;
  Quad quad_{};  // work record: texture and blend mode of every cell
};
