// Retrograde generator of the endgame data file "Endgame.bin": the exact
// distance to mate of every position of king and queen, king and rook, and
// king and pawn against a bare king.
//
// Squares are square codes: file * 8 + rank (a1 0, a2 1, ..., h8 63).
// The side with the extra man attacks; its pawn moves towards the eighth rank.
#pragma once

#include <cstdint>
#include <vector>

// The extra man, by the engine's piece numbers.
constexpr int EGTB_QUEEN = 2;
constexpr int EGTB_ROOK = 3;
constexpr int EGTB_PAWN = 6;

// Entry values. 0..200: the attacking side mates; with the attacking side to
// move in v moves, with the defending side to move v attacking moves after its
// reply (0: checkmated now).
constexpr uint8_t ENTRY_MAX_MATE = 200;
constexpr uint8_t ENTRY_DRAW = 253;
constexpr uint8_t ENTRY_IMPOSSIBLE = 254;

// One ending, unfolded: an entry for every placement and side to move at
// tableIndex(attacking king, defending king, man, b); b is 0 with the
// attacking side to move, 1 with the defending side to move.
constexpr int EGTB_TABLE_SIZE = 64 * 64 * 64 * 2;
constexpr int tableIndex(int attackingKing, int defendingKing, int man, int b) {
  return attackingKing * 8192 + defendingKing * 128 + man * 2 + b;
}

constexpr int squareCode(int file, int rank) { return file * 8 + rank; }

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

// The file layout: queen blocks for the attacking king on a1, a2, a3, a4, b2,
// b3, b4, c3, c4, d4, the same for the rook, then the pawn blocks for the
// attacking king on a1..d8; 8192 bytes per block.
constexpr int EGTB_BLOCK_SIZE = 8192;
constexpr int EGTB_FILE_SIZE = 425984;
extern const int foldedKingSquares[10];
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
