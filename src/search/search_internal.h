// Pieces of the search shared between its own files (and its tests).
#pragma once

#include <atomic>
#include <cstdint>

#include "common/golimits.h"
#include "search/tuning.h"

// ---------------------------------------------------------------- signals and output
// Raised by "stop" (and any other command during a search) and by the clock;
// polled at every counted move.
extern std::atomic<int> abortSearch;
// Set by a go with "infinite" or "ponder": no limit applies until "ponderhit".
extern std::atomic<int> untimedSearch;

// One line to the GUI through the injected output.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Tells the output that the root moves are collected.
void announceSearchStarted();

// ---------------------------------------------------------------- transposition table
struct HashEntry {
  uint32_t lock;
  int16_t score;
  int8_t depth;
  uint8_t bound;
};
static_assert(sizeof(HashEntry) == 8);
enum : uint8_t { BOUND_UPPER, BOUND_EXACT, BOUND_LOWER };
constexpr uint32_t ENTRIES_PER_MB = 131072;

extern HashEntry* hashTable;
extern uint32_t hashEntries;
int probeHash(int alpha, int beta, int depth, int16_t* score);
void storeHash(int alpha, int beta, int depth, int16_t score);
// Starts bringing the entry of the position with this index key into the
// cache, for a probe that follows.
void prefetchHash(uint32_t indexKey);

// ---------------------------------------------------------------- time control
struct SearchLimits {
  uint32_t searchStart;  // tick count at the start of the go
  int timeBudgetMs;      // from the side's clock; at least 1
  bool clockRules;       // the iteration-end time rules apply (the side's clock, or no limit given)
  int64_t deadlineMs;    // the search is stopped once this much time has passed
  int depthLimit;        // the last iteration
  uint64_t nodeLimit;    // the search is stopped when this many moves are counted
  uint64_t nodeCount;    // moves counted since the go
};
constexpr int64_t NO_DEADLINE = INT64_MAX;
extern SearchLimits searchLimits;

int timeBudget(const GoLimits& go, int side);
// Sets searchLimits (all but the start and the count) and untimedSearch.
void setSearchLimits(const GoLimits& go, int side);
uint32_t elapsedMs();  // unsigned 32-bit difference of tick counts

// The limits' test behind countNode, at the moves where one may apply.
int checkLimits();

// Counts a searched move; nonzero when the search must stop. The limits are
// looked at every CLOCK_CHECK_INTERVAL moves and from the node limit on.
inline int countNode() {
  static_assert((CLOCK_CHECK_INTERVAL & (CLOCK_CHECK_INTERVAL - 1)) == 0, "a power of two");
  if (abortSearch) return abortSearch;
  const uint64_t count = ++searchLimits.nodeCount;
  if ((count & (CLOCK_CHECK_INTERVAL - 1)) != 0 && count < searchLimits.nodeLimit) return 0;
  return checkLimits();
}
