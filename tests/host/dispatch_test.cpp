// The input thread's line handling and the dispatcher, driven on one thread:
// while a line is pending, the reader runs the dispatcher itself. Beside them
// the Hash option, the log's time stamp and the allocation failure report.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/common.h"
#include "host/host_internal.h"

namespace {

std::vector<std::string> calls;  // every hook call, in order
int dispatchResult = 1;
int dispatchCount = 0;

// How the fake search behaves, and the bytes it receives while it runs.
struct SearchPlan {
  bool releasesPending = true, endOfInput = false;
  const char* during = "";
} plan;
int searchAborted = 0;  // set through the stop hook

void fakeGo(const GoLimits&) {
  calls.push_back(std::string("go ") + commandArgs);
  if (!plan.releasesPending) return;
  searchAborted = 0;
  searchStarted();
  handleInputBytes(plan.during, std::strlen(plan.during));
  if (plan.endOfInput) handleEndOfInput();
  calls.push_back(searchAborted ? "search aborted" : "search ended");
}

EngineHooks fakeHooks() {
  EngineHooks hooks{};
  hooks.uciHook = [] { calls.push_back("uci"); };
  hooks.isReadyHook = [](int) { calls.push_back("isready"); };
  hooks.positionHook = [](const char* args) { calls.push_back(std::string("position ") + args); };
  hooks.setOptionHook = [] { calls.push_back(std::string("setoption ") + commandArgs); };
  hooks.goHook = fakeGo;
  hooks.bestMoveHook = [](int stopped) { calls.push_back("bestmove " + std::to_string(stopped)); };
  hooks.quitHook = [] { calls.push_back("quit"); };
  hooks.stopHook = [] { searchAborted = 1; };
  hooks.ponderhitHook = [] {};
  return hooks;
}

// The main loop's part: after "quit" the process would be gone, so nothing
// more is executed.
void runDispatcher() {
  if (++dispatchCount > 1000) {  // a line that never clears: stop instead of hanging
    ADD_FAILURE() << "the dispatcher keeps executing the same line";
    dispatchResult = 0;
  }
  if (dispatchResult == 1) dispatchResult = dispatchCommand();
  if (dispatchResult == 0) commandPending = 0;
}

class Dispatch : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    dispatchResult = 1;
    dispatchCount = 0;
    plan = SearchPlan{};
    commandPending = 0;
    thinking = 0;
    searchAborted = 0;
    debugMode = 0;
    resetInputReader();
    engineHooks = fakeHooks();
    whileCommandPending = runDispatcher;
    output.clear();
  }

  // Feeds the first count bytes as one read, then executes what is still pending.
  void feed(const std::string& bytes, std::size_t count = std::string::npos) {
    testing::internal::CaptureStdout();
    handleInputBytes(bytes.data(), std::min(count, bytes.size()));
    // The main loop's next polls (a bounded number, in case a line never clears).
    for (int poll = 0; poll < 100 && commandPending != 0; ++poll) runDispatcher();
    output += testing::internal::GetCapturedStdout();
  }

  std::string output;  // what the commands wrote to standard output
};

using Calls = std::vector<std::string>;

// What the reader does with lines that arrive while the fake search runs, and
// where the one bestmove comes from.
TEST_F(Dispatch, LinesDuringASearch) {
  struct Case {
    SearchPlan plan;
    const char* input;
    Calls expected;
    const char* output;
  };
  const Case cases[] = {
      // Served by the reader without the engine's set-up; stop aborts, the dispatcher reports.
      {{true, false, "isready\ndebug off\nponderhit\nstop\n"}, "go wtime 1000\n",
       {"go wtime 1000", "search aborted", "bestmove 0"}, "readyok\n"},
      // An untimed search gets its bestmove from the reader at "stop".
      {{true, false, "stop\n"}, "go infinite\n", {"go infinite", "bestmove 1", "search aborted"}, ""},
      // After ponderhit the search is timed: it ends and the dispatcher reports;
      // so does a ponderhit after the search has ended.
      {{true, false, "ponderhit\n"}, "go ponder\n", {"go ponder", "search ended", "bestmove 0"}, ""},
      {{true, false, ""}, "go ponder\nponderhit\n", {"go ponder", "search ended", "bestmove 0"}, ""},
      // Any other line stops the search and runs after its bestmove.
      {{true, false, "position startpos\n"}, "go depth 5\n",
       {"go depth 5", "search aborted", "bestmove 0", "position startpos"}, ""},
      {{true, false, "quit\n"}, "go movetime 100\n",
       {"go movetime 100", "search aborted", "bestmove 0", "quit"}, ""},
      {{true, true, ""}, "go wtime 5000\n", {"go wtime 5000", "search aborted", "bestmove 0", "quit"}, ""},
      // A go that keeps its line pending still runs once.
      {{false, false, ""}, "go\nisready\n", {"go ", "bestmove 0", "isready"}, "readyok\n"},
  };
  for (const Case& c : cases) {
    SetUp();
    plan = c.plan;
    feed(c.input);
    EXPECT_EQ(calls, c.expected) << c.input;
    EXPECT_EQ(output, c.output) << c.input;
    EXPECT_EQ(commandPending, 0) << c.input;
    EXPECT_EQ(dispatchResult, c.expected.back() == "quit" ? 0 : 1) << c.input;
  }
}

// A line too long for the buffer is dropped up to its line end, and nothing
// beyond the end of the read is taken.
TEST_F(Dispatch, OverlongLineIsDroppedAndTheReadEndsWhereItEnds) {
  const std::string read = std::string(COMMAND_BUFFER_SIZE + 2000, 'x') + "\nisready\n";
  feed(read + "uci\n" + std::string(COMMAND_BUFFER_SIZE, ' '), read.size());
  EXPECT_EQ(calls, Calls{"isready"});
}

int hashAfter(const char* args) {
  std::strcpy(commandArgs, args);
  setOptionHook();
  return hashSizeMb;
}

TEST(Options, HashValueIsReadAndKeptInRange) {
  hashSizeMb = 1;
  EXPECT_EQ(hashAfter("name Hash value 64"), 64);
  EXPECT_EQ(hashAfter("name hash value 32"), 32);  // names in any letter case
  EXPECT_EQ(hashAfter("name Ponder value false"), 32);
  EXPECT_EQ(hashAfter("name Hash value 32MB"), 32);
  EXPECT_EQ(hashAfter("name Hash value abc"), 1);
  EXPECT_EQ(hashAfter("name Hash value -5"), 1);
  EXPECT_EQ(hashAfter("name Hash value 1024"), 1024);
  EXPECT_EQ(hashAfter("name Hash value 1025"), 1024);
  EXPECT_EQ(hashAfter("name Hash value"), 1024);  // no blank behind "value": not the option text
  EXPECT_EQ(hashAfter("name Hash value 99999999999"), 1024);
  EXPECT_EQ(hashAfter("name Hash value -99999999999"), 1);
  // A shorter line reads nothing of a longer one before it.
  EXPECT_EQ(hashAfter("name Ponder value false hash value 8"), 8);
  EXPECT_EQ(hashAfter("name Hash value 2"), 2);
  EXPECT_EQ(hashAfter("name Ponder value true"), 2);
}

// The log's time stamp is the local time of day (within two seconds, across
// midnight too).
TEST(Timestamp, IsTheLocalTimeOfDay) {
  char text[64] = "&H:&I:&S";
  const std::time_t now = std::time(nullptr);
  formatTimestamp(text, 0);
  std::tm parts{};
  localtime_r(&now, &parts);
  const int stamped = std::stoi(text) * 3600 + std::stoi(text + 3) * 60 + std::stoi(text + 6);
  const int apart = (stamped - (parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec) + 86400) % 86400;
  EXPECT_TRUE(apart <= 2 || apart >= 86398) << text;
}

// A failed allocation is reported on standard output and gives null; in a
// child process whose address space is capped, so that the allocation really
// fails (the sanitizers need more address space than that).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(AllocZeroed, ReportsAFailureInGermanAndGivesNull) {
  auto allocateTooMuch = [] {
    const rlimit cap{1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &cap);
    testing::internal::CaptureStdout();
    void* block = allocZeroed(4294967295u);
    const std::string said = testing::internal::GetCapturedStdout();
    std::exit(block == nullptr && said == "4294967295 Bytes Arbeitsspeicher nicht mehr verf\x81gbar\n" ? 0 : 1);
  };
  EXPECT_EXIT(allocateTooMuch(), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
