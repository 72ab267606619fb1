// The positional evaluation: piece activity and attacks, pawn structure,
// passed pawns, the king in the endgame, the seventh rank and the tempo.
// Material is not scored here; the search keeps it.
#include "eval/eval.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "board/board.h"
#include "eval/eval_internal.h"

int16_t attackWeight[7][7];

const int pawnFileWeight[8] = {0, 1, 2, 5, 5, 2, 1, 0};
const int pawnRankBonus[8] = {0, 0, 0, 2, 4, 8, 0, 0};
const int passedPawnBonus[8] = {0, 8, 10, 20, 40, 60, 80, 0};
const int centreDistance[8] = {3, 2, 1, 0, 0, 1, 2, 3};
const uint8_t fileBit[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};


namespace {

// The distance of two squares counted in files plus ranks, by their bits.
uint8_t fileRankDistance[64][64];
int distanceBetween(int a, int b) { return fileRankDistance[a][b]; }

void buildDistances() {
  for (int a = 0; a < 64; a++)
    for (int b = 0; b < 64; b++) fileRankDistance[a][b] = uint8_t(std::abs((a & 7) - (b & 7)) + std::abs((a >> 3) - (b >> 3)));
}

// The terms that depend on the pawns alone, kept for the pawn placements met
// before. An entry holds both sides' pawn squares in full, so a hit is the
// very placement that was scored.
struct PawnEntry {
  uint64_t pawns[2];   // squares a1 = bit 0 .. h8 = bit 63
  uint64_t passed[2];  // the passed pawns among them
  int32_t score[2];    // structure terms and passed-pawn bonuses
  uint8_t secondRankFiles[2];  // fileBit of the pawns on their side's second rank
  bool used;
};
constexpr int PAWN_TABLE_SIZE = 8192;
PawnEntry pawnTable[PAWN_TABLE_SIZE];

PawnEntry& pawnSlot(const uint64_t pawns[2]) {
  // A multiplicative mix of the two placements; the top bits pick the slot.
  constexpr uint64_t MIX_WHITE = 0x9E3779B97F4A7C15ull;
  constexpr uint64_t MIX_BLACK = 0xC2B2AE3D27D4EB4Full;
  constexpr int SLOT_BITS = std::countr_zero(unsigned(PAWN_TABLE_SIZE));
  const uint64_t mixed = pawns[WHITE] * MIX_WHITE ^ pawns[BLACK] * MIX_BLACK;
  return pawnTable[(mixed ^ (mixed >> 29)) >> (64 - SLOT_BITS)];
}

// Scores the pawn structure of both sides from the pawn squares alone.
void scorePawns(PawnEntry& entry, const uint64_t pawns[2]) {
  // pawnFiles[s][relative rank]: the files (fileBit) holding a pawn of side s.
  uint8_t pawnFiles[2][8] = {};
  for (int s = WHITE; s <= BLACK; s++) {
    for (uint64_t rest = pawns[s]; rest != 0; rest &= rest - 1) {
      const int sq64 = std::countr_zero(rest);
      const int rel = s == WHITE ? sq64 >> 3 : 7 - (sq64 >> 3);
      pawnFiles[s][rel] |= fileBit[sq64 & 7];
    }
  }
  const auto pawnOn = [&](int sq, int s) { return onBoard(sq) && ((pawns[s] >> squareIndex64(sq)) & 1); };
  for (int s = WHITE; s <= BLACK; s++) {
    const int enemy = s ^ 1;
    int S = 0;
    uint8_t pawnsSeen = 0;
    uint8_t doubledFiles = 0;
    entry.passed[s] = 0;
    for (uint64_t rest = pawns[s]; rest != 0; rest &= rest - 1) {
      const int sq64 = std::countr_zero(rest);
      const int sq = squareOf64(sq64);
      const int file = sq & 7;
      const int rel = s == WHITE ? sq >> 4 : 7 - (sq >> 4);
      const int t = sq + pawnDir[s];
      if (file > 0 && pawnOn(t - 1, s)) S += pawnGuardBonus;
      if (file < 7 && pawnOn(t + 1, s)) S += pawnGuardBonus;
      if (file < 7 && pawnOn(sq + 1, s)) S += pawnNeighbourBonus;
      doubledFiles |= pawnsSeen & fileBit[file];
      pawnsSeen |= fileBit[file];
      S += (rel + 2) * pawnFileWeight[file] + pawnRankBonus[rel] - 12;

      const uint8_t adjacent = uint8_t(fileBit[file] | (fileBit[file] << 1) | (fileBit[file] >> 1));
      bool passed = true;
      for (int k = 1; k <= 6 - rel; k++) {
        if (pawnFiles[enemy][k] & adjacent) {
          passed = false;
          break;
        }
      }
      if (passed) {
        S += passedPawnBonus[rel];
        entry.passed[s] |= uint64_t(1) << sq64;
      }
    }
    const uint8_t isolated = pawnsSeen & uint8_t(~((pawnsSeen << 1) | (pawnsSeen >> 1)));
    S += std::popcount(isolated) * isolatedPawnPenalty + std::popcount(doubledFiles) * doubledPawnPenalty +
         std::popcount(uint8_t(isolated & doubledFiles)) * isolatedDoubledPenalty;
    entry.score[s] = S;
    entry.secondRankFiles[s] = pawnFiles[s][1];
  }
  entry.pawns[WHITE] = pawns[WHITE];
  entry.pawns[BLACK] = pawns[BLACK];
  entry.used = true;
}

}  // namespace

void initEvalTables() {
  for (auto& row : attackWeight)
    for (auto& cell : row) cell = 0;
  for (int looking = 0; looking < 7; looking++) {
    for (int target = 0; target < 7; target++) {
      if (target == 0 || looking == 0)
        attackWeight[looking][target] = 2;
      else
        attackWeight[looking][target] = 8;
    }
  }
  attackWeight[QUEEN][PAWN] = 4;
  attackWeight[ROOK][QUEEN] = 12;
  attackWeight[BISHOP][QUEEN] = 10;
  attackWeight[BISHOP][ROOK] = 9;
  attackWeight[KNIGHT][QUEEN] = 12;
  attackWeight[KNIGHT][ROOK] = 10;
  attackWeight[PAWN][0] = 1;
  attackWeight[PAWN][PAWN] = 1;
  buildDistances();
}

// Built before main runs, so that the weights are ready wherever the evaluation is used.
[[maybe_unused]] const bool evalTablesBuilt = (initEvalTables(), true);

namespace {

// The number of squares in a set: one instruction where the processor counts
// bits (POPCOUNT), else the branch-free sum of bits in place (the portable
// instruction set has no population count, and the library's fallback is a
// call).
template <bool POPCOUNT>
int countSquares(uint64_t set) {
  if constexpr (POPCOUNT) {
    return std::popcount(set);
  } else {
    set -= (set >> 1) & 0x5555555555555555ull;
    set = (set & 0x3333333333333333ull) + ((set >> 2) & 0x3333333333333333ull);
    set = (set + (set >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((set * 0x0101010101010101ull) >> 56);
  }
}

// What the enemy men on the squares of hits are worth to a man of type looking.
int weightOfMen(const Position& p, uint64_t hits, int looking) {
  int score = 0;
  for (; hits != 0; hits &= hits - 1) score += attackWeight[looking][p.board[squareOf64(std::countr_zero(hits))].type];
  return score;
}

// What a man of a type gets for the squares it reaches: the empty ones, and
// those of enemy men by the man standing there (own men count nothing).
template <bool POPCOUNT>
int mobility(const Position& p, uint64_t squares, int type, uint64_t empty, uint64_t enemyMen) {
  return attackWeight[type][0] * countSquares<POPCOUNT>(squares & empty) + weightOfMen(p, squares & enemyMen, type);
}

// The pawns of side s: each one's square in front when it is empty, and the
// enemy men on the diagonals in front; own pawns there are structure, scored
// with the pawn table. A square beyond the last rank reads as empty.
template <bool POPCOUNT>
int pawnActivity(const Position& p, int s, uint64_t empty, uint64_t enemyMen) {
  constexpr int RANK_SHIFT = 8;
  constexpr int LAST_RANK_SHIFT = 56;
  const uint64_t pawns = p.manSets[s][PAWN];
  uint64_t front, diagonals[2], beyondLastRank;
  if (s == WHITE) {
    front = pawns << RANK_SHIFT;
    diagonals[0] = (pawns & ~FILE_A_SQUARES) << (RANK_SHIFT - 1);
    diagonals[1] = (pawns & ~FILE_H_SQUARES) << (RANK_SHIFT + 1);
    beyondLastRank = pawns >> LAST_RANK_SHIFT;
  } else {
    front = pawns >> RANK_SHIFT;
    diagonals[0] = (pawns & ~FILE_A_SQUARES) >> (RANK_SHIFT + 1);
    diagonals[1] = (pawns & ~FILE_H_SQUARES) >> (RANK_SHIFT - 1);
    beyondLastRank = pawns << LAST_RANK_SHIFT;
  }
  // The two sets never share a square: beyondLastRank lies on the rank that
  // front cannot reach.
  const int score = attackWeight[PAWN][0] * countSquares<POPCOUNT>((front & empty) | beyondLastRank);
  return score + weightOfMen(p, diagonals[0] & enemyMen, PAWN) + weightOfMen(p, diagonals[1] & enemyMen, PAWN);
}

// The pieces on the squares of men: what each reaches (reach of its
// square's bit), less its distance to the enemy king (by its bit).
template <typename Reach>
int menActivity(uint64_t men, int enemyKing, Reach reach) {
  int score = 0;
  for (; men != 0; men &= men - 1) {
    const int n = std::countr_zero(men);
    score += reach(n) - distanceBetween(n, enemyKing);
  }
  return score;
}

// The whole evaluation, with or without the population count instruction.
template <bool POPCOUNT>
int evaluateWith() {
  const Position& p = position;
  const BoardEntry* board = p.board;
  // The king's activity and its distance from the centre count only up to
  // this much material left (in 256ths of the starting material).
  constexpr int KING_ACTIVITY_PHASE = 99;
  // The seventh rank of each side: rank 7 for white, rank 2 for black.
  constexpr uint64_t SEVENTH_RANK_SQUARES[2] = {0x00FF000000000000ull, 0x000000000000FF00ull};

  int phase = p.totalMaterial * 256 / startMaterial;

  const int kingSquare[2] = {p.pieceList[WHITE][0].square, p.pieceList[BLACK][0].square};

  int score[2];
  int seventhCount[2];
  const uint64_t pawns[2] = {p.manSets[WHITE][PAWN], p.manSets[BLACK][PAWN]};
  const uint64_t occupied = p.manSets[WHITE][NONE] | p.manSets[BLACK][NONE];
  const uint64_t empty = ~occupied;

  // Every man of both sides, white first, read from the sets by type; the
  // pawns' terms that depend on the pawns alone come from the pawn table below.
  for (int s = WHITE; s <= BLACK; s++) {
    const int enemyKing = squareIndex64(kingSquare[s ^ 1]);
    const uint64_t enemyMen = p.manSets[s ^ 1][NONE];
    int S = 0;

    if (phase <= KING_ACTIVITY_PHASE) {
      const int sq = kingSquare[s];
      S += mobility<POPCOUNT>(p, emptyBoardReach[KING][squareIndex64(sq)], KING, empty, enemyMen);
      S -= std::max(centreDistance[sq & 7], centreDistance[sq >> 4]) * (100 - phase) / 20;
    }
    S += menActivity(p.manSets[s][QUEEN], enemyKing, [&](int n) {
      return mobility<POPCOUNT>(p, rookReach(n, occupied) | bishopReach(n, occupied), QUEEN, empty, enemyMen);
    });
    S += menActivity(p.manSets[s][ROOK], enemyKing,
                     [&](int n) { return mobility<POPCOUNT>(p, rookReach(n, occupied), ROOK, empty, enemyMen); });
    S += menActivity(p.manSets[s][BISHOP], enemyKing,
                     [&](int n) { return mobility<POPCOUNT>(p, bishopReach(n, occupied), BISHOP, empty, enemyMen); });
    S += menActivity(p.manSets[s][KNIGHT], enemyKing, [&](int n) {
      return mobility<POPCOUNT>(p, emptyBoardReach[KNIGHT][n], KNIGHT, empty, enemyMen);
    });
    // Queens and rooks on the side's seventh rank.
    seventhCount[s] = countSquares<POPCOUNT>((p.manSets[s][QUEEN] | p.manSets[s][ROOK]) & SEVENTH_RANK_SQUARES[s]);
    S += pawnActivity<POPCOUNT>(p, s, empty, enemyMen);
    score[s] = S;
  }

  PawnEntry& entry = pawnSlot(pawns);
  if (!entry.used || entry.pawns[WHITE] != pawns[WHITE] || entry.pawns[BLACK] != pawns[BLACK])
    scorePawns(entry, pawns);

  for (int s = WHITE; s <= BLACK; s++) {
    score[s] += entry.score[s];
    // A rook right behind a passed pawn, on the same file: for or against it.
    const int back = -pawnDir[s];
    for (uint64_t rest = entry.passed[s]; rest != 0; rest &= rest - 1) {
      const uint64_t menBehind = raySquares[back + STEP_OFFSET][std::countr_zero(rest)] & occupied;
      if (menBehind == 0) continue;
      const BoardEntry& behind = board[nearestOnRay(menBehind, back)];
      if (behind.type == ROOK) score[s] += behind.side == s ? rookBehindPasserBonus : -rookBehindPasserBonus;
    }
  }

  // Queens and rooks on the seventh rank, worth something only against pawns there.
  for (int s = WHITE; s <= BLACK; s++) {
    uint8_t enemySecondRank = entry.secondRankFiles[s ^ 1];
    if (seventhCount[s] > 0 && enemySecondRank != 0)
      score[s] += (std::popcount(enemySecondRank) + seventhRankBase) * seventhCount[s];
  }

  score[p.xside] += tempoBonus;
  return score[p.side] - score[p.xside];
}

// A copy of the evaluation compiled for processors that count bits in one
// instruction, with everything it calls inlined into it; the portable build
// runs it where the processor has that instruction.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__POPCNT__)
[[gnu::target("popcnt"), gnu::flatten]] int evaluateWithPopcount() { return evaluateWith<true>(); }
const bool processorCountsBits = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt") != 0;
}();
#else
// Built for a processor that counts bits, or for one whose library counts
// them without a call.
int evaluateWithPopcount() { return evaluateWith<true>(); }
constexpr bool processorCountsBits = true;
#endif

}  // namespace

int evaluate() { return processorCountsBits ? evaluateWithPopcount() : evaluatePortable(); }

int evaluatePortable() { return evaluateWith<false>(); }
