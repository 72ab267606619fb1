// King and one man against a bare king: the draws that need no data, and
// the exact results of queen, rook and pawn endings from "Endgame.bin".
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "common/common.h"
#include "eval/endgame_internal.h"
#include "eval/eval.h"
#include "platform/platform.h"

unsigned char* endgameTable = nullptr;
bool endgameLoadPending = true;
const char* endgameFileName = "Endgame.bin";

namespace {
// Where the table in use was read from.
std::string endgamePath;
}  // namespace

namespace {

// Where a section of the file starts, by the extra man.
constexpr unsigned QUEEN_SECTION = 0;
constexpr unsigned ROOK_SECTION = 81920;
constexpr unsigned PAWN_SECTION = 163840;
constexpr unsigned BLOCK_SIZE = 8192;

// Masks of the packed index: the three file fields, the three rank fields.
constexpr unsigned ALL_FILES = 0x71C70;
constexpr unsigned ALL_RANKS = 0xE38E;

// Queen and rook blocks by the attacking king's folded square (file <= rank <= 3):
// a1 a2 a3 a4 b2 b3 b4 c3 c4 d4.
constexpr int kingBlock[4][4] = {
    {0, 1, 2, 3},
    {-1, 4, 5, 6},
    {-1, -1, 7, 8},
    {-1, -1, -1, 9},
};

// File-major code of a square: the rank varies fastest.
unsigned squareCode(int sq) { return unsigned(sq & 7) * 8 + unsigned(sq >> 4); }

// Looks in the current directory, then beside the executable.
unsigned char* findEndgameFile() {
  if (loadEndgameFile(endgameFileName)) return endgameTable;
  std::string besideProgram = executableFolder();
  if (!besideProgram.empty() && loadEndgameFile((besideProgram + endgameFileName).c_str())) return endgameTable;
  return nullptr;
}

}  // namespace

unsigned char* readWholeFile(const char* path, std::size_t* size) {
  std::size_t length = 0;
  unsigned char* block = readWholeFileWith(path, allocZeroed, length);
  if (size) *size = block ? length : 0;
  return block;
}

bool loadEndgameFile(const char* path) {
  forgetEndgameFile();
  endgameLoadPending = false;
  // Type and length first: a pipe, a device or a huge file is never opened.
  if (regularFileSize(path) != static_cast<long long>(ENDGAME_FILE_SIZE)) return false;
  std::size_t size = 0;
  unsigned char* block = readWholeFile(path, &size);
  if (block && (size != ENDGAME_FILE_SIZE || endgameDigest(block, size) != ENDGAME_FILE_DIGEST)) {
    free(block);
    block = nullptr;
  }
  endgameTable = block;
  if (block) endgamePath = path;
  return endgameTable != nullptr;
}

void forgetEndgameFile() {
  free(endgameTable);
  endgameTable = nullptr;
  endgameLoadPending = true;
  endgamePath.clear();
}

const char* endgameFileInUse() {
  if (endgameLoadPending) findEndgameFile();
  endgameLoadPending = false;
  return endgameTable ? endgamePath.c_str() : nullptr;
}

int endgameEntry(unsigned index, int pieceType) {
  if (!endgameTable && !endgameFileInUse()) return ENDGAME_NO_ANSWER;
  if (pieceType != QUEEN && pieceType != ROOK && pieceType != PAWN) return ENDGAME_NO_ANSWER;
  index &= 0x7FFFF;  // the packed index has 19 bits

  // Fold the symmetries: the attacking king onto files a to d, and for the
  // queen and rook further onto the triangle a1-d1-d4 below the diagonal.
  if ((index >> 16 & 7) >= 4) index ^= ALL_FILES;
  unsigned section;
  int block;
  if (pieceType == PAWN) {
    section = PAWN_SECTION;
    block = int(index >> 13);
  } else {
    if ((index >> 13 & 7) >= 4) index ^= ALL_RANKS;
    if ((index >> 16 & 7) > (index >> 13 & 7))
      index = ((index & ALL_FILES) >> 3) | ((index & ALL_RANKS) << 3) | (index & 1);
    section = pieceType == QUEEN ? QUEEN_SECTION : ROOK_SECTION;
    block = kingBlock[index >> 16 & 7][index >> 13 & 7];
  }
  return endgameTable[section + unsigned(block) * BLOCK_SIZE + (index & 0x1FFF)];
}

int probeEndgame() {
  const Position& p = position;
  if (p.menCount == 0) return 0;

  // The extra man and the side that owns it.
  int attacker = -1;
  int manSquare = 0;
  int manType = NONE;
  for (int s = WHITE; s <= BLACK && attacker < 0; s++) {
    for (int slot = 1; slot <= p.lastIndex[s]; slot++) {
      if (p.pieceList[s][slot].type != NONE) {
        attacker = s;
        manSquare = p.pieceList[s][slot].square;
        manType = p.pieceList[s][slot].type;
        break;
      }
    }
  }
  if (attacker < 0) return ENDGAME_NO_ANSWER;
  if (manType == BISHOP || manType == KNIGHT) return 0;

  // b: the defending side is to move, that is the attacker has just moved.
  unsigned b = attacker == p.side ? 1 : 0;
  unsigned index = squareCode(p.pieceList[attacker][0].square) * 8192 +
                   squareCode(p.pieceList[attacker ^ 1][0].square) * 128 + squareCode(manSquare) * 2 + b;
  if (attacker == BLACK) index ^= ALL_RANKS;  // the attacker's pawn then runs up the board

  int v = endgameEntry(index, manType);
  if (v == 253) return 0;
  if (v > 200) return ENDGAME_NO_ANSWER;
  int mate = MATE_SCORE - (ply + 2 * v + int(b));
  return b ? mate : -mate;
}
