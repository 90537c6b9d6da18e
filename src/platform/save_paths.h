#pragma once
// The paths a save works with: the file a path finally names, its folder, and the name of its
// temporary file.

#include <string>
#include <string_view>

namespace vm {

// The file `path` names once symbolic links are followed, also when that file does not exist
// yet: a dangling link is saved through, creating the file it names, as a plain write would.
// A chain of links too long to follow is left as it stands.
std::string SaveTarget(const std::string& path);

// The folder part of a path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// Where the save of `target` writes first: beside it, under a name of at most 64 bytes made
// from the target's own name, the same at every save of that target.
std::string TemporaryPath(const std::string& target);

}  // namespace vm
