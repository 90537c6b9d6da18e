#pragma once
// Scratch folders and file helpers for the config tests.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace vm::testing {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velomira-config-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.insert(e.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

// Makes a file or folder unwritable for this process for as long as it lives. Permission
// bits do not stop root, so the immutable flag is tried next; `ok()` is false when neither
// works and the test should be skipped.
class Unwritable {
 public:
  explicit Unwritable(std::string path) : path_(std::move(path)) {
    folder_ = std::filesystem::is_directory(path_);
    ::chmod(path_.c_str(), folder_ ? 0555 : 0444);
    if (!Writable()) return;
    SetImmutable(true);
    ok_ = !Writable();
  }
  ~Unwritable() {
    SetImmutable(false);
    ::chmod(path_.c_str(), folder_ ? 0755 : 0644);
  }
  Unwritable(const Unwritable&) = delete;
  Unwritable& operator=(const Unwritable&) = delete;
  bool ok() const { return ok_; }

 private:
  bool Writable() {
    if (!folder_) {
      const int fd = ::open(path_.c_str(), O_WRONLY);
      if (fd >= 0) ::close(fd);
      return fd >= 0;
    }
    const std::string probe = path_ + "/probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
  }
  void SetImmutable(bool on) {
#ifdef __linux__
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
#else
    (void)on;
#endif
  }

  std::string path_;
  bool folder_ = false;
  bool ok_ = true;
};

}  // namespace vm::testing
