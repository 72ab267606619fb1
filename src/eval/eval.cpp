// The positional evaluation: piece activity and attacks, pawn structure,
// passed pawns, the king in the endgame, the seventh rank and the tempo.
// Material is not scored here; the search keeps it.
#include "eval/eval.h"

#include <algorithm>
#include <cstdlib>

#include "board/board.h"
#include "eval/eval_internal.h"

int16_t attackWeight[7][7];

const int pawnFileWeight[8] = {0, 1, 2, 5, 5, 2, 1, 0};
const int pawnRankBonus[8] = {0, 0, 0, 2, 4, 8, 0, 0};
const int passedPawnBonus[8] = {0, 8, 10, 20, 40, 60, 80, 0};
const int centreDistance[8] = {3, 2, 1, 0, 0, 1, 2, 3};
const uint8_t fileBit[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

// Number of set bits of each byte value.
const uint8_t popCount8[256] = {
#define B2(n) n, n + 1, n + 1, n + 2
#define B4(n) B2(n), B2(n + 1), B2(n + 1), B2(n + 2)
#define B6(n) B4(n), B4(n + 1), B4(n + 1), B4(n + 2)
    B6(0), B6(1), B6(1), B6(2)
#undef B6
#undef B4
#undef B2
};

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
}

// Built before main runs, so that the weights are ready wherever the evaluation is used.
[[maybe_unused]] const bool evalTablesBuilt = (initEvalTables(), true);

namespace {

// What one square adds for a man of side s and type looking that reaches it:
// the weight of an empty square or of an enemy man, nothing for an own man.
int reachWeight(const BoardEntry& target, int s, int looking) {
  if (target.type == NONE) return attackWeight[looking][0];
  if (target.side != s) return attackWeight[looking][target.type];
  return 0;
}

// A queen, rook or bishop: every empty square along the rays, and the first
// man on each ray when it is an enemy.
int slidingMobility(const BoardEntry* board, int sq, int s, int type) {
  int first = type == BISHOP ? 4 : 0;
  int last = type == ROOK ? 4 : 8;
  int score = 0;
  for (int d = first; d < last; d++) {
    for (int to = sq + directions[d]; onBoard(to); to += directions[d]) {
      score += reachWeight(board[to], s, type);
      if (board[to].type != NONE) break;
    }
  }
  return score;
}

}  // namespace

int evaluate() {
  const Position& p = position;
  const BoardEntry* board = p.board;

  int phase = p.totalMaterial * 256 / startMaterial;

  // pawnFiles[s][relative rank]: the files (fileBit) holding a pawn of side s.
  uint8_t pawnFiles[2][8] = {};
  int kingFile[2], kingRank[2];
  for (int s = WHITE; s <= BLACK; s++) {
    kingFile[s] = p.pieceList[s][0].square & 7;
    kingRank[s] = p.pieceList[s][0].square >> 4;
  }

  int score[2];
  int seventhCount[2];

  // First pass: every man of both sides, white first.
  for (int s = WHITE; s <= BLACK; s++) {
    int enemy = s ^ 1;
    int S = 0;
    seventhCount[s] = 0;
    uint8_t pawnsSeen = 0;
    uint8_t doubledFiles = 0;

    for (int slot = 0; slot <= p.lastIndex[s]; slot++) {
      int type = p.pieceList[s][slot].type;
      if (type == NONE) continue;
      int sq = p.pieceList[s][slot].square;
      int file = sq & 7;
      int rank = sq >> 4;
      int rel = s == WHITE ? rank : 7 - rank;

      switch (type) {
        case KING:
          if (phase > 99) break;
          for (int d = 0; d < 8; d++) {
            int to = sq + directions[d];
            if (onBoard(to)) S += reachWeight(board[to], s, KING);
          }
          S -= std::max(centreDistance[file], centreDistance[rank]) * (100 - phase) / 20;
          break;

        case QUEEN:
        case ROOK:
        case BISHOP:
          S += slidingMobility(board, sq, s, type);
          if (type != BISHOP && rel == 6) seventhCount[s]++;
          S -= std::abs(file - kingFile[enemy]) + std::abs(rank - kingRank[enemy]);
          break;

        case KNIGHT:
          for (int j = 0; j < 8; j++) {
            int to = sq + knightJumps[j];
            if (onBoard(to)) S += reachWeight(board[to], s, KNIGHT);
          }
          S -= std::abs(file - kingFile[enemy]) + std::abs(rank - kingRank[enemy]);
          break;

        case PAWN: {
          // The squares in front may lie off the board for a pawn on its last
          // rank; the board's guard zone reads as empty there.
          int t = sq + pawnDir[s];
          if (board[t].type == NONE) S += attackWeight[PAWN][0];
          if (file > 0) {
            const BoardEntry& diag = board[t - 1];
            if (diag.type != NONE) {
              if (diag.side == s) {
                if (diag.type == PAWN) S += pawnGuardBonus;
              } else {
                S += attackWeight[PAWN][diag.type];
              }
            }
          }
          if (file < 7) {
            const BoardEntry& diag = board[t + 1];
            if (diag.type != NONE) {
              if (diag.side == s) {
                if (diag.type == PAWN) S += pawnGuardBonus;
              } else {
                S += attackWeight[PAWN][diag.type];
              }
            }
            const BoardEntry& beside = board[sq + 1];
            if (beside.type == PAWN && beside.side == s) S += pawnNeighbourBonus;
          }
          doubledFiles |= pawnsSeen & fileBit[file];
          pawnsSeen |= fileBit[file];
          pawnFiles[s][rel] |= fileBit[file];
          S += (rel + 2) * pawnFileWeight[file] + pawnRankBonus[rel] - 12;
          break;
        }
      }
    }

    uint8_t isolated = pawnsSeen & uint8_t(~((pawnsSeen << 1) | (pawnsSeen >> 1)));
    S += popCount8[isolated] * isolatedPawnPenalty + popCount8[doubledFiles] * doubledPawnPenalty +
         popCount8[uint8_t(isolated & doubledFiles)] * isolatedDoubledPenalty;
    score[s] = S;
  }

  // Second pass: passed pawns, which needs the enemy's pawn files.
  for (int s = WHITE; s <= BLACK; s++) {
    int enemy = s ^ 1;
    for (int slot = 1; slot <= p.lastIndex[s]; slot++) {
      if (p.pieceList[s][slot].type != PAWN) continue;
      int sq = p.pieceList[s][slot].square;
      int file = sq & 7;
      int rel = s == WHITE ? sq >> 4 : 7 - (sq >> 4);
      uint8_t adjacent = uint8_t(fileBit[file] | (fileBit[file] << 1) | (fileBit[file] >> 1));

      bool passed = true;
      for (int k = 1; k <= 6 - rel; k++) {
        if (pawnFiles[enemy][k] & adjacent) {
          passed = false;
          break;
        }
      }
      if (!passed) continue;

      score[s] += passedPawnBonus[rel];
      int behind = sq - pawnDir[s];
      while (onBoard(behind) && board[behind].type == NONE) behind -= pawnDir[s];
      if (onBoard(behind) && board[behind].type == ROOK)
        score[s] += board[behind].side == s ? rookBehindPasserBonus : -rookBehindPasserBonus;
    }
  }

  // Queens and rooks on the seventh rank, worth something only against pawns there.
  for (int s = WHITE; s <= BLACK; s++) {
    uint8_t enemySecondRank = pawnFiles[s ^ 1][1];
    if (seventhCount[s] > 0 && enemySecondRank != 0)
      score[s] += (popCount8[enemySecondRank] + seventhRankBase) * seventhCount[s];
  }

  score[p.xside] += tempoBonus;
  return score[p.side] - score[p.xside];
}
