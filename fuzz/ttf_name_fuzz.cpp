// Fuzzes the TrueType family-name reader: lying offsets, counts and lengths must end in a
// name or an empty result, never a read outside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kit/text/truetype_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = TrueType_ParseFamilyName(data, size);
  if (name.size() > 0xFFFF || name.find('\0') != std::string::npos) std::abort();
  return 0;
}
