// Making and taking back moves, and the questions asked about the position:
// attacks, reach along a line, repetition and material won.
#include <utility>

#include "board/board.h"
#include "board/board_internal.h"

int rayStep[7][2 * DIFF_OFFSET + 1];
int stepTable[7][2 * DIFF_OFFSET + 1];
uint64_t emptyBoardReach[7][64];

namespace {

constexpr int PROMOTION_STACK_SIZE = 32;
int savedPieceIndex[PROMOTION_STACK_SIZE];
int promotionDepth = 0;

// Both keys change by the words of one man on one square.
inline void toggleMan(int sq, int s, int t) {
  const int k = keyIndex(sq, s, t);
  position.lockKey ^= lockKeys[k];
  position.indexKey ^= indexKeys[k];
}

// The three ways a man changes place, shared by makeMove and unmakeMove;
// each keeps the board, the piece list, the counts and both keys in step.

// Moves the man of side s and type t from one square to an empty one.
inline void moveMan(int from, int to, int s, int t) {
  BoardEntry* b = position.board;
  toggleMan(from, s, t);
  toggleMan(to, s, t);
  std::swap(b[from], b[to]);
  position.pieceList[s][b[to].listIndex].square = to;
}

// Takes the man of side s and type t off sq. Its entry keeps its list slot
// and side, so that restoreMan can put it back.
inline void removeMan(int sq, int s, int t) {
  Position& p = position;
  toggleMan(sq, s, t);
  p.pieceList[s][p.board[sq].listIndex].type = NONE;
  p.board[sq].type = NONE;
  p.menCount -= 1;
  p.totalMaterial -= pieceValue[t];
}

// Puts the man that removeMan took off sq back, in its old list slot.
inline void restoreMan(int sq, int s, int t) {
  Position& p = position;
  BoardEntry& e = p.board[sq];
  toggleMan(sq, s, t);
  e.type = int8_t(t);
  e.side = int8_t(s);
  p.pieceList[s][e.listIndex] = {sq, t};
  p.menCount += 1;
  p.totalMaterial += pieceValue[t];
}

// The square of the pawn an en-passant capture takes: beside the origin, on
// the destination's file.
inline int enPassantVictim(const Move& m) { return (m.to & 7) + (m.from & 0x70); }

}  // namespace

void clearPromotionStack() { promotionDepth = 0; }

void initAttackTables() {
  for (int t = 0; t < 7; ++t) {
    for (int d = 0; d <= 2 * DIFF_OFFSET; ++d) {
      rayStep[t][d] = 0;
      stepTable[t][d] = 0;
    }
  }
  for (int i = 0; i < 8; ++i) {
    const int d = directions[i];
    const int j = knightJumps[i];
    stepTable[KING][d + DIFF_OFFSET] = 1;
    stepTable[KNIGHT][j + DIFF_OFFSET] = 1;
    rayStep[KING][d + DIFF_OFFSET] = d;
    rayStep[KNIGHT][j + DIFF_OFFSET] = j;
    for (int s = 1; s <= 7; ++s) {
      rayStep[QUEEN][d * s + DIFF_OFFSET] = d;
      rayStep[i < 4 ? ROOK : BISHOP][d * s + DIFF_OFFSET] = d;
    }
  }
  for (int t = 0; t < 7; ++t) {
    for (int from = 0; from <= 0x77; ++from) {
      if (!onBoard(from)) continue;
      uint64_t reach = 0;
      for (int to = 0; to <= 0x77; ++to) {
        if (onBoard(to) && to != from && rayStep[t][to - from + DIFF_OFFSET] != 0)
          reach |= uint64_t(1) << squareIndex64(to);
      }
      emptyBoardReach[t][squareIndex64(from)] = reach;
    }
  }
}

// Built before main runs, so that the tables are ready wherever the board is used.
[[maybe_unused]] const bool attackTablesBuilt = (initAttackTables(), true);

void makeMove(Move& m) {
  Position& p = position;
  BoardEntry* b = p.board;
  const int side = p.side;
  const int xside = p.xside;
  p.lockKey = ~p.lockKey;
  p.indexKey = ~p.indexKey;

  if (m.code != MOVE_NULL) {
    if (m.captured != NONE) removeMan(m.to, xside, m.captured);
    // For a promotion m.piece is the new type; the origin term is set right below.
    moveMan(m.from, m.to, side, m.piece);

    if (m.code & MOVE_SPECIAL) {
      if (m.code & MOVE_CASTLE_SHORT) moveMan(m.to + 1, m.to - 1, side, ROOK);
      if (m.code & MOVE_CASTLE_LONG) moveMan(m.to - 2, m.to + 1, side, ROOK);
      if (m.code & MOVE_EP) removeMan(enPassantVictim(m), xside, PAWN);
      if (m.code & MOVE_PROMOTION) {
        toggleMan(m.from, side, PAWN);
        toggleMan(m.from, side, m.piece);
        const int slot = b[m.to].listIndex;
        p.pieceList[side][slot].type = m.piece;
        b[m.to].type = int8_t(m.piece);
        // The new piece sits among the pawns: widen the piece scans to its slot.
        if (promotionDepth < PROMOTION_STACK_SIZE) savedPieceIndex[promotionDepth] = p.lastPieceIndex[side];
        ++promotionDepth;
        if (p.lastPieceIndex[side] < slot) p.lastPieceIndex[side] = slot;
        p.totalMaterial += pieceValue[m.piece] - pieceValue[PAWN];
      }
    }
  }
  m.lockKey = p.lockKey;
}

void unmakeMove(Move& m) {
  Position& p = position;
  BoardEntry* b = p.board;
  const int side = p.side;
  const int xside = p.xside;
  p.lockKey = ~p.lockKey;
  p.indexKey = ~p.indexKey;
  if (m.code == MOVE_NULL) return;

  // The move back brings the victim's kept entry back onto m.to.
  moveMan(m.to, m.from, side, m.piece);
  if (m.captured != NONE) restoreMan(m.to, xside, m.captured);
  if (!(m.code & MOVE_SPECIAL)) return;

  if (m.code & MOVE_CASTLE_SHORT) moveMan(m.to - 1, m.to + 1, side, ROOK);
  if (m.code & MOVE_CASTLE_LONG) moveMan(m.to + 1, m.to - 2, side, ROOK);
  if (m.code & MOVE_EP) restoreMan(enPassantVictim(m), xside, PAWN);
  if (m.code & MOVE_PROMOTION) {
    toggleMan(m.from, side, m.piece);
    toggleMan(m.from, side, PAWN);
    p.pieceList[side][b[m.from].listIndex].type = PAWN;
    b[m.from].type = PAWN;
    p.totalMaterial -= pieceValue[m.piece] - pieceValue[PAWN];
    --promotionDepth;
    if (promotionDepth >= 0 && promotionDepth < PROMOTION_STACK_SIZE) {
      p.lastPieceIndex[side] = savedPieceIndex[promotionDepth];
    } else {
      // No saved value (a take-back without its make): drop trailing pawn slots.
      if (promotionDepth < 0) promotionDepth = 0;
      int& last = p.lastPieceIndex[side];
      while (last > 0 && p.pieceList[side][last].type == PAWN) --last;
    }
  }
}

bool canReach(int type, int from, int to) {
  const int step = rayStep[type][to - from + DIFF_OFFSET];
  if (step == 0) return false;
  int sq = from + step;
  while (sq != to && position.board[sq].type == NONE) sq += step;
  return sq == to;
}

bool isAttacked(int by, int sq) {
  const Position& p = position;
  for (int j = p.lastPieceIndex[by]; j >= 1; --j) {
    const PieceSlot& slot = p.pieceList[by][j];
    if (slot.type == NONE || slot.type == PAWN) continue;
    if (slot.type == KNIGHT) {
      if (stepTable[KNIGHT][slot.square - sq + DIFF_OFFSET]) return true;
    } else if (canReach(slot.type, slot.square, sq)) {
      return true;
    }
  }
  return pawnOrKingAttacks(by, sq);
}

bool isRepetition() {
  const Move* m = position.currentMove;
  if (m->code & MOVE_IRREVERSIBLE) return false;
  for (;;) {
    // Only positions with the same side to move: two records at a time. The
    // history always starts with a sentinel; the array's start ends the scan too.
    if (m - position.moveStack < 2) return false;
    --m;
    if (m->code & MOVE_IRREVERSIBLE) return false;
    --m;
    if (m->code & MOVE_IRREVERSIBLE) return false;
    if (m->lockKey == position.lockKey) return true;
  }
}

int captureGain() {
  const Move& m = *position.currentMove;
  if (!(m.code & MOVE_TAKES_OR_PROMOTES)) return 0;
  int gain = pieceValue[m.captured];
  if (m.code & MOVE_EP) gain += pieceValue[PAWN];
  if (m.code & MOVE_PROMOTION) gain += pieceValue[m.piece] - pieceValue[PAWN];
  return gain;
}
