// King and one man against a bare king: the draws that need no data, and
// the exact results of queen, rook and pawn endings from "Endgame.bin".
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "common/common.h"
#include "eval/endgame_file.h"
#include "eval/eval.h"
#include "platform/platform.h"

namespace {

constexpr const char* ENDGAME_FILE_NAME = "Endgame.bin";

unsigned char* endgameTable = nullptr;  // the loaded file, or null
bool endgameLoadPending = true;         // until the first lookup has looked for the file
std::string endgamePath;                // where the table in use was read from

// Masks of the packed index: the three file fields, the three rank fields.
constexpr unsigned ALL_FILES = 0x71C70;
constexpr unsigned ALL_RANKS = 0xE38E;
// The bits of the packed index: three 6-bit square codes and the side bit.
constexpr unsigned INDEX_MASK = 0x7FFFF;
constexpr unsigned BLOCK_OFFSET_MASK = ENDGAME_BLOCK_SIZE - 1;

// Queen and rook blocks by the attacking king's folded square (file <= rank <= 3),
// in the order of foldedKingSquares; -1 where no folded square lies.
struct KingBlocks {
  int block[4][4];
};
constexpr KingBlocks makeKingBlocks() {
  KingBlocks blocks{};
  for (auto& row : blocks.block)
    for (int& b : row) b = -1;
  for (int b = 0; b < 10; ++b) blocks.block[foldedKingSquares[b] / 8][foldedKingSquares[b] % 8] = b;
  return blocks;
}
constexpr KingBlocks kingBlocks = makeKingBlocks();

// The square code of a board square.
int codeOf(int sq) { return squareCode(sq & 7, sq >> 4); }

// Looks in the current directory, then beside the executable.
void findEndgameFile() {
  if (loadEndgameFile(ENDGAME_FILE_NAME)) return;
  const std::string besideProgram = executableFolder();
  if (!besideProgram.empty()) loadEndgameFile((besideProgram + ENDGAME_FILE_NAME).c_str());
}

}  // namespace

bool loadEndgameFile(const char* path) {
  forgetEndgameFile();
  endgameLoadPending = false;
  // Type and length first: a pipe, a device or a huge file is never opened.
  if (regularFileSize(path) != static_cast<long long>(ENDGAME_FILE_SIZE)) return false;
  std::size_t size = 0;
  unsigned char* block = readWholeFileWith(path, allocZeroed, size);
  if (block && (size != ENDGAME_FILE_SIZE || endgameDigest(block, size) != ENDGAME_FILE_DIGEST)) {
    std::free(block);
    block = nullptr;
  }
  endgameTable = block;
  if (block) endgamePath = path;
  return endgameTable != nullptr;
}

void forgetEndgameFile() {
  std::free(endgameTable);
  endgameTable = nullptr;
  endgameLoadPending = true;
  endgamePath.clear();
}

void ignoreEndgameFile() {
  forgetEndgameFile();
  endgameLoadPending = false;
}

const char* endgameFileInUse() {
  if (endgameLoadPending) findEndgameFile();
  endgameLoadPending = false;
  return endgameTable ? endgamePath.c_str() : nullptr;
}

int endgameEntry(unsigned index, int pieceType) {
  if (!endgameTable && !endgameFileInUse()) return ENDGAME_NO_ANSWER;
  if (pieceType != QUEEN && pieceType != ROOK && pieceType != PAWN) return ENDGAME_NO_ANSWER;
  index &= INDEX_MASK;

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
    block = kingBlocks.block[index >> 16 & 7][index >> 13 & 7];
  }
  return endgameTable[section + unsigned(block) * ENDGAME_BLOCK_SIZE + (index & BLOCK_OFFSET_MASK)];
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
  unsigned index = endgameIndex(codeOf(p.pieceList[attacker][0].square), codeOf(p.pieceList[attacker ^ 1][0].square),
                                codeOf(manSquare), int(b));
  if (attacker == BLACK) index ^= ALL_RANKS;  // the attacker's pawn then runs up the board

  int v = endgameEntry(index, manType);
  if (v == ENTRY_DRAW) return 0;
  if (v > ENTRY_MAX_MATE) return ENDGAME_NO_ANSWER;
  int mate = MATE_SCORE - (ply + 2 * v + int(b));
  return b ? mate : -mate;
}
