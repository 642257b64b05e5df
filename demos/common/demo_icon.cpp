// The icon's PNG bytes come from the generated include next to the data folder.
#include "demos/common/demo_icon.h"

#include <cstdint>

#include "engine/tvk.h"

namespace {

const uint8_t kIconPng[] = {
#include "demo_icon.inc"
};

// An integer resource id travels in the pointer, as State_Icon expects it.
const char* const kIconId = reinterpret_cast<const char*>(1);

}  // namespace

const char* RegisterDemoIcon() {
  TVK_RegisterIcon(kIconId, kIconPng, sizeof kIconPng);
  return kIconId;
}
