#include "platform/gfx/gl/gl_resources.h"

#include <algorithm>

#include "platform/gfx/dxt.h"
#include "platform/gfx/gl/gl_formats.h"

namespace gfx::gl {

// ---- textures ----

GlTexture::GlTexture(std::shared_ptr<GlShared> shared, int width, int height, int levels,
                     uint32_t usage, Format format, Pool pool)
    : shared_(std::move(shared)),
      memory_(width, height, levels, usage, format, pool),
      usage_(usage),
      dirty_(size_t(levels), false),
      lock_flags_(size_t(levels), 0) {}

GlTexture::~GlTexture() {
  const GLuint name = name_.Get(*shared_);
  if (name && shared_->Use()) glDeleteTextures(1, &name);
}

Result GlTexture::GetLevelDesc(int level, SurfaceDesc* out) const {
  return memory_.GetLevelDesc(level, out);
}

Result GlTexture::LockRect(int level, LockedRect* out, const Rect* rect, uint32_t flags) {
  if (!ValidLevel(level)) return Result::InvalidCall;
  const Result r = memory_.LockRect(level, out, rect, flags);
  if (r != Result::Ok) return r;
  // A render target's pixels live in GL; the copy is brought up to date first.
  if (IsRenderTarget() && !dirty_[size_t(level)]) ReadBack(level);
  lock_flags_[size_t(level)] = flags;
  return Result::Ok;
}

Result GlTexture::UnlockRect(int level) {
  if (!ValidLevel(level)) return Result::InvalidCall;
  const Result r = memory_.UnlockRect(level);
  if (r == Result::Ok && !(lock_flags_[size_t(level)] & Lock_ReadOnly))
    dirty_[size_t(level)] = true;
  return r;
}

Result GlTexture::GetSurfaceLevel(int level, std::shared_ptr<Surface>* out) {
  if (!out || !ValidLevel(level)) return Result::InvalidCall;
  *out = std::make_shared<GlColorSurface>(shared_from_this(), level);
  return Result::Ok;
}

GLuint GlTexture::Name() {
  if (!shared_->Use()) return 0;
  if (!name_.Get(*shared_)) Create();
  const GLuint name = name_.Get(*shared_);
  glBindTexture(GL_TEXTURE_2D, name);
  for (int level = 0; level < GetLevelCount(); ++level)
    if (dirty_[size_t(level)]) Upload(level);
  return name;
}

// Makes the GL texture with room for every level and marks them all for upload.
void GlTexture::Create() {
  GLuint name = 0;
  glGenTextures(1, &name);
  name_.Set(*shared_, name);
  glBindTexture(GL_TEXTURE_2D, name);
  const GlFormat f = GlFormatOf(GetFormat(), shared_->s3tc);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GetLevelCount() - 1);
  if (f.opaque) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  for (int level = 0; level < GetLevelCount(); ++level) {
    const soft::PixelBuffer& p = memory_.Level(level);
    if (f.compressed)
      glCompressedTexImage2D(GL_TEXTURE_2D, level, GLenum(f.internal_format), p.width, p.height,
                             0, GLsizei(p.bytes.size()), nullptr);
    else
      glTexImage2D(GL_TEXTURE_2D, level, f.internal_format, p.width, p.height, 0, f.format,
                   f.type, nullptr);
    dirty_[size_t(level)] = true;
  }
}

// Copies one level from memory into the bound GL texture.
void GlTexture::Upload(int level) {
  const soft::PixelBuffer& p = memory_.Level(level);
  const Format format = GetFormat();
  const GlFormat f = GlFormatOf(format, shared_->s3tc);
  if (f.compressed) {
    glCompressedTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, p.width, p.height,
                              GLenum(f.internal_format), GLsizei(p.bytes.size()), p.bytes.data());
  } else if (IsCompressed(format)) {
    const std::vector<uint32_t> argb =
        DecodeDxtImage(format, p.bytes.data(), size_t(p.pitch), p.width, p.height);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, p.width, p.height, f.format, f.type, argb.data());
  } else {
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, p.width, p.height, f.format, f.type,
                    p.bytes.data());
  }
  dirty_[size_t(level)] = false;
}

void GlTexture::ReadBack(int level) {
  const GLuint name = name_.Get(*shared_);
  if (!name || !shared_->Use()) return;
  // The memory copy is locked by the caller; its bytes are reached through the level.
  soft::PixelBuffer& p = const_cast<soft::PixelBuffer&>(memory_.Level(level));
  const GlFormat f = GlFormatOf(GetFormat(), shared_->s3tc);
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexImage(GL_TEXTURE_2D, level, f.format, f.type, p.bytes.data());
}

std::vector<uint32_t> GlTexture::ReadPixels(int* width, int* height) {
  if (IsRenderTarget() && !dirty_[0]) ReadBack(0);
  return soft::ArgbPixels(memory_.Level(0), width, height);
}

SurfaceDesc GlColorSurface::GetDesc() const {
  SurfaceDesc desc;
  texture_->GetLevelDesc(level_, &desc);
  return desc;
}

// ---- depth buffers ----

GlDepthSurface::~GlDepthSurface() {
  const GLuint name = name_.Get(*shared_);
  if (name && shared_->Use()) glDeleteRenderbuffers(1, &name);
}

GLuint GlDepthSurface::Name() {
  if (!shared_->Use()) return 0;
  if (!name_.Get(*shared_)) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width_, height_);
    name_.Set(*shared_, name);
  }
  return name_.Get(*shared_);
}

// ---- vertex and index buffers ----

GlBuffer::GlBuffer(std::shared_ptr<GlShared> shared, GLenum target, int length)
    : shared_(std::move(shared)), target_(target), bytes_(size_t(length)) {}

GlBuffer::~GlBuffer() {
  const GLuint name = name_.Get(*shared_);
  if (name && shared_->Use()) glDeleteBuffers(1, &name);
}

Result GlBuffer::Lock(int offset, int size, void** out, uint32_t flags) {
  if (!out || locked_ || offset < 0 || size < 0 || offset >= Length() || size > Length() - offset)
    return Result::InvalidCall;
  locked_ = true;
  lock_begin_ = offset;
  lock_end_ = size == 0 ? Length() : offset + size;
  if (flags & Lock_ReadOnly) lock_end_ = lock_begin_;
  *out = bytes_.data() + offset;
  return Result::Ok;
}

Result GlBuffer::Unlock() {
  if (!locked_) return Result::InvalidCall;
  locked_ = false;
  if (lock_begin_ == lock_end_) return Result::Ok;
  if (dirty_begin_ == dirty_end_) {
    dirty_begin_ = lock_begin_;
    dirty_end_ = lock_end_;
  } else {
    dirty_begin_ = std::min(dirty_begin_, lock_begin_);
    dirty_end_ = std::max(dirty_end_, lock_end_);
  }
  return Result::Ok;
}

void GlBuffer::Prepare(int offset, int size) {
  GLuint name = name_.Get(*shared_);
  if (!name) {
    // A new buffer (or a new context) gets every byte once.
    glGenBuffers(1, &name);
    name_.Set(*shared_, name);
    glBindBuffer(target_, name);
    glBufferData(target_, GLsizeiptr(bytes_.size()), bytes_.data(), GL_STREAM_DRAW);
    dirty_begin_ = dirty_end_ = 0;
    return;
  }
  glBindBuffer(target_, name);
  const int begin = std::max(offset, dirty_begin_), end = std::min(offset + size, dirty_end_);
  if (begin >= end) return;
  if (begin == 0) {
    // A batch written from the start: a fresh store spares waiting for draws still reading
    // the old one. Bytes past the upload are sent again when a draw needs them.
    glBufferData(target_, GLsizeiptr(bytes_.size()), nullptr, GL_STREAM_DRAW);
    glBufferSubData(target_, 0, end, bytes_.data());
    dirty_begin_ = end;
    dirty_end_ = Length();
    return;
  }
  glBufferSubData(target_, begin, end - begin, bytes_.data() + begin);
  // What is left is kept whole when the upload was in its middle.
  if (begin == dirty_begin_) dirty_begin_ = end;
  else if (end == dirty_end_) dirty_end_ = begin;
}

}  // namespace gfx::gl
