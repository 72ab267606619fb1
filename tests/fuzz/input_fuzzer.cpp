// libFuzzer target: feeds arbitrary bytes through the input thread's line
// assembly and clean-up, the dispatcher and the engine's real hooks, all in
// one thread. "go" runs a two-ply search without a clock instead of a timed
// one, so that every position the input sets up is also searched (a watchdog
// stops a search that runs longer than 300 milliseconds).
//
// Output to the GUI goes to /dev/null; run it from a scratch directory, where
// it links "LogBook.txt" to /dev/null so that debug mode logs nowhere.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "host/host_internal.h"
#include "search/search.h"

namespace {

constexpr int FUZZ_SEARCH_DEPTH = 2;
// A Hash size the fuzzer really allocates; larger settings are cut to it, so
// that a fuzzed "setoption" cannot make every input allocate a gigabyte.
constexpr int FUZZ_HASH_LIMIT_MB = 4;

bool quitDone = false;  // the input has sent "quit": the real process would have ended

// In a position full of promotions and captures even a two-ply search can
// take its quiescence search through millions of nodes. The real engine's
// clock ends such a search; here a watchdog stops it after 300 milliseconds, as
// a GUI's "stop" would, so that the fuzzer keeps going.
using SteadyClock = std::chrono::steady_clock;
constexpr auto SEARCH_LIMIT = std::chrono::milliseconds(300);
std::atomic<SteadyClock::rep> searchDeadline{0};  // 0 while no search runs

void watchdog() {
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const SteadyClock::rep deadline = searchDeadline;
    if (deadline != 0 && SteadyClock::now().time_since_epoch().count() > deadline) stopSearch();
  }
}

void fuzzIsReady(int hashMegabytes) { prepareTables(hashMegabytes < FUZZ_HASH_LIMIT_MB ? hashMegabytes : FUZZ_HASH_LIMIT_MB); }

// The host has read the go words; a fixed-depth search replaces the real one.
void fuzzGo(const GoLimits&) {
  searchDeadline = (SteadyClock::now() + SEARCH_LIMIT).time_since_epoch().count();
  searchToDepth(FUZZ_SEARCH_DEPTH);
  searchDeadline = 0;
}

// The main thread's work, run wherever the input thread would wait for it.
void dispatchPending() {
  if (quitDone) {
    commandPending = 0;  // the process would have ended: nothing is executed
    return;
  }
  if (dispatchCommand() == 0) {
    quitDone = true;
    commandPending = 0;
  }
}

// The state of a freshly started engine.
void startEngine() {
  resetInputReader();
  commandPending = 0;
  thinking = 0;
  debugMode = 0;
  quitDone = false;
  releaseTables();
  hashSizeMb = 1;
  prepareTables(1);
  // A placement without kings is refused, which leaves no position, as at start.
  setPosition("fen 8/8/8/8/8/8/8/8 w - - 0 1");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  std::error_code ignored;
  if (!std::filesystem::exists("LogBook.txt", ignored)) {
    std::filesystem::create_symlink("/dev/null", "LogBook.txt", ignored);
  }
  setEngineOutput({sendLine, searchStarted});
  EngineHooks hooks{};
  hooks.uciHook = uciHook;
  hooks.isReadyHook = fuzzIsReady;
  hooks.positionHook = setPosition;
  hooks.setOptionHook = setOptionHook;
  hooks.goHook = fuzzGo;
  hooks.bestMoveHook = reportBestMove;
  hooks.quitHook = releaseTables;
  hooks.stopHook = stopSearch;
  hooks.ponderhitHook = ponderHit;
  engineHooks = hooks;
  whileCommandPending = dispatchPending;
  std::thread(watchdog).detach();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  startEngine();
  handleInputBytes(reinterpret_cast<const char*>(data), size);
  handleEndOfInput();  // hands over "quit" after the unfinished last line
  while (commandPending != 0) dispatchPending();
  return 0;
}
