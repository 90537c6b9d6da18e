#include "common/file_name.h"

namespace vm {

std::string WithExtension(const std::string& name, std::string_view extension) {
  std::string tail = name.substr(name.size() < extension.size() ? 0 : name.size() - extension.size());
  for (char& c : tail) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return tail == extension ? name : name + std::string(extension);
}

}  // namespace vm
