#pragma once
// Where this user may keep a file: whether a place can take one, and the user's own
// configuration folder.

#include <string>

namespace vm {

// Whether `path` can take a file this user writes: an existing regular file the user may
// write, or a folder the user may create files in (where the file would be replaced or made).
// A folder, device or other non-file at `path` cannot. Creates nothing.
bool CanTakeFile(const std::string& path);

// The folder where `program` keeps this user's configuration (on Linux
// $XDG_CONFIG_HOME/program or ~/.config/program: Qt's AppConfigLocation for an application of
// that name; a relative $XDG_CONFIG_HOME counts as unset). Empty when there is none. Creates
// nothing.
std::string UserConfigFolder(const std::string& program);

// Creates `folder` and its missing parents, for this user only. True when it exists afterwards.
bool MakeUserFolder(const std::string& folder);

}  // namespace vm
