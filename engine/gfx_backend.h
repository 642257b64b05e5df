// Which device backend the engine draws with: GL on a hardware renderer; the software device
// when there is no GL, or when the only GL renders on the CPU and draws the sprite benchmark
// scene slower than the software device. TVK_RENDERER=gl or soft forces one.
#pragma once

#include <memory>

#include "platform/gfx/device.h"

class TVK_Impl;

// The adapter to make the device on; the log names the backend and why it was chosen.
std::unique_ptr<gfx::Graphics> ChooseGraphicsBackend(TVK_Impl& engine,
                                                     const gfx::SoftOptions& soft_options);
