#include <SDL.h>
#include <pulse/pulseaudio.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "platform/audio_backends.h"

namespace vm {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kName = "Velomira";  // the stream's name in the desktop's sound settings
constexpr uint32_t kMinRate = 4000;
constexpr uint32_t kMaxRate = 1 << 20;
constexpr size_t kFrameBytes = 4;  // 16-bit stereo
// What the server holds for us. A late wake-up of ours or of the server's never empties it,
// and a change costs no delay, since the part not yet played is rendered again.
constexpr milliseconds kDepth{120};
// How much the server takes at a time: with early requests it is also the sink's own
// latency, so it bounds how late a change is heard. pipewire-pulse sets its cycle from it:
// at 10 ms (256 frames, 5.3 ms) an idle machine woke its thread too late for a cycle now and
// then (12 and 20 silences in 3 min, idle and busy); at 21 ms (512 frames) none idle, and a
// change is still heard within about 27 ms (bench/pulse_gaps.sh).
constexpr milliseconds kRequest{21};
// A rewrite starts one take of the sink's after the frame the server last took, and this
// much more for the rewrite's way to the server: a take that falls between the server's
// answer and the rewrite's arrival then holds only frames the rewrite leaves as they were.
// With less, a change now and then put a tooth out of place (bench/pulse_gaps.sh counts
// edges out of place with the sink taking its own blocks).
constexpr milliseconds kMargin{4};
// Rendered in pieces of this many frames, each a frame the sound can go back to.
constexpr size_t kPieceFrames = 128;
constexpr milliseconds kRetryPeriod{500};
// The first open waits this long for a server that answers but gives no stream.
constexpr milliseconds kOpenLimit{2000};

uint32_t Bytes(milliseconds time, uint32_t rate) {
  return static_cast<uint32_t>(rate * time.count() / 1000) * kFrameBytes;
}

class PulseAudioDevice final : public AudioDevice {
 public:
  enum class Start { Waiting, Opened, NoServer, NoOutput };

  PulseAudioDevice(RenderFunction render, RewindFunction rewind, void* context, const AudioDeviceOptions& options)
      : render_(render), rewind_(rewind), context_(context), options_(options), loop_(pa_threaded_mainloop_new()) {}

  ~PulseAudioDevice() override {
    if (loop_ == nullptr) return;
    pa_threaded_mainloop_lock(loop_);
    CloseStream();
    DropServer();
    if (timer_ != nullptr) Api()->time_free(timer_);
    timer_ = nullptr;
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);  // no render call runs after this
    pa_threaded_mainloop_free(loop_);
  }

  // The first open: waits until a stream plays, the server is found to have no output or
  // none at all, kOpenLimit passes or the quit descriptor becomes readable.
  Start Begin() {
    if (loop_ == nullptr) return Start::NoServer;
    pa_threaded_mainloop_lock(loop_);
    start_ = Start::Waiting;
    timer_ = Api()->time_new(Api(), nullptr, &PulseAudioDevice::OnTimer, this);
    pa_io_event* quit = options_.quitDescriptor >= 0 ? Api()->io_new(Api(), options_.quitDescriptor, PA_IO_EVENT_INPUT,
                                                                     &PulseAudioDevice::OnQuit, this)
                                                     : nullptr;
    timeval at{};
    pa_timeval_add(pa_gettimeofday(&at), std::chrono::microseconds(kOpenLimit).count());
    pa_time_event* limit = Api()->time_new(Api(), &at, &PulseAudioDevice::OnOpenLimit, this);
    if (pa_threaded_mainloop_start(loop_) == 0) {
      Connect();
      while (start_ == Start::Waiting) pa_threaded_mainloop_wait(loop_);
    } else {
      start_ = Start::NoServer;
    }
    if (quit != nullptr) Api()->io_free(quit);
    Api()->time_free(limit);
    const Start result = start_;
    start_ = Start::Opened;  // no one waits any more
    pa_threaded_mainloop_unlock(loop_);
    return result;
  }

  bool Answered() const { return answered_; }

  int32_t FramesPerSecond() const override { return static_cast<int32_t>(rate_); }
  int32_t FramesPerBuffer() const override {
    return static_cast<int32_t>(Bytes(kRequest, rate_ == 0 ? 48000 : rate_) / kFrameBytes);
  }
  void Lock() override { renderMutex_.lock(); }
  void Unlock() override { renderMutex_.unlock(); }

  void SetActive(bool active) override {
    pa_threaded_mainloop_lock(loop_);
    if (active_ != active) {
      active_ = active;
      idleSince_ = Clock::now();
      Look();
    }
    pa_threaded_mainloop_unlock(loop_);
  }

  void Rewrite() override {
    pa_threaded_mainloop_lock(loop_);
    // A reply still to come renders with what is true then, this change included.
    if (Playing() && !timing_) {
      if (pa_operation* op = pa_stream_update_timing_info(stream_, &PulseAudioDevice::OnTiming, this)) {
        timing_ = true;
        pa_operation_unref(op);
      }
    }
    pa_threaded_mainloop_unlock(loop_);
  }

 private:
  // Everything below runs on the main loop's thread, or under its lock.

  pa_mainloop_api* Api() { return pa_threaded_mainloop_get_api(loop_); }
  bool Ready() const { return server_ != nullptr && pa_context_get_state(server_) == PA_CONTEXT_READY; }
  bool Playing() const { return stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY; }
  bool Wanted() const { return active_ || Clock::now() - idleSince_ < options_.restAfter; }

  void Finish(Start start) {
    if (start_ != Start::Waiting) return;
    start_ = start;
    pa_threaded_mainloop_signal(loop_, 0);
  }

  // Brings the stream to what is wanted: none at rest, else one on the default output. Runs
  // on every change of the server's or the stream's state, and on the timer.
  void Look() {
    if (!Wanted()) {
      CloseStream();
      return;  // at rest: nothing wakes until SetActive
    }
    const auto now = Clock::now();
    if (stream_ != nullptr && !active_) ArmAt(idleSince_ + options_.restAfter);
    if (stream_ != nullptr || asking_) return;
    if (now < nextLook_) {
      ArmAt(nextLook_);
    } else if (server_ == nullptr) {
      Connect();
    } else if (Ready()) {
      AskDefault();
    }
  }

  void Later() {
    nextLook_ = Clock::now() + kRetryPeriod;
    ArmAt(nextLook_);
  }

  void ArmAt(Clock::time_point when) {
    if (timer_ == nullptr) return;
    timeval at{};
    pa_gettimeofday(&at);
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(when - Clock::now()).count();
    pa_timeval_add(&at, static_cast<pa_usec_t>(std::max<int64_t>(wait, 0) + 1000));
    Api()->time_restart(timer_, &at);
  }

  static void OnTimer(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    static_cast<PulseAudioDevice*>(self)->Look();
  }

  static void OnOpenLimit(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    device->Finish(device->answered_ ? Start::NoOutput : Start::NoServer);
  }

  static void OnQuit(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
    static_cast<PulseAudioDevice*>(self)->Finish(Start::NoOutput);
  }

  // The server: connected anew after it went away, so that a restarted one is found.
  void Connect() {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kName);
    server_ = pa_context_new_with_proplist(Api(), kName, properties);
    pa_proplist_free(properties);
    if (server_ == nullptr) return Later();
    pa_context_set_state_callback(server_, &PulseAudioDevice::OnServerState, this);
    if (pa_context_connect(server_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) ServerGone();
  }

  void DropServer() {
    if (server_ == nullptr) return;
    pa_context_set_state_callback(server_, nullptr, nullptr);
    pa_context_set_subscribe_callback(server_, nullptr, nullptr);
    pa_context_disconnect(server_);
    pa_context_unref(server_);
    server_ = nullptr;
    asking_ = false;
  }

  void ServerGone() {
    CloseStream();
    DropServer();
    Finish(Start::NoServer);
    Later();
  }

  static void OnServerState(pa_context* server, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    switch (pa_context_get_state(server)) {
      case PA_CONTEXT_READY: {
        device->answered_ = true;
        TryRealtime();
        pa_context_set_subscribe_callback(server, &PulseAudioDevice::OnServerEvent, device);
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* op = pa_context_subscribe(server, mask, nullptr, nullptr)) pa_operation_unref(op);
        device->Look();
        break;
      }
      case PA_CONTEXT_FAILED:
      case PA_CONTEXT_TERMINATED: device->ServerGone(); break;
      default: break;
    }
  }

  // The thread that renders and writes, on real-time priority where the system grants it:
  // itself (root, or a real-time limit), else a desktop's RealtimeKit, asked through SDL
  // over D-Bus. Then a busy machine does not delay its writes. Children do not inherit
  // it. Without it the 120 ms queue is the margin.
  static void TryRealtime() {
    static thread_local bool tried = false;
    if (tried) return;
    tried = true;
    sched_param priority{};
    priority.sched_priority = std::min(5, sched_get_priority_max(SCHED_FIFO));
    if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &priority) == 0) return;
    SDL_LinuxSetThreadPriorityAndPolicy(gettid(), SDL_THREAD_PRIORITY_HIGH, SCHED_RR);
  }

  // A sink came or went, or the default changed: the stream may have to move.
  static void OnServerEvent(pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_CHANGE) return;  // volume and such
    // The sink under the stream is gone: a server may leave the stream on nothing.
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_REMOVE && device->stream_ != nullptr &&
        pa_stream_get_device_index(device->stream_) == index) {
      device->CloseStream();
    }
    device->nextLook_ = Clock::now();  // news: no retry period
    if (device->asking_ || (device->stream_ != nullptr && device->Ready())) {
      device->AskDefault();
    } else {
      device->Look();
    }
  }

  // Which output is the default and at what rate: asked of the server, then Settle. Asked
  // while a question is on its way, it is asked again once that one is answered, since the
  // answer may be older than the news that asked.
  void AskDefault() {
    if (asking_) {
      askAgain_ = true;
      return;
    }
    asking_ = true;
    askAgain_ = false;
    pa_operation* op = pa_context_get_server_info(server_, &PulseAudioDevice::OnServerInfo, this);
    if (op == nullptr) return ServerGone();
    pa_operation_unref(op);
  }

  static void OnServerInfo(pa_context* server, const pa_server_info* info, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    device->cycles_ = info != nullptr && info->server_name != nullptr &&
                      std::string_view(info->server_name).find("PipeWire") != std::string_view::npos;
    if (info == nullptr || info->default_sink_name == nullptr || info->default_sink_name[0] == '\0') {
      return device->NoOutput();
    }
    pa_operation* op = pa_context_get_sink_info_by_name(server, info->default_sink_name, &PulseAudioDevice::OnSinkInfo,
                                                        self);
    if (op == nullptr) return device->NoOutput();
    pa_operation_unref(op);
  }

  static void OnSinkInfo(pa_context*, const pa_sink_info* info, int last, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    if (last < 0) return device->NoOutput();
    if (last > 0) return;
    device->asking_ = false;
    const bool again = std::exchange(device->askAgain_, false);
    device->Settle(info->name, info->sample_spec.rate);
    if (again && device->Ready()) device->AskDefault();
  }

  void NoOutput() {
    asking_ = false;
    CloseStream();
    Finish(Start::NoOutput);
    Later();
  }

  // A stream on `sink` at its own rate, so that the server does not resample the signal;
  // a stream elsewhere or at another rate is replaced.
  // A stream still being created is not replaced but looked at again once it plays: a
  // stream deleted before the server has answered its creation may outlive its client there.
  void Settle(const char* sink, uint32_t rate) {
    if (rate < kMinRate || rate > kMaxRate) return NoOutput();
    if (stream_ != nullptr) {
      const char* on = Playing() ? pa_stream_get_device_name(stream_) : streamSink_.c_str();
      if (on != nullptr && sink == std::string(on) && rate == streamRate_) return;
      if (!Playing()) {
        settleAgain_ = true;
        return;
      }
      CloseStream();
    }
    if (Wanted()) OpenStream(sink, rate);
  }

  void OpenStream(const char* sink, uint32_t rate) {
    const pa_sample_spec spec{PA_SAMPLE_S16NE, rate, 2};
    stream_ = pa_stream_new(server_, kName, &spec, nullptr);
    if (stream_ == nullptr) return NoOutput();
    streamRate_ = rate;
    streamSink_ = sink;
    settleAgain_ = false;
    written_ = 0;
    timing_ = false;
    pa_stream_set_state_callback(stream_, &PulseAudioDevice::OnStreamState, this);
    pa_stream_set_write_callback(stream_, &PulseAudioDevice::OnWritable, this);
    pa_stream_set_moved_callback(stream_, &PulseAudioDevice::OnMoved, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = Bytes(kDepth, rate);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = Bytes(kRequest, rate);
    buffer.fragsize = static_cast<uint32_t>(-1);
    // Early requests: the sink's own latency is one request, the rest of the depth waits in
    // the stream's queue, where a rewrite can still reach it. Not moved by the server: moved
    // to a sink at another rate, it would be resampled; the default output is followed here.
    if (pa_stream_connect_playback(stream_, sink, &buffer,
                                   static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | PA_STREAM_DONT_MOVE),
                                   nullptr, nullptr) < 0) {
      NoOutput();
    }
  }

  void CloseStream() {
    if (stream_ == nullptr) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    timing_ = false;
  }

  static void OnStreamState(pa_stream* stream, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    switch (pa_stream_get_state(stream)) {
      case PA_STREAM_READY:
        device->rate_ = device->streamRate_;
        device->Finish(Start::Opened);
        if (device->settleAgain_ && !device->asking_ && device->Ready()) device->AskDefault();
        break;
      case PA_STREAM_FAILED:
      case PA_STREAM_TERMINATED: device->NoOutput(); break;
      default: break;
    }
  }

  // Moved by the server (its sink went away): at another rate it would be resampled.
  static void OnMoved(pa_stream*, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    if (device->asking_ || device->Ready()) device->AskDefault();
  }

  static void OnWritable(pa_stream*, size_t bytes, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    const std::lock_guard lock(device->renderMutex_);
    device->Write(bytes / kFrameBytes, 0);
    device->Rendered(device->written_);
  }

  // A request refills the stream to its depth; the sink's own latency is one request more.
  int32_t FramesAhead() const override { return static_cast<int32_t>(Bytes(kDepth + kRequest, rate_) / kFrameBytes); }

  // Renders `frames` frames from written_ on and sends them, the first piece `seek` bytes
  // from the server's write index. Under renderMutex_.
  void Write(size_t frames, int64_t seek) {
    while (frames > 0) {
      size_t bytes = std::min(frames, kPieceFrames) * kFrameBytes;
      void* data = nullptr;
      if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || data == nullptr || bytes < kFrameBytes) return;
      const size_t piece = bytes / kFrameBytes;
      render_(context_, static_cast<int16_t*>(data), static_cast<int>(piece), static_cast<int32_t>(streamRate_),
              written_);
      if (pa_stream_write(stream_, data, piece * kFrameBytes, nullptr, seek, PA_SEEK_RELATIVE) < 0) return;
      seek = 0;
      written_ += piece;
      frames -= piece;
    }
  }

  // The server's indices as of now: what it has not yet taken is rendered again, from a
  // little after the frame it last took.
  static void OnTiming(pa_stream* stream, int success, void* self) {
    auto* device = static_cast<PulseAudioDevice*>(self);
    device->timing_ = false;
    if (!success || stream != device->stream_) return;
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (timing == nullptr || timing->read_index_corrupt || timing->write_index_corrupt) return;
    const std::lock_guard lock(device->renderMutex_);
    const int64_t unplayed = (timing->write_index - timing->read_index) / static_cast<int64_t>(kFrameBytes);
    const auto margin = static_cast<int64_t>(device->Take(timing->configured_sink_usec) +
                                             device->streamRate_ * kMargin.count() / 1000);
    const auto written = static_cast<int64_t>(device->written_);
    if (unplayed <= margin || unplayed > written) return;
    const auto from = static_cast<uint64_t>(written - unplayed + margin);
    const uint64_t back = std::max(device->rewind_(device->context_, from), from);
    if (back >= device->written_) return;
    const size_t frames = device->written_ - back;
    device->written_ = back;
    device->Write(frames, -static_cast<int64_t>(frames * kFrameBytes));
  }

  // The most frames the sink takes from the stream at once: its latency, which early
  // requests make one request; pipewire-pulse takes whole cycles, the largest power of two
  // within it.
  uint64_t Take(pa_usec_t latency) const {
    uint64_t frames = latency == 0 ? Bytes(kRequest, streamRate_) / kFrameBytes : latency * streamRate_ / 1000000;
    return cycles_ ? std::bit_floor(frames) : frames;
  }

  const RenderFunction render_;
  const RewindFunction rewind_;
  void* const context_;
  const AudioDeviceOptions options_;
  std::mutex renderMutex_;  // the render function's state: Lock/Unlock, Write and the rewrite

  pa_threaded_mainloop* const loop_;
  pa_time_event* timer_ = nullptr;
  pa_context* server_ = nullptr;
  pa_stream* stream_ = nullptr;
  uint32_t streamRate_ = 0;
  std::string streamSink_;    // the sink the stream was opened on
  bool settleAgain_ = false;  // the default changed while the stream was being created
  uint32_t rate_ = 0;         // of the stream that played last
  uint64_t written_ = 0;      // frames sent on the stream, under renderMutex_ as well
  bool timing_ = false;       // a rewrite's timing request is on its way
  bool cycles_ = false;       // the server is pipewire-pulse, whose sink takes whole cycles
  bool asking_ = false;       // the default output's name and rate are being asked for
  bool askAgain_ = false;     // news came while asking: ask again once answered
  bool answered_ = false;
  Start start_ = Start::Waiting;
  bool active_ = true;
  Clock::time_point idleSince_ = Clock::now();
  Clock::time_point nextLook_{};
};

}  // namespace

std::unique_ptr<AudioDevice> OpenPulseAudioDevice(AudioDevice::RenderFunction render,
                                                  AudioDevice::RewindFunction rewind, void* context,
                                                  const AudioDeviceOptions& options, bool& answered) {
  auto device = std::make_unique<PulseAudioDevice>(render, rewind, context, options);
  const auto start = device->Begin();
  answered = device->Answered() || start == PulseAudioDevice::Start::NoOutput;
  if (start != PulseAudioDevice::Start::Opened) return nullptr;
  return device;
}

}  // namespace vm
