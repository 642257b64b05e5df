// DDS reader. The header is read field by field in little-endian order and every level's data
// is checked against the file size before anything is copied.
#include <bit>
#include <cstring>
#include <optional>

#include "platform/image/image.h"

namespace image {
namespace {

constexpr uint32_t kMagic = gfx::FourCC('D', 'D', 'S', ' ');
constexpr uint32_t kHeaderSize = 124;      // the header after the magic
constexpr uint32_t kPixelFormatSize = 32;  // the pixel format record inside the header
constexpr size_t kDataStart = 4 + kHeaderSize;

constexpr uint32_t kFlagDepth = 0x800000;
constexpr uint32_t kPixelAlphaPixels = 0x1, kPixelAlphaOnly = 0x2, kPixelFourCC = 0x4,
                   kPixelRgb = 0x40, kPixelLuminance = 0x20000;
constexpr uint32_t kCaps2Volume = 0x200000;

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct PixelFormat {
  uint32_t flags, fourcc, bits, r_mask, g_mask, b_mask, a_mask;
};

struct Header {
  uint32_t flags, height, width, depth, mip_count, caps2;
  PixelFormat pixel;
};

bool ReadHeader(const uint8_t* p, size_t size, Header* h) {
  if (size < kDataStart || ReadU32(p) != kMagic || ReadU32(p + 4) != kHeaderSize ||
      ReadU32(p + 76) != kPixelFormatSize)
    return false;
  h->flags = ReadU32(p + 8);
  h->height = ReadU32(p + 12);
  h->width = ReadU32(p + 16);
  h->depth = ReadU32(p + 24);
  h->mip_count = ReadU32(p + 28);
  h->pixel = {ReadU32(p + 80), ReadU32(p + 84), ReadU32(p + 88), ReadU32(p + 92),
              ReadU32(p + 96), ReadU32(p + 100), ReadU32(p + 104)};
  h->caps2 = ReadU32(p + 112);
  return true;
}

// How the file's pixels become the image's: copied as they are (bits == 0 for block formats,
// or a native uncompressed layout), or converted channel by channel to A8R8G8B8.
struct Layout {
  gfx::Format format = gfx::Format_Unknown;
  uint32_t file_bits = 0;  // bits per pixel in the file; 0 for block-compressed formats
  bool convert = false;
};

struct NativeLayout {
  gfx::Format format;
  uint32_t bits, r_mask, g_mask, b_mask, a_mask;
};

constexpr NativeLayout kNativeLayouts[] = {
    {gfx::Format_A8R8G8B8, 32, 0xff0000, 0xff00, 0xff, 0xff000000},
    {gfx::Format_X8R8G8B8, 32, 0xff0000, 0xff00, 0xff, 0},
    {gfx::Format_R5G6B5, 16, 0xf800, 0x7e0, 0x1f, 0},
    {gfx::Format_A1R5G5B5, 16, 0x7c00, 0x3e0, 0x1f, 0x8000},
    {gfx::Format_X1R5G5B5, 16, 0x7c00, 0x3e0, 0x1f, 0},
};

uint32_t AlphaMask(const PixelFormat& pf) {
  return pf.flags & (kPixelAlphaPixels | kPixelAlphaOnly) ? pf.a_mask : 0;
}

// A mask is usable when its bits are one run inside the pixel.
bool MaskFits(uint32_t mask, uint32_t bits) {
  if (bits < 32 && (mask >> bits) != 0) return false;
  const uint32_t run = mask ? mask >> std::countr_zero(mask) : 0;
  return (run & (run + 1)) == 0;
}

bool ConvertibleLayout(const PixelFormat& pf) {
  if (!(pf.flags & (kPixelRgb | kPixelLuminance | kPixelAlphaOnly))) return false;
  if (pf.bits != 8 && pf.bits != 16 && pf.bits != 24 && pf.bits != 32) return false;
  const uint32_t a = AlphaMask(pf);
  if ((pf.r_mask | pf.g_mask | pf.b_mask | a) == 0) return false;
  return MaskFits(pf.r_mask, pf.bits) && MaskFits(pf.g_mask, pf.bits) &&
         MaskFits(pf.b_mask, pf.bits) && MaskFits(a, pf.bits);
}

Layout ChooseLayout(const PixelFormat& pf) {
  if (pf.flags & kPixelFourCC) {
    const bool block = pf.fourcc == gfx::Format_DXT1 || pf.fourcc == gfx::Format_DXT3 ||
                       pf.fourcc == gfx::Format_DXT5;
    return block ? Layout{gfx::Format(pf.fourcc), 0, false} : Layout{};
  }
  if (pf.flags & kPixelRgb) {
    for (const NativeLayout& n : kNativeLayouts) {
      if (pf.bits == n.bits && pf.r_mask == n.r_mask && pf.g_mask == n.g_mask &&
          pf.b_mask == n.b_mask && AlphaMask(pf) == n.a_mask)
        return {n.format, n.bits, false};
    }
  }
  if (ConvertibleLayout(pf)) return {gfx::Format_A8R8G8B8, pf.bits, true};
  return {};
}

// Levels the file declares: at least 1, and never more than the full chain down to 1x1.
int DeclaredLevels(const Header& h) {
  const int chain = std::bit_width(h.width > h.height ? h.width : h.height);
  if (h.mip_count == 0) return 1;
  return h.mip_count > uint32_t(chain) ? chain : int(h.mip_count);
}

size_t FileLevelSize(const Layout& layout, int width, int height) {
  if (layout.file_bits == 0) return LevelSize(layout.format, width, height);
  return size_t(width) * size_t(height) * (layout.file_bits / 8);
}

int LevelDimension(uint32_t size, int level) {
  const uint32_t d = size >> level;
  return d ? int(d) : 1;
}

// One channel of a converted pixel: where its bits are and how to scale them to 0-255.
struct Channel {
  uint32_t mask;
  int shift;
  uint64_t max;
  explicit Channel(uint32_t m)
      : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? uint64_t(m) >> shift : 0) {}
  uint32_t Get(uint32_t pixel, uint32_t absent) const {
    if (!mask) return absent;
    return uint32_t(uint64_t((pixel & mask) >> shift) * 255 / max);
  }
};

void ConvertPixels(const PixelFormat& pf, const uint8_t* in, size_t count, uint8_t* out) {
  const bool luminance = (pf.flags & kPixelLuminance) != 0;
  const Channel r(pf.r_mask), g(luminance ? pf.r_mask : pf.g_mask),
      b(luminance ? pf.r_mask : pf.b_mask), a(AlphaMask(pf));
  const size_t in_bytes = pf.bits / 8;
  for (size_t i = 0; i < count; ++i, in += in_bytes, out += 4) {
    uint32_t pixel = 0;
    for (size_t k = 0; k < in_bytes; ++k) pixel |= uint32_t(in[k]) << (8 * k);
    out[0] = uint8_t(b.Get(pixel, 0));
    out[1] = uint8_t(g.Get(pixel, 0));
    out[2] = uint8_t(r.Get(pixel, 0));
    out[3] = uint8_t(a.Get(pixel, 255));
  }
}

bool HeaderSupported(const Header& h) {
  if (h.width == 0 || h.height == 0 || h.width > uint32_t(kMaxDimension) ||
      h.height > uint32_t(kMaxDimension))
    return false;
  const bool volume = (h.caps2 & kCaps2Volume) || ((h.flags & kFlagDepth) && h.depth > 1);
  return !volume;
}

}  // namespace

bool IsDds(const void* data, size_t size) {
  return data && size >= 4 && ReadU32(static_cast<const uint8_t*>(data)) == kMagic;
}

namespace {

// What a DDS file holds, worked out from its header and checked against its length.
struct Plan {
  Header header;
  Layout layout;
  int levels = 0;
  size_t image_bytes = 0;
};

std::optional<Plan> PlanDds(const void* data, size_t size) {
  if (!data) return std::nullopt;
  Plan plan;
  const Header& h = plan.header;
  if (!ReadHeader(static_cast<const uint8_t*>(data), size, &plan.header) || !HeaderSupported(h))
    return std::nullopt;
  plan.layout = ChooseLayout(h.pixel);
  if (plan.layout.format == gfx::Format_Unknown) return std::nullopt;
  plan.levels = DeclaredLevels(h);
  size_t file_bytes = 0;
  for (int i = 0; i < plan.levels; ++i) {
    const int w = LevelDimension(h.width, i), hgt = LevelDimension(h.height, i);
    file_bytes += FileLevelSize(plan.layout, w, hgt);
    plan.image_bytes += LevelSize(plan.layout.format, w, hgt);
  }
  if (file_bytes > size - kDataStart) return std::nullopt;
  return plan;
}

}  // namespace

bool DdsSize(const void* data, size_t size, int* width, int* height) {
  const std::optional<Plan> plan = PlanDds(data, size);
  if (!plan || !width || !height) return false;
  *width = int(plan->header.width);
  *height = int(plan->header.height);
  return true;
}

bool DecodeDds(const void* data, size_t size, Image* out) {
  const std::optional<Plan> plan = PlanDds(data, size);
  if (!plan || !out) return false;
  Image decoded;
  decoded.width = int(plan->header.width);
  decoded.height = int(plan->header.height);
  decoded.format = plan->layout.format;
  decoded.levels = plan->levels;
  decoded.data.resize(plan->image_bytes);
  const uint8_t* pixels = static_cast<const uint8_t*>(data) + kDataStart;
  if (plan->layout.convert)
    ConvertPixels(plan->header.pixel, pixels, plan->image_bytes / 4, decoded.data.data());
  else
    std::memcpy(decoded.data.data(), pixels, plan->image_bytes);
  *out = std::move(decoded);
  return true;
}

}  // namespace image
