// The alpha-beta tree search and the think driver over the root moves.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "common/golimits.h"

// ---------------------------------------------------------------- tree search

constexpr int MAX_PLY = 62;        // nodes exist for plies 0..62
constexpr int LINE_LENGTH = 64;    // Move records of one principal line
constexpr int KILLER_SLOTS = 20;

enum MovePhase : int16_t { PHASE_NULL, PHASE_PV, PHASE_TACTICAL, PHASE_KILLERS, PHASE_QUIET };

struct SearchNode {
  int16_t alpha;
  int16_t beta;
  int16_t depth;     // remaining depth; 0 or less is quiescence
  int16_t best;
  int16_t movePhase;
  bool outOfCheck;   // set by the parent before every search of the node: known not to be in check
  int32_t material;  // balance from the point of view of the side that made the last move
  uint64_t checkers; // the enemy men giving check to the side to move (none: not in check)
  uint64_t shields;  // squaresShieldingKing of the side to move: only a man leaving one may expose its king
  Move* pv;                    // this node's line, indexed by absolute ply
  Move childPv[LINE_LENGTH];   // handed to every child as its line
};

extern SearchNode nodes[MAX_PLY + 1];
extern Move killers[MAX_PLY + 1][KILLER_SLOTS];

int search(int alpha, int beta, int depth, int material, Move* pv);
int searchVisitor(void* arg);
int nullMoveVisitor(void* arg);
// Tries the moves of the node phase by phase until one fails high.
void searchMoves(SearchNode* node);
void storeKiller(const Move& move);
// The killers that may be played here, but a man's other than the king only
// onto answers (all squares out of check).
int genKillers(SearchNode* node, uint64_t answers);

// ---------------------------------------------------------------- think driver

constexpr int ROOT_MOVES_CAPACITY = 256;

struct RootMove {
  int32_t score;
  Move move;
  Move pv[LINE_LENGTH];
};

extern RootMove rootMoves[ROOT_MOVES_CAPACITY];
extern int32_t rootCount;
extern RootMove* bestRoot;
extern int32_t iterationDepth;
extern int32_t selDepth;
extern int easyMove;

// The legal root moves (only those of go's searchmoves, when it lists any).
void collectRootMoves(const GoLimits* go);
void sortRootMoves(int first, int last);
int stopAfterIteration();
int materialBalance();
void reportInfo(int scoreBound);

// When set, the driver sends no info lines (used by the tools' fixed-depth search).
extern bool quietSearch;
