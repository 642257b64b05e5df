// A sprite scene drawn through any device the way the engine draws: textured, alpha-blended,
// alpha-tested quads in batches of 1000 through the fixed index pattern, each batch copied
// into the vertex buffer and drawn with one call. The backend choice times it on each device,
// and the benchmarks measure it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"

namespace gfx {

class SpriteScene {
 public:
  // sprites quads of sprite_size pixels (a texture of that size mapped 1:1) at scattered
  // whole-pixel positions in a target of width x height.
  SpriteScene(Device& device, int width, int height, int sprite_size, int sprites);
  // False when a resource the scene needs could not be made.
  bool Ready() const { return ready_; }
  // Clears the back buffer and draws every sprite once.
  void DrawFrame();
  // Waits until the device has finished drawing, by reading the back buffer.
  void Finish();

 private:
  bool MakeBuffers();
  bool MakeTexture(int size);
  void MakeSprites(int width, int height, int size, int count);
  void SetStates(int width, int height);

  Device& device_;
  std::shared_ptr<VertexBuffer> vertices_;
  std::shared_ptr<IndexBuffer> indices_;
  std::shared_ptr<Texture> texture_;
  std::vector<uint8_t> sprites_;  // four vertices per sprite in the device's layout
  int sprite_count_ = 0;
  bool ready_ = false;
};

}  // namespace gfx
