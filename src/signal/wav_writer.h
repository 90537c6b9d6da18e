#pragma once
// A 16-bit stereo PCM WAV file written from a stream of frames. The file appears under its
// name only when complete: frames go to a temporary file beside it, which Commit renames
// over the target; anything else removes the temporary file and leaves the target as it was.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace vm {

// The most bytes of frames a WAV file's 32-bit size fields can count (the RIFF size counts 36
// more).
inline constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;

// The 44 header bytes of a 16-bit stereo PCM WAV file holding `dataBytes` bytes of frames.
std::vector<uint8_t> WavHeader(int32_t framesPerSecond, uint32_t dataBytes);

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();  // abandons an uncommitted file
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool Open(const std::string& path, int32_t framesPerSecond);
  // Interleaved samples, left then right, whole frames. False when they cannot be written
  // (a WAV file holds less than 4 GiB of frames); the file is then abandoned.
  bool Append(std::span<const int16_t> interleaved);
  bool Commit();
  void Abandon();

 private:
  static bool WriteSamples(std::FILE* file, std::span<const int16_t> interleaved);

  std::string path_;
  std::string temporaryPath_;
  std::FILE* file_ = nullptr;
  int32_t framesPerSecond_ = 0;
  uint64_t dataBytes_ = 0;
};

}  // namespace vm
