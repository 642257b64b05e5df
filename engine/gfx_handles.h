// A table of objects reached through 32-bit handles. A handle holds the table's kind, a slot
// index and the slot's generation, which advances every time the slot is emptied: a handle to
// a freed object is refused instead of reaching whatever took the slot next, and a handle of
// one kind (a render target) is never found in a table of another (textures). 0 is never a
// handle.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// The kinds of handle the engine gives out; each kind has a table of its own.
enum class HandleKind : uint32_t { Texture = 1, Target = 2 };

template <typename T>
class HandleTable {
 public:
  // Handle bits: kind (top 4), generation (11), slot (low 17).
  static constexpr int kSlotBits = 17, kGenerationBits = 11;
  static constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
  static constexpr uint32_t kMaxGeneration = (1u << kGenerationBits) - 1;

  explicit HandleTable(HandleKind kind)
      : kind_bits_(uint32_t(kind) << (kSlotBits + kGenerationBits)) {}

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
    return HandleOf(slot);
  }

  // The live value of a handle; null for 0, freed, stale or made-up handles.
  T* Find(uint32_t handle) {
    const uint32_t slot = handle & kSlotMask;
    if (slot >= slots_.size() || handle != HandleOf(slot) || !slots_[slot].value) return nullptr;
    return &*slots_[slot].value;
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
      if (slots_[slot].value) f(HandleOf(slot), *slots_[slot].value);
  }

 private:
  struct Slot {
    uint32_t generation = 1;
    std::optional<T> value;
  };
  uint32_t HandleOf(uint32_t slot) const {
    return kind_bits_ | slots_[slot].generation << kSlotBits | slot;
  }

  uint32_t kind_bits_;
  std::vector<Slot> slots_;
  std::deque<uint32_t> free_;
};
