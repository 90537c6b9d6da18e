#pragma once
// SDL's disk driver: the exact device stream written to a file, for tests that read back what
// the sound card was given.

#include <string>
#include <utility>

#include "support/scoped_env.h"

namespace vm::test {

// The device rate the output asks for; the disk driver grants it.
inline constexpr double kDiskDeviceRate = 48000;

// Points the audio output at a file for the life of this object.
class DiskDriver {
 public:
  explicit DiskDriver(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  ScopedEnv driver_{"SDL_AUDIODRIVER", "disk"};
  ScopedEnv file_{"SDL_DISKAUDIOFILE", path_};
};

}  // namespace vm::test
