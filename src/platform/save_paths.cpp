#include "platform/save_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace vm {
namespace {

constexpr int kMostLinks = 40;  // as the system's own limit for one lookup
constexpr size_t kNameBytesKept = 32;

// Everything up to and including the last "/", or nothing.
std::string_view FolderPart(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string ReadLink(const std::string& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

// FNV-1a, 64 bits: stable from run to run, unlike std::hash.
uint64_t NameHash(std::string_view name) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : name) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string Hex(uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 0xFu];
  return text;
}

// The start of a name, without a multi-byte UTF-8 character cut in two.
std::string_view Beginning(std::string_view name) {
  if (name.size() <= kNameBytesKept) return name;
  size_t cut = kNameBytesKept;
  while (cut > 0 && (static_cast<uint8_t>(name[cut]) & 0xC0u) == 0x80u) --cut;
  return name.substr(0, cut);
}

}  // namespace

std::string SaveTarget(const std::string& path) {
  std::string target = path;
  for (int link = 0; link < kMostLinks; ++link) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    const std::string next = ReadLink(target);
    if (next.empty()) return target;
    target = next.front() == '/' ? next : std::string(FolderPart(target)) + next;
  }
  return target;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string TemporaryPath(const std::string& target) {
  const std::string_view folder = FolderPart(target);
  const std::string_view name = std::string_view(target).substr(folder.size());
  // Hidden, and at most 1 + 32 + 1 + 16 + 4 bytes whatever the target's name.
  return std::string(folder) + "." + std::string(Beginning(name)) + "." + Hex(NameHash(name)) + ".tmp";
}

}  // namespace vm
