// The engine's tables, made ready at "isready" and freed at "quit": the
// transposition table sized by the Hash option, the key block, the attack
// tables and the evaluation's weights.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "board/board.h"
#include "common/common.h"
#include "eval/eval.h"
#include "host/host.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/search_internal.h"

void prepareTables() {
  // The option keeps the size within 1..1024 MB; 1024 MB is 2^27 entries of
  // 8 bytes, so the byte count still fits the allocator's unsigned argument.
  uint64_t megabytes = uint64_t(std::clamp(hashSizeMb, 1, 1024));
  uint64_t entries = megabytes * ENTRIES_PER_MB;
  bool tableChanged = false;
  if (entries != hashEntries) {
    // Allocate first: when that fails the previous table stays in use. The
    // pages are brought in here, so that the first search does not pay for
    // them; the plain allocator reports a block that cannot be had at all.
    const uint64_t bytes = entries * sizeof(HashEntry);
    auto* table = static_cast<HashEntry*>(allocResident(bytes));
    if (table == nullptr) table = static_cast<HashEntry*>(allocZeroed(unsigned(bytes)));
    if (table != nullptr) {
      free(hashTable);
      hashTable = table;
      hashEntries = uint32_t(entries);
      tableChanged = true;
    }
  }
  // Every fill gives the same bytes, so the keys of the current position stay valid.
  if (keyBlock == nullptr || tableChanged) fillKeyBlock(8192);
  initAttackTables();
  initEvalTables();
}

void releaseTables() {
  free(keyBlock);
  keyBlock = nullptr;
  // The key words lived in the block: a position set up now is refused.
  lockKeys = nullptr;
  indexKeys = nullptr;
  free(hashTable);
  hashTable = nullptr;
  hashEntries = 0;
}
