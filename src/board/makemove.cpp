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
    if (m.captured != NONE) {
      // The victim's entry keeps its listIndex and side for the take-back.
      toggleMan(m.to, xside, m.captured);
      p.pieceList[xside][b[m.to].listIndex].type = NONE;
      b[m.to].type = NONE;
      p.menCount -= 1;
      p.totalMaterial -= pieceValue[m.captured];
    }
    // For a promotion m.piece is the new type; the origin term is set right below.
    toggleMan(m.from, side, m.piece);
    toggleMan(m.to, side, m.piece);
    std::swap(b[m.from], b[m.to]);
    p.pieceList[side][b[m.to].listIndex].square = m.to;

    if (m.code & MOVE_SPECIAL) {
      if (m.code & MOVE_CASTLE_SHORT) {
        toggleMan(m.to + 1, side, ROOK);
        toggleMan(m.to - 1, side, ROOK);
        std::swap(b[m.to + 1], b[m.to - 1]);
        p.pieceList[side][b[m.to - 1].listIndex].square = m.to - 1;
      }
      if (m.code & MOVE_CASTLE_LONG) {
        toggleMan(m.to - 2, side, ROOK);
        toggleMan(m.to + 1, side, ROOK);
        std::swap(b[m.to - 2], b[m.to + 1]);
        p.pieceList[side][b[m.to + 1].listIndex].square = m.to + 1;
      }
      if (m.code & MOVE_EP) {
        const int e = enPassantVictim(m);
        toggleMan(e, xside, PAWN);
        p.pieceList[xside][b[e].listIndex].type = NONE;
        b[e].type = NONE;
        p.menCount -= 1;
        p.totalMaterial -= pieceValue[PAWN];
      }
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

  toggleMan(m.to, side, m.piece);
  toggleMan(m.from, side, m.piece);
  std::swap(b[m.to], b[m.from]);
  p.pieceList[side][b[m.from].listIndex].square = m.from;

  if (m.captured != NONE) {
    // The swap brought the victim's old entry back onto m.to.
    toggleMan(m.to, xside, m.captured);
    b[m.to].type = int8_t(m.captured);
    b[m.to].side = int8_t(xside);
    p.pieceList[xside][b[m.to].listIndex] = {m.to, m.captured};
    p.menCount += 1;
    p.totalMaterial += pieceValue[m.captured];
  }
  if (!(m.code & MOVE_SPECIAL)) return;

  if (m.code & MOVE_CASTLE_SHORT) {
    toggleMan(m.to - 1, side, ROOK);
    toggleMan(m.to + 1, side, ROOK);
    std::swap(b[m.to - 1], b[m.to + 1]);
    p.pieceList[side][b[m.to + 1].listIndex].square = m.to + 1;
  }
  if (m.code & MOVE_CASTLE_LONG) {
    toggleMan(m.to + 1, side, ROOK);
    toggleMan(m.to - 2, side, ROOK);
    std::swap(b[m.to + 1], b[m.to - 2]);
    p.pieceList[side][b[m.to - 2].listIndex].square = m.to - 2;
  }
  if (m.code & MOVE_EP) {
    const int e = enPassantVictim(m);
    toggleMan(e, xside, PAWN);
    b[e].type = PAWN;
    b[e].side = int8_t(xside);
    p.pieceList[xside][b[e].listIndex] = {e, PAWN};
    p.menCount += 1;
    p.totalMaterial += pieceValue[PAWN];
  }
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
  // The squares beside p may lie off the board (index -1 included); the
  // guard zone and the unused 0x88 entries read as empty there.
  const int p0 = sq - pawnDir[by];
  if (onBoard(p0)) {
    const BoardEntry& left = p.board[p0 - 1];
    const BoardEntry& right = p.board[p0 + 1];
    if ((left.type == PAWN && left.side == by) || (right.type == PAWN && right.side == by)) return true;
  }
  return stepTable[KING][p.pieceList[by][0].square - sq + DIFF_OFFSET] != 0;
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
