#pragma once
// A 16-bit stereo PCM WAV file written from a stream of frames through the atomic file writer:
// the file appears under its name only when complete (flushed to the disk, the old file's mode
// kept), and anything short of Commit leaves the target as it was.

#include <cstdint>
#include <span>
#include <string>

#include "platform/atomic_file.h"
#include "signal/wav_header.h"

namespace vm {

// The most bytes of frames a WAV file's 32-bit size fields can count (the RIFF size counts 36
// more).
inline constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;

class WavWriter {
 public:
  [[nodiscard]] bool Open(const std::string& path, int32_t framesPerSecond);
  // Interleaved samples, left then right, whole frames. False when they cannot be written
  // (a WAV file holds less than 4 GiB of frames); the file is then abandoned.
  [[nodiscard]] bool Append(std::span<const int16_t> interleaved);
  [[nodiscard]] bool Commit();
  void Abandon();  // also when the writer goes out of scope uncommitted
  // Why the file could not be written (AtomicFileWriter::failure).
  const std::string& failure() const { return file_.failure(); }

 private:
  AtomicFileWriter file_;
  int32_t framesPerSecond_ = 0;
  uint64_t dataBytes_ = 0;
};

}  // namespace vm
