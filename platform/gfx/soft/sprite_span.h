// The sprite path of the pixel pipeline: specialised span loops for the state the engine
// draws nearly everything with, working on pairs of pixels in 16-bit lanes.
#pragma once

#include "platform/gfx/soft/span.h"

namespace gfx::soft {

// The specialised loop for ctx, or null when its state needs the general path: no texture or
// a 32-bit one with wrap addressing on a 32-bit target without depth, texture modulated by or
// added to the diffuse colour with modulated alpha, an alpha test of the "at least" kind,
// and source-alpha blending over or onto the target, or none.
SpanFunction SpriteSpanFor(const SpanContext& ctx);

}  // namespace gfx::soft
