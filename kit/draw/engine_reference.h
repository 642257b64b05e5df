/// @file
/// Engine access shared by every object of one drawing class: each live object holds one
/// reference on the engine, and all of them reach it through one class-wide pointer.
#pragma once

#include "engine/tvk.h"

/// One engine reference held by a drawing object; Owner names the class whose objects share
/// the pointer. Exported, so a game and a shared engine library see the same pointer.
template <class Owner>
class TVK_API EngineReference {
 public:
  /// Takes a reference on the engine (creating it if needed).
  EngineReference() { engine_ = TVK_Create(TVK_VERSION); }
  /// A copy is one more live object, so it takes its own reference.
  EngineReference(const EngineReference&) : EngineReference() {}
  /// Assignment leaves the number of live objects, and so of references, unchanged.
  EngineReference& operator=(const EngineReference&) { return *this; }
  /// Gives the reference back.
  ~EngineReference() {
    if (engine_) engine_->Release();
  }

  /// The engine every live object of the Owner class uses; null before the first one.
  static TVK* Engine() { return engine_; }

 private:
  inline static TVK* engine_ = nullptr;
};
