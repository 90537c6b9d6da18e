// velomira-play's standard streams under a hostile script: answers nobody reads, streams
// closed at the start, and bytes that would break the one-answer-a-line protocol.

#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "child_process.h"
#include "played_stream.h"
#include "support/files.h"
#include "support/samples.h"

namespace vm::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Args = std::vector<std::string>;
using namespace std::string_literals;

// The program's own lines on standard error; SDL's disk driver adds its own.
std::string OwnLines(const std::string& errors) {
  std::string own;
  for (size_t at = 0; at < errors.size();) {
    const size_t end = std::min(errors.find('\n', at), errors.size() - 1) + 1;
    if (errors.compare(at, 9, "CRITICAL:") != 0) own += errors.substr(at, end - at);
    at = end;
  }
  return own;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif

class PlayStreams : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }

  std::unique_ptr<ChildProcess> Play(const Args& args, const ChildStreams& streams = {}) const {
    auto child = std::make_unique<ChildProcess>(
        VELOMIRA_PLAY, args,
        std::map<std::string, std::string>{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", Path("device.raw")}},
        streams);
    EXPECT_TRUE(child->Started());
    return child;
  }
  std::vector<int16_t> Played() const { return Channel(ReadFile(Path("device.raw")), 0); }
  void AwaitSound() const {
    for (int i = 0; i < 2000 && FirstSound(Played()) == Played().size(); ++i)
      std::this_thread::sleep_for(milliseconds(5));
  }

 private:
  ScratchDir dir_;
};

// A script that sends commands and never reads an answer: the program may not hang in a
// write, so a quit signal still ends it at once, with silence.
TEST_F(PlayStreams, QuitSignalsEndItWhileItsAnswersGoUnread) {
  std::string commands = "rpm 1000\n";
  for (int i = 0; i < 200000; ++i) commands += "revolutions\n";
  WriteFile(Path("commands.txt"), commands);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    ChildStreams streams;
    streams.inputFile = Path("commands.txt");
    auto play = Play({"--control"}, streams);
    AwaitSound();
    std::this_thread::sleep_for(milliseconds(300));  // every pipe and the backlog full by now
    const auto sent = std::chrono::steady_clock::now();
    play->Signal(signal);
    ASSERT_TRUE(play->EndsWithin(milliseconds(2000 * kSlowdown))) << "still running";
    const auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - sent);
    std::printf("[ figures  ] %s with answers unread: ended after %lld ms\n", strsignal(signal),
                static_cast<long long>(took.count()));
    EXPECT_EQ(play->Wait(), 0) << play->Errors();
    const std::vector<int16_t> left = Played();
    EXPECT_LT(SilenceFrom(left, FirstSound(left)), left.size()) << "no silence at the end";
    fs::remove(Path("device.raw"));
  }
}

// Answers held back for a slow reader all arrive, in order, one for each command.
TEST_F(PlayStreams, AnswersWaitForASlowReaderAndNoneIsLost) {
  constexpr int kLines = 30000;
  std::string commands = "rpm 1000\n";
  for (int i = 0; i < kLines; ++i) commands += i % 2 ? "revolutions\n" : "fly\n";
  WriteFile(Path("commands.txt"), commands + "quit\n");
  ChildStreams streams;
  streams.inputFile = Path("commands.txt");
  auto play = Play({"--control"}, streams);
  std::this_thread::sleep_for(milliseconds(500));
  ASSERT_EQ(play->Wait(), 0) << play->Errors();
  const std::string& out = play->Output();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), kLines + 2);
  EXPECT_EQ(out.rfind("ok\nerror: unknown command \"fly\"\nok ", 0), 0u);
  EXPECT_EQ(out.substr(out.size() - 3), "ok\n");
}

// The program's own descriptors never take a closed stream's number: a closed input under
// --control is the end of the script, and a closed output, or one whose reader has gone,
// fails the first answer aloud.
TEST_F(PlayStreams, ClosedStandardStreams) {
  // clang-format off
  const struct { bool closeInput, closeOutput, readerGone; int code; const char* errors; } cases[] = {
      {true, false, false, 0, ""},
      {false, true, false, 1, "velomira-play: cannot write to standard output: Bad file descriptor\n"},
      {false, false, true, 1, "velomira-play: cannot write to standard output: Broken pipe\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errors);
    ChildStreams streams;
    streams.closeInput = c.closeInput;
    streams.closeOutput = c.closeOutput;
    auto play = Play({"--control", "--rpm", "1000"}, streams);
    if (c.readerGone) play->CloseOutput();
    if (!c.closeInput) {
      AwaitSound();
      play->Send("revolutions\n");
    }
    ASSERT_TRUE(play->EndsWithin(milliseconds(3000 * kSlowdown))) << "plays on";
    EXPECT_EQ(play->Wait(), c.code);
    const std::string errors = OwnLines(play->Errors());
    EXPECT_EQ(errors, c.errors);
    fs::remove(Path("device.raw"));
  }
}

// One answer line for each command line, whatever bytes it holds; a CR LF ending is the
// line's end and not part of its 4096 bytes.
TEST_F(PlayStreams, EachCommandLineGetsOneAnswerLine) {
  const std::string longest = "rpm 2000" + std::string(4096 - 8, ' ');
  // clang-format off
  const struct { std::string line; std::string answer; } cases[] = {
      {"rpm 1000\r\r\n", "error: rpm R: expected a whole number from 1 to 300000, got \"1000\\r\""},
      {"fly\x1b[2J\0x\x9b\"\\\n"s, "error: unknown command \"fly\\x1b[2J\\x00x\\x9b\\\"\\\\\""},
      {longest + "\r\n", "ok"},
      {longest + " \r\n", "error: line longer than 4096 bytes"},
      {"\r\n", "error: empty line"},
      {"rpm 1000\r\n", "ok"},
  };
  // clang-format on
  auto play = Play({"--control"});
  for (const auto& c : cases) {
    play->Send(c.line);
    EXPECT_EQ(play->ReadLine(), c.answer) << c.line;
  }
  play->Send("quit\n");
  EXPECT_EQ(play->ReadLine(), "ok");
  ASSERT_EQ(play->Wait(), 0) << play->Errors();
  EXPECT_EQ(play->Output().find('\r'), std::string::npos);
}

}  // namespace
}  // namespace vm::test
