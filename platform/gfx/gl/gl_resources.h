// Resources of the GL device. Every texture keeps a system-memory copy of its levels: locks
// work on the copy, unlocks mark levels for upload, and after the context is made anew the GL
// objects are made again from the copies. Render-target levels are read back before a lock.
// Vertex and index buffers keep their bytes in memory too and upload what changed at a draw.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/soft_resources.h"
#include "platform/os/gl_context.h"

namespace gfx::gl {

// The context every object of one device lives in. A GL name is valid only while the
// generation it was made in is current; a new context starts a new generation.
struct GlShared {
  // Makes the context current; false (and no GL call may follow) while there is none or its
  // window is gone. Objects not deleted then go with the context.
  bool Use() const { return alive && context->MakeCurrent(); }

  std::unique_ptr<os::GlContext> context;
  bool alive = true;  // false after the context could not be made anew
  uint64_t generation = 1;
  bool s3tc = false;  // compressed textures are uploaded as blocks
};

// A GL object name together with the context generation it belongs to.
class GlName {
 public:
  GLuint Get(const GlShared& shared) const { return generation_ == shared.generation ? name_ : 0; }
  void Set(const GlShared& shared, GLuint name) {
    name_ = name;
    generation_ = shared.generation;
  }

 private:
  GLuint name_ = 0;
  uint64_t generation_ = 0;
};

class GlTexture final : public Texture, public std::enable_shared_from_this<GlTexture> {
 public:
  GlTexture(std::shared_ptr<GlShared> shared, int width, int height, int levels, uint32_t usage,
            Format format, Pool pool);
  ~GlTexture() override;

  int GetLevelCount() const override { return memory_.GetLevelCount(); }
  Result GetLevelDesc(int level, SurfaceDesc* out) const override;
  Result LockRect(int level, LockedRect* out, const Rect* rect, uint32_t flags) override;
  Result UnlockRect(int level) override;
  Result GetSurfaceLevel(int level, std::shared_ptr<Surface>* out) override;

  // The GL texture with every changed level uploaded, made first if needed.
  GLuint Name();
  bool IsRenderTarget() const { return usage_ & Usage_RenderTarget; }
  Format GetFormat() const { return memory_.GetFormat(); }
  // Level 0 as 0xAARRGGBB pixels, read from GL for a render target.
  std::vector<uint32_t> ReadPixels(int* width, int* height);

 private:
  bool ValidLevel(int level) const { return level >= 0 && level < GetLevelCount(); }
  void Create();
  void Upload(int level);
  void ReadBack(int level);

  std::shared_ptr<GlShared> shared_;
  soft::SoftTexture memory_;
  uint32_t usage_;
  GlName name_;
  std::vector<bool> dirty_;        // levels changed in memory since their upload
  std::vector<uint32_t> lock_flags_;  // flags of each level's open lock
};

// A colour surface: one level of a texture (the back buffer is a render-target texture too).
class GlColorSurface final : public Surface {
 public:
  GlColorSurface(std::shared_ptr<GlTexture> texture, int level)
      : texture_(std::move(texture)), level_(level) {}
  SurfaceDesc GetDesc() const override;
  Result LockRect(LockedRect* out, const Rect* rect, uint32_t flags) override {
    return texture_->LockRect(level_, out, rect, flags);
  }
  Result UnlockRect() override { return texture_->UnlockRect(level_); }

  GlTexture& Texture() { return *texture_; }
  int Level() const { return level_; }
  bool IsRenderTarget() const { return texture_->IsRenderTarget(); }

 private:
  std::shared_ptr<GlTexture> texture_;
  int level_;
};

// A 16-bit depth buffer in a renderbuffer; it cannot be locked.
class GlDepthSurface final : public Surface {
 public:
  GlDepthSurface(std::shared_ptr<GlShared> shared, int width, int height)
      : shared_(std::move(shared)), width_(width), height_(height) {}
  ~GlDepthSurface() override;
  SurfaceDesc GetDesc() const override {
    return {Format_D16, Usage_DepthStencil, Pool_Default, width_, height_};
  }
  Result LockRect(LockedRect*, const Rect*, uint32_t) override { return Result::InvalidCall; }
  Result UnlockRect() override { return Result::InvalidCall; }

  GLuint Name();
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  std::shared_ptr<GlShared> shared_;
  int width_, height_;
  GlName name_;
};

// Bytes in memory mirrored in a GL buffer object; what a lock may have changed is uploaded
// when a draw needs it.
class GlBuffer {
 public:
  GlBuffer(std::shared_ptr<GlShared> shared, GLenum target, int length);
  ~GlBuffer();
  int Length() const { return int(bytes_.size()); }
  Result Lock(int offset, int size, void** out, uint32_t flags);
  Result Unlock();
  bool Locked() const { return locked_; }
  const uint8_t* Data() const { return bytes_.data(); }
  // Binds the buffer to its target and uploads the changed bytes in offset .. offset + size.
  void Prepare(int offset, int size);

 private:
  std::shared_ptr<GlShared> shared_;
  GLenum target_;
  std::vector<uint8_t> bytes_;
  GlName name_;
  bool locked_ = false;
  int lock_begin_ = 0, lock_end_ = 0;
  int dirty_begin_ = 0, dirty_end_ = 0;  // changed and not yet uploaded
};

class GlVertexBuffer final : public VertexBuffer {
 public:
  GlVertexBuffer(std::shared_ptr<GlShared> shared, int length)
      : buffer_(std::move(shared), GL_ARRAY_BUFFER, length) {}
  int GetLength() const override { return buffer_.Length(); }
  Result Lock(int offset, int size, void** out, uint32_t flags) override {
    return buffer_.Lock(offset, size, out, flags);
  }
  Result Unlock() override { return buffer_.Unlock(); }
  GlBuffer& Buffer() { return buffer_; }
  bool Locked() const { return buffer_.Locked(); }

 private:
  GlBuffer buffer_;
};

class GlIndexBuffer final : public IndexBuffer {
 public:
  GlIndexBuffer(std::shared_ptr<GlShared> shared, int length, Format format)
      : buffer_(std::move(shared), GL_ELEMENT_ARRAY_BUFFER, length), format_(format) {}
  int GetLength() const override { return buffer_.Length(); }
  Format GetFormat() const override { return format_; }
  Result Lock(int offset, int size, void** out, uint32_t flags) override {
    return buffer_.Lock(offset, size, out, flags);
  }
  Result Unlock() override { return buffer_.Unlock(); }
  GlBuffer& Buffer() { return buffer_; }
  bool Locked() const { return buffer_.Locked(); }
  int IndexSize() const { return format_ == Format_Index32 ? 4 : 2; }
  // Index number i; the caller keeps i inside the buffer.
  uint32_t Index(int i) const { return soft::ReadIndex(buffer_.Data(), IndexSize(), i); }

 private:
  GlBuffer buffer_;
  Format format_;
};

}  // namespace gfx::gl
