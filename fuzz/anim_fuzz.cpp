// Feeds arbitrary bytes to the .anim reader: it either refuses them or gives counts within
// the model's capacities and exactly the key positions those counts call for.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kit/anim/anim_file.h"

namespace {

bool PartInCapacity(const AnimFilePart& part, int frames) {
  const size_t keys = size_t(frames) * size_t(part.column_cells + 1) * size_t(part.row_cells + 1) * 2;
  return part.row_cells >= 1 && part.row_cells <= kAnimMaxCells && part.column_cells >= 1 &&
         part.column_cells <= kAnimMaxCells && part.keys.size() == keys &&
         part.texture.size() < kAnimNameSize + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AnimFile file;
  if (AnimFile_Parse(data, size, &file) != nullptr) return 0;
  if (file.frame_count < 1 || file.frame_count > kAnimMaxFrames ||
      file.parts.size() > size_t(kAnimMaxParts))
    std::abort();
  for (const AnimFilePart& part : file.parts) {
    if (!PartInCapacity(part, file.frame_count)) std::abort();
    for (float key : part.keys)
      if (!std::isfinite(key)) std::abort();
  }
  return 0;
}
