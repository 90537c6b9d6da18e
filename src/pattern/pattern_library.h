#pragma once
// Where patterns are found by name: the user's own folder, then a folder beside a portable
// copy of the program, then the installed library. A pattern NAME is the file NAME.pattern.

#include <string>
#include <string_view>
#include <vector>

namespace vm {

inline constexpr std::string_view kPatternFileExtension = ".pattern";
inline constexpr std::string_view kInstalledPatternFolder = "/usr/share/velomira/patterns";
inline constexpr size_t kMaxListedPatterns = 2000;  // a folder's files, beyond which a listing stops

// $XDG_DATA_HOME/velomira/patterns when XDG_DATA_HOME is an absolute path, otherwise
// $HOME/.local/share/velomira/patterns; empty without either.
std::string UserPatternFolder();

// The folders searched, first to last: the user's own; for a program not installed under
// /usr, "patterns" in the executable's folder and in its parent; the installed library.
std::vector<std::string> PatternFolders(const std::string& exePath);

// The file of the pattern `name` in the first folder that has it; empty when none has it or
// the name is not a pattern name.
std::string FindPatternFile(std::string_view name, const std::vector<std::string>& folders);

// Whether `text` names a file rather than a pattern of the library: it holds a "/" or ends
// in ".pattern".
bool NamesPatternFile(std::string_view text);
// The file `text` names: itself for a file, else FindPatternFile's.
std::string PatternPathOf(const std::string& text, const std::vector<std::string>& folders);

struct PatternListEntry {
  std::string name;
  std::string description;  // or why the file cannot be read
  std::string path;
};

// Every pattern of the folders, sorted by name; a name in an earlier folder hides the same
// name in a later one.
std::vector<PatternListEntry> ListPatterns(const std::vector<std::string>& folders);

// One line a pattern: its name, padded to the longest, two blanks and its description.
std::string PatternListText(const std::vector<PatternListEntry>& entries);

}  // namespace vm
