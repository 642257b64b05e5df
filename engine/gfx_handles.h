// A table of objects reached through 32-bit handles. A handle holds a slot index and the slot's
// generation, which advances every time the slot is emptied, so a handle to a freed object is
// refused instead of reaching whatever took the slot next. 0 is never a handle.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

template <typename T>
class HandleTable {
 public:
  static constexpr int kSlotBits = 20;
  static constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
  static constexpr uint32_t kMaxGeneration = (1u << (32 - kSlotBits)) - 1;

  // Stores the value and returns its handle; 0 when every slot is taken.
  uint32_t Add(T value) {
    uint32_t slot;
    if (!free_.empty()) {
      slot = free_.front();  // oldest free slot first, so generations wrap as late as possible
      free_.pop_front();
    } else if (slots_.size() <= kSlotMask) {
      slot = uint32_t(slots_.size());
      slots_.emplace_back();
    } else {
      return 0;
    }
    slots_[slot].value.emplace(std::move(value));
    return slots_[slot].generation << kSlotBits | slot;
  }

  // The live value of a handle; null for 0, freed, stale or made-up handles.
  T* Find(uint32_t handle) {
    const uint32_t slot = handle & kSlotMask;
    if (slot >= slots_.size()) return nullptr;
    Slot& s = slots_[slot];
    if (s.generation != handle >> kSlotBits || !s.value) return nullptr;
    return &*s.value;
  }

  // Destroys the value of a live handle; anything else is ignored.
  void Remove(uint32_t handle) {
    if (!Find(handle)) return;
    const uint32_t slot = handle & kSlotMask;
    Slot& s = slots_[slot];
    s.value.reset();
    s.generation = s.generation % kMaxGeneration + 1;
    free_.push_back(slot);
  }

  void Clear() {
    ForEach([this](uint32_t handle, T&) { Remove(handle); });
  }

  // Calls f(handle, value) for every live value. f may remove the value it is given.
  template <typename F>
  void ForEach(F&& f) {
    for (uint32_t slot = 0; slot < slots_.size(); ++slot)
      if (slots_[slot].value) f(slots_[slot].generation << kSlotBits | slot, *slots_[slot].value);
  }

 private:
  struct Slot {
    uint32_t generation = 1;
    std::optional<T> value;
  };
  std::vector<Slot> slots_;
  std::deque<uint32_t> free_;
};
