#pragma once
// The extension rule of the save commands.

#include <string>
#include <string_view>

namespace vm {

// `name` unchanged when it ends in `extension` in any letter case, else `name` + `extension`
// (the name's own case untouched). `extension` is given in lower case, dot included.
std::string WithExtension(const std::string& name, std::string_view extension);

}  // namespace vm
