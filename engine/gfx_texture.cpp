// Textures: empty ones made for drawing into, and ones loaded from image data (a file through
// the resource layer, or a block in memory). Loaded textures remember the size of the image as
// stored, since the device may make the texture larger.
#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/gfx_pixels.h"
#include "engine/graphics.h"
#include "engine/tvk_impl.h"
#include "platform/gfx/pixel_format.h"
#include "platform/image/image.h"

namespace {

int NextPowerOfTwo(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

int MipChainLength(int width, int height) {
  int levels = 1;
  for (int size = std::max(width, height); size > 1; size >>= 1) ++levels;
  return levels;
}

bool IsArgbFormat(gfx::Format format) {
  return format == gfx::Format_A8R8G8B8 || format == gfx::Format_X8R8G8B8;
}

// Copies rows of source bytes into one level of a texture; the part of the level the source
// does not cover (the padding of an enlarged texture) is cleared.
bool WriteLevel(gfx::Texture& texture, int level, const uint8_t* src, size_t src_pitch,
                int src_rows) {
  gfx::SurfaceDesc desc;
  gfx::LockedRect locked;
  if (!gfx::Succeeded(texture.GetLevelDesc(level, &desc)) ||
      !gfx::Succeeded(texture.LockRect(level, &locked, nullptr, gfx::Lock_None)))
    return false;
  const size_t row_bytes = size_t(gfx::RowPitch(desc.format, desc.width));
  const int rows = gfx::RowCount(desc.format, desc.height);
  const size_t copy = std::min(row_bytes, src_pitch);
  for (int y = 0; y < rows; ++y) {
    uint8_t* dst = static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch;
    const size_t copied = y < src_rows ? copy : 0;
    if (copied) std::memcpy(dst, src + size_t(y) * src_pitch, copied);
    std::memset(dst + copied, 0, row_bytes - copied);
  }
  texture.UnlockRect(level);
  return true;
}

int LevelDimension(int size, int level) { return std::max(1, size >> level); }

// Where each mip level of an image sits in its data; only levels the data holds completely.
std::vector<const uint8_t*> LevelStarts(const image::Image& img) {
  std::vector<const uint8_t*> starts;
  size_t offset = 0;
  for (int level = 0; level < img.levels; ++level) {
    const size_t size = image::LevelSize(img.format, LevelDimension(img.width, level),
                                         LevelDimension(img.height, level));
    if (size == 0 || size > img.data.size() - offset) break;
    starts.push_back(img.data.data() + offset);
    offset += size;
  }
  return starts;
}

}  // namespace

// The size the device needs for a texture of the given size: powers of two where required.
// False for sizes the device cannot make at all.
bool Graphics::FitTextureSize(int* width, int* height) const {
  const gfx::Caps caps = device_->GetDeviceCaps();
  if (*width <= 0 || *height <= 0 || *width > caps.max_texture_width ||
      *height > caps.max_texture_height)
    return false;
  if (caps.pow2_textures_only) {
    *width = NextPowerOfTwo(*width);
    *height = NextPowerOfTwo(*height);
  }
  return *width <= caps.max_texture_width && *height <= caps.max_texture_height;
}

TextureHandle Graphics::CreateTexture(int width, int height) {
  std::shared_ptr<gfx::Texture> texture;
  TextureHandle handle = 0;
  if (device_ && FitTextureSize(&width, &height) &&
      gfx::Succeeded(device_->CreateTexture(width, height, 1, gfx::Usage_None,
                                            gfx::Format_A8R8G8B8, gfx::Pool_Managed, &texture)))
    handle = textures_.Add({texture, TextureKind::Created});
  if (!handle) e_.PostError("Can't create texture");
  return handle;
}

TextureHandle Graphics::LoadTexture(const char* filename, uint32_t size, bool mipmap) {
  if (!filename) {
    e_.PostError("Can't create texture");
    return 0;
  }
  const void* data = filename;
  void* loaded = nullptr;
  if (size == 0) {
    loaded = e_.Resource_Load(filename, &size);
    if (!loaded) return 0;
    data = loaded;
  }
  const TextureHandle handle = TextureFromMemory(data, size, mipmap);
  if (loaded) e_.Resource_Free(loaded);
  if (!handle) e_.PostError("Can't create texture");
  return handle;
}

// A DDS file is first tried in its own pixel format, then widened to A8R8G8B8; other images
// are decoded to A8R8G8B8 (their own format too, so there is one attempt). The size the
// file's header claims must suit the device before anything is decoded.
TextureHandle Graphics::TextureFromMemory(const void* data, uint32_t size, bool mipmap) {
  image::Image img;
  int width = 0, height = 0;
  if (!device_ || !image::ImageSize(data, size, &width, &height) ||
      !FitTextureSize(&width, &height))
    return 0;
  const bool dds = image::IsDds(data, size);
  if (!(dds ? image::DecodeDds(data, size, &img) : image::DecodeImage(data, size, &img)))
    return 0;
  const gfx::Format first = dds ? img.format : gfx::Format_A8R8G8B8;
  const gfx::Format second = dds ? gfx::Format_A8R8G8B8 : img.format;
  std::shared_ptr<gfx::Texture> texture = TextureFromImage(img, first, mipmap);
  if (!texture && second != first) texture = TextureFromImage(img, second, mipmap);
  if (!texture) return 0;
  return textures_.Add({texture, TextureKind::Loaded, img.width, img.height});
}

// Makes a managed texture of the given format holding the image at its top-left corner. The
// image's own mip levels are used when the texture has the image's size and format. With
// mipmap the chain goes down to 1x1: each missing level halves the one before as 32-bit
// pixels, which compressed and 16-bit textures then encode in their own format.
std::shared_ptr<gfx::Texture> Graphics::TextureFromImage(const image::Image& img,
                                                         gfx::Format format, bool mipmap) {
  const std::vector<const uint8_t*> starts = LevelStarts(img);
  int width = img.width, height = img.height;
  if (starts.empty() || !FitTextureSize(&width, &height)) return nullptr;
  const bool as_stored = format == img.format && width == img.width && height == img.height;
  const int stored_levels = as_stored ? int(starts.size()) : 1;
  const bool argb_format = IsArgbFormat(format);
  const int levels = mipmap ? MipChainLength(width, height) : 1;
  std::shared_ptr<gfx::Texture> texture;
  if (!gfx::Succeeded(device_->CreateTexture(width, height, levels, gfx::Usage_None, format,
                                             gfx::Pool_Managed, &texture)))
    return nullptr;

  std::vector<uint32_t> argb;  // the current level as 32-bit pixels, halved for the next one
  for (int level = 0; level < levels; ++level) {
    const int w = LevelDimension(img.width, level), h = LevelDimension(img.height, level);
    const bool stored = level < stored_levels;
    const size_t pitch = size_t(gfx::RowPitch(img.format, w));
    // Stored levels of the texture's own format are copied as they are; 32-bit pixels are
    // needed for 32-bit textures and as the base of the levels made here.
    if (!stored)
      argb = gfx_pixels::Halve(argb, LevelDimension(img.width, level - 1),
                               LevelDimension(img.height, level - 1));
    else if (argb_format || (level + 1 == stored_levels && levels > stored_levels))
      argb = gfx_pixels::ToArgb(img.format, starts[level], pitch, w, h);
    bool written;
    if (argb_format) {
      written = WriteLevel(*texture, level, reinterpret_cast<const uint8_t*>(argb.data()),
                           size_t(w) * 4, h);
    } else if (stored) {
      written = WriteLevel(*texture, level, starts[level], pitch, gfx::RowCount(format, h));
    } else {
      const std::vector<uint8_t> encoded = gfx_pixels::FromArgb(format, argb, w, h);
      written = WriteLevel(*texture, level, encoded.data(), size_t(gfx::RowPitch(format, w)),
                           gfx::RowCount(format, h));
    }
    if (!written) return nullptr;
  }
  return texture;
}

void Graphics::FreeTexture(TextureHandle tex) {
  const TextureEntry* entry = textures_.Find(tex);
  if (!entry || entry->kind == TextureKind::Target) return;  // targets own their texture
  if (tex == current_texture_) UnbindTexture();
  textures_.Remove(tex);
}

std::optional<gfx::SurfaceDesc> Graphics::TopLevelDesc(TextureHandle tex) {
  const TextureEntry* entry = textures_.Find(tex);
  gfx::SurfaceDesc desc;
  if (!entry || !entry->object || !gfx::Succeeded(entry->object->GetLevelDesc(0, &desc)))
    return std::nullopt;
  return desc;
}

int Graphics::TextureWidth(TextureHandle tex, bool image_size) {
  if (image_size) {
    const TextureEntry* entry = textures_.Find(tex);
    return entry && entry->kind == TextureKind::Loaded ? entry->image_width : 0;
  }
  const std::optional<gfx::SurfaceDesc> desc = TopLevelDesc(tex);
  return desc ? desc->width : 0;
}

int Graphics::TextureHeight(TextureHandle tex, bool image_size) {
  if (image_size) {
    const TextureEntry* entry = textures_.Find(tex);
    return entry && entry->kind == TextureKind::Loaded ? entry->image_height : 0;
  }
  const std::optional<gfx::SurfaceDesc> desc = TopLevelDesc(tex);
  return desc ? desc->height : 0;
}

// Only 32-bit textures can be locked, and never a render target's: a device reset re-makes
// it, which would leave the caller writing through a dangling pointer. Width or height 0
// locks the whole texture.
uint32_t* Graphics::LockTexture(TextureHandle tex, bool read_only, int left, int top, int width,
                                int height) {
  const std::optional<gfx::SurfaceDesc> desc = TopLevelDesc(tex);
  if (!desc || !IsArgbFormat(desc->format)) return nullptr;
  if (textures_.Find(tex)->kind == TextureKind::Target) {
    e_.PostError("Can't lock texture");
    return nullptr;
  }
  gfx::Rect region;
  const bool partial = width != 0 && height != 0;
  if (partial) {
    const long long right = (long long)left + width, bottom = (long long)top + height;
    if (right > INT_MAX || right < INT_MIN || bottom > INT_MAX || bottom < INT_MIN) {
      e_.PostError("Can't lock texture");
      return nullptr;
    }
    region = {left, top, int(right), int(bottom)};
  }
  gfx::LockedRect locked;
  if (!gfx::Succeeded(textures_.Find(tex)->object->LockRect(
          0, &locked, partial ? &region : nullptr,
          read_only ? gfx::Lock_ReadOnly : gfx::Lock_None))) {
    e_.PostError("Can't lock texture");
    return nullptr;
  }
  return static_cast<uint32_t*>(locked.bits);
}

void Graphics::UnlockTexture(TextureHandle tex) {
  if (const TextureEntry* entry = textures_.Find(tex); entry && entry->object)
    entry->object->UnlockRect(0);
}

TextureHandle TVK_Impl::Texture_Create(int width, int height) {
  return gfx.CreateTexture(width, height);
}
TextureHandle TVK_Impl::Texture_Load(const char* filename, uint32_t size, bool mipmap) {
  return gfx.LoadTexture(filename, size, mipmap);
}
void TVK_Impl::Texture_Free(TextureHandle tex) { gfx.FreeTexture(tex); }
int TVK_Impl::Texture_GetWidth(TextureHandle tex, bool image_size) {
  return gfx.TextureWidth(tex, image_size);
}
int TVK_Impl::Texture_GetHeight(TextureHandle tex, bool image_size) {
  return gfx.TextureHeight(tex, image_size);
}
uint32_t* TVK_Impl::Texture_Lock(TextureHandle tex, bool read_only, int left, int top,
                                 int width, int height) {
  return gfx.LockTexture(tex, read_only, left, top, width, height);
}
void TVK_Impl::Texture_Unlock(TextureHandle tex) { gfx.UnlockTexture(tex); }
