// A table of objects reached through 32-bit handles. A handle packs a kind tag (bits 28-31),
// the slot's generation (bits 16-27) and the slot number plus one (bits 0-15), so 0 is never
// a handle, and a freed or made-up handle is refused instead of reaching another object.
// Freed slots are reused oldest first, which keeps a stale handle from matching a new object
// until its slot has come round 4096 times.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace audio {

template <class T>
class HandleTable {
 public:
  static constexpr uint32_t kMaxSlots = 0xFFFF;

  // Stores the object under a new handle with the given kind tag (1-15); 0 when full.
  uint32_t Add(std::unique_ptr<T> object, uint32_t kind) {
    uint32_t index;
    if (!free_.empty()) {
      index = free_.front();
      free_.pop_front();
    } else if (slots_.size() < kMaxSlots) {
      index = uint32_t(slots_.size());
      slots_.emplace_back();
    } else {
      return 0;
    }
    Slot& slot = slots_[index];
    slot.generation = (slot.generation + 1) & 0xFFF;
    slot.handle = kind << 28 | slot.generation << 16 | (index + 1);
    slot.object = std::move(object);
    return slot.handle;
  }

  // The live object of this handle, or null.
  T* Find(uint32_t handle) const {
    const uint32_t index = (handle & 0xFFFF) - 1;
    if (index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[index];
    return slot.object && slot.handle == handle ? slot.object.get() : nullptr;
  }

  // Frees the object of this handle; false for a handle that is not live.
  bool Remove(uint32_t handle) {
    if (!Find(handle)) return false;
    const uint32_t index = (handle & 0xFFFF) - 1;
    slots_[index].object.reset();
    free_.push_back(index);
    return true;
  }

  // Calls f(handle, object) for every live object. f must not add or remove.
  template <class F>
  void ForEach(F&& f) const {
    for (const Slot& slot : slots_)
      if (slot.object) f(slot.handle, *slot.object);
  }

 private:
  struct Slot {
    uint32_t handle = 0;
    uint32_t generation = 0;
    std::unique_ptr<T> object;
  };
  std::vector<Slot> slots_;
  std::deque<uint32_t> free_;
};

// The kind tag a handle carries.
inline uint32_t HandleKind(uint32_t handle) { return handle >> 28; }

}  // namespace audio
