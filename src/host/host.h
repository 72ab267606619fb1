// What the engine sees of the UCI host: the output routines, the shared
// command state and flags, the Hash option, and the hook table that main fills.
#pragma once

#include <atomic>

#include "common/golimits.h"

constexpr int COMMAND_BUFFER_SIZE = 16384;

// Shared between the input thread and the main thread.
extern std::atomic<int> commandPending;
extern std::atomic<int> debugMode;
extern std::atomic<int> thinking;
extern std::atomic<int> abortSearch;
extern std::atomic<int> untimedSearch;
extern char commandWord[COMMAND_BUFFER_SIZE];
extern char commandArgs[COMMAND_BUFFER_SIZE];

// The Hash option in megabytes: 1..1024, read when the tables are prepared.
extern int hashSizeMb;

// One line to the GUI (and, in debug mode, to the log).
void sendToGui(const char* format, ...) __attribute__((format(printf, 1, 2)));
// One time-stamped line to "LogBook.txt"; callers test debugMode themselves.
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

struct EngineHooks {
  void (*uciHook)();
  void (*isReadyHook)();
  void (*positionHook)(const char* args);
  void (*setOptionHook)();
  void (*goHook)(const GoLimits& go);
  void (*bestMoveHook)(int stopped);
  void (*quitHook)();
};

// The host's own answers to "uci" and "setoption".
void uciHook();
void setOptionHook();

// Runs the engine's front end until "quit" (or the end of input); returns the
// process exit code.
int runHost(const EngineHooks& hooks);
