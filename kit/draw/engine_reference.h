// Engine access shared by every object of one drawing class: each live object holds one
// reference on the engine, and all of them reach it through one class-wide pointer.
#pragma once

#include "engine/tvk.h"

template <class Owner>
class EngineReference {
 public:
  EngineReference() { engine_ = TVK_Create(TVK_VERSION); }
  // A copy is one more live object, so it takes its own reference.
  EngineReference(const EngineReference&) : EngineReference() {}
  // Assignment leaves the number of live objects, and so of references, unchanged.
  EngineReference& operator=(const EngineReference&) { return *this; }
  ~EngineReference() {
    if (engine_) engine_->Release();
  }

  static TVK* Engine() { return engine_; }

 private:
  inline static TVK* engine_ = nullptr;
};
