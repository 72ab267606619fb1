// The UCI host as main sees it: the hook table through which it drives the
// engine, the output it lends the engine, and its main loop.
#pragma once

#include "common/golimits.h"

// The engine's routines behind the protocol's commands; main fills them.
struct EngineHooks {
  void (*uciHook)();                       // "uci": identity and options
  void (*isReadyHook)(int hashMegabytes);  // "isready", with the Hash option
  void (*positionHook)(const char* args);  // "position"
  void (*setOptionHook)();                 // "setoption"
  void (*goHook)(const GoLimits& go);      // "go": returns when the search is over
  void (*bestMoveHook)(int stopped);       // the bestmove line of the last go
  void (*quitHook)();                      // "quit"
  // Signals to a running search, sent from the input thread.
  void (*stopHook)();       // end the search now
  void (*ponderhitHook)();  // the go's limits apply from now on
};

// The host's own answers to "uci" and "setoption".
void uciHook();
void setOptionHook();

// The output the host lends the engine: one protocol line to the GUI (and, in
// debug mode, to the log), and the signal that the engine's search has
// started, so that "stop" and "ponderhit" are served while it runs.
void sendLine(const char* line);
void searchStarted();

// Runs the engine's front end until "quit" (or the end of input); returns the
// process exit code.
int runHost(const EngineHooks& hooks);
