// Pieces of the board shared between its own files.
#pragma once

#include "board/board.h"

// Attack tables, indexed by PieceType and the square difference + 119; built
// by initAttackTables before main runs.
constexpr int DIFF_OFFSET = 119;
extern int rayStep[7][2 * DIFF_OFFSET + 1];
extern int stepTable[7][2 * DIFF_OFFSET + 1];
void initAttackTables();

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
