// Move trees walked through the generators: the published perft counts, and at
// every node an exact take-back, keys and lists as computed afresh, and move
// texts that read back; the generators' stop at a cutoff; the position command's habits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/board_internal.h"
#include "board/checks.h"
#include "../search/legal_moves.h"

namespace {

class BoardTest : public ::testing::Test {
 protected:
  static void setUp(const char* args) {
    setupPosition(args);
    ASSERT_TRUE(positionValid()) << args;
    ASSERT_TRUE(positionConsistent()) << args;  // the debug builds' own check agrees
  }
};

// Everything of the position in front of the move stack: the board with its
// guard zone, lists, lastIndex, lastPieceIndex, sides, keys and counters.
struct Snapshot {
  unsigned char fields[offsetof(Position, moveStack)];
  Move* currentMove;
};

Snapshot take() {
  Snapshot s;
  std::memcpy(s.fields, &position, sizeof s.fields);
  s.currentMove = position.currentMove;
  return s;
}

void expectSame(const Snapshot& a, const Snapshot& b, const char* move) {
  EXPECT_EQ(0, std::memcmp(a.fields, b.fields, sizeof a.fields)) << "position not restored after " << move;
  EXPECT_EQ(a.currentMove, b.currentMove) << move;
}

// After a move (the mover still in `side`): keys from scratch with the other
// side to move, lists pointing at the right squares, the counts of men and material.
void checkAfterMove(const Move& m) {
  Position& p = position;
  const char* text = moveToText(m);
  uint32_t lock = 0, index = 0;
  p.side ^= 1;
  computeKeys(lock, index);
  p.side ^= 1;
  ASSERT_TRUE(lock == p.lockKey && index == p.indexKey && m.lockKey == p.lockKey) << "keys after " << text;

  int men = 0, material = 0;
  for (int sq = 0; sq <= H8; ++sq) {
    const BoardEntry& e = p.board[sq];
    if (!onBoard(sq) || e.type == NONE) continue;
    ++men;
    material += pieceValue[e.type];
    const PieceSlot& slot = p.pieceList[e.side][e.listIndex];
    ASSERT_TRUE(slot.square == sq && slot.type == e.type) << "slot of the man on " << sq << " after " << text;
    ASSERT_TRUE(e.type == PAWN || e.listIndex <= p.lastPieceIndex[e.side]) << "lastPieceIndex after " << text;
  }
  ASSERT_TRUE(men - 2 == p.menCount && material == p.totalMaterial) << "counts after " << text;
  // The whole agreement, the men's sets included, with the keys read for the side now to move.
  p.side ^= 1;
  const bool consistent = positionConsistent();
  p.side ^= 1;
  ASSERT_TRUE(consistent) << "position after " << text;
}

struct WalkFrame {
  int depth;
  bool checked;
  uint64_t sequences;  // legal move sequences of the full depth below
};

// The quiet moves a generator emits, in order.
std::vector<Move> quietMovesOf(int (*generator)(void*)) {
  std::vector<Move> moves;
  const MoveVisitor visitor = moveVisitor;
  moveVisitor = [](void* arg) {
    static_cast<std::vector<Move>*>(arg)->push_back(*position.currentMove);
    return 0;
  };
  generator(&moves);
  moveVisitor = visitor;
  return moves;
}

// The generator keeps genQuiet's order and leaves out no move that mustKeep names.
template <typename MustKeep>
void expectKeptInOrder(int (*generator)(void*), MustKeep mustKeep) {
  const std::vector<Move> all = quietMovesOf(genQuiet);
  const std::vector<Move> some = quietMovesOf(generator);
  size_t kept = 0;
  for (const Move& m : all) {
    const bool isKept = kept < some.size() && some[kept].code == m.code;
    kept += isKept;
    if (mustKeep(m)) {
      EXPECT_TRUE(isKept) << moveToText(m);
    }
  }
  EXPECT_EQ(kept, some.size()) << "a move out of genQuiet's order";
}

// genQuietChecks leaves out no move that gives check (but a king's next to
// the enemy king, never legal) or steps a pawn onto the seventh rank; in
// check, genQuietEvasions leaves out no legal move.
void expectQuietChecksAndEvasionsKept() {
  const int enemyKing = position.pieceList[position.xside][0].square;
  expectKeptInOrder(genQuietChecks, [&](const Move& m) {
    const bool nextToKing = m.piece == KING && stepTable[KING][m.to - enemyKing + DIFF_OFFSET];
    const bool seventh = m.piece == PAWN && rankOf(m.to) == (position.side == WHITE ? 6 : 1);
    return (givesCheck(m) != 0 && !nextToKing) || seventh;
  });
  if (checkersOf(position.side) == 0) return;
  const std::vector<Move> legal = legalMoves();
  expectKeptInOrder([](void* arg) { return genQuietEvasions(evasionSquares(checkersOf(position.side)), arg); },
                    [&](const Move& m) {
                      return std::any_of(legal.begin(), legal.end(), [&](const Move& l) { return l.code == m.code; });
                    });
}

// One ply above the leaves, legalMoves (which leaves the visitor as it was)
// lists as many moves as the walk counts.
void walkChildren(WalkFrame& frame) {
  const size_t listed = frame.checked && frame.depth == 1 ? legalMoves().size() : 0;
  if (frame.checked) expectQuietChecksAndEvasionsKept();
  genPromotions(1, &frame);
  genCaptures(&frame);
  genQuiet(&frame);
  if (frame.checked && frame.depth == 1) {
    EXPECT_EQ(frame.sequences, listed);
  }
}

int walkVisitor(void* arg) {
  auto& frame = *static_cast<WalkFrame*>(arg);
  Position& p = position;
  Move& m = *p.currentMove;
  const Move record = m;
  Snapshot before;
  if (frame.checked) {
    before = take();
    // The move's text reads back as the same move.
    Move decoded{};
    EXPECT_TRUE(decodeMoveText(moveToText(m), decoded) && decoded.code == m.code) << moveToText(m);
  }

  // A quiet move's index key is known before the move is made.
  const bool keyKnownAhead =
      frame.checked && (m.code & (MOVE_TAKES_OR_PROMOTES | MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG)) == 0;
  const uint32_t keyAhead = keyKnownAhead ? indexKeyAfterQuiet(m) : 0;
  makeMove(m);
  if (frame.checked) checkAfterMove(m);
  EXPECT_TRUE(!keyKnownAhead || keyAhead == p.indexKey) << "index key ahead of " << moveToText(m);
  if (!isAttacked(p.xside, p.pieceList[p.side][0].square)) {
    if (frame.depth == 1) {
      ++frame.sequences;
    } else {
      switchSide();
      EXPECT_TRUE(!frame.checked || positionConsistent()) << "after " << moveToText(m);  // gaps of taken men too
      ++p.currentMove;
      WalkFrame child{frame.depth - 1, frame.checked, 0};
      walkChildren(child);
      frame.sequences += child.sequences;
      --p.currentMove;
      switchSide();
    }
  }
  unmakeMove(m);

  if (frame.checked) {
    expectSame(before, take(), moveToText(m));
    EXPECT_TRUE(record.code == m.code && record.from == m.from && record.to == m.to) << moveToText(m);
  }
  return ::testing::Test::HasFatalFailure() ? 1 : 0;
}

uint64_t walk(int depth, bool checked) {
  position.currentMove = &position.moveStack[ROOT_RECORD];
  moveVisitor = walkVisitor;
  WalkFrame root{depth, checked, 0};
  walkChildren(root);
  return root.sequences;
}

struct WalkCase {
  const char* position;
  std::vector<uint64_t> counts;  // published counts of depth 1, 2, ...
};

void PrintTo(const WalkCase& c, std::ostream* out) { *out << c.position; }

class MoveTree : public BoardTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(MoveTree, TakeBackRestoresEverythingKeysStayExactAndCountsMatch) {
  setUp(GetParam().position);
  const Snapshot start = take();
  const uint64_t checked = walk(3, true);
  EXPECT_GT(checked, 0u);
  expectSame(start, take(), "the whole walk");
  // The guard zone beside the board is never written.
  const BoardEntry* store = position.boardStore;
  for (int i = 0; i < BOARD_GUARD; ++i) {
    for (const BoardEntry& e : {store[i], store[BOARD_GUARD + BOARD_SIZE + i]}) {
      EXPECT_TRUE(e.type == 0 && e.side == 0 && e.listIndex == 0) << i;
    }
  }
  const std::vector<uint64_t>& counts = GetParam().counts;
  for (size_t i = 0; i < counts.size(); ++i) {
    EXPECT_EQ(counts[i], i == 2 ? checked : walk(int(i) + 1, false)) << "depth " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, MoveTree,
    ::testing::Values(
        WalkCase{"startpos", {20, 400, 8902, 197281, 4865609}},
        WalkCase{"fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862}},
        WalkCase{"fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624}},
        WalkCase{"fen r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333}},
        WalkCase{"fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487}},
        WalkCase{"fen r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", {46, 2079, 89890}},
        WalkCase{"startpos moves e2e4 d7d5", {}},
        WalkCase{"fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1 moves e2e4", {}},
        // A pawn taken from between the pieces and a promoting pawn: the
        // take-back of the promotion must give lastPieceIndex back exactly.
        WalkCase{"fen k7/6P1/8/8/8/b7/1P6/4K3 b - - 0 1", {}},
        // Promotions on both sides, with captures onto the last ranks.
        WalkCase{"fen 1n2k2r/P1P3P1/8/8/8/8/p1p3p1/1N2K2R w Kk - 0 1", {}}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return "Position" + std::to_string(info.index); });

// The position command's habits: each text sets up the same position as the
// plain one beside it (the same key, so the same men and side to move, and the
// same legal moves, so the same castling and en-passant rights).
TEST_F(BoardTest, PositionTextsThatMeanTheSamePosition) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "startpos"},
      {"anything at all", "startpos"},
      {"fen", "startpos"},  // "position fen " without a FEN, its trailing blank cleaned away
      {"fen 4k3/8/8/8/8/8/8/4K3/pppppp b", "fen 4k3/8/8/8/8/8/8/4K3 b - - 0 1"},  // men after 64 squares
      {"startpos MOVES e2e4", "startpos"},  // the word "moves" is matched with its case
      {"STARTPOS moves e2e4", "fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b - - 0 1"},
      // "FEN" in capitals; squares count, not separators.
      {"FEN rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR b", "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"},
      {"fen rnbqkbnr/pppppppp/44/8/8/8/PPPPPPPP/RNBQKBN9R w - - 0 1", "startpos"},  // a 9 leaves no square
      // Missing or malformed castling fields grant every right.
      {"fen r3k2r/8/8/8/8/8/8/R3K2R b", "fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"},
      {"fen r3k2r/8/8/8/8/8/8/R3K2R w KX", "fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"},
      {"fen k7/8/8/K\0QQQQ w", "fen k7/8/8/K7/8/8/8/8 w - - 0 1"},  // nothing behind a zero
      // The rights a field leaves out are those that rooks' trips home spend.
      {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves a1b1 a8b8 b1a1 b8a8 h1g1 h8g8 g1h1 g8h8",
       "fen r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1"},
      {"fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1 moves a8b8 a1b1 b8a8 b1a1 h8g8 h1g1 g8h8 g1h1",
       "fen r3k2r/8/8/8/8/8/8/R3K2R b - - 0 1"},
      {"startpos moves 0000 e2e4 e9e4 e7 e7e5 g1f3x", "startpos moves e2e4 e7e5 g1f3"},
      // After 1.e4 e5 2.Nf3 neither castling nor en passant depends on the history.
      {"startpos moves e2e4 e7e5 g1f3", "fen rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
      // En passant only right after the double step, by pawns of every file.
      {"startpos moves b2b4 g8f6 b4b5 c7c5 b5c6 f6g8", "fen rnbqkbnr/pp1ppppp/2P5/8/8/8/P1PPPPPP/RNBQKBNR w - - 0 1"},
      {"startpos moves d2d4 g8f6 d4d5 e7e5 d5e6 f6g8", "fen rnbqkbnr/pppp1ppp/4P3/8/8/8/PPP1PPPP/RNBQKBNR w - - 0 1"},
      {"startpos moves g1f3 f7f5 f3g1 f5f4 e2e4 f4e3 g1f3", "fen rnbqkbnr/ppppp1pp/8/8/8/4pN2/PPPP1PPP/RNBQKB1R b - - 0 1"},
      {"startpos moves g1f3 h7h5 f3g1 h5h4 g2g4 h4g3 g1f3", "fen rnbqkbnr/ppppppp1/8/8/8/5Np1/PPPPPP1P/RNBQKB1R b - - 0 1"},
      {"fen 4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1 moves d7d6 e1d1 d6d5", "fen 4k3/8/8/3pP3/8/8/8/3K4 w - - 0 1"},
      // The field's edge files.
      {"fen 4k3/8/8/6Pp/8/8/8/4K3 w - h6 0 1", "fen 4k3/7p/8/6P1/8/8/8/4K3 b - - 0 1 moves h7h5"},
      {"fen 4k3/8/8/pP6/8/8/8/4K3 w - a6 0 1", "fen 4k3/p7/8/1P6/8/8/8/4K3 b - - 0 1 moves a7a5"},
      // Castling, capture and promotion as game moves.
      {"fen r3k3/1P6/8/8/8/8/8/4K2R w K - 0 1 moves e1g1 a8a1 b7b8n", "fen 1N2k3/8/8/8/8/8/8/r4RK1 b - - 0 1"},
  };
  auto keyAndMoves = [](const char* text) {
    std::vector<std::string> moves = legalMoveTexts(text);
    std::sort(moves.begin(), moves.end());
    moves.push_back(std::to_string(position.lockKey) + " " + std::to_string(position.indexKey));
    EXPECT_TRUE(positionValid()) << text;
    return moves;
  };
  for (const auto& [text, same] : cases) EXPECT_EQ(keyAndMoves(text), keyAndMoves(same)) << text;
}

// Each generator hands over moves until the visitor's first non-zero answer
// (a cutoff in the search), stops there and passes the answer on.
TEST_F(BoardTest, GeneratorsStopAtTheFirstNonZeroAnswer) {
  struct Countdown { int stopAt, seen; };  // answers 1 at move stopAt (never if 0)
  moveVisitor = [](void* arg) { auto& c = *static_cast<Countdown*>(arg); return ++c.seen == c.stopAt ? 1 : 0; };
  int (*const generators[])(void*) = {
      [](void* arg) { return genPromotions(1, arg); }, genCaptures, genQuiet, genQuietChecks, [](void* arg) {
        const uint64_t checkers = checkersOf(position.side);  // evasions in check only
        return checkers != 0 ? genQuietEvasions(evasionSquares(checkers), arg) : 0;
      }};
  for (const char* text : {"fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1 moves a2a4",
                           "fen 1n2k2r/P1P3P1/8/8/8/8/p1p3p1/1N2K2R w Kk - 0 1",
                           "fen 4k3/8/8/8/8/2N5/3PPP2/r3K2R w K - 0 1"}) {
    setUp(text);
    position.currentMove = &position.moveStack[ROOT_RECORD];
    for (auto* generator : generators) {
      Countdown all{0, 0};
      EXPECT_EQ(generator(&all), 0);
      for (Countdown stop{1, 0}; stop.stopAt <= all.seen; stop = {stop.stopAt + 1, 0}) {
        EXPECT_TRUE(generator(&stop) == 1 && stop.seen == stop.stopAt) << text << ", move " << stop.stopAt;
      }
    }
  }
}

// The consistency check finds each kind of disagreement put into a sound position.
TEST_F(BoardTest, ConsistencyCheckFindsEachDisagreement) {
  setUp("fen r3k2r/1P6/8/8/8/8/8/4K2R w K - 0 1");
  const Position sound = position;
  void (*const faults[])(Position&) = {
      [](Position& p) { p.manSets[WHITE][PAWN] ^= 1; },       // a set with a man no list has
      [](Position& p) { p.manSets[BLACK][NONE] = 0; },        // the side's set of all men
      [](Position& p) { p.board[0x00].type = KNIGHT; },       // a man on the board alone
      [](Position& p) { p.pieceList[BLACK][0].square = 0x75; },  // a slot on the wrong square
      [](Position& p) { p.board[0x04].listIndex = 1; },          // a man naming another slot
      [](Position& p) { p.totalMaterial += 1; },
      [](Position& p) { p.lockKey ^= 1; },
      [](Position& p) { p.indexKey ^= 1; },
  };
  for (std::size_t i = 0; i < std::size(faults); ++i) {
    faults[i](position);
    EXPECT_FALSE(positionConsistent()) << "fault " << i;
    position = sound;
    ASSERT_TRUE(positionConsistent());
  }
}

}  // namespace
