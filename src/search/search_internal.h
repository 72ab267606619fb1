// Pieces of the search shared between its own files (and its tests).
#pragma once

#include <cstdint>

#include "common/golimits.h"

// ---------------------------------------------------------------- hash keys
// 8192 random bytes: 1024 little-endian lock words, then 1024 index words.
extern unsigned char* keyBlock;
extern uint32_t keySeed;
constexpr uint32_t KEY_SEED = 30073;
void fillKeyBlock(unsigned n);
int randomInRange(int lo, int hi);

// ---------------------------------------------------------------- transposition table
struct HashEntry {
  uint32_t lock;
  int16_t score;
  int8_t depth;
  uint8_t bound;
};
static_assert(sizeof(HashEntry) == 8);
enum : uint8_t { BOUND_UPPER = 0, BOUND_EXACT = 1, BOUND_LOWER = 2 };
constexpr uint32_t ENTRIES_PER_MB = 131072;

extern HashEntry* hashTable;
extern uint32_t hashEntries;
int probeHash(int alpha, int beta, int depth, int16_t* score);
void storeHash(int alpha, int beta, int depth, int16_t score);

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
int countNode();
uint32_t elapsedMs();  // unsigned 32-bit difference of tick counts
