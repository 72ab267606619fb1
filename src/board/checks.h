// Questions about a move that is about to be made, answered from the board as
// it stands: does it leave the mover's king attacked, does it attack the enemy
// king. Both give exactly what an attack test after making the move would, or
// say that only making it tells.
#pragma once

#include "board/board.h"
#include "board/board_internal.h"

// The answer of a test that cannot tell without making the move.
constexpr int NOT_KNOWN = -1;

// Whether the man on the first square of the line through sq and vacated
// (from sq, past vacated) is a slider of side s that attacks along it. The
// square beyond that lies on the line in the same direction as `stays`
// still blocks; then the answer is no.
inline bool lineOpensFor(int s, int sq, int vacated, int stays) {
  const int step = lineStep(sq, vacated);
  if (step == 0 || lineStep(sq, stays) == step) return false;
  const Position& p = position;
  const uint64_t ray = raySquares[step + STEP_OFFSET][squareIndex64(sq)] & ~squareBits[vacated];
  const int along = rayStep[BISHOP][step + DIFF_OFFSET] != 0 ? BISHOP : ROOK;
  const uint64_t sliders = (p.manSets[s][QUEEN] | p.manSets[s][along]) & ray;
  if (sliders == 0) return false;
  const uint64_t men = menBesides(NO_SQUARE) & ray;
  return (sliders & squareBits[nearestOnRay(men, step)]) != 0;
}

// The squares of the enemy men that attack the king of side s: none unless
// s is in check. (A king never attacks the other: no position the board
// accepts or reaches has the kings side by side.) From the same look at the
// enemy sliders on lines with the king, shields gets squaresShieldingKing(s)
// (below).
inline uint64_t checkersAndShields(int s, uint64_t& shields) {
  const Position& p = position;
  const int enemy = s ^ 1;
  const int king = p.pieceList[s][0].square;
  const int n = squareIndex64(king);
  uint64_t checkers = p.manSets[enemy][KNIGHT] & emptyBoardReach[KNIGHT][n];
  const uint64_t men = menBesides(NO_SQUARE);
  shields = 0;
  for (uint64_t sliders = slidersToward(enemy, king); sliders != 0; sliders &= sliders - 1) {
    const int v = std::countr_zero(sliders);
    shields |= squaresBetween[n][v];
    if ((squaresBetween[n][v] & men) == 0) checkers |= uint64_t(1) << v;
  }
  return checkers | pawnsAttacking(enemy, king);
}

inline uint64_t checkersOf(int s) {
  uint64_t unused;
  return checkersAndShields(s, unused);
}

// With the side to move in check by checkers (checkersOf): the squares a man
// other than the king must move to for the move to answer it, the checker's
// and those between it and the king; none in a double check.
inline uint64_t evasionSquares(uint64_t checkers) {
  if (checkers & (checkers - 1)) return 0;
  const int king = position.pieceList[position.side][0].square;
  return checkers | squaresBetween[squareIndex64(king)][std::countr_zero(checkers)];
}

// The squares between the king of side s and each enemy slider on a line with
// it along which the slider moves: of the men but the king, only one that
// leaves such a square (or takes en passant) can open a line to the king.
inline uint64_t squaresShieldingKing(int s) {
  const Position& p = position;
  const int king = p.pieceList[s][0].square;
  uint64_t shields = 0;
  for (uint64_t sliders = slidersToward(s ^ 1, king); sliders != 0; sliders &= sliders - 1)
    shields |= squaresBetween[squareIndex64(king)][std::countr_zero(sliders)];
  return shields;
}

// Whether making m (by position.side) would leave its own king attacked: 1 or
// 0, or NOT_KNOWN for en passant and castling. checkers are the enemy men
// attacking that king now and shields its squaresShieldingKing (both from
// checkersAndShields). Out of check, a man other than the king that leaves
// none of the shields exposes nothing. A move other than the king's answers
// a check only by taking the one checker or by stepping between it and the
// king; besides that, the only attack it can open runs through its origin.
inline int leavesKingAttacked(const Move& m, uint64_t checkers, uint64_t shields) {
  if (checkers == 0 && m.piece != KING && !(m.code & MOVE_EP) && (shields & squareBits[m.from]) == 0) return 0;
  if (m.code & (MOVE_EP | MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG)) return NOT_KNOWN;
  if (m.piece == KING) return attackedWithVacated(position.xside, m.to, m.from) ? 1 : 0;
  if (checkers != 0 && (evasionSquares(checkers) & squareBits[m.to]) == 0) return 1;
  return lineOpensFor(position.xside, position.pieceList[position.side][0].square, m.from, m.to) ? 1 : 0;
}

// Whether making m (by position.side) would attack the enemy king: the moved
// man from its destination, a line opened through the origin, or the own
// king beside it (only a king move can bring it there: before the move the
// enemy king is not attacked). NOT_KNOWN for en passant and castling.
inline int givesCheck(const Move& m) {
  if (m.code & (MOVE_EP | MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG)) return NOT_KNOWN;
  const Position& p = position;
  const int side = p.side;
  const int enemyKing = p.pieceList[p.xside][0].square;
  switch (m.piece) {
    case KING:
      if (stepTable[KING][m.to - enemyKing + DIFF_OFFSET]) return 1;
      break;
    case KNIGHT:
      if (stepTable[KNIGHT][enemyKing - m.to + DIFF_OFFSET]) return 1;
      break;
    case PAWN: {
      const int beside = enemyKing - pawnDir[side] - m.to;
      if (beside == 1 || beside == -1) return 1;
      break;
    }
    default: {
      const int step = rayStep[m.piece][enemyKing - m.to + DIFF_OFFSET];
      if (step != 0 && lineClear(m.to, enemyKing, menBesides(m.from))) return 1;
    }
  }
  return lineOpensFor(side, enemyKing, m.from, m.to) ? 1 : 0;
}
