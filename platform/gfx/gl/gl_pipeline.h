// The fixed-function pipeline of the device on GL 3.3 core: one shader program that does the
// texture stage and the alpha test, a vertex array for the engine's vertex layout, a sampler,
// and the framebuffer every draw goes to. Render states become GL states at each draw.
#pragma once

#include <epoxy/gl.h>

#include "platform/gfx/gl/gl_resources.h"
#include "platform/gfx/matrix.h"
#include "platform/gfx/soft/span.h"

namespace gfx::gl {

class GlPipeline {
 public:
  explicit GlPipeline(std::shared_ptr<GlShared> shared) : shared_(std::move(shared)) {}
  ~GlPipeline();

  // Makes the GL objects in the current context when they are not there yet. False when the
  // shader cannot be built.
  bool Ensure();
  // Points the framebuffer at the colour level and the depth buffer (null: none).
  void BindTarget(GlColorSurface& color, GlDepthSurface* depth);
  // The viewport, with draws and clears kept inside it.
  void SetViewport(const Viewport& viewport);
  // Every state a draw needs: transform, texture stage, alpha test, sampler, blending, depth.
  void ApplyDrawState(const soft::PixelState& state, const Matrix& transform, GLuint texture,
                      bool depth_test, uint32_t cull, bool lines);
  // Returns colour and depth writes to what a full clear of the viewport needs.
  void PrepareClear();
  // Reads the bound vertex buffer from byte offset on in the engine's vertex layout.
  void SetVertexLayout(int offset);
  // Copies the colour texture (width x height, first row on top) to the window's framebuffer
  // of window_width x window_height, stretched when the sizes differ.
  void Show(GLuint texture, int width, int height, int window_width, int window_height);

 private:
  bool BuildProgram();
  void MakeVertexArray();
  void ApplySampler(const soft::PixelState& state);
  void ApplyBlend(const soft::PixelState& state);
  void ApplyDepth(const soft::PixelState& state, bool depth_test);
  void ApplyCull(uint32_t cull);

  std::shared_ptr<GlShared> shared_;
  uint64_t generation_ = 0;  // of the objects below; 0 before they are made
  GLuint program_ = 0, vertex_array_ = 0, sampler_ = 0, framebuffer_ = 0;
  GLint u_matrix_ = -1, u_offset_ = -1, u_textured_ = -1, u_color_stage_ = -1,
        u_alpha_stage_ = -1, u_alpha_test_ = -1;
  float viewport_width_ = 1, viewport_height_ = 1;
};

}  // namespace gfx::gl
