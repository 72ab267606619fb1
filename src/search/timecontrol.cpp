// The limits of one search from the go words: the move's time budget from
// the side's clock, a fixed move time, a depth, a node count; and the clock
// of the search.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/platform.h"
#include "search/search_internal.h"
#include "search/search_tree.h"
#include "search/tuning.h"

SearchLimits searchLimits;


int timeBudget(const GoLimits& go, int side) {
  const int64_t time = go.time[side];
  const int64_t inc = go.inc[side];
  int64_t movesToGo = go.movesToGo;
  if (movesToGo <= 0) movesToGo = inc > 0 ? MOVES_TO_PLAN_WITH_INC : MOVES_TO_PLAN;

  // The increment is spent in full on top of a share of the rest.
  const int64_t available = time - CLOCK_RESERVE_MS - inc;
  int64_t budget = inc + available / movesToGo;
  if (budget > available) budget = available;
  return int(std::clamp<int64_t>(budget, 1, INT_MAX));
}

void setSearchLimits(const GoLimits& go, int side) {
  SearchLimits& limits = searchLimits;
  const bool otherLimit = go.moveTime > 0 || go.depth > 0 || go.nodes > 0 || go.mate > 0 || go.infinite;
  limits.timeBudgetMs = timeBudget(go, side);
  // A go with the side's clock, or with no limit at all (one millisecond),
  // is planned by the clock rules.
  limits.clockRules = go.hasTime[side] || !otherLimit;
  limits.deadlineMs = limits.clockRules ? limits.timeBudgetMs : NO_DEADLINE;
  if (go.moveTime > 0) {
    const int64_t moveDeadline = std::max<int64_t>(1, go.moveTime - MOVE_TIME_MARGIN_MS);
    limits.deadlineMs = std::min(limits.deadlineMs, moveDeadline);
  }
  limits.depthLimit = go.depth > 0 ? std::min(go.depth, MAX_PLY) : MAX_PLY;
  limits.nodeLimit = go.nodes > 0 ? go.nodes : UINT64_MAX;
  untimedSearch = go.infinite || go.ponder ? 1 : 0;
}

uint32_t elapsedMs() { return tickCount() - searchLimits.searchStart; }

int checkLimits() {
  // While pondering or searching without end no limit applies.
  if (untimedSearch) return abortSearch;
  if (searchLimits.nodeCount >= searchLimits.nodeLimit) abortSearch = 1;
  if (searchLimits.nodeCount % CLOCK_CHECK_INTERVAL == 0) {
    // A ponderhit can come when the search is already deeper than its limit.
    if (elapsedMs() >= searchLimits.deadlineMs || iterationDepth > searchLimits.depthLimit) abortSearch = 1;
  }
  return abortSearch;
}
