// The engine on the fake OS layer with a device that counts draws without rasterizing, inside
// a scene for the whole run: what a benchmark measures is the cost of the classes and the
// batcher.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>

#include "engine/tvk_impl.h"
#include "tests/support/fake_platform.h"

class CountingScene {
 public:
  CountingScene() : engine_(static_cast<TVK_Impl*>(TVK_Create(TVK_VERSION))) {
    engine_->UsePlatform(std::make_unique<FakePlatform>());
    engine_->gfx.soft_options.rasterize = false;
    engine_->System_SetBool(State_UseSound, false);
    engine_->System_SetBool(State_Windowed, true);
    ok_ = engine_->System_Initiate() && engine_->Gfx_BeginScene(0);
  }
  ~CountingScene() {
    if (ok_) engine_->Gfx_EndScene();
    engine_->Release();  // the last reference: finishes the system
  }
  CountingScene(const CountingScene&) = delete;
  CountingScene& operator=(const CountingScene&) = delete;

  bool Ready(benchmark::State& state) const {
    if (!ok_) state.SkipWithError(engine_->System_GetLastError());
    return ok_;
  }
  TVK* engine() const { return engine_; }

 private:
  TVK_Impl* engine_;
  bool ok_ = false;
};
