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

  static void Render(void* context, int16_t* interleaved, int frames) {
    auto* self = static_cast<Impl*>(context);
    const std::span<int16_t> out(interleaved, static_cast<size_t>(std::max(frames, 0)) * 2);
    if (self->sound && self->playing && self->resampler) {
      self->resampler->Render(*self->sound, self->rate, out);
    } else {
      std::fill(out.begin(), out.end(), int16_t{0});
    }
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
      playing = play;
    });
  }
};

SoundOutput::SoundOutput() : impl_(std::make_unique<Impl>()) {}

SoundOutput::~SoundOutput() { Close(); }

bool SoundOutput::Open() {
  if (impl_->device) return true;
  impl_->device = AudioDevice::OpenDefault(&Impl::Render, impl_.get());
  if (!impl_->device) return false;
  impl_->Locked([&] { impl_->resampler.emplace(impl_->device->FramesPerSecond()); });
  return true;
}

bool SoundOutput::Load(std::span<const uint8_t> image) {
  if (!impl_->device) return false;
  const auto frames = ReadWaveImage(image);
  if (!frames) return false;
  std::unique_ptr<const LoopSound> fresh;
  try {
    fresh = std::make_unique<const LoopSound>(*frames);
  } catch (const std::bad_alloc&) {
    return false;
  }
  impl_->Locked([&] {
    fresh.swap(impl_->sound);
    impl_->playing = false;
    impl_->resampler->Rewind();
    impl_->rate.store(impl_->sound->NominalRate(), std::memory_order_relaxed);
  });
  return true;  // `fresh` now holds the old sound and frees it here, off the audio thread
}

bool SoundOutput::SetRate(int32_t framesPerSecond) {
  // Rates the conversion cannot follow are refused and the sound keeps its rate.
  if (!impl_->sound || framesPerSecond < 1 || framesPerSecond > kMaxPlaybackRate) return false;
  impl_->rate.store(framesPerSecond, std::memory_order_relaxed);
  return true;
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
