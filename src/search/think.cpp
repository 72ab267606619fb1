// The think driver: iterative deepening with aspiration windows over the list
// of legal root moves, and the bestmove report.
#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <cstring>
#include <mutex>
#include <string>

#include "board/checks.h"
#include "eval/eval.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/search_internal.h"
#include "search/search_tree.h"
#include "search/tuning.h"

RootMove rootMoves[ROOT_MOVES_CAPACITY];
int32_t rootCount = 0;
RootMove* bestRoot = rootMoves;
int32_t iterationDepth = 0;
int32_t selDepth = 0;
int easyMove = 0;
bool quietSearch = false;

namespace {


// The input thread reports "stop" while the search runs; every change of the
// root list and of bestRoot is made under this lock, and the report reads
// under it, so it always sees a whole record.
std::mutex rootLock;

// The line the root node writes while one root move is searched; it is copied
// into the move's record under the lock when the search of the move returns.
Move rootLine[LINE_LENGTH];

// No search has run yet, or the last "go" found no valid position: there is
// nothing to describe in an info line.
bool noSearch = true;

void clearRootMove(RootMove& entry) {
  entry.score = 0;
  entry.move = sentinelMove;
  for (Move& m : entry.pv) m = sentinelMove;
}

// Searches root move i once with the given window; false when aborted.
bool searchRootMove(int i, int alpha, int beta) {
  SearchNode& root = nodes[0];
  std::memcpy(rootLine, rootMoves[i].pv, sizeof rootLine);
  root.pv = rootLine;
  root.best = -MATE_SCORE;
  root.alpha = int16_t(alpha);
  root.beta = int16_t(beta);
  root.checkers = checkersAndShields(position.side, root.shields);
  *position.currentMove = rootMoves[i].move;
  searchVisitor(&root);
  // Every move made below the root has been taken back exactly.
  assert(positionConsistent());
  std::lock_guard<std::mutex> guard(rootLock);
  std::memcpy(rootMoves[i].pv, rootLine, sizeof rootLine);
  if (abortSearch.load()) return false;
  rootMoves[i].score = root.best;
  return true;
}

void setBestRoot(RootMove* entry) {
  std::lock_guard<std::mutex> guard(rootLock);
  bestRoot = entry;
}

// The search's own lines while it runs. A stop raises abortSearch before its
// report takes the root lock, so once that report is out nothing follows it.
void sendCurrMove(int i) {
  if (quietSearch) return;
  std::lock_guard<std::mutex> guard(rootLock);
  if (!abortSearch.load()) report("info currmove %s currmovenumber %d", moveToText(rootMoves[i].move), i + 1);
}

void reportDuringSearch(int scoreBound) {
  std::lock_guard<std::mutex> guard(rootLock);
  if (!abortSearch.load()) reportInfo(scoreBound);
}

// A change of the best root move and the info line that shows it, under one
// hold of the lock, so that a stop's report names the move that the last line
// showed. Once a stop has come neither is made, and the answer is false.
constexpr int NO_LINE = 2;  // a scoreBound that shows nothing

bool showBest(RootMove* entry, int scoreBound) {
  std::lock_guard<std::mutex> guard(rootLock);
  if (abortSearch.load()) return false;
  bestRoot = entry;
  if (scoreBound != NO_LINE) reportInfo(scoreBound);
  return true;
}

// Root move i takes the front of the list, records 0..i-1 move one place
// back, and the front is the best move, shown.
bool moveToFrontAndShow(int i) {
  std::lock_guard<std::mutex> guard(rootLock);
  if (abortSearch.load()) return false;
  const RootMove chosen = rootMoves[i];
  std::memmove(&rootMoves[1], &rootMoves[0], sizeof(RootMove) * size_t(i));
  rootMoves[0] = chosen;
  bestRoot = &rootMoves[0];
  reportInfo(0);
  return true;
}

// One iteration over the root moves; false when the search was aborted.
bool searchIteration() {
  int alpha = rootMoves[0].score - ASPIRATION;
  int beta = rootMoves[0].score + ASPIRATION;
  reportDuringSearch(0);

  for (int i = 0; i < rootCount; ++i) {
    if (rootMoves[i].score < -MATE_THRESHOLD) continue;  // loses by force: not searched again
    sendCurrMove(i);
    if (iterationDepth <= OPEN_ITERATIONS) {
      alpha = -SCORE_INFINITE;
      beta = SCORE_INFINITE;
    }

    if (i == 0) {
      for (;;) {
        if (!searchRootMove(0, alpha, beta)) return false;
        const int best = rootMoves[0].score;
        if (best <= alpha) {
          reportDuringSearch(-1);
          easyMove = 0;
          alpha = -SCORE_INFINITE;
        } else if (best >= beta) {
          reportDuringSearch(1);
          beta = SCORE_INFINITE;
        } else {
          reportDuringSearch(0);
          alpha = best;
          beta = std::min(beta, best + ASPIRATION);
          break;
        }
      }
      continue;
    }

    if (!searchRootMove(i, alpha, beta)) return false;
    if (rootMoves[i].score >= beta) {
      // A later move fails high: show it at once and search it again with an
      // open upper bound for this move alone.
      if (!showBest(&rootMoves[i], 1)) return false;
      easyMove = 0;
      if (!searchRootMove(i, alpha, SCORE_INFINITE)) return false;
      // Unless it takes the front below, the first move is the best again,
      // shown again where the later one fell to alpha or below.
      const int later = rootMoves[i].score;
      if (later <= rootMoves[0].score && !showBest(&rootMoves[0], later <= alpha ? 0 : NO_LINE)) return false;
    }
    const int score = rootMoves[i].score;
    if (score > rootMoves[0].score) {
      alpha = score;
      if (beta <= score) beta = score + 1;
      if (!moveToFrontAndShow(i)) return false;
    }
  }
  return true;
}

// The driver behind "go" and the tools' fixed-depth search.
void runThink(int maxDepth, const GoLimits* go) {
  ply = 0;
  position.currentMove = &position.moveStack[ROOT_RECORD];

  // The root list is complete before the input thread can deliver a "stop",
  // so a stop report never names a move of an earlier search.
  SearchNode& root = nodes[0];
  noSearch = !positionValid();
  if (noSearch) {
    std::lock_guard<std::mutex> guard(rootLock);
    rootCount = 0;
    clearRootMove(rootMoves[0]);
    bestRoot = &rootMoves[0];
  } else {
    static bool endgameFileNamed = false;
    if (!endgameFileNamed && !quietSearch) {
      // Said once, before the first search that could use the file.
      endgameFileNamed = true;
      const char* path = endgameFileInUse();
      report("info string endgame tables: %s", path != nullptr ? path : "none");
    }
    root.movePhase = PHASE_PV;
    root.material = -materialBalance();
    for (auto& row : killers)
      for (Move& slot : row) slot = sentinelMove;
    collectRootMoves(go);
    setBestRoot(&rootMoves[0]);
  }

  abortSearch.store(0);
  searchLimits.nodeCount = 0;
  announceSearchStarted();
  if (noSearch) return;

  for (iterationDepth = 1;; ++iterationDepth) {
    selDepth = iterationDepth;
    root.depth = int16_t(iterationDepth);
    if (!searchIteration()) break;
    if (iterationDepth <= OPEN_ITERATIONS) {
      {
        std::lock_guard<std::mutex> guard(rootLock);
        sortRootMoves(0, rootCount - 1);
      }
      easyMove = rootCount > 1 && rootMoves[0].score - rootMoves[1].score > EASY_MARGIN;
    }
    if (stopAfterIteration() || iterationDepth >= maxDepth) break;
  }
}

}  // namespace

int materialBalance() {
  int balance = 0;
  for (int s = 0; s < 2; ++s) {
    int sum = 0;
    for (int slot = 1; slot <= position.lastIndex[s]; ++slot) sum += pieceValue[position.pieceList[s][slot].type];
    balance += s == position.side ? sum : -sum;
  }
  return balance;
}

void collectRootMoves(const GoLimits* go) {
  Move legal[MAX_LEGAL_MOVES];
  const int count = legalMoves(legal, MAX_LEGAL_MOVES);
  // With searchmoves only the listed moves; when none of them is legal, all.
  bool listed[MAX_LEGAL_MOVES] = {};
  int listedCount = 0;
  for (int i = 0; go != nullptr && i < count; ++i) {
    const char* text = moveToText(legal[i]);
    for (int k = 0; k < go->searchMoveCount && !listed[i]; ++k) listed[i] = std::strcmp(text, go->searchMoves[k]) == 0;
    if (listed[i]) ++listedCount;
  }
  std::lock_guard<std::mutex> guard(rootLock);
  rootCount = 0;
  for (int i = 0; i < count && rootCount < ROOT_MOVES_CAPACITY; ++i) {
    if (listedCount > 0 && !listed[i]) continue;
    clearRootMove(rootMoves[rootCount]);
    rootMoves[rootCount++].move = legal[i];
  }
  if (rootCount == 0) clearRootMove(rootMoves[0]);
  moveVisitor = searchVisitor;
}

void sortRootMoves(int first, int last) {
  if (last < first) return;  // no root move (mate or stalemate): nothing to sort
  // Best score first; moves of equal score keep their order.
  std::stable_sort(rootMoves + first, rootMoves + last + 1,
                   [](const RootMove& a, const RootMove& b) { return a.score > b.score; });
}

int stopAfterIteration() {
  const int best = rootMoves[0].score;
  if (best >= MATE_THRESHOLD || best <= -MATE_THRESHOLD) return 1;
  if (untimedSearch.load()) return 0;
  if (iterationDepth >= searchLimits.depthLimit) return 1;
  if (!searchLimits.clockRules) return 0;
  if (elapsedMs() > SPENT_NUMERATOR * int64_t(searchLimits.timeBudgetMs) / SPENT_DENOMINATOR) return 1;
  if (iterationDepth < SINGLE_MOVE_MIN_DEPTH) return 0;
  int playable = 0;
  for (int i = 0; i < rootCount; ++i)
    if (rootMoves[i].score > -MATE_THRESHOLD) ++playable;
  if (playable <= 1) return 1;
  if (!easyMove) return 0;
  return elapsedMs() > uint32_t(searchLimits.timeBudgetMs / EASY_MOVE_FRACTION) ? 1 : 0;
}

void think(const GoLimits& go) {
  setSearchLimits(go, position.side);
  searchLimits.searchStart = tickCount();
  runThink(MAX_PLY, &go);
}

uint64_t searchToDepth(int depth) {
  untimedSearch.store(1);
  searchLimits.timeBudgetMs = 1;
  searchLimits.clockRules = false;
  searchLimits.deadlineMs = NO_DEADLINE;
  searchLimits.depthLimit = MAX_PLY;
  searchLimits.nodeLimit = UINT64_MAX;
  searchLimits.searchStart = tickCount();
  quietSearch = true;
  runThink(depth < 1 ? 1 : (depth > MAX_PLY ? MAX_PLY : depth), nullptr);
  quietSearch = false;
  untimedSearch.store(0);
  return searchLimits.nodeCount;
}

const char* bestMoveText() {
  const char* text = moveToText(bestRoot->pv[0]);
  return text[0] != '\0' ? text : "0000";
}

void reportBestMove(int stopped) {
  if (!stopped && !noSearch) reportInfo(0);
  std::string best, ponder;
  {
    std::lock_guard<std::mutex> guard(rootLock);
    best = moveToText(bestRoot->pv[0]);
    if (!best.empty()) {
      if (!stopped) ponder = moveToText(bestRoot->pv[1]);
    } else if (rootCount > 0) {
      // Stopped before the first root move had a line: that move is still
      // the best known, and a legal one.
      best = moveToText(bestRoot->move);
    }
  }
  if (best.empty())
    report("bestmove 0000");
  else if (!ponder.empty())
    report("bestmove %s ponder %s", best.c_str(), ponder.c_str());
  else
    report("bestmove %s", best.c_str());
}
