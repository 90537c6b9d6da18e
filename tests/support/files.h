#pragma once
// Scratch folders, whole-file reads and writes, and unwritable files for tests.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace vm::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir() : path_((std::filesystem::temp_directory_path() / "velomira-test-XXXXXX").string()) {
    if (::mkdtemp(path_.data()) == nullptr) std::abort();
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
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

// Makes a file or folder unwritable while it lives. Permission bits do not stop root, so the
// immutable flag follows; ok() is false when neither works and the test should be skipped.
class Unwritable {
 public:
  explicit Unwritable(std::string path) : path_(std::move(path)), folder_(std::filesystem::is_directory(path_)) {
    ::chmod(path_.c_str(), folder_ ? 0555 : 0444);
    if (Writable()) SetImmutable(true);
    ok_ = !Writable();
  }
  ~Unwritable() {
    SetImmutable(false);
    ::chmod(path_.c_str(), folder_ ? 0755 : 0644);
  }
  bool ok() const { return ok_; }

 private:
  bool Writable() const {
    const std::string probe = folder_ ? path_ + "/probe" : path_;
    const int fd = ::open(probe.c_str(), folder_ ? (O_WRONLY | O_CREAT | O_EXCL) : O_WRONLY, 0644);
    if (fd < 0) return false;
    ::close(fd);
    if (folder_) ::unlink(probe.c_str());
    return true;
  }
  void SetImmutable(bool on) const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) ::close(fd);
  }

  std::string path_;
  bool folder_;
  bool ok_ = false;
};

}  // namespace vm::test
