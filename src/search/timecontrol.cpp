// The move's time budget from the go text, and the clock of the search.
#include <climits>
#include <cstdint>
#include <cstdio>

#include "common/common.h"
#include "host/host.h"
#include "platform/platform.h"
#include "search/search_internal.h"

SearchLimits searchLimits;

int timeBudget(const char* text, char c) {
  char timeKey[8];
  char incKey[8];
  std::snprintf(timeKey, sizeof timeKey, "%ctime ", c);
  std::snprintf(incKey, sizeof incKey, "%cinc ", c);

  int64_t time = 0, inc = 0, movesToGo = 0;
  if (const char* at = findSubstring(text, timeKey)) time = readInt(at + 6);
  if (const char* at = findSubstring(text, incKey)) inc = readInt(at + 5);
  if (const char* at = findSubstring(text, "movestogo ")) movesToGo = readInt(at + 10);
  if (movesToGo <= 0) movesToGo = inc > 0 ? 20 : 30;

  // 3000 ms of the clock are never planned for; the increment is spent in full.
  int64_t available = time - 3000 - inc;
  int64_t budget = inc + available / movesToGo;
  if (budget > available) budget = available;
  if (budget <= 0) budget = 1;
  if (budget > INT_MAX) budget = INT_MAX;

  untimedSearch = findSubstring(text, "infinite") || findSubstring(text, "ponder") ? 1 : 0;
  return int(budget);
}

uint32_t elapsedMs() { return tickCount() - searchLimits.searchStart; }

int countNode() {
  if (abortSearch) return abortSearch;
  searchLimits.nodeCount++;
  if (searchLimits.nodeCount % 4096 == 0 && !untimedSearch) {
    if (elapsedMs() >= uint32_t(searchLimits.timeBudgetMs)) abortSearch = 1;
  }
  return abortSearch;
}
