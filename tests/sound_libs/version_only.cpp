// A stand-in audio library that exports only its version function, reporting
// REPORTED_VERSION. With 0x0204 in the high word the engine must refuse it without looking up
// anything else; with 0x0203 it lacks the other 37 functions and must be refused as well.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) uint32_t BASS_GetVersion() {
  return REPORTED_VERSION;
}
