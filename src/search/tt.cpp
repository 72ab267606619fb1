// The transposition table: one 64-bit entry per slot, chosen by indexKey and
// checked against lockKey; no buckets and no ageing.
#include <algorithm>

#include "board/board.h"
#include "search/search_internal.h"

HashEntry* hashTable = nullptr;
uint32_t hashEntries = 0;

static HashEntry* entryOfPosition() {
  if (hashTable == nullptr || hashEntries == 0) return nullptr;
  return &hashTable[position.indexKey % hashEntries];
}

int probeHash(int alpha, int beta, int depth, int16_t* score) {
  const HashEntry* e = entryOfPosition();
  if (e == nullptr || e->lock != position.lockKey) return 0;
  // An entry answers only for a search at most as deep as its own.
  if (depth > e->depth) return 0;
  switch (e->bound) {
    case BOUND_EXACT:
      if (e->score > beta)
        *score = int16_t(beta);
      else if (e->score < alpha)
        *score = int16_t(alpha);
      else
        *score = e->score;
      return 1;
    case BOUND_LOWER:
      if (beta <= e->score) {
        *score = int16_t(beta);
        return 1;
      }
      return 0;
    case BOUND_UPPER:
      if (e->score <= alpha) {
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
    e->score = int16_t(beta);
  } else if (score > alpha) {
    e->bound = BOUND_EXACT;
    e->score = score;
  } else {
    e->bound = BOUND_UPPER;
    e->score = int16_t(alpha);
  }
}
