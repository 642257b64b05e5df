#include "platform/audio/module.h"

#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_ext.h>

#include <cmath>

namespace audio {

namespace {

constexpr int kMaxVolume = 100;

bool InRange(int index, const std::vector<int>& list) {
  return index >= 0 && size_t(index) < list.size();
}

}  // namespace

std::unique_ptr<Module> Module::Open(const void* data, size_t size, uint32_t rate) {
  if (!data || !size) return nullptr;
  std::unique_ptr<Module> m(new Module);
  m->ext_ = openmpt_module_ext_create_from_memory(data, size, openmpt_log_func_silent, nullptr,
                                                  openmpt_error_func_ignore, nullptr, nullptr,
                                                  nullptr, nullptr);
  if (!m->ext_) return nullptr;
  m->mod_ = openmpt_module_ext_get_module(m->ext_);
  m->interactive_ = std::make_unique<openmpt_module_ext_interface_interactive>();
  if (!openmpt_module_ext_get_interface(m->ext_, LIBOPENMPT_EXT_C_INTERFACE_INTERACTIVE,
                                        m->interactive_.get(), sizeof *m->interactive_))
    return nullptr;
  m->rate_ = rate;
  const double seconds = openmpt_module_get_duration_seconds(m->mod_);
  m->length_ = std::isfinite(seconds) && seconds > 0 ? uint64_t(seconds * rate) : 0;
  m->track_volumes_.assign(size_t(std::max(0, openmpt_module_get_num_channels(m->mod_))),
                           kMaxVolume);
  int instruments = openmpt_module_get_num_instruments(m->mod_);
  if (instruments <= 0) instruments = openmpt_module_get_num_samples(m->mod_);
  m->instrument_volumes_.assign(size_t(std::max(0, instruments)), kMaxVolume);
  m->LoopsItself(false);
  return m;
}

Module::~Module() {
  if (ext_) openmpt_module_ext_destroy(ext_);
}

size_t Module::Read(float* out, size_t frames) {
  const size_t n = openmpt_module_read_interleaved_float_stereo(mod_, int32_t(rate_), frames, out);
  if (amplify_ != 50) {
    const float gain = float(amplify_) / 50.0f;
    for (size_t i = 0; i < n * 2; ++i) out[i] *= gain;
  }
  return n;
}

bool Module::Seek(uint64_t frame) {
  openmpt_module_set_position_seconds(mod_, double(frame) / rate_);
  return true;
}

bool Module::LoopsItself(bool loop) {
  openmpt_module_set_repeat_count(mod_, loop ? -1 : 0);
  return true;
}

int Module::Orders() const { return openmpt_module_get_num_orders(mod_); }

uint32_t Module::OrderRow() const {
  const int32_t order = openmpt_module_get_current_order(mod_);
  const int32_t row = openmpt_module_get_current_row(mod_);
  if (order < 0 || row < 0) return 0xFFFFFFFF;
  return uint32_t(order & 0xFFFF) | uint32_t(row & 0xFFFF) << 16;
}

bool Module::SetOrderRow(int order, int row) {
  if (order < 0 || order >= Orders() || row < 0) return false;
  openmpt_module_set_position_order_row(mod_, order, row);
  return true;
}

uint64_t Module::PositionFrames() const {
  const double seconds = openmpt_module_get_position_seconds(mod_);
  return std::isfinite(seconds) && seconds > 0 ? uint64_t(seconds * rate_) : 0;
}

bool Module::SetAmplify(int value) {
  if (value < 0 || value > kMaxVolume) return false;
  amplify_ = value;
  return true;
}

bool Module::SetTrackVolume(int track, int value) {
  if (!InRange(track, track_volumes_) || value < 0 || value > kMaxVolume) return false;
  if (!interactive_->set_channel_volume(ext_, track, double(value) / kMaxVolume)) return false;
  track_volumes_[size_t(track)] = value;
  return true;
}

int Module::TrackVolume(int track) const {
  return InRange(track, track_volumes_) ? track_volumes_[size_t(track)] : -1;
}

bool Module::SetInstrumentVolume(int instrument, int value) {
  if (!InRange(instrument, instrument_volumes_) || value < 0 || value > kMaxVolume) return false;
  if (!interactive_->set_instrument_mute_status(ext_, instrument, value == 0)) return false;
  instrument_volumes_[size_t(instrument)] = value;
  return true;
}

int Module::InstrumentVolume(int instrument) const {
  return InRange(instrument, instrument_volumes_) ? instrument_volumes_[size_t(instrument)] : -1;
}

}  // namespace audio
