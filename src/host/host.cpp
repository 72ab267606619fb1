// Start-up, the shared command state and the command dispatcher.
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>

#include "host/host_internal.h"
#include "platform/platform.h"

std::atomic<int> commandPending{0};
std::atomic<int> debugMode{0};
std::atomic<int> thinking{0};
char commandWord[COMMAND_BUFFER_SIZE];
char commandArgs[COMMAND_BUFFER_SIZE];

EngineHooks engineHooks{};
std::atomic<unsigned> handOverCount{0};
std::atomic<bool> answerOwed{false};
std::atomic<bool> goWaitsForStop{false};
std::atomic<bool> answerOnCommand{false};

namespace {

// Never destroyed: the input thread may still wait on them while the process
// exits after "quit".
std::mutex& pollMutex = *new std::mutex;
std::condition_variable& pollWake = *new std::condition_variable;
unsigned pollCount = 0;

bool sameWordIgnoringCase(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

}  // namespace

unsigned pollGeneration() {
  std::lock_guard<std::mutex> guard(pollMutex);
  return pollCount;
}

void waitForPoll(unsigned generation) {
  std::unique_lock<std::mutex> lock(pollMutex);
  pollWake.wait_for(lock, std::chrono::milliseconds(10), [generation] { return pollCount != generation; });
}

void wakePoll() {
  {
    std::lock_guard<std::mutex> guard(pollMutex);
    ++pollCount;
  }
  pollWake.notify_all();
}

void answerGo(int stopped) {
  if (answerOwed.exchange(false)) engineHooks.bestMoveHook(stopped);
}

void searchStarted() {
  thinking = 1;
  commandPending = 0;
  wakePoll();
}

bool commandIs(const char* word) { return sameWordIgnoringCase(commandWord, word); }

void applyDebugCommand() {
  if (sameWordIgnoringCase(commandArgs, "off")) debugMode = 0;
  if (sameWordIgnoringCase(commandArgs, "on")) debugMode = 1;
}

int dispatchCommand() {
  if (commandPending == 0) return 1;
  if (debugMode) logLine("Processing: \"%s\" \"%s\"", commandWord, commandArgs);

  if (commandIs("debug")) {
    applyDebugCommand();
  } else if (commandIs("go")) {
    const unsigned handedOverBefore = handOverCount;
    const GoLimits go = parseGoLimits(commandArgs);
    answerOwed = true;
    goWaitsForStop = go.infinite;
    answerOnCommand = go.infinite || go.ponder;
    engineHooks.goHook(go);
    bool reportBestMove = false;
    {
      // Settled under the hand-over lock: a "ponderhit" or "stop" that
      // arrives now is either served as during the search or executed later.
      std::lock_guard<std::mutex> guard(handOverLock);
      thinking = 0;
      reportBestMove = !answerOnCommand;
      // The go line itself is done; a line handed over during the search
      // stays pending and is executed at the next poll.
      if (handOverCount == handedOverBefore) commandPending = 0;
    }
    wakePoll();
    if (reportBestMove) answerGo(0);
    return 1;
  } else if (commandIs("isready")) {
    engineHooks.isReadyHook(hashSizeMb);
    sendToGui("readyok");
  } else if (commandIs("ponderhit")) {
    if (!goWaitsForStop) answerGo(0);
  } else if (commandIs("position")) {
    engineHooks.positionHook(commandArgs);
  } else if (commandIs("quit")) {
    engineHooks.quitHook();
    return 0;
  } else if (commandIs("setoption")) {
    engineHooks.setOptionHook();
  } else if (commandIs("stop")) {
    answerGo(1);
  } else if (commandIs("uci")) {
    engineHooks.uciHook();
    sendToGui("uciok");
  } else if (debugMode) {
    logLine("Error: Unknown command - \"%s\" \"%s\"", commandWord, commandArgs);
  }
  commandPending = 0;
  wakePoll();
  return 1;
}

int runHost(const EngineHooks& hooks) {
  // Every line reaches the GUI at once; standard input is read raw.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  thinking = 0;
  commandPending = 0;
  engineHooks = hooks;
  if (!startRaisedThread(inputReader)) return 1;

  for (;;) {
    const unsigned generation = pollGeneration();
    if (dispatchCommand() == 0) break;
    waitForPoll(generation);
  }
  // The input thread may still be running; it must not be cut off mid-line.
  holdOutputForExit();
  return 0;
}
