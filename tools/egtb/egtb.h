// Retrograde generator of the endgame data file "Endgame.bin": the exact
// distance to mate of every position of king and queen, king and rook, and
// king and pawn against a bare king.
//
// Squares are square codes, entries and indexes as in the file
// (eval/endgame_file.h); the side with the extra man attacks.
#pragma once

#include <cstdint>
#include <vector>

#include "board/board.h"
#include "eval/endgame_file.h"

// The extra man, by the engine's piece numbers.
constexpr int EGTB_QUEEN = QUEEN;
constexpr int EGTB_ROOK = ROOK;
constexpr int EGTB_PAWN = PAWN;

struct EndgameTables {
  std::vector<uint8_t> queen;
  std::vector<uint8_t> rook;
  std::vector<uint8_t> pawn;
};

// Solves one ending. The pawn ending needs the solved queen and rook endings
// for the values after a promotion; the other two take null.
std::vector<uint8_t> solveEnding(int man, const std::vector<uint8_t>* queenTable,
                                 const std::vector<uint8_t>* rookTable);

// All three endings, the pawn ending last.
EndgameTables solveAllEndings();

// The bytes of "Endgame.bin" (its layout: eval/endgame_file.h).
std::vector<uint8_t> packEndgameFile(const EndgameTables& tables);

// Writes the bytes to path through a temporary file beside it, so that a
// failed write never leaves a partial file under the name. False on failure.
bool writeEndgameFile(const std::vector<uint8_t>& bytes, const char* path);

// Figures of one ending, per side to move (index b).
struct SectionFigures {
  long legal[2];
  long wins[2];
  long draws[2];
  int longestMate[2];  // in entry values: moves of the attacking side
};
SectionFigures sectionFigures(const std::vector<uint8_t>& table);
