// The generators' orders: which moves come out, and in which sequence.
#include "board_testing.h"

namespace {

using Texts = std::vector<std::string>;

TEST_F(BoardTest, StartPositionGivesTwentyQuietMovesInOrder) {
  setUp("startpos");
  EXPECT_TRUE(collect([] { genPromotions(1, nullptr); }).empty());
  EXPECT_TRUE(collect([] { genCaptures(nullptr); }).empty());
  const std::vector<Move> quiet = collect([] { genQuiet(nullptr); });
  EXPECT_EQ(texts(quiet), (Texts{"b1c3", "b1a3", "g1h3", "g1f3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
                                 "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"}));
  // Every record carries the packed form of its own fields.
  for (const Move& m : quiet) EXPECT_EQ(m.code, packMove(m.to, m.from, m.piece, 0, 0)) << moveToText(m);
}

TEST_F(BoardTest, PromotionsComeCapturesFirstInQueenKnightRookBishopOrder) {
  setUp("fen 3r1n2/4P3/8/8/8/8/8/K6k w - - 0 1");
  const std::vector<Move> all = collect([] { genPromotions(1, nullptr); });
  EXPECT_EQ(texts(all), (Texts{"e7d8q", "e7d8n", "e7d8r", "e7d8b", "e7f8q", "e7f8n", "e7f8r", "e7f8b", "e7e8q",
                               "e7e8n", "e7e8r", "e7e8b"}));
  EXPECT_EQ(all[0].code, packMove(0x73, 0x64, QUEEN, ROOK, MOVE_PROMOTION));
  EXPECT_EQ(all[11].code, packMove(0x74, 0x64, BISHOP, 0, MOVE_PROMOTION));
  EXPECT_EQ(texts(collect([] { genPromotions(0, nullptr); })), (Texts{"e7d8q", "e7f8q", "e7e8q"}));
  // The pawn captures onto the last rank are left to the promotions.
  EXPECT_TRUE(collect([] { genCaptures(nullptr); }).empty());
}

TEST_F(BoardTest, BlackPawnOnTheEdgeReadsBesideTheBoardAsEmpty) {
  // Beside a2 lies index -1 on one side; h2's far side is an 0x88 square.
  setUp("fen 4k3/8/8/8/8/8/p6p/1N2K1N1 b - - 0 1");
  EXPECT_EQ(texts(collect([] { genPromotions(0, nullptr); })), (Texts{"a2b1q", "a2a1q", "h2g1q", "h2h1q"}));
}

TEST_F(BoardTest, CapturesComeMostValuableVictimFirstThenLeastValuableAttacker) {
  // Black queen h5 and rook d5; white pawns c4, e4, knight f4, queen d1.
  setUp("fen k7/8/8/3r3q/2P1PN2/8/8/K2Q4 w - - 0 1");
  const std::vector<Move> captures = collect([] { genCaptures(nullptr); });
  EXPECT_EQ(texts(captures), (Texts{"f4h5", "d1h5", "c4d5", "e4d5", "f4d5", "d1d5"}));
  EXPECT_EQ(captures[0].captured, QUEEN);
  EXPECT_EQ(captures[2].code, packMove(0x43, 0x32, PAWN, ROOK, 0));
}

TEST_F(BoardTest, EnPassantOnlyRightAfterTheDoubleStep) {
  setUp("fen 4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1 moves d7d5");
  const std::vector<Move> captures = collect([] { genCaptures(nullptr); });
  ASSERT_EQ(texts(captures), (Texts{"e5d6"}));
  EXPECT_EQ(captures[0].code, packMove(0x53, 0x44, PAWN, 0, MOVE_EP));

  setUp("fen 4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1 moves d7d6 e1d1 d6d5");
  EXPECT_TRUE(collect([] { genCaptures(nullptr); }).empty());

  // Not on the first move after a FEN, whatever its en-passant field says.
  setUp("fen rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  EXPECT_TRUE(collect([] { genCaptures(nullptr); }).empty());
}

TEST_F(BoardTest, CastlingNeverOutOfOrThroughCheckButIntoTheDestinationTest) {
  // A FEN's castling field is not read: the rights come from the history.
  const std::pair<const char*, Texts> cases[] = {
      {"fen k5r1/8/8/8/8/8/8/4K2R w - - 0 1", {"e1g1"}},  // attacked g1 is left to the legality test
      {"fen k4r2/8/8/8/8/8/8/4K2R w - - 0 1", {}},        // f1, passed over, attacked
      {"fen k3r3/8/8/8/8/8/8/4K2R w - - 0 1", {}},        // in check
      {"fen kr6/8/8/8/8/8/8/R3K3 w - - 0 1", {"e1c1"}},   // b1 attacked does not matter
      {"fen k2r4/8/8/8/8/8/8/R3K3 w - - 0 1", {}},        // d1 does
  };
  for (const auto& [fen, castles] : cases) {
    setUp(fen);
    EXPECT_EQ(texts(collect([] { genCastling(nullptr); })), castles) << fen;
  }
  // Black: short then long, after both quiet king steps.
  setUp("fen r3k2r/8/8/8/8/8/8/4K3 b - - 0 1");
  const Texts quiet = texts(collect([] { genQuiet(nullptr); }));
  ASSERT_GE(quiet.size(), 2u);
  EXPECT_EQ(quiet[quiet.size() - 2], "e8g8");
  EXPECT_EQ(quiet.back(), "e8c8");
}

TEST_F(BoardTest, CastlingRightsComeFromTheHistoryWindow) {
  // The rook went h1-h2-h1: no castling while that move is in the window.
  std::string text = "fen k7/8/8/8/8/8/8/1N2K2R w - - 0 1 moves h1h2 a8b8 h2h1 b8a8";
  setUp(text.c_str());
  EXPECT_TRUE(collect([] { genCastling(nullptr); }).empty());
  // 24 more knight-and-king rounds: 100 game moves, h1h2 still inside.
  for (int i = 0; i < 24; ++i) text += " b1c3 a8b8 c3b1 b8a8";
  setUp(text.c_str());
  EXPECT_TRUE(collect([] { genCastling(nullptr); }).empty());
  // One round more: 104 moves, h1h2 has left the 103-move window.
  text += " b1c3 a8b8 c3b1 b8a8";
  setUp(text.c_str());
  EXPECT_EQ(texts(collect([] { genCastling(nullptr); })), (Texts{"e1g1"}));
}

TEST_F(BoardTest, CastlingRightsLostEarlierInTheSearchLine) {
  setUp("fen k7/8/8/8/8/8/8/4K2R w - - 0 1");
  playLine({"h1h2", "a8b8", "h2h1", "b8a8"});  // the rook went out and back
  ++position.currentMove;                        // the next ply's record
  EXPECT_FALSE(pieceUnmoved(0x07, ROOK, WHITE));
  EXPECT_TRUE(pieceUnmoved(0x04, KING, WHITE));
  EXPECT_FALSE(pieceUnmoved(0x04, ROOK, WHITE));  // the wrong man on the square
}

TEST_F(BoardTest, VisitorAnswerStopsTheGenerator) {
  static int calls;
  moveVisitor = [](void*) { return ++calls == 3 ? 1 : 0; };  // stops at the third move
  position.currentMove = &position.moveStack[ROOT_RECORD];
  for (auto generate : {genQuiet, genCaptures}) {
    setUp("fen k7/8/8/3r3q/2P1PN2/8/8/K2Q4 w - - 0 1");
    calls = 0;
    EXPECT_EQ(1, generate(nullptr));
    EXPECT_EQ(3, calls);
  }
}

}  // namespace
