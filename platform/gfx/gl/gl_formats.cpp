#include "platform/gfx/gl/gl_formats.h"

#include "platform/gfx/pixel_format.h"

namespace gfx::gl {
namespace {

constexpr GlFormat kArgb8{GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, false};

GLint CompressedFormat(Format format) {
  switch (format) {
    case Format_DXT1: return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case Format_DXT3: return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default: return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
  }
}

}  // namespace

GlFormat GlFormatOf(Format format, bool s3tc) {
  switch (format) {
    case Format_A8R8G8B8: return kArgb8;
    case Format_X8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true, false};
    case Format_R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, true, false};
    case Format_X1R5G5B5:
      return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true, false};
    case Format_A1R5G5B5:
      return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, false};
    default:
      if (IsCompressed(format) && s3tc) return {CompressedFormat(format), 0, 0, false, true};
      return kArgb8;  // compressed formats decoded on upload
  }
}

}  // namespace gfx::gl
