// Reading the "go" command's words.
#include "common/golimits.h"

#include <cstring>

#include "common/common.h"

namespace {

// The number behind the first "word " in text, or 0 when the word is absent;
// found tells whether it was there.
int numberAfter(const char* text, const char* word, bool* found = nullptr) {
  const char* at = std::strstr(text, word);
  if (found != nullptr) *found = at != nullptr;
  return at != nullptr ? readInt(at + std::strlen(word)) : 0;
}

// The words that end a searchmoves list.
bool isGoWord(const char* word, std::size_t length) {
  static const char* const goWords[] = {"wtime", "btime", "winc",  "binc",     "movestogo", "movetime",
                                        "depth", "nodes", "mate",  "infinite", "ponder",    "searchmoves"};
  for (const char* goWord : goWords)
    if (std::strlen(goWord) == length && std::strncmp(word, goWord, length) == 0) return true;
  return false;
}

void readSearchMoves(const char* text, GoLimits& limits) {
  const char* at = std::strstr(text, "searchmoves");
  if (at == nullptr) return;
  const char* c = at + std::strlen("searchmoves");
  for (;;) {
    while (*c == ' ') ++c;
    if (*c == 0) return;
    const char* start = c;
    while (*c != 0 && *c != ' ') ++c;
    const std::size_t length = std::size_t(c - start);
    if (isGoWord(start, length)) return;
    if (length < GoLimits::MOVE_TEXT_SIZE && limits.searchMoveCount < GoLimits::MAX_SEARCH_MOVES) {
      char* move = limits.searchMoves[limits.searchMoveCount++];
      std::memcpy(move, start, length);
      move[length] = 0;
    }
  }
}

}  // namespace

GoLimits parseGoLimits(const char* text) {
  GoLimits limits;
  limits.time[0] = numberAfter(text, "wtime ", &limits.hasTime[0]);
  limits.time[1] = numberAfter(text, "btime ", &limits.hasTime[1]);
  limits.inc[0] = numberAfter(text, "winc ");
  limits.inc[1] = numberAfter(text, "binc ");
  limits.movesToGo = numberAfter(text, "movestogo ");
  limits.moveTime = numberAfter(text, "movetime ");
  limits.depth = numberAfter(text, "depth ");
  const int nodes = numberAfter(text, "nodes ");
  limits.nodes = nodes > 0 ? uint64_t(nodes) : 0;
  limits.mate = numberAfter(text, "mate ");
  limits.infinite = std::strstr(text, "infinite") != nullptr;
  limits.ponder = std::strstr(text, "ponder") != nullptr;
  readSearchMoves(text, limits);
  return limits;
}
