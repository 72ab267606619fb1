// Pieces of the board shared between its own files.
#pragma once

#include "board/board.h"

// Attack tables, indexed by PieceType and the square difference + 119.
constexpr int DIFF_OFFSET = 119;
extern int rayStep[7][2 * DIFF_OFFSET + 1];
extern int stepTable[7][2 * DIFF_OFFSET + 1];

// The squares a man of a type reaches from a square on an empty board, as
// 64-bit sets (a1 = bit 0, h8 = bit 63), indexed by PieceType and the square's
// number 0..63. Pawns have none.
extern uint64_t emptyBoardReach[7][64];
inline int squareIndex64(int sq) { return (sq + (sq & 7)) >> 1; }

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
