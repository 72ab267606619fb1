// Attack and reach tests, repetition, material gains, the null move and the
// key block.
#include <algorithm>
#include <utility>

#include "board_testing.h"

namespace {

TEST_F(BoardTest, AttacksAndReach) {
  setUp("fen 4k3/8/8/8/8/3P4/8/4K3 w - - 0 1");
  EXPECT_EQ(1, isAttacked(WHITE, 0x34));  // d3 attacks e4
  EXPECT_EQ(1, isAttacked(WHITE, 0x32));  // and c4
  EXPECT_EQ(0, isAttacked(WHITE, 0x33));  // not straight ahead
  setUp("fen 4k3/8/8/3P4/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(0, isAttacked(WHITE, 0x34));
  // Black pawns attack downwards; a pawn on the a-file looks beside the board.
  setUp("fen 4k3/8/8/8/p7/8/8/4K3 w - - 0 1");
  EXPECT_EQ(1, isAttacked(BLACK, 0x21));
  EXPECT_EQ(0, isAttacked(BLACK, 0x27));  // h3 is not beside a4
  // King and knight steps; a slider blocked by a man of either side.
  setUp("fen 4k3/8/8/8/8/8/1N6/R3K3 w - - 0 1");
  EXPECT_EQ(1, isAttacked(WHITE, 0x13));  // king e1 to d2
  EXPECT_EQ(1, isAttacked(WHITE, 0x23));  // knight b2 to d3
  EXPECT_EQ(0, isAttacked(WHITE, 0x33));
  EXPECT_EQ(1, isAttacked(WHITE, 0x70));  // rook a1 up the file
  EXPECT_EQ(0, isAttacked(WHITE, 0x77));
  EXPECT_EQ(1, canReach(ROOK, 0x00, 0x03));
  EXPECT_EQ(0, canReach(ROOK, 0x00, 0x07));  // e1 stands between
  EXPECT_EQ(0, canReach(BISHOP, 0x00, 0x07));
  // Reach looks at the path, not at what stands on the target.
  setUp("fen 4k3/8/8/8/8/8/8/RN4Kn w - - 0 1");
  EXPECT_EQ(0, canReach(ROOK, 0x00, 0x07));
  setUp("fen 4k1K1/8/8/8/8/8/8/R6n w - - 0 1");
  EXPECT_EQ(1, canReach(ROOK, 0x00, 0x07));
  EXPECT_EQ(1, canReach(QUEEN, 0x00, 0x77));
  EXPECT_EQ(1, canReach(KNIGHT, 0x00, 0x21));
  EXPECT_EQ(0, canReach(KNIGHT, 0x00, 0x22));
}

TEST_F(BoardTest, RepetitionLooksBackToTheSameSideToMove) {
  setUp("startpos moves g1f3 g8f6 f3g1 f6g8");
  playLine({"g1f3"});
  EXPECT_EQ(1, isRepetition());
  setUp("startpos moves g1f3 g8f6 f3g1");
  playLine({"f6g8"});
  EXPECT_EQ(0, isRepetition());  // the start position is in no record
  // Pawn moves do not end the scan.
  setUp("startpos moves e2e4 g8f6 g1f3 f6g8 f3g1 g8f6");
  playLine({"g1f3"});
  EXPECT_EQ(1, isRepetition());
  // A null move in the line ends the scan: the same placement with the same
  // side to move behind it does not count.
  setUp("startpos moves g1f3");
  const uint32_t afterGameMove = position.lockKey;
  playLine({nullptr, "f3g1", nullptr, "g1f3"});
  EXPECT_EQ(afterGameMove, position.lockKey);
  EXPECT_EQ(0, isRepetition());
}

TEST_F(BoardTest, CaptureGainCountsVictimEnPassantAndPromotion) {
  setUp("fen r3k3/1P1p4/8/4P3/8/8/8/4K3 b - - 0 1 moves d7d5");
  Move& m = position.moveStack[ROOT_RECORD];
  position.currentMove = &m;
  const std::pair<const char*, int> gains[] = {
      {"b7a8q", 1216 + 2304 - 256}, {"b7b8n", 760 - 256}, {"e5e6", 0}, {"e5d6", 256}};
  for (const auto& [token, gain] : gains) {
    ASSERT_TRUE(decodeMoveText(token, m));
    EXPECT_EQ(gain, captureGain()) << token;
  }
}

TEST_F(BoardTest, NullMoveOnlyComplementsTheKeys) {
  setUp("startpos");
  const uint32_t lock = position.lockKey;
  const uint32_t index = position.indexKey;
  Move m = nullMoveTemplate;
  makeMove(m);
  EXPECT_EQ(~lock, position.lockKey);
  EXPECT_EQ(~index, position.indexKey);
  EXPECT_EQ(~lock, m.lockKey);
  unmakeMove(m);
  EXPECT_EQ(lock, position.lockKey);
  EXPECT_EQ(index, position.indexKey);
}

TEST_F(BoardTest, KeyBlockIsTheSameOnEveryFill) {
  // The engine's generator from the seed 30073: the first draws give the
  // bytes c4 00 a2 e7, the first lock word read little-endian.
  EXPECT_EQ(0xe7a200c4u, lockKeys[0]);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(keyBlock) + 1024, indexKeys);
  std::vector<unsigned char> first(keyBlock, keyBlock + 8192);
  fillKeyBlock(8192);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), keyBlock));
}

}  // namespace
