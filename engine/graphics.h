// Graphics area of the engine: the device and its video modes, primitive batching, textures,
// scenes and render targets. TVK_Impl's Gfx_, Texture_ and Target_ operations forward here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "engine/gfx_handles.h"
#include "engine/tvk.h"
#include "platform/gfx/device.h"

class TVK_Impl;
namespace image {
struct Image;
}

class Graphics {
 public:
  explicit Graphics(TVK_Impl& engine) : e_(engine) {}

  // Lifecycle, called by the system area.
  bool CreateDevice();       // at System_Initiate, after the window exists
  void ReleaseDevice();      // at System_Finish
  bool HasInterface() const { return adapter_ != nullptr; }
  bool HasDevice() const { return device_ != nullptr; }
  bool InScene() const { return vertices_ != nullptr; }

  // State effects, called by the state setters once the value is known to need them.
  void SwitchWindowed(bool windowed);   // with a device and a different value
  void ApplyTextureFilter();            // after State_TextureFilter was stored
  void ApplyFpsSignChange(int new_fps); // device exists and the sign of State_Fps changes
  void ResizeBackBuffer(int width, int height);  // child window resized
  void SaveShot(const char* path);      // absolute path of the BMP to write

  // Options of the software device; set them before System_Initiate.
  gfx::SoftOptions soft_options;
  // The device (null without one), for tests and benchmarks to read its counters.
  gfx::Device* Device() { return device_.get(); }

  // The engine operations of this area.
  bool BeginScene(TargetHandle target);
  void EndScene();
  void Clear(uint32_t color);
  void DrawLine(float x1, float y1, float x2, float y2, uint32_t color, float z);
  void DrawTriangle(const Triangle* triangle);
  void DrawQuad(const Quad* quad);
  Vertex* OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim);
  void CloseBatch(int prim_count);
  void SetClipRect(int x, int y, int width, int height);
  void SetViewTransform(float x, float y, float dx, float dy, float rotation, float hscale,
                        float vscale);
  TargetHandle CreateTarget(int width, int height, bool zbuffer);
  void FreeTarget(TargetHandle target);
  TextureHandle TargetTexture(TargetHandle target);
  TextureHandle CreateTexture(int width, int height);
  TextureHandle LoadTexture(const char* filename, uint32_t size, bool mipmap);
  void FreeTexture(TextureHandle tex);
  int TextureWidth(TextureHandle tex, bool image_size);
  int TextureHeight(TextureHandle tex, bool image_size);
  uint32_t* LockTexture(TextureHandle tex, bool read_only, int left, int top, int width,
                        int height);
  void UnlockTexture(TextureHandle tex);

 private:
  // The dynamic vertex buffer holds one batch: 1000 quads, 1333 triangles or 2000 lines.
  static constexpr int kBatchVertices = 4000;
  static constexpr int kBatchQuads = kBatchVertices / Prim_Quads;

  enum class TextureKind { Created, Loaded, Target };
  struct TextureEntry {
    std::shared_ptr<gfx::Texture> object;  // null while a target's texture is being re-made
    TextureKind kind = TextureKind::Created;
    int image_width = 0, image_height = 0;  // size stored in the file (loaded textures)
  };
  struct RenderTarget {
    int width = 0, height = 0;  // size of the texture as the device made it
    TextureHandle texture = 0;  // its entry in the texture table
    bool wants_depth = false;
    std::shared_ptr<gfx::Surface> depth;
  };

  // Device (gfx_device.cpp).
  std::unique_ptr<gfx::Graphics> CreateAdapter();
  void LogAdapter();
  gfx::Format FindFullScreenFormat(gfx::Format desktop);
  gfx::PresentParams MakeParams(bool windowed, gfx::Format format);
  void SelectParams();
  bool CreateDeviceResources();
  bool CreateVertexBuffer();
  bool CreateIndexBuffer();
  void SetFixedStates();
  void SetFilters();
  void RecreateTargets();
  void ReleaseDefaultPool();
  void ReleaseBuffers();
  bool ResetDevice();
  void ApplyWindowStyle();
  void SetProjection(int width, int height);

  // Batching (gfx_batch.cpp).
  void Submit(int prim_type, const Vertex* vertices, TextureHandle tex, int blend);
  bool ChangeBatch(int prim_type, TextureHandle tex, int blend);
  void FlushBatch(bool end);
  void DrawBatch();
  void LockVertexBuffer();
  void ApplyBlendMode(int blend);
  void ResetBatchState();
  void UnbindTexture();

  // Textures (gfx_texture.cpp).
  bool FitTextureSize(int* width, int* height) const;
  TextureHandle TextureFromMemory(const void* data, uint32_t size, bool mipmap);
  std::shared_ptr<gfx::Texture> TextureFromImage(const image::Image& image,
                                                 gfx::Format format, bool mipmap);
  std::optional<gfx::SurfaceDesc> TopLevelDesc(TextureHandle tex);

  // Scenes and targets (gfx_scene.cpp).
  bool RecoverDevice();
  bool SelectTarget(TargetHandle target);
  bool CurrentTargetHasDepth();
  void CurrentTargetSize(int* width, int* height);

  TVK_Impl& e_;
  std::unique_ptr<gfx::Graphics> adapter_;
  std::unique_ptr<gfx::Device> device_;
  std::shared_ptr<gfx::VertexBuffer> vertex_buffer_;
  std::shared_ptr<gfx::IndexBuffer> index_buffer_;
  std::shared_ptr<gfx::Surface> screen_surface_, screen_depth_;

  gfx::PresentParams windowed_params_, fullscreen_params_;
  gfx::PresentParams* params_ = &windowed_params_;  // the set in use

  HandleTable<TextureEntry> textures_{HandleKind::Texture};
  HandleTable<RenderTarget> targets_{HandleKind::Target};
  // 0 = the screen; empty when the device's target is not known to match one (freed, reset).
  std::optional<TargetHandle> current_target_ = 0;
  gfx::Matrix view_ = gfx::Identity(), projection_ = gfx::Identity();

  // Batch state.
  Vertex* vertices_ = nullptr;  // the locked vertex buffer while a scene is in progress
  int batch_count_ = 0;
  int prim_type_ = Prim_Quads;
  int blend_ = Blend_Default;
  TextureHandle current_texture_ = 0;
};
