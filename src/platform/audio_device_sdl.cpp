#include <SDL.h>

#include "platform/audio_device.h"

namespace vm {
namespace {

constexpr int kWantedRate = 48000;
constexpr int kWantedFrames = 512;
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 1 << 20;

struct Callback {
  AudioDevice::RenderFunction render = nullptr;
  void* context = nullptr;
};

void SdlCallback(void* userdata, Uint8* stream, int bytes) {
  const auto* callback = static_cast<const Callback*>(userdata);
  callback->render(callback->context, reinterpret_cast<int16_t*>(stream), bytes / 4);
}

class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice(RenderFunction render, void* context) : callback_{render, context} {}

  ~SdlAudioDevice() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for a running callback
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Open() {
    // SIGINT and SIGTERM belong to the program (quit_signals.h), not to SDL's event queue.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    initialised_ = true;
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kWantedFrames;
    want.callback = SdlCallback;
    want.userdata = &callback_;
    SDL_AudioSpec have{};
    // Format, channels and buffer size are held: SDL converts and re-buffers if the
    // hardware differs. The rate may follow the device; the conversion uses it.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    if (have.freq < kMinRate || have.freq > kMaxRate) return false;
    rate_ = have.freq;
    frames_ = have.samples;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  int32_t FramesPerSecond() const override { return rate_; }
  int32_t FramesPerBuffer() const override { return frames_; }
  void Lock() override { SDL_LockAudioDevice(device_); }
  void Unlock() override { SDL_UnlockAudioDevice(device_); }

 private:
  Callback callback_;
  bool initialised_ = false;
  SDL_AudioDeviceID device_ = 0;
  int32_t rate_ = 0;
  int32_t frames_ = 0;
};

}  // namespace

std::unique_ptr<AudioDevice> AudioDevice::OpenDefault(RenderFunction render, void* context) {
  auto device = std::make_unique<SdlAudioDevice>(render, context);
  if (!device->Open()) return nullptr;
  return device;
}

}  // namespace vm
