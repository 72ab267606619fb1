// "Endgame.bin", the file of exact results of king and queen, king and rook,
// and king and pawn against a bare king: its layout and the meaning of its
// bytes, shared by the engine's lookup and the generator that writes it.
#pragma once

#include <cstddef>
#include <cstdint>

// Squares are square codes: file * 8 + rank (a1 0, a2 1, ..., h8 63).
constexpr int squareCode(int file, int rank) { return file * 8 + rank; }

// An ending unfolded: one entry for every placement and side to move at
// endgameIndex(attacking king, defending king, man, b); b is 0 with the
// attacking side (the side with the extra man) to move, 1 with the defending
// side to move. The attacker's pawn runs towards the eighth rank.
constexpr int ENDGAME_TABLE_SIZE = 64 * 64 * 64 * 2;
constexpr unsigned endgameIndex(int attackingKing, int defendingKing, int man, int b) {
  return unsigned(attackingKing) * 8192 + unsigned(defendingKing) * 128 + unsigned(man) * 2 + unsigned(b);
}

// Entry values. 0..200: the attacking side mates; with the attacking side to
// move in v moves, with the defending side to move v attacking moves after its
// reply (0: checkmated now). Then a draw, and a placement that cannot occur.
constexpr uint8_t ENTRY_MAX_MATE = 200;
constexpr uint8_t ENTRY_DRAW = 253;
constexpr uint8_t ENTRY_IMPOSSIBLE = 254;

// The file: the queen blocks for the attacking king on the folded squares a1,
// a2, a3, a4, b2, b3, b4, c3, c4, d4 (the king on files a to d, on or below
// the diagonal), the same for the rook, then the pawn blocks for the attacking
// king on files a to d, a1..d8. A block holds the entries of one attacking
// king square: the low 13 bits of the index.
constexpr unsigned ENDGAME_BLOCK_SIZE = 8192;
inline constexpr int foldedKingSquares[10] = {squareCode(0, 0), squareCode(0, 1), squareCode(0, 2), squareCode(0, 3),
                                              squareCode(1, 1), squareCode(1, 2), squareCode(1, 3), squareCode(2, 2),
                                              squareCode(2, 3), squareCode(3, 3)};
constexpr int PAWN_BLOCKS = 32;
constexpr unsigned QUEEN_SECTION = 0;
constexpr unsigned ROOK_SECTION = QUEEN_SECTION + 10 * ENDGAME_BLOCK_SIZE;
constexpr unsigned PAWN_SECTION = ROOK_SECTION + 10 * ENDGAME_BLOCK_SIZE;

// The exact length of the file; a file of any other length counts as absent.
constexpr std::size_t ENDGAME_FILE_SIZE = PAWN_SECTION + PAWN_BLOCKS * ENDGAME_BLOCK_SIZE;
static_assert(ENDGAME_FILE_SIZE == 425984);

// 64-bit FNV-1a digest of a block of bytes.
constexpr uint64_t endgameDigest(const unsigned char* bytes, std::size_t count) {
  uint64_t digest = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < count; ++i) digest = (digest ^ bytes[i]) * 0x100000001B3ull;
  return digest;
}

// The digest of the complete tables; the tables are unique, so every correct
// file has it, and a file that has not is not used.
constexpr uint64_t ENDGAME_FILE_DIGEST = 0xE059E0FC208B9263ull;

// Reading the file, for the engine and for tools. loadEndgameFile drops any
// table loaded before and loads the one at path; false, with no table, when
// path is not a regular file of the exact length, cannot be read, or does not
// hold the exact tables. forgetEndgameFile drops the table, and the next
// lookup looks for the file again; ignoreEndgameFile drops it for good.
bool loadEndgameFile(const char* path);
void forgetEndgameFile();
void ignoreEndgameFile();
// The entry of a packed index of the unfolded tables (mirrored onto the
// stored blocks), or 254 when there is no table; pieceType is the engine's
// QUEEN, ROOK or PAWN.
int endgameEntry(unsigned index, int pieceType);
