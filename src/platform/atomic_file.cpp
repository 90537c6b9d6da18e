#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace vm {
namespace {

std::atomic<SaveFault> saveFault{SaveFault::None};
std::atomic<unsigned> temporaryCount{0};

bool Faulty(SaveFault step) { return saveFault.load() == step; }

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int d) : fd(d) {}
  ~Descriptor() { if (fd >= 0) ::close(fd); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// Opens without blocking on a FIFO or a device, then keeps only regular files.
int OpenRegular(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  if (Faulty(SaveFault::WritePartway)) {
    bytes = bytes.substr(0, bytes.size() / 2);
  }
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return !Faulty(SaveFault::WritePartway);
}

// The file a save replaces: a symbolic link is followed so the link itself stays.
std::string ResolveTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable; a failure here no longer endangers either version.
void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Creates a new, unique sibling of `target`; empty text when that is not possible.
std::string CreateTemporary(const std::string& target, int& fd) {
  if (Faulty(SaveFault::CreateTemporary)) return {};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                             std::to_string(temporaryCount.fetch_add(1));
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

bool FillTemporary(int fd, const std::string& target, std::string_view bytes) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (::fchmod(fd, st.st_mode & 07777) != 0) return false;
    // Keeps the owner where allowed (a save by root must not take a user's file from them).
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Not allowed: the new file belongs to whoever saves it, as any new file would.
    }
  }
  if (!WriteAll(fd, bytes)) return false;
  return !Faulty(SaveFault::Flush) && ::fsync(fd) == 0;
}

}  // namespace

FileAccess ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  FileAccess access = FileAccess::ReadWrite;
  int fd = OpenRegular(path, O_RDWR);
  if (fd < 0) {
    access = FileAccess::ReadOnly;
    fd = OpenRegular(path, O_RDONLY);
  }
  if (fd < 0) return FileAccess::None;
  Descriptor guard(fd);
  // Reads block from here on: a regular file never waits.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!ReadAll(fd, bytes)) {
    bytes.clear();
    return FileAccess::None;
  }
  return access;
}

bool CanReplaceFile(const std::string& path) {
  if (path.empty()) return false;
  const std::string target = ResolveTarget(path);
  const std::string folder = FolderOf(target);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
  if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISREG(st.st_mode)) return false;
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
  if (!CanReplaceFile(path)) return false;
  const std::string target = ResolveTarget(path);
  int fd = -1;
  const std::string temporary = CreateTemporary(target, fd);
  if (temporary.empty()) return false;
  bool ok = FillTemporary(fd, target, bytes);
  ok = (::close(fd) == 0) && ok;
  ok = ok && !Faulty(SaveFault::Rename) && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  FlushFolder(FolderOf(target));
  return true;
}

void SetSaveFaultForTesting(SaveFault fault) { saveFault.store(fault); }

}  // namespace vm
