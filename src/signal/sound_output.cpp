#include "signal/sound_output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <new>
#include <optional>

#include "platform/audio_device.h"
#include "signal/loop_resampler.h"
#include "signal/loop_sound.h"
#include "signal/wave_reader.h"

namespace vm {

// `sound`, `playing` and `resampler` are read by the audio thread under the device lock and
// written by the main thread only under that lock, so the main thread may read them freely.
struct SoundOutput::Impl {
  std::unique_ptr<AudioDevice> device;
  std::unique_ptr<const LoopSound> sound;
  std::optional<LoopResampler> resampler;
  bool playing = false;
  std::atomic<int32_t> rate{0};
  std::atomic<uint64_t> exactRate{0};  // while not 0 it rules over `rate`
  std::atomic<uint64_t> camPhase{0};   // PackCamPhase
  uint16_t camSerial = 0;
  // Published by the audio thread after each buffer, so the main thread reads them without
  // the device lock.
  std::atomic<uint64_t> revolutions{0};
  std::atomic<bool> ended{false};
  std::atomic<uint64_t> renderedBuffers{0};
  // After each render: the loop position reached, in parts of 2^32 of the loop (high 32
  // bits), and the stream frame it belongs to (low 32 bits).
  std::atomic<uint64_t> reached{0};

  // The resampler as each of the last render calls found it, oldest first, so that a device
  // with a deep buffer can render its unplayed part again from one of them (Rewind). Audio
  // thread, or the main thread under the device lock.
  struct Snapshot {
    uint64_t at = 0;  // the device's frame
    LoopResampler state{48000};
  };
  static constexpr size_t kSnapshots = 256;
  std::array<Snapshot, kSnapshots> snapshots;
  size_t oldest = 0;
  size_t kept = 0;
  // The oldest snapshot is the state the sound was changed to (a rewind, a new sound), so
  // it may start at any earlier frame too.
  bool movable = false;
  uint64_t nextAt = 0;  // the frame after the last one rendered

  Snapshot& Kept(size_t i) { return snapshots[(oldest + i) % kSnapshots]; }

  void Keep(uint64_t at) {
    if (movable && kept == 1 && Kept(0).at == at) return;
    if (kept == kSnapshots) {
      oldest = (oldest + 1) % kSnapshots;
      --kept;
      movable = false;
    }
    Kept(kept) = {at, *resampler};
    ++kept;
  }

  // The sound changed at once, not from a frame on: what was kept is of the old one.
  void Restart() {
    kept = 0;
    Keep(nextAt);
    movable = true;
  }

  static uint64_t Rewind(void* context, uint64_t from) {
    auto* self = static_cast<Impl*>(context);
    if (!self->resampler || self->kept == 0) return self->nextAt;
    size_t i = 0;
    if (!(self->movable && from < self->Kept(0).at)) {
      while (i < self->kept && self->Kept(i).at < from) ++i;
      if (i == self->kept) return self->nextAt;
      from = self->Kept(i).at;
    }
    *self->resampler = self->Kept(i).state;
    self->kept = i;
    self->movable = false;
    self->nextAt = from;
    self->Publish();
    return from;
  }

  static void Render(void* context, int16_t* interleaved, int frames, int32_t deviceRate, uint64_t at) {
    auto* self = static_cast<Impl*>(context);
    const std::span<int16_t> out(interleaved, static_cast<size_t>(std::max(frames, 0)) * 2);
    if (at != self->nextAt) self->kept = 0;  // a new stream: nothing kept belongs to it
    self->nextAt = at + out.size() / 2;
    // A device reopened at another rate: the sound goes on where it was, at its own rate.
    if (self->resampler && self->resampler->DeviceRate() != deviceRate) self->resampler->SetDeviceRate(deviceRate);
    if (self->resampler) self->Keep(at);
    if (self->sound && self->playing && self->resampler) {
      self->resampler->Render(*self->sound, self->rate, self->exactRate, self->camPhase, out);
      self->Publish();
      const uint64_t part = self->resampler->Position() / static_cast<uint64_t>(self->sound->Frames());
      self->reached.store(part << 32 | static_cast<uint32_t>(self->nextAt), std::memory_order_relaxed);
    } else {
      std::fill(out.begin(), out.end(), int16_t{0});
    }
    self->renderedBuffers.fetch_add(1, std::memory_order_release);
  }

  // Audio thread, or the main thread under the device lock.
  void Publish() {
    revolutions.store(resampler->Revolutions(), std::memory_order_relaxed);
    ended.store(resampler->Ended(), std::memory_order_relaxed);
  }

  template <typename Change>
  void Locked(Change change) {
    device->Lock();
    change();
    device->Unlock();
  }

  void Rewind(bool play) {
    Locked([&] {
      resampler->Rewind();
      Publish();
      Restart();
      playing = play;
    });
    device->SetActive(play);  // silent for a while, the device may rest
    device->Rewrite();
  }
};

SoundOutput::SoundOutput() : impl_(std::make_unique<Impl>()) {}

SoundOutput::~SoundOutput() { Close(); }

bool SoundOutput::Open(const AudioDeviceOptions& options) {
  if (impl_->device) return true;
  impl_->device = AudioDevice::OpenDefault(&Impl::Render, &Impl::Rewind, impl_.get(), options);
  if (!impl_->device) return false;
  impl_->Locked([&] { impl_->resampler.emplace(impl_->device->FramesPerSecond()); });
  impl_->device->SetActive(false);
  return true;
}

int32_t SoundOutput::DeviceRate() const { return impl_->device ? impl_->device->FramesPerSecond() : 0; }

bool SoundOutput::Load(std::span<const uint8_t> image) {
  if (!impl_->device) return false;
  const auto frames = ReadWaveImage(image);
  if (!frames) return false;
  std::unique_ptr<const LoopSound> fresh;
  try {
    fresh = std::make_unique<const LoopSound>(*frames);
  } catch (const std::bad_alloc&) { return false; }
  impl_->Locked([&] {
    fresh.swap(impl_->sound);
    impl_->playing = false;
    impl_->resampler->Rewind();
    impl_->Publish();
    impl_->Restart();
    impl_->rate.store(impl_->sound->NominalRate(), std::memory_order_relaxed);
    impl_->exactRate.store(0, std::memory_order_relaxed);
  });
  impl_->device->SetActive(false);
  impl_->device->Rewrite();
  return true;  // `fresh` now holds the old sound and frees it here, off the audio thread
}

bool SoundOutput::SetRate(RateFraction rate) {
  if (!impl_->sound || !PlayableRate(rate)) return false;
  if (rate.denominator == 1) {
    impl_->rate.store(static_cast<int32_t>(rate.numerator), std::memory_order_relaxed);
    impl_->exactRate.store(0, std::memory_order_relaxed);
  } else {
    impl_->exactRate.store(
        PackExactRate(static_cast<uint32_t>(rate.numerator), static_cast<uint32_t>(rate.denominator)),
        std::memory_order_relaxed);
  }
  impl_->device->Rewrite();
  return true;
}

void SoundOutput::SetCamPhase(int32_t units, uint32_t rampMs) {
  impl_->camPhase.store(PackCamPhase(units, rampMs, ++impl_->camSerial), std::memory_order_relaxed);
  if (impl_->device) impl_->device->Rewrite();  // heard as soon as a change of speed is
}

bool SoundOutput::PlayLooped() {
  if (!impl_->sound) return false;
  impl_->Rewind(true);
  return true;
}

void SoundOutput::Stop() {
  if (impl_->sound) impl_->Rewind(false);
}

void SoundOutput::Unload() {
  if (!impl_->device || !impl_->sound) return;
  std::unique_ptr<const LoopSound> old;
  impl_->Locked([&] {
    old.swap(impl_->sound);
    impl_->playing = false;
  });
  impl_->device->Rewrite();
}  // `old` is freed here, off the audio thread

bool SoundOutput::HasSound() const { return impl_->sound != nullptr; }

bool SoundOutput::IsPlaying() const { return impl_->playing; }

bool SoundOutput::Pause() {
  if (!impl_->sound) return false;
  impl_->Locked([&] { impl_->playing = false; });
  impl_->device->SetActive(false);  // silent for a while, the device may rest
  // Once the end is rendered, what remains to play is the sound's last revolutions: kept.
  if (!impl_->ended.load(std::memory_order_relaxed)) impl_->device->Rewrite();
  return true;
}

bool SoundOutput::Resume() {
  if (!impl_->sound) return false;
  impl_->Locked([&] { impl_->playing = true; });
  impl_->device->SetActive(true);
  impl_->device->Rewrite();
  return true;
}

void SoundOutput::EndAfterRevolutions(uint64_t count) {
  if (!impl_->device) return;
  impl_->Locked([&] {
    impl_->resampler->EndAfter(count);
    for (size_t i = 0; i < impl_->kept; ++i) impl_->Kept(i).state.EndAfter(count);
    impl_->Publish();
  });
}

uint64_t SoundOutput::Revolutions() const { return impl_->revolutions.load(std::memory_order_relaxed); }

bool SoundOutput::Ended() const { return impl_->ended.load(std::memory_order_relaxed); }

uint32_t SoundOutput::HeardLoopPart() const {
  if (!impl_->device || !impl_->sound || !impl_->playing || impl_->device->FramesPerSecond() <= 0) return 0;
  const uint64_t reached = impl_->reached.load(std::memory_order_relaxed);
  const auto behind = static_cast<int32_t>(static_cast<uint32_t>(reached) - impl_->device->HeardFrame());
  const uint64_t exact = impl_->exactRate.load(std::memory_order_relaxed);
  const double rate = exact != 0 ? static_cast<double>(static_cast<uint32_t>(exact)) / static_cast<double>(exact >> 32)
                                 : impl_->rate.load(std::memory_order_relaxed);
  const double loops = std::max(behind, 0) * rate / impl_->device->FramesPerSecond() / impl_->sound->Frames();
  const double back = std::min((loops - std::floor(loops)) * 4294967296.0, 4294967295.0);
  return static_cast<uint32_t>(reached >> 32) - static_cast<uint32_t>(back);  // wraps by definition
}

uint64_t SoundOutput::RenderedBuffers() const { return impl_->renderedBuffers.load(std::memory_order_acquire); }

void SoundOutput::Close() {
  if (!impl_->device) return;
  std::unique_ptr<const LoopSound> old;
  impl_->Locked([&] {
    old.swap(impl_->sound);
    impl_->playing = false;
  });
  impl_->device.reset();  // no render call runs after this
  impl_->resampler.reset();
}

}  // namespace vm
