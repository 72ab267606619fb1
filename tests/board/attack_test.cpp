// Attack and reach tests, repetition, material gains, promotions' effect on
// the counters, and the key block.
#include <cstring>

#include "board_testing.h"

namespace {

TEST_F(BoardTest, PawnAndSliderAttacks) {
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
  EXPECT_EQ(1, isAttacked(WHITE, 0x13));   // king e1 to d2
  EXPECT_EQ(1, isAttacked(WHITE, 0x23));   // knight b2 to d3
  EXPECT_EQ(0, isAttacked(WHITE, 0x33));
  EXPECT_EQ(1, isAttacked(WHITE, 0x70));   // rook a1 up the file
  EXPECT_EQ(0, isAttacked(WHITE, 0x77));
  EXPECT_EQ(1, canReach(ROOK, 0x00, 0x03));
  EXPECT_EQ(0, canReach(ROOK, 0x00, 0x07));  // e1 stands between
  EXPECT_EQ(0, canReach(BISHOP, 0x00, 0x07));
}

TEST_F(BoardTest, RookReachIgnoresWhatStandsOnTheTarget) {
  setUp("fen 4k3/8/8/8/8/8/8/RN4Kn w - - 0 1");
  EXPECT_EQ(0, canReach(ROOK, 0x00, 0x07));
  setUp("fen 4k3/8/8/8/8/8/8/R5Kn w - - 0 1");
  EXPECT_EQ(0, canReach(ROOK, 0x00, 0x07));  // the king on g1 blocks
  setUp("fen 4k1K1/8/8/8/8/8/8/R6n w - - 0 1");
  EXPECT_EQ(1, canReach(ROOK, 0x00, 0x07));
  EXPECT_EQ(1, canReach(QUEEN, 0x00, 0x77));
  EXPECT_EQ(1, canReach(KNIGHT, 0x00, 0x21));
  EXPECT_EQ(0, canReach(KNIGHT, 0x00, 0x22));
}

TEST_F(BoardTest, RepetitionLooksBackToTheSameSideToMove) {
  setUp("startpos moves g1f3 g8f6 f3g1 f6g8");
  Move& m = makeRootMove("g1f3");
  EXPECT_EQ(1, isRepetition());
  unmakeMove(m);

  setUp("startpos moves g1f3 g8f6 f3g1");
  Move& back = makeRootMove("f6g8");
  EXPECT_EQ(0, isRepetition());  // the start position is in no record
  unmakeMove(back);

  // Pawn moves do not end the scan; a capture does.
  setUp("startpos moves e2e4 g8f6 g1f3 f6g8 f3g1 g8f6");
  Move& again = makeRootMove("g1f3");
  EXPECT_EQ(1, isRepetition());
  unmakeMove(again);
  // A null move in the line ends the scan: the same placement with the same
  // side to move behind it does not count.
  setUp("startpos moves g1f3");
  Position& p = position;
  const uint32_t afterGameMove = p.lockKey;
  const char* line[] = {nullptr, "f3g1", nullptr, "g1f3"};
  p.currentMove = &p.moveStack[ROOT_RECORD - 1];
  for (const char* token : line) {
    ++p.currentMove;
    if (token == nullptr) {
      *p.currentMove = nullMoveTemplate;
    } else {
      ASSERT_TRUE(decodeMoveText(token, *p.currentMove));
    }
    makeMove(*p.currentMove);
    p.side ^= 1;
    p.xside ^= 1;
  }
  EXPECT_EQ(afterGameMove, p.lockKey);
  EXPECT_EQ(0, isRepetition());
}

TEST_F(BoardTest, CaptureGainCountsVictimEnPassantAndPromotion) {
  setUp("fen r3k3/1P6/8/3pP3/8/8/8/4K3 w - - 0 1");
  Move& m = position.moveStack[ROOT_RECORD];
  position.currentMove = &m;
  ASSERT_TRUE(decodeMoveText("b7a8q", m));
  EXPECT_EQ(1216 + 2304 - 256, captureGain());
  ASSERT_TRUE(decodeMoveText("b7b8n", m));
  EXPECT_EQ(760 - 256, captureGain());
  ASSERT_TRUE(decodeMoveText("e5e6", m));
  EXPECT_EQ(0, captureGain());
  m = Move{};
  m.to = 0x53;
  m.from = 0x44;
  m.piece = PAWN;
  m.code = packMove(0x53, 0x44, PAWN, 0, MOVE_EP);
  EXPECT_EQ(256, captureGain());
}

TEST_F(BoardTest, PromotionWidensThePieceScanAndTakeBackNarrowsIt) {
  setUp("fen r3k3/PP6/8/8/8/8/8/4K3 w - - 0 1");
  Position& p = position;
  EXPECT_EQ(0, p.lastPieceIndex[WHITE]);
  const int material = p.totalMaterial;
  Move& m = makeRootMove("b7b8q");
  const int slot = p.board[0x71].listIndex;
  EXPECT_EQ(2, slot);
  EXPECT_EQ(slot, p.lastPieceIndex[WHITE]);
  EXPECT_EQ(material + 2048, p.totalMaterial);
  EXPECT_EQ(1, isAttacked(WHITE, 0x74));  // the new queen gives check along the rank
  // The queen can be taken: the counters follow.
  p.side = BLACK;
  p.xside = WHITE;
  ++p.currentMove;
  ASSERT_TRUE(decodeMoveText("a8b8", *p.currentMove));
  makeMove(*p.currentMove);
  EXPECT_EQ(material + 2048 - 2304, p.totalMaterial);
  unmakeMove(*p.currentMove);
  --p.currentMove;
  p.side = WHITE;
  p.xside = BLACK;
  unmakeMove(m);
  EXPECT_EQ(0, p.lastPieceIndex[WHITE]);
  EXPECT_EQ(material, p.totalMaterial);
  EXPECT_EQ(PAWN, p.board[0x61].type);
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
  // Well spread: every byte value occurs.
  std::vector<int> seen(256, 0);
  for (unsigned char b : first) seen[b] = 1;
  EXPECT_EQ(256, std::count(seen.begin(), seen.end(), 1));
}

}  // namespace
