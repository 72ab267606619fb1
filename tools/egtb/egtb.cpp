// Retrograde solution of king and queen, king and rook and king and pawn
// against a bare king, and the layout of the endgame data file.
//
// The solver works forward by depth: after the mates are known (0 plies),
// step d finds the positions that are won in exactly d plies. With the
// attacking side to move (odd d) that is a position with a move into a loss
// of d - 1 plies, or a promotion that mates in d plies; with the defending
// side to move (even d) a position whose every move leads into a position the
// attacking side wins. Only the positions still open are examined at each
// step; whatever is still open when nothing more changes is a draw.
#include "egtb.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr uint8_t ENTRY_OPEN = 255;  // not decided yet; only while solving

int rankOf(int sq) { return sq & 7; }
int fileOf(int sq) { return sq >> 3; }
uint64_t bit(int sq) { return uint64_t(1) << sq; }

// Board geometry in square codes.
struct Geometry {
  int kingSteps[64][8];
  int kingStepCount[64];
  uint64_t kingZone[64];  // the squares next to a square
  // Slides: directions 0-3 along files and ranks, 4-7 along diagonals.
  int rays[64][8][7];
  int rayLength[64][8];
  uint8_t lineKind[64][64];  // 0 no line, 1 file or rank, 2 diagonal
  uint64_t between[64][64];  // the squares strictly between two squares of a line
};

Geometry buildGeometry() {
  static const int fileSteps[8] = {1, -1, 0, 0, 1, -1, 1, -1};
  static const int rankSteps[8] = {0, 0, 1, -1, 1, -1, -1, 1};
  Geometry g{};
  for (int from = 0; from < 64; ++from) {
    for (int d = 0; d < 8; ++d) {
      uint64_t passed = 0;
      int f = fileOf(from) + fileSteps[d];
      int r = rankOf(from) + rankSteps[d];
      for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += fileSteps[d], r += rankSteps[d]) {
        int to = squareCode(f, r);
        if (passed == 0) {
          g.kingSteps[from][g.kingStepCount[from]++] = to;
          g.kingZone[from] |= bit(to);
        }
        g.rays[from][d][g.rayLength[from][d]++] = to;
        g.lineKind[from][to] = d < 4 ? 1 : 2;
        g.between[from][to] = passed;
        passed |= bit(to);
      }
    }
  }
  return g;
}

const Geometry& geometry() {
  static const Geometry g = buildGeometry();
  return g;
}

// Whether the man attacks target; the attacking king is the only man that can
// stand in between (the defending king is either the target or has left).
bool manAttacks(int man, int manSq, int target, int attackingKing) {
  const Geometry& g = geometry();
  if (man == EGTB_PAWN) {
    int fileDistance = fileOf(target) - fileOf(manSq);
    return (fileDistance == 1 || fileDistance == -1) && rankOf(target) == rankOf(manSq) + 1;
  }
  int kind = g.lineKind[manSq][target];
  if (kind == 0 || (man == EGTB_ROOK && kind != 1)) {
    return false;
  }
  return (g.between[manSq][target] & bit(attackingKing)) == 0;
}

// A position that can arise: kings apart, the man on a square of its own, a
// pawn between the second and the seventh rank, and with the attacking side to
// move the defending king not in check.
bool isPossible(int man, int ak, int dk, int m, int b) {
  const Geometry& g = geometry();
  if (ak == dk || (g.kingZone[ak] & bit(dk)) || m == ak || m == dk) {
    return false;
  }
  if (man == EGTB_PAWN && (rankOf(m) == 0 || rankOf(m) == 7)) {
    return false;
  }
  return b == 1 || !manAttacks(man, m, dk, ak);
}

// The moves of the attacking side that stay in the ending, as indices of the
// resulting positions (defending side to move). A push to the eighth rank
// leaves the ending: its square goes to promotionSquare (-1 when none).
int attackerMoves(int man, int ak, int dk, int m, int* children, int& promotionSquare) {
  const Geometry& g = geometry();
  int count = 0;
  uint64_t kingBarred = g.kingZone[dk] | bit(dk) | bit(m);
  for (int i = 0; i < g.kingStepCount[ak]; ++i) {
    int to = g.kingSteps[ak][i];
    if ((kingBarred & bit(to)) == 0) {
      children[count++] = endgameIndex(to, dk, m, 1);
    }
  }
  promotionSquare = -1;
  if (man == EGTB_PAWN) {
    int push = m + 1;
    if (push != ak && push != dk) {
      if (rankOf(push) == 7) {
        promotionSquare = push;
      } else {
        children[count++] = endgameIndex(ak, dk, push, 1);
        int doublePush = m + 2;
        if (rankOf(m) == 1 && doublePush != ak && doublePush != dk) {
          children[count++] = endgameIndex(ak, dk, doublePush, 1);
        }
      }
    }
    return count;
  }
  int directionCount = man == EGTB_ROOK ? 4 : 8;
  for (int d = 0; d < directionCount; ++d) {
    for (int i = 0; i < g.rayLength[m][d]; ++i) {
      int to = g.rays[m][d][i];
      if (to == ak || to == dk) {
        break;
      }
      children[count++] = endgameIndex(ak, dk, to, 1);
    }
  }
  return count;
}

// The king moves of the defending side, as indices of the resulting positions
// (attacking side to move). Taking the man is not among them: it ends in bare
// kings, and canTakeMan says whether it is possible.
int defenderMoves(int man, int ak, int dk, int m, int* children, bool& canTakeMan) {
  const Geometry& g = geometry();
  int count = 0;
  canTakeMan = false;
  for (int i = 0; i < g.kingStepCount[dk]; ++i) {
    int to = g.kingSteps[dk][i];
    if (to == ak || (g.kingZone[ak] & bit(to))) {
      continue;
    }
    if (to == m) {
      canTakeMan = true;
    } else if (!manAttacks(man, m, to, ak)) {
      children[count++] = endgameIndex(ak, to, m, 0);
    }
  }
  return count;
}

// The fastest mate after promoting on square (attacking side to move, in
// moves), from the queen and rook endings; 0 when no promotion wins. A bishop
// or a knight against a bare king is a draw.
int promotionMate(int ak, int dk, int square, const std::vector<uint8_t>& queenTable,
                  const std::vector<uint8_t>& rookTable) {
  int best = 0;
  for (const std::vector<uint8_t>* table : {&queenTable, &rookTable}) {
    int value = (*table)[endgameIndex(ak, dk, square, 1)];
    if (value <= ENTRY_MAX_MATE && (best == 0 || value + 1 < best)) {
      best = value + 1;
    }
  }
  return best;
}

}  // namespace


std::vector<uint8_t> solveEnding(int man, const std::vector<uint8_t>* queenTable,
                                 const std::vector<uint8_t>* rookTable) {
  std::vector<uint8_t> table(ENDGAME_TABLE_SIZE, ENTRY_IMPOSSIBLE);
  std::vector<uint8_t> promotion(ENDGAME_TABLE_SIZE, 0);  // mate after promoting, in moves
  std::vector<int> attackerOpen;
  std::vector<int> defenderOpen;
  int children[40];  // at most 8 king moves and 27 queen moves
  int longestPromotion = 0;

  // Mates, stalemates, the man lost, and the open positions.
  for (int index = 0; index < ENDGAME_TABLE_SIZE; ++index) {
    int ak = index >> 13, dk = (index >> 7) & 63, m = (index >> 1) & 63, b = index & 1;
    if (!isPossible(man, ak, dk, m, b)) {
      continue;
    }
    if (b == 1) {
      bool canTakeMan = false;
      int count = defenderMoves(man, ak, dk, m, children, canTakeMan);
      if (canTakeMan) {
        table[index] = ENTRY_DRAW;
      } else if (count == 0) {
        table[index] = manAttacks(man, m, dk, ak) ? 0 : ENTRY_DRAW;
      } else {
        table[index] = ENTRY_OPEN;
        defenderOpen.push_back(index);
      }
      continue;
    }
    int promotionSquare = -1;
    int count = attackerMoves(man, ak, dk, m, children, promotionSquare);
    if (count == 0 && promotionSquare < 0) {
      table[index] = ENTRY_DRAW;  // stalemate
      continue;
    }
    if (promotionSquare >= 0 && queenTable && rookTable) {
      promotion[index] = uint8_t(promotionMate(ak, dk, promotionSquare, *queenTable, *rookTable));
      longestPromotion = std::max<int>(longestPromotion, promotion[index]);
    }
    table[index] = ENTRY_OPEN;
    attackerOpen.push_back(index);
  }

  int quietSteps = 0;
  for (int plies = 1; plies <= 2 * ENTRY_MAX_MATE; ++plies) {
    int resolved = 0;
    if (plies % 2 == 1) {
      // Attacking side to move: mate in (plies + 1) / 2 moves.
      uint8_t mate = uint8_t((plies + 1) / 2);
      uint8_t childMate = uint8_t(mate - 1);
      size_t kept = 0;
      for (int index : attackerOpen) {
        int ak = index >> 13, dk = (index >> 7) & 63, m = (index >> 1) & 63;
        bool wins = promotion[index] != 0 && promotion[index] <= mate;
        if (!wins) {
          int promotionSquare = -1;
          int count = attackerMoves(man, ak, dk, m, children, promotionSquare);
          for (int i = 0; i < count && !wins; ++i) {
            wins = table[children[i]] <= childMate;
          }
        }
        if (wins) {
          table[index] = mate;
          ++resolved;
        } else {
          attackerOpen[kept++] = index;
        }
      }
      attackerOpen.resize(kept);
    } else {
      // Defending side to move: every move runs into a won position, the
      // longest of them mating in plies / 2 attacking moves after the reply.
      uint8_t mate = uint8_t(plies / 2);
      size_t kept = 0;
      for (int index : defenderOpen) {
        int ak = index >> 13, dk = (index >> 7) & 63, m = (index >> 1) & 63;
        bool canTakeMan = false;
        int count = defenderMoves(man, ak, dk, m, children, canTakeMan);
        bool loses = true;
        for (int i = 0; i < count && loses; ++i) {
          loses = table[children[i]] <= ENTRY_MAX_MATE;
        }
        if (loses) {
          table[index] = mate;
          ++resolved;
        } else {
          defenderOpen[kept++] = index;
        }
      }
      defenderOpen.resize(kept);
    }
    quietSteps = resolved ? 0 : quietSteps + 1;
    if (quietSteps >= 2 && plies >= 2 * longestPromotion) {
      break;
    }
  }

  for (uint8_t& entry : table) {
    if (entry == ENTRY_OPEN) {
      entry = ENTRY_DRAW;
    }
  }
  return table;
}

EndgameTables solveAllEndings() {
  EndgameTables tables;
  tables.queen = solveEnding(EGTB_QUEEN, nullptr, nullptr);
  tables.rook = solveEnding(EGTB_ROOK, nullptr, nullptr);
  tables.pawn = solveEnding(EGTB_PAWN, &tables.queen, &tables.rook);
  return tables;
}

std::vector<uint8_t> packEndgameFile(const EndgameTables& tables) {
  std::vector<uint8_t> bytes;
  bytes.reserve(ENDGAME_FILE_SIZE);
  for (const std::vector<uint8_t>* table : {&tables.queen, &tables.rook}) {
    for (int kingSquare : foldedKingSquares) {
      auto start = table->begin() + kingSquare * ENDGAME_BLOCK_SIZE;
      bytes.insert(bytes.end(), start, start + ENDGAME_BLOCK_SIZE);
    }
  }
  // Pawn blocks: the attacking king on files a to d, square codes 0..31.
  bytes.insert(bytes.end(), tables.pawn.begin(), tables.pawn.begin() + PAWN_BLOCKS * ENDGAME_BLOCK_SIZE);
  return bytes;
}

bool writeEndgameFile(const std::vector<uint8_t>& bytes, const char* path) {
  std::string temporary = std::string(path) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fclose(file) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

SectionFigures sectionFigures(const std::vector<uint8_t>& table) {
  SectionFigures figures{};
  for (int index = 0; index < int(table.size()); ++index) {
    uint8_t value = table[index];
    int b = index & 1;
    if (value == ENTRY_IMPOSSIBLE) {
      continue;
    }
    ++figures.legal[b];
    if (value <= ENTRY_MAX_MATE) {
      ++figures.wins[b];
      figures.longestMate[b] = std::max<int>(figures.longestMate[b], value);
    } else if (value == ENTRY_DRAW) {
      ++figures.draws[b];
    }
  }
  return figures;
}
