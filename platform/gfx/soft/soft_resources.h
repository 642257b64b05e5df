// Resources of the software device: pixel storage shared by surfaces and texture levels,
// textures, and vertex and index buffers, all held in ordinary memory. The GL device keeps its
// memory copies in the same storage and reads pixels and indices through the same helpers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"

namespace gfx::soft {

// One image in a format's storage layout (rows of pixels, or rows of 4x4 blocks).
struct PixelBuffer {
  PixelBuffer(Format format, int width, int height);
  uint8_t* Row(int y) { return bytes.data() + size_t(y) * pitch; }
  const uint8_t* Row(int y) const { return bytes.data() + size_t(y) * pitch; }

  Format format;
  int width, height;
  int pitch;  // bytes per storage row
  int rows;   // storage rows
  std::vector<uint8_t> bytes;
  bool locked = false;
  uint32_t edits = 0;  // locks and unlocks so far: the bytes may have changed at each
};

// An uncompressed buffer's pixels as 0xAARRGGBB, row after row; its size goes to *width and
// *height where they are given.
std::vector<uint32_t> ArgbPixels(const PixelBuffer& buffer, int* width, int* height);

// Locks rect (null: all) of buffer; checks bounds, block alignment and double locks.
Result LockPixels(PixelBuffer& buffer, const Rect* rect, LockedRect* out);
Result UnlockPixels(PixelBuffer& buffer);

class SoftSurface final : public Surface {
 public:
  // owner keeps the texture of a texture level alive as long as the surface.
  SoftSurface(std::shared_ptr<PixelBuffer> pixels, uint32_t usage, Pool pool,
              std::shared_ptr<const void> owner = nullptr);
  SurfaceDesc GetDesc() const override;
  Result LockRect(LockedRect* out, const Rect* rect, uint32_t flags) override;
  Result UnlockRect() override;

  PixelBuffer& Pixels() { return *pixels_; }
  bool IsRenderTarget() const { return usage_ & Usage_RenderTarget; }
  bool IsDepth() const { return pixels_->format == Format_D16; }

 private:
  std::shared_ptr<PixelBuffer> pixels_;
  uint32_t usage_;
  Pool pool_;
  std::shared_ptr<const void> owner_;
};

class SoftTexture final : public Texture, public std::enable_shared_from_this<SoftTexture> {
 public:
  SoftTexture(int width, int height, int levels, uint32_t usage, Format format, Pool pool);
  int GetLevelCount() const override { return int(levels_.size()); }
  Result GetLevelDesc(int level, SurfaceDesc* out) const override;
  Result LockRect(int level, LockedRect* out, const Rect* rect, uint32_t flags) override;
  Result UnlockRect(int level) override;
  Result GetSurfaceLevel(int level, std::shared_ptr<Surface>* out) override;

  const PixelBuffer& Level(int level) const { return *levels_[size_t(level)]; }
  Format GetFormat() const { return levels_[0]->format; }
  // The level as drawing samples it: the level itself, or for a compressed format its texels in
  // 8-bit ARGB, decoded at the first draw after each change rather than per sampled texel.
  const PixelBuffer& SampledLevel(int level) const;

 private:
  bool ValidLevel(int level) const { return level >= 0 && level < GetLevelCount(); }

  struct DecodedLevel {
    std::unique_ptr<PixelBuffer> pixels;
    uint32_t edits = 0;  // the level's edit count when decoded
  };

  std::vector<std::shared_ptr<PixelBuffer>> levels_;
  mutable std::vector<DecodedLevel> decoded_;
  uint32_t usage_;
  Pool pool_;
};

// Bytes behind a vertex or index buffer.
class ByteBuffer {
 public:
  explicit ByteBuffer(int length) : bytes_(size_t(length)) {}
  int Length() const { return int(bytes_.size()); }
  Result Lock(int offset, int size, void** out);
  Result Unlock();
  bool Locked() const { return locked_; }
  const uint8_t* Data() const { return bytes_.data(); }

 private:
  std::vector<uint8_t> bytes_;
  bool locked_ = false;
};

class SoftVertexBuffer final : public VertexBuffer {
 public:
  explicit SoftVertexBuffer(int length) : bytes_(length) {}
  int GetLength() const override { return bytes_.Length(); }
  Result Lock(int offset, int size, void** out, uint32_t) override {
    return bytes_.Lock(offset, size, out);
  }
  Result Unlock() override { return bytes_.Unlock(); }
  const ByteBuffer& Bytes() const { return bytes_; }
  bool Locked() const { return bytes_.Locked(); }

 private:
  ByteBuffer bytes_;
};

// Index number i of the index_size-byte (2 or 4) indices stored from indices.
uint32_t ReadIndex(const uint8_t* indices, int index_size, int i);

class SoftIndexBuffer final : public IndexBuffer {
 public:
  SoftIndexBuffer(int length, Format format) : bytes_(length), format_(format) {}
  int GetLength() const override { return bytes_.Length(); }
  Format GetFormat() const override { return format_; }
  Result Lock(int offset, int size, void** out, uint32_t) override {
    return bytes_.Lock(offset, size, out);
  }
  Result Unlock() override { return bytes_.Unlock(); }
  const ByteBuffer& Bytes() const { return bytes_; }
  bool Locked() const { return bytes_.Locked(); }
  int IndexSize() const { return format_ == Format_Index32 ? 4 : 2; }
  // Index number i; the caller keeps i inside the buffer.
  uint32_t Index(int i) const { return ReadIndex(bytes_.Data(), IndexSize(), i); }

 private:
  ByteBuffer bytes_;
  Format format_;
};

// Number of levels in a full chain down to 1x1.
int FullChainLevels(int width, int height);

}  // namespace gfx::soft
