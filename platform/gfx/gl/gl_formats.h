// How the device's pixel formats are stored in GL textures and read back from them.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/gfx/format.h"

namespace gfx::gl {

struct GlFormat {
  GLint internal_format = 0;
  GLenum format = 0, type = 0;  // client layout of uncompressed data
  bool opaque = false;          // no alpha bits: alpha samples as 1
  bool compressed = false;      // uploaded as blocks
};

// The GL layout of an uncompressed or compressed format, whose memory layout matches the
// device's (little-endian words, rows of pixels or of 4x4 blocks). s3tc says whether blocks
// may be uploaded as they are; without it compressed formats are decoded to 8-bit ARGB.
GlFormat GlFormatOf(Format format, bool s3tc);

}  // namespace gfx::gl
