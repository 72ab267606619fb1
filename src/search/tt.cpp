// The transposition table: one 64-bit entry per slot, chosen by indexKey and
// checked against lockKey; no buckets and no ageing.
#include <algorithm>
#include <cstdint>

#include "board/board.h"
#include "search/search_internal.h"

HashEntry* hashTable = nullptr;
uint32_t hashEntries = 0;

// indexKey % hashEntries without a division: for 32-bit numbers the high
// word of the fraction times the divisor is the exact remainder.
static uint32_t slotOfKey(uint32_t key) {
  static uint32_t divisor = 0;
  static uint64_t fraction = 0;
  if (divisor != hashEntries) {
    divisor = hashEntries;
    fraction = UINT64_MAX / divisor + 1;
  }
  const uint64_t low = fraction * key;
  return uint32_t((static_cast<unsigned __int128>(low) * divisor) >> 64);
}

static HashEntry* entryOfKey(uint32_t indexKey) {
  if (hashTable == nullptr || hashEntries == 0) return nullptr;
  return &hashTable[slotOfKey(indexKey)];
}

static HashEntry* entryOfPosition() { return entryOfKey(position.indexKey); }

void prefetchHash(uint32_t indexKey) {
  if (const HashEntry* e = entryOfKey(indexKey)) __builtin_prefetch(e);
}

// Mate scores count plies from the root; the table keeps them counted from
// the node, so that an entry stays true wherever the position recurs.
static int16_t toStored(int score) {
  if (score > MATE_THRESHOLD) return int16_t(score + ply);
  if (score < -MATE_THRESHOLD) return int16_t(score - ply);
  return int16_t(score);
}

static int fromStored(int stored) {
  if (stored > MATE_THRESHOLD) return stored - ply;
  if (stored < -MATE_THRESHOLD) return stored + ply;
  return stored;
}

int probeHash(int alpha, int beta, int depth, int16_t* score) {
  const HashEntry* e = entryOfPosition();
  if (e == nullptr || e->lock != position.lockKey) return 0;
  // An entry answers only for a search at most as deep as its own.
  if (depth > e->depth) return 0;
  const int value = fromStored(e->score);
  switch (e->bound) {
    case BOUND_EXACT:
      *score = int16_t(std::clamp(value, alpha, beta));
      return 1;
    case BOUND_LOWER:
      if (beta <= value) {
        *score = int16_t(beta);
        return 1;
      }
      return 0;
    case BOUND_UPPER:
      if (value <= alpha) {
        *score = int16_t(alpha);
        return 1;
      }
      return 0;
  }
  return 0;
}

void storeHash(int alpha, int beta, int depth, int16_t score) {
  HashEntry* e = entryOfPosition();
  if (e == nullptr) return;
  if (e->lock == position.lockKey) {
    if (depth < e->depth) return;  // a deeper result of the same position stays
  } else {
    e->lock = position.lockKey;
  }
  e->depth = int8_t(std::min(depth, 127));
  if (score >= beta) {
    e->bound = BOUND_LOWER;
    e->score = toStored(beta);
  } else if (score > alpha) {
    e->bound = BOUND_EXACT;
    e->score = toStored(score);
  } else {
    e->bound = BOUND_UPPER;
    e->score = toStored(alpha);
  }
}
