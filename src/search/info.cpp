// The "info" line that describes the search so far.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "search/search_internal.h"
#include "search/search_tree.h"

void reportInfo(int scoreBound) {
  if (quietSearch) return;
  const uint64_t nodeTotal = searchLimits.nodeCount;
  const uint32_t time = elapsedMs();
  const uint64_t nps = time == 0 ? 0 : nodeTotal / time * 1000;

  char scoreText[64];
  const int s = bestRoot->score;
  if (s < -MATE_THRESHOLD)
    std::snprintf(scoreText, sizeof scoreText, "mate %d", (-MATE_SCORE - s) / 2);
  else if (s > MATE_THRESHOLD)
    std::snprintf(scoreText, sizeof scoreText, "mate %d", (SCORE_INFINITE - s) / 2);
  else
    std::snprintf(scoreText, sizeof scoreText, "cp %d", s * 100 / 256);
  if (scoreBound < 0) std::strcat(scoreText, " upperbound");
  if (scoreBound > 0) std::strcat(scoreText, " lowerbound");

  // " pv" and up to 63 moves of at most five characters each.
  char pvText[8 + 6 * LINE_LENGTH] = "";
  size_t length = 0;
  for (int k = 0; k < LINE_LENGTH - 1 && bestRoot->pv[k].code != MOVE_SENTINEL; ++k)
    length += size_t(std::snprintf(pvText + length, sizeof pvText - length, "%s%s", k == 0 ? " pv " : " ",
                                   moveToText(bestRoot->pv[k])));

  report("info depth %d seldepth %d score %s time %" PRIu32 " nodes %" PRIu64 " nps %" PRIu64 "%s",
            iterationDepth, selDepth, scoreText, time, nodeTotal, nps, pvText);
}
