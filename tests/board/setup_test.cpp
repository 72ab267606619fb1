// The position command and move text: the start, the FEN reader's habits,
// the game moves with their history window, and the rejected commands.
#include <utility>

#include "board_testing.h"

namespace {

PieceType typeOn(int sq) { return position.board[sq].type; }
Side sideOn(int sq) { return position.board[sq].side; }

void expectKeysFromScratch() {
  uint32_t lock, index;
  computeKeys(lock, index);
  EXPECT_EQ(lock, position.lockKey);
  EXPECT_EQ(index, position.indexKey);
}

TEST_F(BoardTest, StartPositionListsAndCounters) {
  setUp("startpos");
  // King, queen, rooks, bishops, knights, then the pawns from the a-file;
  // black's list the same on the far ranks.
  const int pieces[8][2] = {{0x04, KING},   {0x03, QUEEN},  {0x00, ROOK},   {0x07, ROOK},
                            {0x02, BISHOP}, {0x05, BISHOP}, {0x01, KNIGHT}, {0x06, KNIGHT}};
  for (int i = 0; i < 16; ++i) {
    const PieceSlot expected{i < 8 ? pieces[i][0] : 0x10 + i - 8, i < 8 ? pieces[i][1] : PAWN};
    for (int s = 0; s < 2; ++s) {
      EXPECT_EQ(expected.square ^ (s * 0x70), position.pieceList[s][i].square) << s << " " << i;
      EXPECT_EQ(expected.type, position.pieceList[s][i].type) << s << " " << i;
    }
  }
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(7, position.lastPieceIndex[s]);
    EXPECT_EQ(15, position.lastIndex[s]);
  }
  EXPECT_EQ(startMaterial, position.totalMaterial);
  EXPECT_EQ(30, position.menCount);
  EXPECT_EQ(WHITE, position.side);
  EXPECT_EQ(BLACK, position.xside);
  expectKeysFromScratch();
  // The history holds only the sentinel, in its last record.
  EXPECT_EQ(MOVE_SENTINEL, position.moveStack[HISTORY_LAST].code);
  EXPECT_EQ(0u, position.moveStack[HISTORY_LAST - 1].code);
}

TEST_F(BoardTest, OnlyFenIsRecognisedIgnoringCaseAndMovesOnlyWithCase) {
  setUp("startpos");
  const uint32_t startKey = position.lockKey;
  setUp("");
  EXPECT_EQ(startKey, position.lockKey);
  setUp("anything at all");
  EXPECT_EQ(startKey, position.lockKey);
  setUp("STARTPOS moves e2e4");
  EXPECT_EQ(PAWN, typeOn(0x34));
  EXPECT_EQ(BLACK, position.side);
  setUp("startpos MOVES e2e4");
  EXPECT_EQ(startKey, position.lockKey);
  setUp("FEN 4k3/8/8/8/8/8/8/4K2R w - - 0 1");
  EXPECT_EQ(ROOK, typeOn(0x07));
  EXPECT_EQ(NONE, typeOn(0x00));
}

TEST_F(BoardTest, SideToMoveNeedsBlanksAroundTheB) {
  setUp("fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  EXPECT_EQ(BLACK, position.side);
  EXPECT_EQ(WHITE, position.xside);
  const uint32_t blackLock = position.lockKey;
  const uint32_t blackIndex = position.indexKey;
  setUp("fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(~blackLock, position.lockKey);
  EXPECT_EQ(~blackIndex, position.indexKey);
  // A side field at the very end has no blank behind it: white moves.
  setUp("fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b");
  EXPECT_EQ(WHITE, position.side);
}

TEST_F(BoardTest, PlacementReaderCountsSquaresNotSeparators) {
  setUp("fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
  const uint32_t usual = position.lockKey;
  setUp("fen rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w - - 0 1");
  EXPECT_EQ(usual, position.lockKey);
  setUp("fen rnbqkbnr/pppppppp/44/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
  EXPECT_EQ(usual, position.lockKey);
  // A 9 leaves no square; the count runs on over rank ends.
  setUp("fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN9R w - - 0 1");
  EXPECT_EQ(usual, position.lockKey);
  setUp("fen 2k5p/7/8/8/8/8/8/7K w - - 0 1");
  EXPECT_EQ(KING, typeOn(0x72));
  EXPECT_EQ(BLACK, sideOn(0x72));
  EXPECT_EQ(PAWN, typeOn(0x60));
  // A placement that ends early leaves the rest empty; nothing behind the
  // terminating zero is read.
  setUp("fen k7/8/8/K\0QQQQQQQQ");
  EXPECT_EQ(KING, typeOn(0x70));
  EXPECT_EQ(WHITE, sideOn(0x40));
  EXPECT_EQ(0, position.menCount);
}

TEST_F(BoardTest, GameMovesFillTheHistoryWindow) {
  setUp("startpos moves e2e4 e7e5");
  Position& p = position;
  EXPECT_STREQ("e7e5", moveToText(p.moveStack[103]));
  EXPECT_STREQ("e2e4", moveToText(p.moveStack[102]));
  EXPECT_EQ(MOVE_SENTINEL, p.moveStack[101].code);
  EXPECT_EQ(0u, p.moveStack[1].code);
  EXPECT_EQ(p.lockKey, p.moveStack[103].lockKey);
  // Lists rebuilt in canonical order: the e-pawn's slot comes in square order.
  EXPECT_EQ(0x13, p.pieceList[WHITE][11].square);
  EXPECT_EQ(0x34, p.pieceList[WHITE][15].square);
  EXPECT_EQ(15, p.board[0x34].listIndex);

  // After 110 moves the window holds moves 8 to 110 behind the sentinel.
  std::string text = "startpos moves";
  std::vector<std::string> played;
  const char* round[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  for (int i = 0; i < 110; ++i) {
    played.emplace_back(round[i % 4]);
    text += " " + played.back();
  }
  setUp(text.c_str());
  EXPECT_EQ(MOVE_SENTINEL, p.moveStack[0].code);
  for (int r = 1; r <= 103; ++r) EXPECT_EQ(played[r + 6], moveToText(p.moveStack[r])) << r;
  EXPECT_EQ(WHITE, p.side);
}

TEST_F(BoardTest, TokensThatAreNotMovesAreSkippedAndIllegalMovesTrusted) {
  setUp("startpos moves 0000 e2e4 e9e4 e7 e7e5");
  EXPECT_EQ(PAWN, typeOn(0x34));
  EXPECT_EQ(PAWN, typeOn(0x44));
  EXPECT_EQ(WHITE, position.side);
  setUp("startpos moves e2e5");
  EXPECT_EQ(PAWN, typeOn(0x44));
  EXPECT_EQ(WHITE, sideOn(0x44));
  // A fifth character that names no piece is ignored.
  setUp("startpos moves e2e4x");
  EXPECT_EQ(packMove(0x34, 0x14, PAWN, 0, 0), position.moveStack[HISTORY_LAST].code);
  // Capture, castling, en passant and promotion as game moves.
  setUp("fen r3k3/1P1p4/8/4P3/8/8/8/4K2R b - - 0 1 moves d7d5 e5d6 a8a1 e1g1 e8d7 b7b8n");
  for (const auto& [square, type] : {std::pair{0x43, NONE}, {0x53, PAWN}, {0x06, KING}, {0x05, ROOK}, {0x71, KNIGHT}}) {
    EXPECT_EQ(type, typeOn(square)) << square;
  }
  EXPECT_EQ(4, position.menCount);
  EXPECT_EQ(1216 + 256 + 760 + 1216, position.totalMaterial);
  expectKeysFromScratch();
  EXPECT_EQ(2, position.lastPieceIndex[WHITE]);  // rook and new knight, then the pawn
}

TEST_F(BoardTest, PositionsTheBoardCannotHoldAreRejected) {
  const char* rejected[] = {
      "fen 8/8/8/8/8/8/8/4K3 w - - 0 1",                                   // no black king
      "fen 4k3/8/8/8/8/8/8/8 w - - 0 1",                                   // no white king
      "fen 4k3/8/8/8/8/8/8/K3K3 w - - 0 1",                                // two white kings
      "fen 4k3/8/8/8/8/PPPPPPPP/PPPPPPPP/4K3 w - - 0 1",                   // 17 white men
      "startpos moves e3e4",                                               // from an empty square
      "startpos moves e7e5",                                               // the side not to move
      "startpos moves e2e4 e7e5 d1e2 e8e7 e2e4",                           // onto its own man
      "fen 4k3/8/8/8/8/8/8/4KQ2 w - - 0 1 moves f1e8",                     // takes a king
      "fen 4k3/8/8/8/8/8/8/4K3 w - - 0 1 moves e1g1",                      // castles without a rook
      "fen 4k3/8/8/8/8/8/8/4Kn1R w - - 0 1 moves e1g1",                    // rook's square taken
      "fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 moves e2d3",                    // en passant, no pawn
      "startpos moves g1f3q",                                              // promotes a knight
  };
  for (const char* text : rejected) {
    setUp("startpos");
    setupPosition(text);
    EXPECT_FALSE(positionValid()) << text;
    // Nothing is left to move: no moves are generated.
    EXPECT_TRUE(allMoves().empty()) << text;
    EXPECT_EQ(MOVE_SENTINEL, position.moveStack[HISTORY_LAST].code);
  }
  setUp("startpos");
  EXPECT_EQ(20u, allMoves().size());
}

// Every generated move reads back from its text in the tree walks; here the
// tokens that are no moves, and the texts of the records that are none.
TEST_F(BoardTest, MoveTextOfNonMoves) {
  setUp("fen r3k3/8/8/3pP3/8/8/8/4K2R w - - 0 1");
  Move m{};
  ASSERT_TRUE(decodeMoveText("e5d5", m));  // straight onto a man: not en passant
  EXPECT_EQ(packMove(0x43, 0x44, PAWN, PAWN, 0), m.code);
  for (const char* token : {"0000", "e9e4", "e2", "i2i4"}) EXPECT_FALSE(decodeMoveText(token, m)) << token;
  EXPECT_EQ(packMove(0x43, 0x44, PAWN, PAWN, 0), m.code);  // left as it was
  EXPECT_STREQ("", moveToText(nullMoveTemplate));
  EXPECT_STREQ("", moveToText(sentinelMove));
}

}  // namespace
