#include "platform/user_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>

namespace vm {
namespace {

bool MayWrite(const std::string& path, int mode) { return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0; }

std::string FolderOf(const std::string& path) {
  const size_t separator = path.find_last_of('/');
  if (separator == std::string::npos) return ".";
  return separator == 0 ? "/" : path.substr(0, separator);
}

}  // namespace

bool CanTakeFile(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  // stat follows a link: a link to a file is judged by that file, a dangling one by its folder.
  if (::stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return false;
    if (MayWrite(path, W_OK)) return true;
  } else if (errno != ENOENT) {
    return false;
  }
  return MayWrite(FolderOf(path), W_OK | X_OK);
}

std::string UserConfigFolder(const std::string& program) {
  // The generic folder plus our own name, not AppConfigLocation itself: that one is named after
  // the running executable's file, and a renamed copy must find the same settings.
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  // A relative XDG_CONFIG_HOME is invalid and to be ignored: taken as it is, the settings would
  // land under whatever folder the program was started in.
  const QString xdgConfigHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
  if (!xdgConfigHome.isEmpty() && QDir::isRelativePath(xdgConfigHome)) base = QDir::homePath() + "/.config";
  if (base.isEmpty()) return std::string();
  return QFile::encodeName(QDir::cleanPath(base + '/' + QFile::decodeName(program.c_str()))).toStdString();
}

bool MakeUserFolder(const std::string& folder) {
  if (folder.empty()) return false;
  // Each missing folder only for this user: configuration may say more about a user than
  // others should read.
  for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace vm
