// Feeds arbitrary bytes to the image decoders. Every input must end in a clean true or false,
// a decoded image must hold exactly the bytes its size, format and level count call for, and
// its size must be the one the header check gave.
#include <cstddef>
#include <cstdint>

#include "platform/image/image.h"

namespace {

void CheckConsistent(const image::Image& img) {
  size_t expected = 0;
  for (int level = 0; level < img.levels; ++level) {
    const int w = img.width >> level, h = img.height >> level;
    expected += image::LevelSize(img.format, w ? w : 1, h ? h : 1);
  }
  if (img.width <= 0 || img.height <= 0 || img.width > image::kMaxDimension ||
      img.height > image::kMaxDimension || img.levels < 1 || expected == 0 ||
      img.data.size() != expected)
    __builtin_trap();
}

// A decoded image has the size the header check reported before decoding.
void CheckSizeReported(const image::Image& img, const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  if (!image::ImageSize(data, size, &width, &height) || width != img.width ||
      height != img.height)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::Image img;
  if (image::DecodeImage(data, size, &img)) {
    CheckConsistent(img);
    CheckSizeReported(img, data, size);
  }
  image::Image dds;
  if (image::DecodeDds(data, size, &dds)) {
    CheckConsistent(dds);
    CheckSizeReported(dds, data, size);
  }
  return 0;
}
