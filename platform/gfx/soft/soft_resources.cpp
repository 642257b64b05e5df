#include "platform/gfx/soft/soft_resources.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/dxt.h"
#include "platform/gfx/pixel_format.h"

namespace gfx::soft {

PixelBuffer::PixelBuffer(Format format, int width, int height)
    : format(format),
      width(width),
      height(height),
      pitch(RowPitch(format, width)),
      rows(RowCount(format, height)),
      bytes(size_t(pitch) * size_t(rows)) {}

std::vector<uint32_t> ArgbPixels(const PixelBuffer& buffer, int* width, int* height) {
  std::vector<uint32_t> pixels(size_t(buffer.width) * size_t(buffer.height));
  const int bpp = BytesPerPixel(buffer.format);
  for (int y = 0; y < buffer.height; ++y)
    for (int x = 0; x < buffer.width; ++x)
      pixels[size_t(y) * buffer.width + x] = ReadArgb(buffer.format, buffer.Row(y) + x * bpp);
  if (width) *width = buffer.width;
  if (height) *height = buffer.height;
  return pixels;
}

Result LockPixels(PixelBuffer& buffer, const Rect* rect, LockedRect* out) {
  if (!out || buffer.locked || buffer.format == Format_D16) return Result::InvalidCall;
  Rect r{0, 0, buffer.width, buffer.height};
  if (rect) r = *rect;
  if (r.left < 0 || r.top < 0 || r.right > buffer.width || r.bottom > buffer.height ||
      r.left >= r.right || r.top >= r.bottom)
    return Result::InvalidCall;
  size_t offset;
  if (IsCompressed(buffer.format)) {
    // Whole blocks only; a block may run past an edge of a size that is not a multiple of 4.
    const auto on_block = [](int v, int limit) { return v % 4 == 0 || v == limit; };
    if (!on_block(r.left, buffer.width) || !on_block(r.top, buffer.height) ||
        !on_block(r.right, buffer.width) || !on_block(r.bottom, buffer.height))
      return Result::InvalidCall;
    offset = size_t(r.top / 4) * buffer.pitch + size_t(r.left / 4) * BlockBytes(buffer.format);
  } else {
    offset = size_t(r.top) * buffer.pitch + size_t(r.left) * BytesPerPixel(buffer.format);
  }
  buffer.locked = true;
  ++buffer.edits;
  out->pitch = buffer.pitch;
  out->bits = buffer.bytes.data() + offset;
  return Result::Ok;
}

Result UnlockPixels(PixelBuffer& buffer) {
  if (!buffer.locked) return Result::InvalidCall;
  buffer.locked = false;
  ++buffer.edits;
  return Result::Ok;
}

SoftSurface::SoftSurface(std::shared_ptr<PixelBuffer> pixels, uint32_t usage, Pool pool,
                         std::shared_ptr<const void> owner)
    : pixels_(std::move(pixels)), usage_(usage), pool_(pool), owner_(std::move(owner)) {}

SurfaceDesc SoftSurface::GetDesc() const {
  return {pixels_->format, usage_, pool_, pixels_->width, pixels_->height};
}

Result SoftSurface::LockRect(LockedRect* out, const Rect* rect, uint32_t) {
  return LockPixels(*pixels_, rect, out);
}

Result SoftSurface::UnlockRect() { return UnlockPixels(*pixels_); }

int FullChainLevels(int width, int height) {
  int levels = 1;
  for (int size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

SoftTexture::SoftTexture(int width, int height, int levels, uint32_t usage, Format format,
                         Pool pool)
    : usage_(usage), pool_(pool) {
  for (int i = 0; i < levels; ++i)
    levels_.push_back(
        std::make_shared<PixelBuffer>(format, std::max(1, width >> i), std::max(1, height >> i)));
}

Result SoftTexture::GetLevelDesc(int level, SurfaceDesc* out) const {
  if (!out || !ValidLevel(level)) return Result::InvalidCall;
  const PixelBuffer& p = Level(level);
  *out = {p.format, usage_, pool_, p.width, p.height};
  return Result::Ok;
}

const PixelBuffer& SoftTexture::SampledLevel(int level) const {
  const PixelBuffer& stored = Level(level);
  if (!IsCompressed(stored.format)) return stored;
  if (decoded_.empty()) decoded_.resize(levels_.size());
  DecodedLevel& decoded = decoded_[size_t(level)];
  if (!decoded.pixels || decoded.edits != stored.edits) {
    const std::vector<uint32_t> argb =
        DecodeDxtImage(stored.format, stored.bytes.data(), size_t(stored.pitch), stored.width,
                       stored.height);
    auto pixels = std::make_unique<PixelBuffer>(Format_A8R8G8B8, stored.width, stored.height);
    std::memcpy(pixels->bytes.data(), argb.data(), argb.size() * sizeof argb[0]);
    decoded = {std::move(pixels), stored.edits};
  }
  return *decoded.pixels;
}

Result SoftTexture::LockRect(int level, LockedRect* out, const Rect* rect, uint32_t) {
  if (!ValidLevel(level)) return Result::InvalidCall;
  return LockPixels(*levels_[size_t(level)], rect, out);
}

Result SoftTexture::UnlockRect(int level) {
  if (!ValidLevel(level)) return Result::InvalidCall;
  return UnlockPixels(*levels_[size_t(level)]);
}

Result SoftTexture::GetSurfaceLevel(int level, std::shared_ptr<Surface>* out) {
  if (!out || !ValidLevel(level)) return Result::InvalidCall;
  *out = std::make_shared<SoftSurface>(levels_[size_t(level)], usage_, pool_, shared_from_this());
  return Result::Ok;
}

Result ByteBuffer::Lock(int offset, int size, void** out) {
  if (!out || locked_ || offset < 0 || size < 0 || offset >= Length() || size > Length() - offset)
    return Result::InvalidCall;
  locked_ = true;
  *out = bytes_.data() + offset;
  return Result::Ok;
}

Result ByteBuffer::Unlock() {
  if (!locked_) return Result::InvalidCall;
  locked_ = false;
  return Result::Ok;
}

uint32_t ReadIndex(const uint8_t* indices, int index_size, int i) {
  const uint8_t* p = indices + size_t(i) * size_t(index_size);
  if (index_size == 2) return uint32_t(p[0] | p[1] << 8);
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace gfx::soft
