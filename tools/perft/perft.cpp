// tavrolin-perft: counts the legal move sequences of a given depth, through
// the engine's own generators, make/unmake and legality test.
//
//   tavrolin-perft [--divide] DEPTH [POSITION TEXT]
//
// POSITION TEXT is what follows the word position in a UCI command
// ("startpos moves e2e4", "fen <FEN> moves ..."); the start position when
// absent. --divide (anywhere on the line) first prints each root move's count
// in generation order. The speed goes to standard error. Unlike the engine,
// which passes over a move word it cannot read, the tool refuses a position
// unless it reads every word of it.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/checks.h"
#include "common/common.h"

namespace {

constexpr int MAX_DEPTH = MOVE_STACK_SIZE - ROOT_RECORD - 1;

struct PerftFrame {
  int depth;            // plies still to go, counting the move being visited
  uint64_t sequences;   // legal sequences found below this node
  bool divide;          // print each move's count (the root only)
  uint64_t checkers;    // the enemy men giving check to the side to move
  uint64_t shields;     // squaresShieldingKing of the side to move
};

uint64_t movesMade = 0;

int perftVisitor(void* arg);
int perftLeafVisitor(void* arg);

uint64_t runGenerators(PerftFrame& frame) {
  moveVisitor = frame.depth > 1 || frame.divide ? perftVisitor : perftLeafVisitor;
  frame.checkers = checkersAndShields(position.side, frame.shields);
  genPromotions(1, &frame);
  genCaptures(&frame);
  genQuiet(&frame);
  return frame.sequences;
}

// Makes the visited move and tells whether it is legal. Every move is made,
// as in the search; the attack test runs only where the board cannot answer
// beforehand.
inline bool makeLegalMove(const PerftFrame& frame, Move& m) {
  const Position& p = position;
  int leavesCheck = leavesKingAttacked(m, frame.checkers, frame.shields);
  makeMove(m);
  ++movesMade;
  if (leavesCheck == NOT_KNOWN) leavesCheck = isAttacked(p.xside, p.pieceList[p.side][0].square);
  return !leavesCheck;
}

int perftVisitor(void* arg) {
  PerftFrame& frame = *static_cast<PerftFrame*>(arg);
  Position& p = position;
  Move& m = *p.currentMove;
  if (makeLegalMove(frame, m)) {
    uint64_t count = 1;
    if (frame.depth > 1) {
      switchSide();
      ++p.currentMove;
      PerftFrame child{frame.depth - 1, 0, false, 0, 0};
      count = runGenerators(child);
      moveVisitor = perftVisitor;
      --p.currentMove;
      switchSide();
    }
    frame.sequences += count;
    if (frame.divide) std::printf("%s: %" PRIu64 "\n", moveToText(m), count);
  }
  unmakeMove(m);
  return 0;
}

// The visitor of the last ply (unless its counts are printed): the same
// steps without the descent.
int perftLeafVisitor(void* arg) {
  PerftFrame& frame = *static_cast<PerftFrame*>(arg);
  Move& m = *position.currentMove;
  if (makeLegalMove(frame, m)) ++frame.sequences;
  unmakeMove(m);
  return 0;
}

void startAtRoot() {
  position.currentMove = &position.moveStack[ROOT_RECORD];
  ply = 0;
}

// Sets up "startpos" or "fen FEN", then each move after "moves" provided it is
// legal where it is played; false, with the reason on standard error, for
// anything else.
bool readPosition(const std::string& text) {
  std::istringstream words(text);
  std::string base, word, played;
  words >> base;
  if (base != "startpos" && base != "fen") {
    std::fprintf(stderr, "tavrolin-perft: a position starts with \"startpos\" or \"fen\", not \"%s\"\n",
                 base.c_str());
    return false;
  }
  while (words >> word && word != "moves") base += " " + word;
  for (;;) {
    if (const char* refusal = setupPosition((base + played).c_str())) {
      std::fprintf(stderr, "tavrolin-perft: position rejected: %s\n", refusal);
      return false;
    }
    if (!(words >> word)) return true;
    startAtRoot();
    Move legal[MAX_LEGAL_MOVES];
    const int count = legalMoves(legal, MAX_LEGAL_MOVES);
    if (std::none_of(legal, legal + count, [&](const Move& m) { return word == moveToText(m); })) {
      std::fprintf(stderr, "tavrolin-perft: \"%s\" is not a legal move there\n", word.c_str());
      return false;
    }
    played += (played.empty() ? " moves " : " ") + word;
  }
}

constexpr const char* USAGE =
    "usage: tavrolin-perft [--divide] DEPTH [POSITION TEXT]\n"
    "Counts the legal move sequences of DEPTH plies from a position given as after\n"
    "the UCI word \"position\" (\"startpos moves e2e4\", \"fen FEN moves ...\"; the start\n"
    "position when absent). --divide also prints each root move's count.\n";

int usage(const std::string& problem, const char* argument) {
  std::fprintf(stderr, "tavrolin-perft: %s \"%s\"\n%s", problem.c_str(), argument, USAGE);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool divide = false;
  std::vector<const char*> positional;
  for (int arg = 1; arg < argc; ++arg) {
    const char* word = argv[arg];
    if (std::strcmp(word, "--help") == 0) {
      std::fputs(USAGE, stdout);
      return 0;
    }
    if (std::strcmp(word, "--divide") == 0) {
      divide = true;
    } else if (word[0] == '-' && word[1] != 0) {  // a lone "-" is a FEN field
      return usage("unknown option", word);
    } else {
      positional.push_back(word);
    }
  }
  if (positional.empty()) return usage("missing", "DEPTH");
  long depth = 0;
  if (!readNumberArgument(positional[0], 1, MAX_DEPTH, depth)) {
    return usage("DEPTH must be a number from 1 to " + std::to_string(MAX_DEPTH) + ", not", positional[0]);
  }
  std::string text;
  for (std::size_t i = 1; i < positional.size(); ++i) {
    if (!text.empty()) text += ' ';
    text += positional[i];
  }
  if (text.empty()) text = "startpos";

  if (!readPosition(text)) return 2;

  startAtRoot();
  const auto start = std::chrono::steady_clock::now();
  PerftFrame root{int(depth), 0, divide, 0, 0};
  const uint64_t sequences = runGenerators(root);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (divide) std::printf("\n");
  std::printf("%" PRIu64 "\n", sequences);
  const double rate = seconds > 0 ? double(movesMade) / seconds : 0;
  std::fprintf(stderr, "depth %ld: %" PRIu64 " sequences, %" PRIu64 " moves made in %.3f s, %.0f moves/s\n", depth,
               sequences, movesMade, seconds, rate);
  return 0;
}
