// Fuzzes the .fnt reader: any bytes either parse into a name and whole records or are
// refused, and a parsed file writes back to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kit/text/fnt_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FntFile font;
  if (!Fnt_Parse(data, size, &font)) return 0;
  if (font.texture_name.size() + 2 + font.records.size() * kFntRecordSize > size) std::abort();
  long sum = 0;
  for (const FntRecord& r : font.records) sum += r.code + r.x + r.y + r.w + r.h + r.pre + r.post;
  return sum == 0x7FFFFFFF;  // keeps the reads from being optimised away
}
