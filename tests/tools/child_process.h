#pragma once
// A program run as a child with its standard streams on pipes (standard output optionally
// on a pseudo-terminal, standard input optionally from a file, either of them optionally
// closed) and a few environment variables set for it alone.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace vm::test {

struct ChildStreams {
  bool terminalOutput = false;
  std::string inputFile;  // standard input read from this file instead of a pipe
  bool closeInput = false;
  bool closeOutput = false;
};

class ChildProcess {
 public:
  // `environment` entries replace the inherited ones; an empty value removes one.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& environment, const ChildStreams& streams = {});
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  void Send(const std::string& text);
  // The next line of standard output without its line end; empty after `timeout`.
  std::string ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  void Signal(int signal);
  // Closes the test's end of standard output, as a reader that has gone away.
  void CloseOutput();
  // The exit code, or -1 when the child was killed by a signal or outlived `timeout`.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Whether the child ends within `timeout`, its output left unread and its input open; Wait
  // then gives its exit code.
  bool EndsWithin(std::chrono::milliseconds timeout);
  // Everything read from standard output and standard error so far (all of it after Wait).
  const std::string& Output() const { return out_; }
  const std::string& Errors() const { return err_; }

 private:
  void Drain(int timeoutMs);

  pid_t pid_ = -1;
  int status_ = -1;  // of a child that EndsWithin saw end
  int in_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  size_t lineStart_ = 0;
  std::string err_;
};

}  // namespace vm::test
