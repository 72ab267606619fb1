// The transposition table, made ready at "isready" and freed at "quit".
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "common/common.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/search_internal.h"
#include "search/tuning.h"


void prepareTables(int hashMegabytes) {
  // 1024 MB is 2^27 entries of 8 bytes, so the byte count still fits the
  // allocator's unsigned argument.
  const uint64_t megabytes = uint64_t(std::clamp(hashMegabytes, HASH_MIN_MB, HASH_MAX_MB));
  const uint64_t entries = megabytes * ENTRIES_PER_MB;
  if (entries == hashEntries) return;
  // Allocate first: when that fails the previous table stays in use. The
  // pages are brought in here, so that the first search does not pay for
  // them; the plain allocator reports a block that cannot be had at all.
  const uint64_t bytes = entries * sizeof(HashEntry);
  auto* table = static_cast<HashEntry*>(allocResident(bytes));
  if (table == nullptr) table = static_cast<HashEntry*>(allocZeroed(unsigned(bytes)));
  if (table == nullptr) return;
  free(hashTable);
  hashTable = table;
  hashEntries = uint32_t(entries);
}

void releaseTables() {
  free(hashTable);
  hashTable = nullptr;
  hashEntries = 0;
}
