#pragma once
// Message boxes and file requesters on Qt: the program's real Requesters.

#include "platform/requesters.h"

namespace vm {

class Toolkit;

class QtRequesters : public Requesters {
 public:
  // Owner windows are looked up by number in `toolkit`.
  explicit QtRequesters(Toolkit& toolkit) : toolkit_(toolkit) {}
  void MessageBox(const std::string& title, const std::string& text, bool icon, WindowId ownerWindow) override;
  std::string OpenFile(const FileRequest& request) override;
  std::string SaveFile(const FileRequest& request) override;

 private:
  Toolkit& toolkit_;
};

// "Config (*.cfg)|*.cfg|All|*" as Qt's filter list: one entry per label and pattern pair.
// Exposed for tests.
std::string QtFilterList(const std::string& filter, int filterIndex, std::string* selected);

}  // namespace vm
