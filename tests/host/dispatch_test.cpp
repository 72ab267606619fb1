// The input thread's line handling and the dispatcher, driven on one thread:
// while a line is pending, the reader runs the dispatcher itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_internal.h"

namespace {

std::vector<std::string> calls;  // every hook call, in order
int dispatchResult = 1;
int dispatchCount = 0;

// Bytes the fake search receives while it runs, and how it behaves.
std::string bytesDuringSearch;
bool endOfInputDuringSearch = false;
bool untimedGo = false;
bool releasesPending = true;

void fakeGo() {
  calls.push_back(std::string("go ") + commandArgs);
  untimedSearch = untimedGo ? 1 : 0;
  if (!releasesPending) return;
  abortSearch = 0;
  thinking = 1;
  commandPending = 0;
  handleInputBytes(bytesDuringSearch.data(), bytesDuringSearch.size());
  if (endOfInputDuringSearch) handleEndOfInput();
  calls.push_back(abortSearch ? "search aborted" : "search ended");
  thinking = 0;
}

EngineHooks fakeHooks() {
  EngineHooks hooks{};
  hooks.uciHook = [] { calls.push_back("uci"); };
  hooks.isReadyHook = [] { calls.push_back("isready"); };
  hooks.positionHook = [](const char* args) { calls.push_back(std::string("position ") + args); };
  hooks.setOptionHook = [] { calls.push_back(std::string("setoption ") + commandArgs); };
  hooks.goHook = fakeGo;
  hooks.bestMoveHook = [](int stopped) { calls.push_back("bestmove " + std::to_string(stopped)); };
  hooks.quitHook = [] { calls.push_back("quit"); };
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
    bytesDuringSearch.clear();
    endOfInputDuringSearch = false;
    untimedGo = false;
    releasesPending = true;
    commandPending = 0;
    thinking = 0;
    abortSearch = 0;
    untimedSearch = 0;
    debugMode = 0;
    resetInputReader();
    engineHooks = fakeHooks();
    whileCommandPending = runDispatcher;
    output_.clear();
  }

  // Feeds the chunks as separate reads, then executes what is still pending.
  void feed(const std::vector<std::string>& chunks, bool thenEndOfInput = false) {
    testing::internal::CaptureStdout();
    for (const std::string& chunk : chunks) handleInputBytes(chunk.data(), chunk.size());
    if (thenEndOfInput) handleEndOfInput();
    // The main loop's next polls (a bounded number, in case a line never clears).
    for (int poll = 0; poll < 100 && commandPending != 0; ++poll) runDispatcher();
    output_ += testing::internal::GetCapturedStdout();
  }
  void feed(const std::string& bytes, bool thenEndOfInput = false) {
    feed(std::vector<std::string>{bytes}, thenEndOfInput);
  }

  // What the commands wrote to standard output.
  const std::string& output() const { return output_; }

 private:
  std::string output_;
};

using Calls = std::vector<std::string>;

TEST_F(Dispatch, EveryLineEndAndASplitLineGiveOneCommand) {
  feed({"isready\r\nisready\nisready\risready\n\r", "isr", "eady\r", "\n"});
  EXPECT_EQ(calls, Calls(5, "isready"));
  EXPECT_EQ(output(), "readyok\nreadyok\nreadyok\nreadyok\nreadyok\n");
}

TEST_F(Dispatch, LinesAreCleanedUpAndSplit) {
  feed("  position \t startpos   moves\te2e4  \nsetoption name Hash value 8\nisready\n");
  EXPECT_EQ(calls, (Calls{"position startpos moves e2e4", "setoption name Hash value 8", "isready"}));
  EXPECT_STREQ(commandWord, "isready");
  EXPECT_STREQ(commandArgs, "");
}

TEST_F(Dispatch, WordsMatchWholeAndIgnoringCase) {
  feed("ISREADY\nUci\nucinewgame\nregister later\ngarbage\nuciok\nStop\nPonderHit\n");
  EXPECT_EQ(calls, (Calls{"isready", "uci", "bestmove 1", "bestmove 0"}));
  EXPECT_EQ(output(), "readyok\nuciok\n");
}

TEST_F(Dispatch, DebugSwitchesOnlyWithOnOrOff) {
  feed("debug\n");
  EXPECT_EQ(debugMode, 0);
  feed("debug maybe\n");
  EXPECT_EQ(debugMode, 0);
  debugMode = 1;
  feed("DEBUG OFF\n");
  EXPECT_EQ(debugMode, 0);
  // Logging on would write a log into the working folder; the switch alone is tested here.
  std::strcpy(commandArgs, "On");
  applyDebugCommand();
  EXPECT_EQ(debugMode, 1);
  debugMode = 0;
}

TEST_F(Dispatch, QuitEndsTheLoop) {
  feed("isready\nQuit\nisready\n");
  EXPECT_EQ(dispatchResult, 0);
  EXPECT_EQ(calls, (Calls{"isready", "quit"}));
}

TEST_F(Dispatch, EndOfInputHandlesThePartialLineThenQuits) {
  feed("uci\nisready", true);
  EXPECT_EQ(calls, (Calls{"uci", "isready", "quit"}));
  EXPECT_EQ(dispatchResult, 0);
}

TEST_F(Dispatch, OverLongLinesAreDroppedWhole) {
  const std::string longLine = "position fen " + std::string(20000, '8');
  feed({longLine.substr(0, 7000), longLine.substr(7000) + "\r\nisready\n"});
  EXPECT_EQ(calls, Calls{"isready"});

  // Read in one piece, and at the end of input without a line end.
  calls.clear();
  feed(longLine + "\nisready\n" + longLine, true);
  EXPECT_EQ(calls, (Calls{"isready", "quit"}));

  // A line that still fits the buffer is taken.
  SetUp();
  const std::string longest = "position " + std::string(COMMAND_BUFFER_SIZE - 12, 'x');
  feed(longest + "\n");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], longest);
}

TEST_F(Dispatch, ZeroBytesDoNotCutALine) {
  feed(std::string("position\0startpos\n", 18));
  EXPECT_EQ(calls, Calls{"position startpos"});
}

TEST_F(Dispatch, DuringATimedSearchTheReaderServesAndStops) {
  bytesDuringSearch = "isready\ndebug off\nponderhit\nstop\n";
  feed("go wtime 1000\n");
  // Answered at once without the engine's table set-up; one bestmove, from the dispatcher.
  EXPECT_EQ(calls, (Calls{"go wtime 1000", "search aborted", "bestmove 0"}));
  EXPECT_EQ(output(), "readyok\n");
  EXPECT_EQ(commandPending, 0);
}

TEST_F(Dispatch, StopDuringAnUntimedSearchIsAnsweredByTheReader) {
  untimedGo = true;
  bytesDuringSearch = "stop\n";
  feed("go infinite\n");
  EXPECT_EQ(calls, (Calls{"go infinite", "bestmove 1", "search aborted"}));
}

TEST_F(Dispatch, PonderhitTurnsTheSearchTimed) {
  untimedGo = true;
  bytesDuringSearch = "ponderhit\n";
  feed("go ponder\n");
  EXPECT_EQ(calls, (Calls{"go ponder", "search ended", "bestmove 0"}));
}

TEST_F(Dispatch, ALineDuringASearchRunsAfterItsBestmove) {
  bytesDuringSearch = "position startpos\n";
  feed("go depth 5\n");
  EXPECT_EQ(calls, (Calls{"go depth 5", "search aborted", "bestmove 0", "position startpos"}));
  EXPECT_EQ(commandPending, 0);
}

TEST_F(Dispatch, QuitOrEndOfInputDuringASearchReportsThenQuits) {
  bytesDuringSearch = "quit\n";
  feed("go movetime 100\n");
  EXPECT_EQ(calls, (Calls{"go movetime 100", "search aborted", "bestmove 0", "quit"}));
  EXPECT_EQ(dispatchResult, 0);

  SetUp();
  endOfInputDuringSearch = true;
  feed("go wtime 5000\n");
  EXPECT_EQ(calls, (Calls{"go wtime 5000", "search aborted", "bestmove 0", "quit"}));
  EXPECT_EQ(dispatchResult, 0);
}

TEST_F(Dispatch, AGoThatKeepsTheLinePendingRunsOnce) {
  releasesPending = false;
  feed("go\nisready\n");
  EXPECT_EQ(calls, (Calls{"go ", "bestmove 0", "isready"}));
  EXPECT_EQ(commandPending, 0);
}

}  // namespace
