#pragma once
// Requesters for tests: file requesters answer from queues filled by the test, and every
// call is recorded with its arguments. Nothing is shown and nothing waits.

#include <deque>
#include <string>
#include <vector>

#include "platform/requesters.h"

namespace vm::test {

class ScriptedRequesters : public Requesters {
 public:
  enum class Kind { MessageBox, OpenFile, SaveFile };

  struct Call {
    Kind kind;
    std::string title;
    std::string text;          // message boxes
    bool icon = false;         // message boxes
    WindowId ownerWindow{-1};  // message boxes
    FileRequest request;       // file requesters
  };

  // Answers for the next requesters, oldest first; an empty queue answers "" (cancelled).
  std::deque<std::string> openAnswers;
  std::deque<std::string> saveAnswers;
  std::vector<Call> calls;

  void MessageBox(const std::string& title, const std::string& text, bool icon, WindowId ownerWindow) override {
    calls.push_back(Call{Kind::MessageBox, title, text, icon, ownerWindow, {}});
  }
  std::string OpenFile(const FileRequest& request) override {
    calls.push_back(Call{Kind::OpenFile, request.title, {}, false, WindowId{-1}, request});
    return Next(openAnswers);
  }
  std::string SaveFile(const FileRequest& request) override {
    calls.push_back(Call{Kind::SaveFile, request.title, {}, false, WindowId{-1}, request});
    return Next(saveAnswers);
  }

  int Count(Kind kind) const {
    int count = 0;
    for (const Call& call : calls) count += call.kind == kind ? 1 : 0;
    return count;
  }

 private:
  static std::string Next(std::deque<std::string>& answers) {
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace vm::test
