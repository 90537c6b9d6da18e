#include "signal/sound_output.h"

#include <algorithm>
#include <atomic>
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

  static void Render(void* context, int16_t* interleaved, int frames, int32_t deviceRate) {
    auto* self = static_cast<Impl*>(context);
    const std::span<int16_t> out(interleaved, static_cast<size_t>(std::max(frames, 0)) * 2);
    // A device reopened at another rate: the sound goes on where it was, at its own rate.
    if (self->resampler && self->resampler->DeviceRate() != deviceRate) self->resampler->SetDeviceRate(deviceRate);
    if (self->sound && self->playing && self->resampler) {
      self->resampler->Render(*self->sound, self->rate, self->exactRate, self->camPhase, out);
      self->Publish();
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
      playing = play;
    });
    device->SetActive(play);  // silent for a while, the device may rest
  }
};

SoundOutput::SoundOutput() : impl_(std::make_unique<Impl>()) {}

SoundOutput::~SoundOutput() { Close(); }

bool SoundOutput::Open(const AudioDeviceOptions& options) {
  if (impl_->device) return true;
  impl_->device = AudioDevice::OpenDefault(&Impl::Render, impl_.get(), options);
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
    impl_->rate.store(impl_->sound->NominalRate(), std::memory_order_relaxed);
    impl_->exactRate.store(0, std::memory_order_relaxed);
  });
  impl_->device->SetActive(false);
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
  return true;
}

void SoundOutput::SetCamPhase(int32_t units, uint32_t rampMs) {
  impl_->camPhase.store(PackCamPhase(units, rampMs, ++impl_->camSerial), std::memory_order_relaxed);
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
}  // `old` is freed here, off the audio thread

bool SoundOutput::HasSound() const { return impl_->sound != nullptr; }

bool SoundOutput::IsPlaying() const { return impl_->playing; }

bool SoundOutput::Pause() {
  if (!impl_->sound) return false;
  impl_->Locked([&] { impl_->playing = false; });
  impl_->device->SetActive(false);  // silent for a while, the device may rest
  return true;
}

bool SoundOutput::Resume() {
  if (!impl_->sound) return false;
  impl_->Locked([&] { impl_->playing = true; });
  impl_->device->SetActive(true);
  return true;
}

void SoundOutput::EndAfterRevolutions(uint64_t count) {
  if (!impl_->device) return;
  impl_->Locked([&] {
    impl_->resampler->EndAfter(count);
    impl_->Publish();
  });
}

uint64_t SoundOutput::Revolutions() const { return impl_->revolutions.load(std::memory_order_relaxed); }

bool SoundOutput::Ended() const { return impl_->ended.load(std::memory_order_relaxed); }

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
