// The engine's side of the protocol: the output that main injects, the
// signals that reach a running search, and the position command.
#include <cstdarg>
#include <cstdio>

#include "board/board.h"
#include "search/search.h"
#include "search/search_internal.h"

std::atomic<int> abortSearch{0};
std::atomic<int> untimedSearch{0};

namespace {

// Longest line the engine writes: a full principal line stays far below it.
constexpr int LINE_SIZE = 1024;

void discardLine(const char*) {}
void nothingToAnnounce() {}

EngineOutput engineOutput{discardLine, nothingToAnnounce};

}  // namespace

void setEngineOutput(const EngineOutput& output) { engineOutput = output; }

void report(const char* format, ...) {
  char line[LINE_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  engineOutput.sendLine(line);
}

void announceSearchStarted() { engineOutput.searchStarted(); }

void stopSearch() { abortSearch = 1; }

void ponderHit() { untimedSearch = 0; }

void setPosition(const char* args) {
  if (const char* refusal = setupPosition(args)) report("info string position rejected: %s", refusal);
}
