#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio_backends.h"

namespace vm {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFallbackRate = 48000;  // for drivers that do not tell the device's rate
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 1 << 20;
constexpr const char* kName = "Velomira";  // the stream's name in the desktop's sound settings
// How often the device is looked at, and how often one that will not open is tried again.
constexpr auto kWatchPeriod = std::chrono::milliseconds(100);
constexpr auto kRetryPeriod = std::chrono::milliseconds(500);
// How often the default output's rate is compared with the device's.
constexpr auto kRateCheckPeriod = std::chrono::milliseconds(500);

// Frames a buffer for a device rate: 32 ms, in whole blocks of 64 frames. SDL's PulseAudio
// driver asks the server for one buffer of latency, so the buffer trades gaps for delay.
// Through a real server on a loaded machine (bench/pulse_gaps.sh), 32 ms had a third of the
// gaps of 11 ms and half those of 21 ms, and an RPM change was heard within 52 ms; 43 ms
// halved the gaps again but took up to 70 ms.
int32_t BufferFramesFor(int32_t rate) {
  const int32_t blocks = (rate * 32 / 1000 + 32) / 64;
  return std::max(blocks, 1) * 64;
}

// Hints are read when the audio subsystem starts and when a device opens.
void SetHints() {
  // SDL's own SIGINT and SIGTERM handlers would only queue a quit event nothing reads; the
  // program's handlers end it as its close box does.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_APP_NAME, kName);
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kName);
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, kName);
}

// The rate of the default output, or 0 where the driver cannot tell it.
int ReportedRate() {
  SDL_AudioSpec spec{};
  if (SDL_GetDefaultAudioInfo(nullptr, &spec, 0) != 0) return 0;
  return spec.freq >= kMinRate && spec.freq <= kMaxRate ? spec.freq : 0;
}

class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice(RenderFunction render, void* context, const AudioDeviceOptions& options)
      : render_(render), context_(context), options_(options) {}

  ~SdlAudioDevice() override {
    {
      const std::lock_guard lock(stateMutex_);
      quit_ = true;
    }
    wake_.notify_one();
    if (watcher_.joinable()) watcher_.join();
    CloseStream();
  }

  // The first open is made by the caller, so that it knows whether there is any output.
  bool Start() {
    if (!OpenStream()) return false;
    watcher_ = std::thread([this] { Watch(); });
    return true;
  }

  int32_t FramesPerSecond() const override { return rate_.load(std::memory_order_relaxed); }
  int32_t FramesPerBuffer() const override { return frames_.load(std::memory_order_relaxed); }
  void Lock() override { renderMutex_.lock(); }
  void Unlock() override { renderMutex_.unlock(); }

  void SetActive(bool active) override {
    {
      const std::lock_guard lock(stateMutex_);
      if (active_ == active) return;
      active_ = active;
      idleSince_ = Clock::now();
    }
    if (active) wake_.notify_one();
  }

 private:
  static void Callback(void* userdata, Uint8* stream, int bytes) {
    auto* self = static_cast<SdlAudioDevice*>(userdata);
    const std::lock_guard lock(self->renderMutex_);
    self->render_(self->context_, reinterpret_cast<int16_t*>(stream), bytes / 4,
                  self->rate_.load(std::memory_order_relaxed), self->at_);
    self->at_ += static_cast<uint64_t>(bytes / 4);
    self->Rendered(self->at_);
  }

  // SDL asks for a buffer as the one before it starts to play.
  int32_t FramesAhead() const override { return 2 * FramesPerBuffer(); }

  // The watcher thread: every SDL call after the first open is made here (or in the
  // destructor once this thread has ended), so none of them waits on the main thread. At
  // rest it sleeps until the device is wanted again.
  void Watch() {
    std::unique_lock lock(stateMutex_);
    while (!quit_) {
      const bool wanted = active_ || Clock::now() - idleSince_ < options_.restAfter;
      lock.unlock();
      Look(wanted);
      lock.lock();
      if (device_ != 0) {
        wake_.wait_for(lock, kWatchPeriod);
      } else if (wanted) {
        wake_.wait_until(lock, nextTry_, [this] { return quit_; });
      } else {
        wake_.wait(lock, [this] { return quit_ || active_; });
      }
    }
  }

  void Look(bool wanted) {
    if (device_ != 0 && (!wanted || Lost())) CloseStream();
    if (device_ != 0 || !wanted || Clock::now() < nextTry_) return;
    if (!OpenStream()) nextTry_ = Clock::now() + kRetryPeriod;
  }

  // The device stopped, or the default output now runs at another rate than the one the
  // device was opened at: a sound server moves a stream to the new default when the old one
  // goes away, and would then resample it. Either way the default is opened anew.
  bool Lost() {
    if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) return true;
    if (Clock::now() < nextRateCheck_) return false;
    nextRateCheck_ = Clock::now() + kRateCheckPeriod;
    const int rate = ReportedRate();
    return rate != 0 && rate != openedRate_;
  }

  // Starts SDL's audio anew each time, so that a restarted sound server is connected again
  // and the default output's rate is read again. A reopen stays with the driver of the first
  // open rather than falling back to another while the server is away.
  bool OpenStream() {
    SetHints();
    if (!driver_.empty()) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver_.c_str(), SDL_HINT_OVERRIDE);
    const int started = SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (!driver_.empty()) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (started != 0) return false;
    initialised_ = true;
    if (const char* driver = SDL_GetCurrentAudioDriver(); driver_.empty() && driver != nullptr) driver_ = driver;
    openedRate_ = ReportedRate();
    SDL_AudioSpec want{};
    want.freq = openedRate_ != 0 ? openedRate_ : kFallbackRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(options_.framesPerBuffer > 0 ? options_.framesPerBuffer
                                                                    : BufferFramesFor(want.freq));
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // Format, channels and buffer size are held: SDL converts and re-buffers if the
    // hardware differs. The rate may follow the device; the conversion uses it.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0 || have.freq < kMinRate || have.freq > kMaxRate) {
      CloseStream();
      return false;
    }
    rate_.store(have.freq, std::memory_order_relaxed);
    frames_.store(have.samples, std::memory_order_relaxed);
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void CloseStream() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for a running callback
    device_ = 0;
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    initialised_ = false;
  }

  const RenderFunction render_;
  void* const context_;
  const AudioDeviceOptions options_;
  std::mutex renderMutex_;  // the render function's state: Lock/Unlock and the callback
  std::atomic<int32_t> rate_{0};
  std::atomic<int32_t> frames_{0};
  uint64_t at_ = 0;  // frames rendered, under renderMutex_

  // Shared with the watcher under stateMutex_.
  std::mutex stateMutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  bool active_ = true;
  Clock::time_point idleSince_ = Clock::now();

  // The watcher's own (the caller's before it starts and after it ends).
  std::thread watcher_;
  SDL_AudioDeviceID device_ = 0;
  bool initialised_ = false;
  std::string driver_;
  Clock::time_point nextTry_{};
  Clock::time_point nextRateCheck_{};
  int openedRate_ = 0;  // the default output's rate when the device opened; 0 if not told
};

}  // namespace

std::unique_ptr<AudioDevice> OpenSdlAudioDevice(AudioDevice::RenderFunction render, void* context,
                                                const AudioDeviceOptions& options) {
  auto device = std::make_unique<SdlAudioDevice>(render, context, options);
  if (!device->Start()) return nullptr;
  return device;
}

}  // namespace vm
