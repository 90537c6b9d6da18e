#pragma once
// velomira-play's standard output, written without ever blocking: what the reader does not
// take at once waits in a backlog, so that a script that stops reading cannot hold the main
// loop (and with it the quit signals) in a write.

#include <cstddef>
#include <string>
#include <string_view>

namespace vm::play {

// Answers held for a reader that has stopped reading. Past it the main loop reads no more
// commands until the reader takes some; the wheel plays on meanwhile.
inline constexpr size_t kAnswerBacklogBytes = 64 * 1024;

class StandardOutput {
 public:
  // Queues `text` and writes what the output takes now.
  void Put(std::string_view text);
  // Writes what the output takes now without waiting. False once a write has failed; the
  // rest then stays unwritten and reason() says why.
  bool Flush();
  bool Pending() const { return written_ < backlog_.size(); }
  bool Full() const { return backlog_.size() - written_ >= kAnswerBacklogBytes; }
  bool Failed() const { return error_ != 0; }
  std::string reason() const;

 private:
  std::string backlog_;
  size_t written_ = 0;  // bytes of backlog_ already out
  int error_ = 0;
};

}  // namespace vm::play
