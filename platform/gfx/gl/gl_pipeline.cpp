#include "platform/gfx/gl/gl_pipeline.h"

#include <cstdint>

namespace gfx::gl {
namespace {

// Clip positions follow the device's conventions: z from 0 to w, pixel centres on whole
// screen coordinates (GL puts them half a pixel further on), and the first row of every colour
// buffer at the top of the picture, as images and textures store it.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_color;
layout(location = 2) in vec2 a_texcoord;
uniform mat4 u_matrix;
uniform vec2 u_offset;
out vec4 v_color;
out vec2 v_texcoord;
void main() {
  vec4 p = u_matrix * vec4(a_position, 1.0);
  gl_Position = vec4(p.x + p.w * u_offset.x, -p.y + p.w * u_offset.y, 2.0 * p.z - p.w, p.w);
  v_color = a_color;
  v_texcoord = a_texcoord;
}
)";

// The texture stage with the device's operation and argument numbers, then the alpha test
// on the 8-bit alpha.
const char* const kFragmentShader = R"(#version 330 core
in vec4 v_color;
in vec2 v_texcoord;
uniform sampler2D u_texture;
uniform bool u_textured;
uniform ivec3 u_color_stage;  // operation, argument 1, argument 2
uniform ivec3 u_alpha_stage;
uniform ivec2 u_alpha_test;   // comparison, reference 0..255
out vec4 frag_color;

vec4 Arg(int arg, vec4 texel) { return arg == 2 ? texel : v_color; }

vec4 Op(int op, vec4 x, vec4 y) {
  if (op == 2) return x;
  if (op == 3) return y;
  if (op == 4) return x * y;
  if (op == 5) return min(2.0 * x * y, 1.0);
  if (op == 6) return min(4.0 * x * y, 1.0);
  if (op == 7) return min(x + y, 1.0);
  if (op == 8) return clamp(x + y - 128.0 / 255.0, 0.0, 1.0);
  if (op == 10) return max(x - y, 0.0);
  return y;
}

bool Compare(int func, int value, int reference) {
  if (func == 1) return false;
  if (func == 2) return value < reference;
  if (func == 3) return value == reference;
  if (func == 4) return value <= reference;
  if (func == 5) return value > reference;
  if (func == 6) return value != reference;
  if (func == 7) return value >= reference;
  return true;
}

void main() {
  vec4 texel = u_textured ? texture(u_texture, v_texcoord) : vec4(1.0);
  vec4 color = v_color;
  if (u_color_stage.x != 1) {
    color.rgb = Op(u_color_stage.x, Arg(u_color_stage.y, texel), Arg(u_color_stage.z, texel)).rgb;
    if (u_alpha_stage.x != 1)
      color.a = Op(u_alpha_stage.x, Arg(u_alpha_stage.y, texel), Arg(u_alpha_stage.z, texel)).a;
  }
  if (!Compare(u_alpha_test.x, int(color.a * 255.0 + 0.5), u_alpha_test.y)) discard;
  frag_color = color;
}
)";

GLuint CompileShader(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  glDeleteShader(shader);
  return 0;
}

GLenum BlendFactor(uint32_t blend) {
  switch (blend) {
    case Blend_Zero: return GL_ZERO;
    case Blend_SrcColor: return GL_SRC_COLOR;
    case Blend_InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case Blend_SrcAlpha: return GL_SRC_ALPHA;
    case Blend_InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case Blend_DestAlpha: return GL_DST_ALPHA;
    case Blend_InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case Blend_DestColor: return GL_DST_COLOR;
    case Blend_InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum CompareFunc(uint32_t cmp) {
  switch (cmp) {
    case Cmp_Never: return GL_NEVER;
    case Cmp_Less: return GL_LESS;
    case Cmp_Equal: return GL_EQUAL;
    case Cmp_LessEqual: return GL_LEQUAL;
    case Cmp_Greater: return GL_GREATER;
    case Cmp_NotEqual: return GL_NOTEQUAL;
    case Cmp_GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLint AddressMode(uint32_t address) {
  if (address == Address_Mirror) return GL_MIRRORED_REPEAT;
  if (address == Address_Clamp) return GL_CLAMP_TO_EDGE;
  return GL_REPEAT;
}

GLint MinFilter(uint32_t min, uint32_t mip) {
  const bool linear = min == Filter_Linear;
  if (mip == Filter_None) return linear ? GL_LINEAR : GL_NEAREST;
  return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
}

}  // namespace

GlPipeline::~GlPipeline() {
  if (generation_ != shared_->generation || !shared_->Use()) return;
  glDeleteProgram(program_);
  glDeleteVertexArrays(1, &vertex_array_);
  glDeleteSamplers(1, &sampler_);
  glDeleteFramebuffers(1, &framebuffer_);
}

bool GlPipeline::Ensure() {
  if (generation_ == shared_->generation) return true;
  if (!shared_->Use() || !BuildProgram()) return false;
  MakeVertexArray();
  glGenSamplers(1, &sampler_);
  glBindSampler(0, sampler_);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glActiveTexture(GL_TEXTURE0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glEnable(GL_SCISSOR_TEST);
  generation_ = shared_->generation;
  return true;
}

bool GlPipeline::BuildProgram() {
  const GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
  program_ = glCreateProgram();
  if (vs) glAttachShader(program_, vs);
  if (fs) glAttachShader(program_, fs);
  glLinkProgram(program_);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &ok);
  if (!vs || !fs || !ok) {
    glDeleteProgram(program_);
    program_ = 0;
    return false;
  }
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "u_texture"), 0);
  u_matrix_ = glGetUniformLocation(program_, "u_matrix");
  u_offset_ = glGetUniformLocation(program_, "u_offset");
  u_textured_ = glGetUniformLocation(program_, "u_textured");
  u_color_stage_ = glGetUniformLocation(program_, "u_color_stage");
  u_alpha_stage_ = glGetUniformLocation(program_, "u_alpha_stage");
  u_alpha_test_ = glGetUniformLocation(program_, "u_alpha_test");
  return true;
}

// The vertex layout: position, colour as bytes B, G, R, A, texture coordinates. Attribute
// pointers are set at each draw, since the bound buffer may change.
void GlPipeline::MakeVertexArray() {
  glGenVertexArrays(1, &vertex_array_);
  glBindVertexArray(vertex_array_);
  for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
}

void GlPipeline::BindTarget(GlColorSurface& color, GlDepthSurface* depth) {
  const GLuint color_name = color.Texture().Name(), depth_name = depth ? depth->Name() : 0;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_name,
                         color.Level());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_name);
}

void GlPipeline::SetVertexLayout(int offset) {
  const auto at = [offset](int field) {
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(offset + field));
  };
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kVertexStride, at(0));
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kVertexStride, at(12));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kVertexStride, at(16));
}

void GlPipeline::Show(GLuint texture, int width, int height, int window_width,
                      int window_height) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  // The picture's first row is on top; the window's first row is at the bottom.
  glBlitFramebuffer(0, 0, width, height, 0, window_height, window_width, 0, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void GlPipeline::SetViewport(const Viewport& v) {
  glViewport(v.x, v.y, v.width, v.height);
  glScissor(v.x, v.y, v.width, v.height);
  glDepthRange(v.min_z, v.max_z);
  viewport_width_ = float(v.width > 0 ? v.width : 1);
  viewport_height_ = float(v.height > 0 ? v.height : 1);
}

void GlPipeline::ApplyDrawState(const soft::PixelState& st, const Matrix& transform,
                                GLuint texture, bool depth_test, uint32_t cull, bool lines) {
  glUseProgram(program_);
  glBindVertexArray(vertex_array_);
  glUniformMatrix4fv(u_matrix_, 1, GL_FALSE, &transform.m[0][0]);
  // Lines on whole screen coordinates run along pixel edges; moved a sixteenth of a pixel right
  // and down, they light the pixels below and right of the edge, as the device's rule says.
  const float shift = lines ? 1.125f : 1.0f;
  glUniform2f(u_offset_, shift / viewport_width_, shift / viewport_height_);
  glUniform1i(u_textured_, texture != 0);
  glUniform3i(u_color_stage_, GLint(st.color_op), GLint(st.color_arg1), GLint(st.color_arg2));
  glUniform3i(u_alpha_stage_, GLint(st.alpha_op), GLint(st.alpha_arg1), GLint(st.alpha_arg2));
  glUniform2i(u_alpha_test_, st.alpha_test ? GLint(st.alpha_func) : GLint(Cmp_Always),
              GLint(st.alpha_ref));
  glBindTexture(GL_TEXTURE_2D, texture);
  ApplySampler(st);
  ApplyBlend(st);
  ApplyDepth(st, depth_test);
  ApplyCull(cull);
}

void GlPipeline::ApplySampler(const soft::PixelState& st) {
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, AddressMode(st.address_u));
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, AddressMode(st.address_v));
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER,
                      st.mag_filter == Filter_Linear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, MinFilter(st.min_filter, st.mip_filter));
}

void GlPipeline::ApplyBlend(const soft::PixelState& st) {
  if (!st.blend) {
    glDisable(GL_BLEND);
    return;
  }
  glEnable(GL_BLEND);
  glBlendFunc(BlendFactor(st.src_blend), BlendFactor(st.dst_blend));
}

void GlPipeline::ApplyDepth(const soft::PixelState& st, bool depth_test) {
  if (!depth_test) {
    glDisable(GL_DEPTH_TEST);
    return;
  }
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(CompareFunc(st.z_func));
  glDepthMask(st.z_write ? GL_TRUE : GL_FALSE);
}

// Screen space here has y growing downwards, so the device's clockwise is GL's
// counter-clockwise.
void GlPipeline::ApplyCull(uint32_t cull) {
  if (cull == Cull_None) {
    glDisable(GL_CULL_FACE);
    return;
  }
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glCullFace(cull == Cull_CCW ? GL_BACK : GL_FRONT);
}

void GlPipeline::PrepareClear() {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
}

}  // namespace gfx::gl
