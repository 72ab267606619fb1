// Pieces of the board shared between its own files.
#pragma once

#include <array>
#include <bit>
#include <initializer_list>

#include "board/board.h"

// Lower-case letter of a PieceType; index 0 is a blank.
inline constexpr char pieceLetters[] = " kqrbnp";

// The random words of the two position keys. Index: square | side << 3 | type << 7.
extern const uint32_t* const lockKeys;
extern const uint32_t* const indexKeys;
// Both words of an index in one: the lock word low, the index word high.
extern const uint64_t* const keyPairs;
constexpr int keyIndex(int sq, int s, int t) { return sq | s << 3 | t << 7; }
// Keys of the current placement and side computed from scratch (for checks).
void computeKeys(uint32_t& lock, uint32_t& index);

// Slots in canonical order: the king, the pieces from queen to knight, the pawns.
void rebuildPieceLists();

// The generators' last steps: en passant after the captures, castling after
// the quiet moves.
int genEnPassant(void* arg);
int genCastling(void* arg);
// Whether the man of type and side on sq may still castle: it stands on its
// home square and no move in the history or the current line started or ended
// there, and no earlier loss of the right is remembered in homesSpent.
bool pieceUnmoved(int sq, int type, int s);
// The bit of a king's or rook's home square (e1 a1 h1 e8 a8 h8) in
// homesSpent, or 0 for any other square.
int homeSquareBit(int sq);

// Plays one game move given as text; a token that is no move is ignored.
// Returns why an illegal move was refused, or null.
const char* applyMoveText(const char* token);

// Attack tables, indexed by PieceType and the square difference + 119; built
// by initAttackTables before main runs.
constexpr int DIFF_OFFSET = 119;
extern int rayStep[7][2 * DIFF_OFFSET + 1];
extern int stepTable[7][2 * DIFF_OFFSET + 1];
void initAttackTables();

// The bit of each square in a 64-bit set, indexed by Square; 0 off the board.
inline constexpr std::array<uint64_t, 128> squareBits = [] {
  std::array<uint64_t, 128> bits{};
  for (int sq = 0; sq < 128; ++sq)
    if (onBoard(sq)) bits[sq] = uint64_t(1) << squareIndex64(sq);
  return bits;
}();

// The pawns of side by that attack sq, from beside the square in front of
// it. Those squares may lie off the board (index -1 included); the guard
// zone and the unused 0x88 entries read as empty there.
inline uint64_t pawnsAttacking(int by, int sq) {
  const int front = sq - pawnDir[by];
  if (!onBoard(front)) return 0;
  uint64_t pawns = 0;
  for (int from : {front - 1, front + 1}) {
    const BoardEntry& e = position.board[from];
    if (e.type == PAWN && e.side == by) pawns |= squareBits[from];
  }
  return pawns;
}

// Whether a pawn or the king of side by attacks sq.
inline bool pawnOrKingAttacks(int by, int sq) {
  if (pawnsAttacking(by, sq) != 0) return true;
  return stepTable[KING][position.pieceList[by][0].square - sq + DIFF_OFFSET] != 0;
}

// The step from one square towards another along a rank, file or diagonal;
// 0 when the two are on no common line (or the same square).
inline int lineStep(int from, int to) { return rayStep[QUEEN][to - from + DIFF_OFFSET]; }

// The men of side s on the lines through sq along which they move (blockers
// aside): queens and rooks on its rank and file, queens and bishops on its
// diagonals.
inline uint64_t slidersToward(int s, int sq) {
  const Position& p = position;
  const int n = squareIndex64(sq);
  return ((p.manSets[s][QUEEN] | p.manSets[s][ROOK]) & emptyBoardReach[ROOK][n]) |
         ((p.manSets[s][QUEEN] | p.manSets[s][BISHOP]) & emptyBoardReach[BISHOP][n]);
}

// A square number that names no square: nothing is read as vacated.
constexpr int NO_SQUARE = -1;

// The squares strictly between two squares on a common line, by their bits;
// none for two squares on no common line.
extern uint64_t squaresBetween[64][64];

// The men on the board, less the one on vacated (a man about to leave it).
inline uint64_t menBesides(int vacated) {
  const uint64_t men = position.manSets[WHITE][NONE] | position.manSets[BLACK][NONE];
  return vacated == NO_SQUARE ? men : men & ~squareBits[vacated];
}

// Whether no man of men stands between from and to, two squares on a line.
inline bool lineClear(int from, int to, uint64_t men) {
  return (squaresBetween[squareIndex64(from)][squareIndex64(to)] & men) == 0;
}

// Whether side by attacks sq, with vacated read as empty: the attack test
// itself (NO_SQUARE), or the one after a king has left vacated for sq, where
// a man taken on sq is gone.
inline bool attackedWithVacated(int by, int sq, int vacated) {
  const Position& p = position;
  if (p.manSets[by][KNIGHT] & emptyBoardReach[KNIGHT][squareIndex64(sq)]) return true;
  uint64_t sliders = slidersToward(by, sq);
  if (sliders != 0) {
    const uint64_t men = menBesides(vacated);
    for (; sliders != 0; sliders &= sliders - 1)
      if (lineClear(squareOf64(std::countr_zero(sliders)), sq, men)) return true;
  }
  return pawnOrKingAttacks(by, sq);
}

// The PieceType of a lower-case letter of " kqrbnp" (k, q, r, b, n, p), else NONE.
inline int pieceOfLetter(char c) {
  for (int t = KING; t <= PAWN; ++t)
    if (pieceLetters[t] == c) return t;
  return NONE;
}

// A promotion raises lastPieceIndex of its side; the value it had before is
// kept here so that the take-back restores it exactly. Every standing
// promotion uses up a pawn, so the stack never holds more than 16 entries.
void clearPromotionStack();
