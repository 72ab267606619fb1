// tavrolin-perft: counts the legal move sequences of a given depth, through
// the engine's own generators, make/unmake and legality test.
//
//   tavrolin-perft [--divide] DEPTH [POSITION TEXT]
//
// POSITION TEXT is what follows the word position in a UCI command
// ("startpos moves e2e4", "fen <FEN> moves ..."); the start position when
// absent. --divide first prints each root move's count in generation order.
// The speed goes to standard error.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/board.h"
#include "board/checks.h"

namespace {

constexpr int MAX_DEPTH = MOVE_STACK_SIZE - ROOT_RECORD - 1;

struct PerftFrame {
  int depth;            // plies still to go, counting the move being visited
  uint64_t sequences;   // legal sequences found below this node
  bool divide;          // print each move's count (the root only)
  bool inCheck;         // the side to move is in check
};

uint64_t movesMade = 0;

int perftVisitor(void* arg);

uint64_t runGenerators(PerftFrame& frame) {
  moveVisitor = perftVisitor;
  frame.inCheck = isAttacked(position.xside, position.pieceList[position.side][0].square) != 0;
  genPromotions(1, &frame);
  genCaptures(&frame);
  genQuiet(&frame);
  return frame.sequences;
}

int perftVisitor(void* arg) {
  PerftFrame& frame = *static_cast<PerftFrame*>(arg);
  Position& p = position;
  Move& m = *p.currentMove;
  // Every move is made, as in the search; the attack test runs only where
  // the board cannot answer beforehand.
  int leavesCheck = leavesKingAttacked(m, frame.inCheck);
  makeMove(m);
  ++movesMade;
  if (leavesCheck == NOT_KNOWN) leavesCheck = isAttacked(p.xside, p.pieceList[p.side][0].square);
  if (!leavesCheck) {
    uint64_t count = 1;
    if (frame.depth > 1) {
      p.side = p.xside;
      p.xside ^= 1;
      ++p.currentMove;
      PerftFrame child{frame.depth - 1, 0, false, false};
      count = runGenerators(child);
      --p.currentMove;
      p.side = p.xside;
      p.xside ^= 1;
    }
    frame.sequences += count;
    if (frame.divide) std::printf("%s: %" PRIu64 "\n", moveToText(m), count);
  }
  unmakeMove(m);
  return 0;
}

int usage() {
  std::fprintf(stderr, "usage: tavrolin-perft [--divide] DEPTH [POSITION TEXT]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  bool divide = false;
  if (arg < argc && std::strcmp(argv[arg], "--divide") == 0) {
    divide = true;
    ++arg;
  }
  if (arg >= argc) return usage();
  char* end = nullptr;
  const long depth = std::strtol(argv[arg], &end, 10);
  if (*end != 0 || depth < 1 || depth > MAX_DEPTH) {
    std::fprintf(stderr, "DEPTH must be a number from 1 to %d\n", MAX_DEPTH);
    return usage();
  }
  ++arg;
  std::string text;
  for (; arg < argc; ++arg) {
    if (!text.empty()) text += ' ';
    text += argv[arg];
  }
  if (text.empty()) text = "startpos";

  if (const char* refusal = setupPosition(text.c_str())) {
    std::fprintf(stderr, "position rejected: %s\n", refusal);
    return 1;
  }

  position.currentMove = &position.moveStack[ROOT_RECORD];
  ply = 0;
  const auto start = std::chrono::steady_clock::now();
  PerftFrame root{int(depth), 0, divide, false};
  const uint64_t sequences = runGenerators(root);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (divide) std::printf("\n");
  std::printf("%" PRIu64 "\n", sequences);
  const double rate = seconds > 0 ? double(movesMade) / seconds : 0;
  std::fprintf(stderr, "depth %ld: %" PRIu64 " sequences, %" PRIu64 " moves made in %.3f s, %.0f moves/s\n", depth,
               sequences, movesMade, seconds, rate);
  return 0;
}
