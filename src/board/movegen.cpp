// Move generation. No list is built: each move is written into the record at
// currentMove and handed to the visitor at once, in a fixed order, and a
// non-zero answer ends the generator.
#include <bit>
#include <cstdlib>
#include <initializer_list>

#include "board/board.h"
#include "board/board_internal.h"
#include "board/checks.h"

namespace {

constexpr int promotionRank[2] = {0x60, 0x10};
constexpr int promotionOrder[4] = {QUEEN, KNIGHT, ROOK, BISHOP};

inline bool isEmpty(int sq) { return position.board[sq].type == NONE; }

inline bool holds(int sq, int type, int s) {
  const BoardEntry& e = position.board[sq];
  return e.type == type && e.side == s;
}

// Hands the move in the current record to the visitor.
inline int emit(Move& m, int from, int to, int piece, int captured, uint32_t flags, void* arg) {
  m.from = int16_t(from);
  m.to = int16_t(to);
  m.piece = int16_t(piece);
  m.captured = int16_t(captured);
  m.code = packMove(to, from, piece, captured, flags);
  return moveVisitor(arg);
}

// The promotion series for one target: queen first, all four pieces only when asked.
int emitPromotions(Move& m, int from, int to, int captured, int allPieces, void* arg) {
  for (int piece : promotionOrder) {
    if (emit(m, from, to, piece, captured, MOVE_PROMOTION, arg)) return 1;
    if (allPieces <= 0) break;
  }
  return 0;
}

}  // namespace

int genPromotions(int allPieces, void* arg) {
  Move& m = *position.currentMove;
  const int side = position.side;
  const int xside = position.xside;
  // The pawns on the rank before promotion, from the a-file to the h-file.
  uint64_t pawns = position.manSets[side][PAWN] & (uint64_t(0xFF) << (squareIndex64(promotionRank[side])));
  for (; pawns != 0; pawns &= pawns - 1) {
    const int from = squareOf64(std::countr_zero(pawns));
    const int t = from + pawnDir[side];
    // Off-board diagonal targets (index -1 included) read as empty.
    for (int to : {t - 1, t + 1}) {
      const BoardEntry& e = position.board[to];
      if (e.type != NONE && e.side == xside) {
        if (emitPromotions(m, from, to, e.type, allPieces, arg)) return 1;
      }
    }
    if (isEmpty(t) && emitPromotions(m, from, t, NONE, allPieces, arg)) return 1;
  }
  return 0;
}

int genCaptures(void* arg) {
  Move& m = *position.currentMove;
  const Position& p = position;
  const int side = p.side;
  const int xside = p.xside;
  const BoardEntry* const board = p.boardStore + BOARD_GUARD;
  // For each victim (by its slot) the capturing pieces that reach its square
  // with nothing between, as a set of bits in the order the pieces are
  // tried: from the last knight up to the king (bit SLOTS - 1 - slot). Only
  // the victims that a pawn or a piece may take are visited. Every visit
  // takes its move back, so the sets and the piece list stay true.
  constexpr int SLOTS = 16;
  const uint64_t victimSquares = p.manSets[xside][NONE];
  const uint64_t occupied = p.manSets[side][NONE] | victimSquares;
  uint32_t attackersOf[SLOTS] = {};
  uint32_t victimSlots = 0;
  for (uint64_t pieces = p.manSets[side][NONE] & ~p.manSets[side][PAWN]; pieces != 0; pieces &= pieces - 1) {
    const int n = std::countr_zero(pieces);
    const BoardEntry& piece = board[squareOf64(n)];
    const uint32_t attackerBit = 1u << (SLOTS - 1 - piece.listIndex);
    const bool slides = piece.type != KNIGHT && piece.type != KING;
    for (uint64_t inReach = emptyBoardReach[piece.type][n] & victimSquares; inReach != 0; inReach &= inReach - 1) {
      const int v = std::countr_zero(inReach);
      if (slides) {
        // Nothing between the slider and the victim.
        if (squaresBetween[n][v] & occupied) continue;
      }
      const int victim = board[squareOf64(v)].listIndex;
      attackersOf[victim] |= attackerBit;
      victimSlots |= 1u << victim;
    }
  }
  // The victims beside the squares in front of the pawns, on the second to
  // the seventh rank (captures onto the first and last rank are promotions).
  constexpr uint64_t notFileA = ~FILE_A_SQUARES;
  constexpr uint64_t notFileH = ~FILE_H_SQUARES;
  constexpr uint64_t innerRanks = 0x00FFFFFFFFFFFF00ull;
  const uint64_t pawns = p.manSets[side][PAWN];
  uint64_t pawnTargets = side == WHITE ? ((pawns & notFileA) << 7) | ((pawns & notFileH) << 9)
                                       : ((pawns & notFileA) >> 9) | ((pawns & notFileH) >> 7);
  for (pawnTargets &= victimSquares & innerRanks; pawnTargets != 0; pawnTargets &= pawnTargets - 1)
    victimSlots |= 1u << board[squareOf64(std::countr_zero(pawnTargets))].listIndex;
  // Victims in slot order: the most valuable first; the king (slot 0) is never a victim.
  for (victimSlots &= ~1u; victimSlots != 0; victimSlots &= victimSlots - 1) {
    const int i = std::countr_zero(victimSlots);
    const int captured = p.pieceList[xside][i].type;
    const int to = p.pieceList[xside][i].square;
    // Pawns first (onto the first or last rank a pawn takes by promoting).
    if (to >= rankStart(1) && to < rankStart(7)) {
      const int base = to - pawnDir[side];
      for (int from : {base - 1, base + 1}) {
        if (holds(from, PAWN, side) && emit(m, from, to, PAWN, captured, 0, arg)) return 1;
      }
    }
    // Then the pieces.
    for (uint32_t rest = attackersOf[i]; rest != 0; rest &= rest - 1) {
      const PieceSlot& attacker = p.pieceList[side][SLOTS - 1 - std::countr_zero(rest)];
      if (emit(m, attacker.square, to, attacker.type, captured, 0, arg)) return 1;
    }
  }
  return genEnPassant(arg);
}

int genEnPassant(void* arg) {
  if (position.currentMove == position.moveStack) return 0;
  Move& m = *position.currentMove;
  const Move& prev = *(position.currentMove - 1);
  if (prev.piece != PAWN || std::abs(prev.to - prev.from) != 2 * pawnDir[WHITE]) return 0;
  const int to = (prev.to + prev.from) / 2;
  for (int from : {prev.to - 1, prev.to + 1}) {
    if (holds(from, PAWN, position.side) && emit(m, from, to, PAWN, NONE, MOVE_EP, arg)) return 1;
  }
  return 0;
}

namespace {

// What the quiet moves that may attack the enemy king need: the squares from
// which a knight, a rook, a bishop or a pawn of the side to move would attack
// it (the empty ones the king's lines reach, for the sliders), and the
// squares whose man may uncover a slider's line to it.
struct CheckSquares {
  int enemyKing;
  uint64_t knight, rook, bishop, pawn, uncovering;
};

CheckSquares checkSquares() {
  const Position& p = position;
  CheckSquares c{};
  c.enemyKing = p.pieceList[p.xside][0].square;
  const int king = squareIndex64(c.enemyKing);
  const uint64_t men = menBesides(NO_SQUARE);
  c.knight = emptyBoardReach[KNIGHT][king];
  c.rook = rookReach(king, men) & ~men;
  c.bishop = bishopReach(king, men) & ~men;
  const int front = c.enemyKing - pawnDir[p.side];
  for (int to : {front - 1, front + 1})
    if (onBoard(to)) c.pawn |= squareBits[to];
  c.uncovering = squaresShieldingKing(p.xside);
  return c;
}

// Which quiet moves a generator emits: all, those described at
// genQuietChecks, or those described at genQuietEvasions. They emit their
// common moves in the same order.
enum class QuietMoves { ALL, CHECKS, EVASIONS };

template <QuietMoves KIND>
int generateQuiet(void* arg, uint64_t evasions = 0) {
  constexpr bool FILTERED = KIND != QuietMoves::ALL;
  Move& m = *position.currentMove;
  const Position& p = position;
  const int side = p.side;
  CheckSquares checks{};
  if constexpr (KIND == QuietMoves::CHECKS) checks = checkSquares();
  // The destinations wanted of a man other than the king: all, those that
  // attack the enemy king, or those that answer a check.
  const auto wanted = [&](int from, uint64_t attacking) {
    if constexpr (KIND == QuietMoves::EVASIONS) return evasions;
    return KIND == QuietMoves::ALL || (checks.uncovering & squareBits[from]) ? ~uint64_t(0) : attacking;
  };
  const auto among = [](int to, uint64_t targets) { return !FILTERED || (squareBits[to] & targets) != 0; };
  for (int i = 1; i <= p.lastIndex[side]; ++i) {
    const int piece = p.pieceList[side][i].type;
    if (piece == NONE) continue;
    const int from = p.pieceList[side][i].square;
    if (piece == KNIGHT) {
      const uint64_t targets = wanted(from, checks.knight);
      if (FILTERED && (emptyBoardReach[KNIGHT][squareIndex64(from)] & targets) == 0) continue;
      for (int k = 7; k >= 0; --k) {
        const int to = from + knightJumps[k];
        if (onBoard(to) && among(to, targets) && isEmpty(to) && emit(m, from, to, piece, NONE, 0, arg)) return 1;
      }
    } else if (piece == PAWN) {
      const int rank = rankOf(from);
      const int relativeRank = side == WHITE ? rank : 7 - rank;
      if (relativeRank > 5) continue;  // its moves are promotions
      // A step onto the seventh rank is always wanted, but in check only as an answer.
      const bool seventh = KIND != QuietMoves::EVASIONS && relativeRank == 5;
      const uint64_t targets = seventh ? ~uint64_t(0) : wanted(from, checks.pawn);
      const int to = from + pawnDir[side];
      if (!isEmpty(to)) continue;
      if (among(to, targets) && emit(m, from, to, piece, NONE, 0, arg)) return 1;
      const int far = to + pawnDir[side];
      if (relativeRank == 1 && among(far, targets) && isEmpty(far) && emit(m, from, far, piece, NONE, 0, arg))
        return 1;
    } else {
      const uint64_t targets =
          wanted(from, piece == ROOK ? checks.rook : piece == BISHOP ? checks.bishop : checks.rook | checks.bishop);
      const int hi = piece == ROOK ? 3 : 7;
      const int lo = piece == BISHOP ? 4 : 0;
      for (int k = hi; k >= lo; --k) {
        const int d = directions[k];
        if (FILTERED && (raySquares[d + STEP_OFFSET][squareIndex64(from)] & targets) == 0) continue;
        for (int to = from + d; onBoard(to) && isEmpty(to); to += d) {
          if (among(to, targets) && emit(m, from, to, piece, NONE, 0, arg)) return 1;
        }
      }
    }
  }
  // The king on its own. A king taken in an impossible line has no moves. It
  // never attacks the enemy king from a square it may stand on; it may always
  // step out of a check.
  const PieceSlot& king = p.pieceList[side][0];
  if (king.type == KING && (KIND == QuietMoves::EVASIONS || wanted(king.square, 0) != 0)) {
    for (int k = 7; k >= 0; --k) {
      const int to = king.square + directions[k];
      if (onBoard(to) && isEmpty(to) && emit(m, king.square, to, KING, NONE, 0, arg)) return 1;
    }
  }
  if constexpr (KIND == QuietMoves::EVASIONS) return 0;  // no castling out of check
  return genCastling(arg);
}

}  // namespace

int genQuiet(void* arg) { return generateQuiet<QuietMoves::ALL>(arg); }

int genQuietChecks(void* arg) { return generateQuiet<QuietMoves::CHECKS>(arg); }

int genQuietEvasions(uint64_t targets, void* arg) { return generateQuiet<QuietMoves::EVASIONS>(arg, targets); }

int genCastling(void* arg) {
  Move& m = *position.currentMove;
  const int side = position.side;
  const int xside = position.xside;
  const int k = side == WHITE ? E1 : E8;
  // Never out of check; the square passed over must not be attacked either.
  // The destination is left to the legality test after the move.
  if (!pieceUnmoved(k, KING, side) || isAttacked(xside, k)) return 0;
  if (isEmpty(k + 1) && isEmpty(k + 2) && pieceUnmoved(k + 3, ROOK, side) && !isAttacked(xside, k + 1)) {
    if (emit(m, k, k + 2, KING, NONE, MOVE_CASTLE_SHORT, arg)) return 1;
  }
  if (isEmpty(k - 1) && isEmpty(k - 2) && isEmpty(k - 3) && pieceUnmoved(k - 4, ROOK, side) &&
      !isAttacked(xside, k - 1)) {
    if (emit(m, k, k - 2, KING, NONE, MOVE_CASTLE_LONG, arg)) return 1;
  }
  return 0;
}

bool pieceUnmoved(int sq, int type, int s) {
  if (!holds(sq, type, s) || (position.homesSpent & homeSquareBit(sq))) return false;
  // Castling rights live in the history: any move that started or ended on
  // sq, in the game or earlier in the current line, has spent them.
  for (const Move* m = position.currentMove; m != position.moveStack;) {
    --m;
    if (m->code == MOVE_SENTINEL) return true;
    if (m->from == sq || m->to == sq) return false;
  }
  return true;
}

int homeSquareBit(int sq) {
  constexpr int homes[6] = {E1, A1, H1, E8, A8, H8};
  for (int i = 0; i < 6; ++i)
    if (homes[i] == sq) return 1 << i;
  return 0;
}

namespace {

struct LegalList {
  Move* list;
  int capacity;
  int count;
};

// Keeps each move that does not leave the mover's own king attacked.
int collectLegal(void* arg) {
  LegalList& legal = *static_cast<LegalList*>(arg);
  Move& move = *position.currentMove;
  makeMove(move);
  const bool kingSafe = !isAttacked(position.xside, position.pieceList[position.side][0].square);
  unmakeMove(move);
  if (kingSafe && legal.count < legal.capacity) legal.list[legal.count++] = move;
  return 0;
}

}  // namespace

int legalMoves(Move* list, int capacity) {
  const MoveVisitor saved = moveVisitor;
  moveVisitor = collectLegal;
  LegalList legal{list, capacity, 0};
  genPromotions(1, &legal);
  genCaptures(&legal);
  genQuiet(&legal);
  moveVisitor = saved;
  return legal.count;
}
