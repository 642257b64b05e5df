#include "kit/draw/emitter_desc.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

// Reads little-endian fields from a block already known to hold kEmitterDescSize bytes.
class FieldReader {
 public:
  explicit FieldReader(const uint8_t* bytes) : p_(bytes) {}
  void Skip(size_t n) { p_ += n; }
  void Bool(bool& v) { v = *p_++ != 0; }
  void Int(int32_t& v) { v = int32_t(Word()); }
  // Infinities and NaNs read as 0: a NaN lifetime would make immortal particles.
  void Float(float& v) {
    const float read = std::bit_cast<float>(Word());
    v = std::isfinite(read) ? read : 0.0f;
  }

 private:
  uint32_t Word() {
    const uint32_t w = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 |
                       uint32_t(p_[3]) << 24;
    p_ += 4;
    return w;
  }
  const uint8_t* p_;
};

class FieldWriter {
 public:
  explicit FieldWriter(uint8_t* bytes) : p_(bytes) {}
  void Skip(size_t n) {
    std::memset(p_, 0, n);
    p_ += n;
  }
  void Bool(bool v) { *p_++ = v ? 1 : 0; }
  void Int(int32_t v) { Word(uint32_t(v)); }
  void Float(float v) { Word(std::bit_cast<uint32_t>(v)); }

 private:
  void Word(uint32_t w) {
    for (int i = 0; i < 4; ++i) *p_++ = uint8_t(w >> (8 * i));
  }
  uint8_t* p_;
};

// The record's fields in file order, shared by reading and writing.
template <class Io, class Desc>
void VisitFields(Io& io, Desc& d) {
  io.Skip(4);  // sprite pointer
  io.Int(d.emission);
  io.Float(d.lifetime);
  io.Float(d.particle_life_min);
  io.Float(d.particle_life_max);
  io.Float(d.direction);
  io.Float(d.spread);
  io.Bool(d.relative);
  io.Skip(3);
  io.Float(d.speed_min);
  io.Float(d.speed_max);
  io.Float(d.gravity_min);
  io.Float(d.gravity_max);
  io.Float(d.radial_accel_min);
  io.Float(d.radial_accel_max);
  io.Float(d.tangential_accel_min);
  io.Float(d.tangential_accel_max);
  io.Float(d.size_start);
  io.Float(d.size_end);
  io.Float(d.size_variation);
  io.Float(d.spin_start);
  io.Float(d.spin_end);
  io.Float(d.spin_variation);
  for (auto* color : {&d.color_start, &d.color_end}) {
    io.Float(color->r);
    io.Float(color->g);
    io.Float(color->b);
    io.Float(color->a);
  }
  io.Float(d.color_variation);
  io.Float(d.alpha_variation);
}

}  // namespace

bool ReadEmitterDesc(const void* data, size_t size, EmitterDesc* out) {
  if (data == nullptr || size < kEmitterDescSize) return false;
  EmitterDesc desc{};
  FieldReader reader(static_cast<const uint8_t*>(data));
  VisitFields(reader, desc);
  *out = desc;
  return true;
}

void WriteEmitterDesc(const EmitterDesc& desc, uint8_t (&out)[kEmitterDescSize]) {
  FieldWriter writer(out);
  VisitFields(writer, desc);
}
