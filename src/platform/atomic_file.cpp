#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/save_paths.h"

namespace vm {
namespace {

constexpr size_t kBufferBytes = 64 * 1024;

std::atomic<SaveFault> saveFault{SaveFault::None};

bool Faulty(SaveFault step) { return saveFault.load() == step; }

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int d) : fd(d) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// Opens without blocking on a FIFO or a device, then keeps only regular files; reads and
// writes block again from there on, as a regular file never waits.
int OpenRegular(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool ReadAll(int fd, std::string& bytes) {
  struct stat st {};
  // One allocation of the file's size; a file that grows meanwhile still reads whole.
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
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
  if (Faulty(SaveFault::WritePartway)) bytes = bytes.substr(0, bytes.size() / 2);
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

bool WriteAllAt(int fd, uint64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// Makes the rename itself durable; a failure here no longer endangers either version.
void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool FolderTakesNewFiles(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

bool TargetWritable(const std::string& target) {
  const int fd = OpenRegular(target, O_WRONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Whether `name` still names the file open as `fd`.
bool StillNamed(int fd, const std::string& name) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::lstat(name.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Takes the temporary file for this save: locked, so no other save can take it meanwhile,
// and still under its name. A file system without locks still gets the name check.
bool Claim(int fd, const std::string& name) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
  return StillNamed(fd, name);
}

// A temporary file no running save holds was left by a save that was killed: removed.
bool ClearLeftover(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) fd = ::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;  // gone meanwhile
  Descriptor guard(fd);
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && Claim(fd, name) && ::unlink(name.c_str()) == 0;
}

// The temporary file of a save, new and claimed; -1 (errno set) when it cannot be had.
int CreateTemporary(const std::string& name) {
  if (Faulty(SaveFault::CreateTemporary)) {
    errno = EIO;
    return -1;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (Claim(fd, name)) return fd;
      ::close(fd);  // taken for a leftover by another save, which removes it
    } else if (errno != EEXIST || !ClearLeftover(name)) {
      if (errno == EEXIST || errno == EWOULDBLOCK) errno = EBUSY;  // a running save holds it
      return -1;
    }
  }
  errno = EBUSY;
  return -1;
}

// The new file gets the old one's permission bits, and its owner where allowed (a save by
// root must not take a user's file from them; elsewhere it belongs to whoever saves it).
bool KeepModeAndOwner(int fd, const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return true;  // a new file: the usual mode
  if (::fchmod(fd, st.st_mode & 07777) != 0) return false;
  if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Not allowed: kept as the saver's own.
  }
  return true;
}

// The target itself, emptied: only for a folder that takes no new files.
int OpenInPlace(const std::string& target) {
  const int fd = OpenRegular(target, O_WRONLY);
  if (fd >= 0 && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
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
  if (!ReadAll(fd, bytes)) {
    bytes.clear();
    return FileAccess::None;
  }
  return access;
}

namespace {

constexpr int kNotRegular = -1;

// Why a save to `path` cannot be expected to succeed: an errno value, kNotRegular, or 0
// when it can.
int ReplaceBlocker(const std::string& path) {
  if (path.empty()) return ENOENT;
  const std::string target = SaveTarget(path);
  const std::string folder = FolderOf(target);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  if (::lstat(target.c_str(), &st) != 0) {
    if (errno != ENOENT) return errno;
    return FolderTakesNewFiles(folder) ? 0 : errno;
  }
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return kNotRegular;
  return TargetWritable(target) ? 0 : errno;
}

std::string ReasonOf(int error) { return error == kNotRegular ? "not a regular file" : std::strerror(error); }

}  // namespace

bool CanReplaceFile(const std::string& path) { return ReplaceBlocker(path) == 0; }

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

bool AtomicFileWriter::Open(const std::string& path) {
  Abandon();
  failure_.clear();
  if (const int blocker = ReplaceBlocker(path); blocker != 0) {
    failure_ = ReasonOf(blocker);
    return false;
  }
  target_ = SaveTarget(path);
  const std::string folder = FolderOf(target_);
  temporary_ = TemporaryPath(target_);
  fd_ = CreateTemporary(temporary_);
  if (fd_ < 0) {
    // Only CreateTemporary says EBUSY: another running save holds this target's file.
    failure_ = errno == EBUSY ? "in use by another save" : std::strerror(errno);
    const bool noNewFiles = (errno == EACCES || errno == EPERM) && !FolderTakesNewFiles(folder);
    temporary_.clear();
    if (noNewFiles) fd_ = OpenInPlace(target_);
    if (fd_ >= 0) failure_.clear();
    else if (noNewFiles) failure_ = std::strerror(errno);
    return fd_ >= 0;
  }
  if (!KeepModeAndOwner(fd_, target_)) return Fail();
  return true;
}

bool AtomicFileWriter::Append(std::string_view bytes) {
  if (fd_ < 0) return false;
  written_ += bytes.size();
  if (buffer_.size() + bytes.size() <= kBufferBytes) {
    buffer_.append(bytes);
    return true;
  }
  if (!Flush() || !WriteAll(fd_, bytes)) return Fail();
  return true;
}

bool AtomicFileWriter::Overwrite(uint64_t offset, std::string_view bytes) {
  if (fd_ < 0) return false;
  if (offset > written_ || bytes.size() > written_ - offset) return Fail();
  if (!Flush() || !WriteAllAt(fd_, offset, bytes)) return Fail();
  return true;
}

bool AtomicFileWriter::Flush() {
  const bool ok = WriteAll(fd_, buffer_);
  buffer_.clear();
  return ok;
}

bool AtomicFileWriter::Commit() {
  if (fd_ < 0) return false;
  if (!Flush() || Faulty(SaveFault::Flush) || ::fsync(fd_) != 0) return Fail();
  if (!temporary_.empty()) {
    // Renamed while still locked, so no other save can take the name for a leftover first.
    if (Faulty(SaveFault::Rename) || ::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail();
    temporary_.clear();
  }
  const bool closed = ::close(fd_) == 0;
  if (!closed) failure_ = std::strerror(errno);
  fd_ = -1;
  FlushFolder(FolderOf(target_));
  buffer_.clear();
  written_ = 0;
  return closed;
}

bool AtomicFileWriter::Fail() {
  failure_ = std::strerror(errno == 0 ? EIO : errno);
  Abandon();
  return false;
}

void AtomicFileWriter::Abandon() {
  // Removed while still locked, before another save could take it for its own.
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  temporary_.clear();
  buffer_.clear();
  written_ = 0;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* failure) {
  AtomicFileWriter writer;
  if (writer.Open(path) && writer.Append(bytes) && writer.Commit()) return true;
  if (failure) *failure = writer.failure();
  return false;
}

void SetSaveFaultForTesting(SaveFault fault) { saveFault.store(fault); }

}  // namespace vm
