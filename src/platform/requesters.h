#pragma once
// Message boxes and file requesters behind one interface, so that tests can script them
// and never sit in a modal loop.

#include <string>

#include "platform/toolkit.h"

namespace vm {

struct FileRequest {
  std::string title;
  std::string initialPath;  // a folder ending in its separator, optionally followed by a name or pattern
  std::string filter;       // pairs "label|pattern", joined by "|"
  int filterIndex = 0;
};

class Requesters {
 public:
  virtual ~Requesters() = default;
  // One OK button; `icon` false shows none. `ownerWindow` WindowId{-1} means no owner.
  virtual void MessageBox(const std::string& title, const std::string& text, bool icon, WindowId ownerWindow) = 0;
  // The chosen full path, or empty text when cancelled. The file need not exist; the
  // save requester asks nothing before replacing a file; neither changes the current directory.
  virtual std::string OpenFile(const FileRequest& request) = 0;
  virtual std::string SaveFile(const FileRequest& request) = 0;
};

}  // namespace vm
