#pragma once
// Text between the program and Qt. The program's text is 8-bit, one byte a character, read as
// ISO 8859-1 both ways: every byte shows as its own character and comes back as that byte, and
// a character typed that Latin-1 cannot hold comes back as "?". File paths instead keep the
// platform's own encoding, whatever bytes they hold.

#include <QFile>
#include <QString>

#include <string>

namespace vm::qtk {

inline QString ToQt(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text);

inline QString PathToQt(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

inline std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

// What a label, a status field or a title shows of a text: its start, as long as anyone can
// read there. Qt lays out the whole text it is given, which for a name of megabytes takes
// minutes; the program keeps the whole text.
inline constexpr qsizetype kShownCharacters = 256;
inline QString Shown(const std::string& text) {
  return ToQt(text.size() > static_cast<size_t>(kShownCharacters) ? text.substr(0, kShownCharacters) : text);
}

}  // namespace vm::qtk
