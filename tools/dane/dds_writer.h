// DDS files with one DXT-compressed level, as the engine's texture loader reads them.
#pragma once

#include <string>

#include "canvas.h"

namespace dane {

/// The block compressions written.
enum class DxtFormat { Dxt1, Dxt5 };

/// Compresses the picture (sides multiples of 4) and writes it as a DDS file; false when it
/// cannot be written.
bool WriteDds(const std::string& path, const Canvas& picture, DxtFormat format);

}  // namespace dane
