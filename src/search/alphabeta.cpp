// The fail-hard alpha-beta search below the root, its quiescence search, the
// move phases of a node and the killer moves.
#include <algorithm>
#include <bit>
#include <cstring>

#include "board/checks.h"
#include "eval/eval.h"
#include "search/search_internal.h"
#include "search/search_tree.h"
#include "search/tuning.h"

SearchNode nodes[MAX_PLY + 1];
Move killers[MAX_PLY + 1][KILLER_SLOTS];

namespace {


// A score known without search, kept below the mate scores.
int staticScore(int score) { return std::clamp(score, -STATIC_SCORE_LIMIT, STATIC_SCORE_LIMIT); }

int kingSquare(int s) { return position.pieceList[s][0].square; }

// Copies line[from..] up to its first sentinel into target at the same
// indexes and closes the copy with a sentinel (index 63 at the latest).
void copyLine(Move* target, const Move* line, int from) {
  int k = from;
  while (k < LINE_LENGTH - 1 && line[k].code != MOVE_SENTINEL) {
    target[k] = line[k];
    ++k;
  }
  target[k] = sentinelMove;
}

// A move whose score is known without searching it (a draw by repetition or
// an endgame-table result): raise the node with it.
int scoreKnownMove(SearchNode* node, Move& move, int value) {
  if (countNode()) {
    unmakeMove(move);
    return 1;
  }
  node->best = int16_t(std::max<int>(node->best, value));
  if (node->alpha >= node->best) {
    unmakeMove(move);
    return 0;
  }
  node->pv[ply] = move;
  node->pv[ply + 1] = sentinelMove;
  if (node->best >= node->beta) {
    unmakeMove(move);
    return 1;
  }
  node->alpha = node->best;
  unmakeMove(move);
  return 0;
}

// Whether the futility rule would pass over a move leaving childMaterial at
// this node (unless it is extended) with a score that does not raise the
// node's best: then the move changes nothing, legal or not.
bool futileWithoutEffect(const SearchNode* node, int childMaterial) {
  return node->depth - 1 <= FUTILITY_MAX_DEPTH && childMaterial + FUTILITY_MARGIN < node->alpha &&
         staticScore(childMaterial) <= node->best;
}

// The extension rules that read only the move records.
bool extendedByRecord(const Move& move) {
  const Move& previous = *(&move - 1);
  if (previous.to == move.to && (previous.code & MOVE_TAKES_OR_PROMOTES) &&
      pieceValue[previous.piece] > pieceValue[move.piece])
    return true;
  if (move.piece == PAWN && (move.to < rankStart(2) || move.to >= rankStart(6))) return true;  // onto its seventh rank
  return (move.code & MOVE_PROMOTION) != 0;
}

// After the move: the record rules, then a check of the enemy king.
int extension(const Move& move) {
  if (extendedByRecord(move)) return 1;
  if (isAttacked(position.side, kingSquare(position.xside))) return 1;
  return 0;
}

// The search of the child at ply, told whether it is known not to be in check.
int searchChild(int alpha, int beta, int depth, int material, Move* pv, bool outOfCheck) {
  nodes[ply].outOfCheck = outOfCheck;
  return search(alpha, beta, depth, material, pv);
}

// A filter over the origin and destination of each ply's killers: a quiet
// move whose bit is clear matches none of that ply's killers; a set bit only
// says that one of them may match. Rebuilt whenever a new killer comes in.
constexpr int KILLER_FILTER_BITS = 256;
uint64_t killerFilter[MAX_PLY + 1][KILLER_FILTER_BITS / 64];

int killerFilterBit(const Move& move) {
  constexpr uint32_t MIX = 0x9E3779B1u;
  constexpr int BIT_SHIFT = 32 - std::countr_zero(unsigned(KILLER_FILTER_BITS));
  return int((uint32_t(move.from) << 7 | uint32_t(move.to)) * MIX >> BIT_SHIFT);
}

bool mayBeKiller(const Move& move) {
  const int bit = killerFilterBit(move);
  return (killerFilter[ply][bit >> 6] >> (bit & 63)) & 1;
}

// From this depth on, a node's quiet moves lead to children that probe the
// table (they have depth left).
constexpr int QUIET_FETCH_MIN_DEPTH = 2;

// A visitor that only starts fetching the table entry of the child a quiet
// move leads to. Run over the quiet moves before they are searched, it lets
// the entries arrive while the earlier moves' subtrees are searched.
int fetchEntryVisitor(void*) {
  const Move& move = *position.currentMove;
  if ((move.code & (MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG)) == 0) prefetchHash(indexKeyAfterQuiet(move));
  return 0;
}

void fetchQuietEntries(SearchNode* node) {
  if (node->depth < QUIET_FETCH_MIN_DEPTH) return;
  const MoveVisitor searching = moveVisitor;
  moveVisitor = fetchEntryVisitor;
  genQuiet(node);
  moveVisitor = searching;
}

}  // namespace

int search(int alpha, int beta, int depth, int material, Move* pv) {
  SearchNode& node = nodes[ply];
  const int alphaIn = alpha;
  const bool outOfCheck = node.outOfCheck;

  if (depth <= 0) {
    const int balance = staticScore(-material);
    if (balance - LAZY_MARGIN >= beta)
      node.best = int16_t(beta);
    else if (balance + LAZY_MARGIN <= alpha)
      node.best = int16_t(alpha);
    else
      node.best = int16_t(staticScore(balance - evaluate()));
    if (node.best >= beta) return beta;
    if (node.best > alpha) alpha = node.best;
  } else {
    int16_t stored;
    if (probeHash(alpha, beta, depth, &stored)) return stored;
    node.best = int16_t(ply - MATE_SCORE);
  }

  node.alpha = int16_t(alpha);
  node.beta = int16_t(beta);
  node.depth = int16_t(depth);
  node.material = material;
  node.pv = pv;

  switchSide();
  if (outOfCheck) {
    node.checkers = 0;
    node.shields = squaresShieldingKing(position.side);
  } else {
    node.checkers = checkersAndShields(position.side, node.shields);
  }
  searchMoves(&node);

  if (!abortSearch.load()) {
    if (node.best == ply - MATE_SCORE && node.checkers == 0)
      node.best = 0;  // stalemate
    if (depth >= 1) {
      storeHash(alphaIn, beta, depth, node.best);
      if (node.best > alphaIn) storeKiller(pv[ply]);
    }
  }
  switchSide();

  if (node.best >= beta) return beta;
  if (node.best > alpha) return node.best;
  return alpha;
}

int searchVisitor(void* arg) {
  SearchNode* node = static_cast<SearchNode*>(arg);
  Move& move = *position.currentMove;

  // A move the futility rule below would pass over without effect changes
  // nothing, unless an extension takes it out of the rule: none in the
  // quiescence, else the record rules or a check. (Whether an earlier phase
  // has tried the move makes no difference then.)
  const int childMaterial = captureGain() - node->material;
  int checks = NOT_KNOWN;  // givesCheck's answer, once asked
  if (futileWithoutEffect(node, childMaterial)) {
    if (node->depth <= 0) return 0;
    if (!extendedByRecord(move)) {
      checks = givesCheck(move);
      if (checks == 0) return 0;
    }
  }

  // Moves that an earlier phase of this node has tried already.
  if (node->movePhase == PHASE_TACTICAL || node->movePhase == PHASE_KILLERS) {
    if (move.code == node->pv[ply].code) return 0;
  } else if (node->movePhase == PHASE_QUIET) {
    if (move.code == node->pv[ply].code) return 0;
    if (mayBeKiller(move)) {
      for (const Move& killer : killers[ply])
        if (move.code == killer.code) return 0;
    }
  }

  // Most moves are known legal, and their check of the enemy king known,
  // before they are made; the rest are made and tested.
  const int leavesCheck = leavesKingAttacked(move, node->checkers, node->shields);
  if (leavesCheck == 1) return 0;
  int ext = 0;
  if (leavesCheck == 0) {
    // The extension rules before the move: the records, then the check.
    if (node->depth >= 1) {
      if (extendedByRecord(move)) {
        ext = 1;
      } else {
        if (checks == NOT_KNOWN) checks = givesCheck(move);
        ext = checks == 1 ? 1 : 0;
      }
    }
  } else {
    makeMove(move);
    if (isAttacked(position.xside, kingSquare(position.side))) {
      unmakeMove(move);
      return 0;
    }
    ext = node->depth >= 1 ? extension(move) : 0;
  }
  const int newDepth = node->depth - 1 + ext;

  // Futility (delta pruning in quiescence): a quiet-enough move that leaves
  // the material more than a pawn below alpha is scored by its material.
  if (newDepth <= FUTILITY_MAX_DEPTH && ext == 0 && childMaterial + FUTILITY_MARGIN < node->alpha) {
    node->best = int16_t(std::max(int(node->best), staticScore(childMaterial)));
    if (leavesCheck != 0) unmakeMove(move);
    return 0;
  }
  // Whether the child's side is known not to be in check without making the move.
  bool childOutOfCheck = false;
  if (leavesCheck == 0) {
    if (checks == NOT_KNOWN) checks = givesCheck(move);
    childOutOfCheck = checks == 0;
    makeMove(move);
  }
  // A child with depth left probes the table first thing: its entry is
  // fetched while this node finishes with the move.
  if (newDepth >= 1) prefetchHash(position.indexKey);

  if (ply > MAX_PLY - 1) {
    unmakeMove(move);
    return 0;
  }

  if (position.menCount <= 1) {
    const int value = probeEndgame();
    if (value != ENDGAME_NO_ANSWER) return scoreKnownMove(node, move, value);
  }

  if (isRepetition()) return scoreKnownMove(node, move, 0);

  // Null-window probe once a move with a real score stands.
  if (node->best > -MATE_THRESHOLD && node->beta - node->alpha != 1) {
    const int alpha = node->alpha;
    ++ply;
    ++position.currentMove;
    node->childPv[ply] = sentinelMove;
    if (newDepth >= PROBE_MIN_DEPTH)
      searchChild(-alpha - 1, -alpha, newDepth / 2, childMaterial, node->childPv, childOutOfCheck);
    const int v = -searchChild(-alpha - 1, -alpha, newDepth, childMaterial, node->childPv, childOutOfCheck);
    --ply;
    --position.currentMove;
    if (v <= node->alpha) {
      unmakeMove(move);
      return 0;
    }
  }

  // Full-window search.
  ++ply;
  ++position.currentMove;
  if (selDepth < ply) selDepth = ply;
  if (node->movePhase == PHASE_PV) {
    copyLine(node->childPv, node->pv, ply);
  } else {
    node->childPv[ply] = sentinelMove;
    if (newDepth >= PROBE_MIN_DEPTH)
      searchChild(-node->beta, -node->alpha, newDepth / 2, childMaterial, node->childPv, childOutOfCheck);
  }
  const int v = -searchChild(-node->beta, -node->alpha, newDepth, childMaterial, node->childPv, childOutOfCheck);
  --ply;
  --position.currentMove;

  if (countNode()) {
    unmakeMove(move);
    return 1;
  }
  if (v > node->best) node->best = int16_t(v);
  if (node->movePhase == PHASE_PV || node->best > node->alpha) {
    copyLine(node->pv, node->childPv, ply + 1);
    node->pv[ply] = move;
  }
  if (node->best >= node->beta) {
    unmakeMove(move);
    return 1;
  }
  if (node->best > node->alpha) node->alpha = node->best;
  unmakeMove(move);
  return 0;
}

int nullMoveVisitor(void* arg) {
  SearchNode* node = static_cast<SearchNode*>(arg);
  Move& move = *position.currentMove;

  // A null move is legal unless the side is in check.
  if (node->checkers != 0 || ply > MAX_PLY - 1) return 0;
  makeNullMove(move);
  const int childDepth = node->depth - NULL_MOVE_REDUCTION;
  if (childDepth >= 1) prefetchHash(position.indexKey);
  ++ply;
  ++position.currentMove;
  node->childPv[ply] = sentinelMove;
  // The side to move after a pass was not in check before it: it had just moved.
  const int v = -searchChild(-node->beta, -node->beta + 1, childDepth, -node->material, node->childPv, true);
  --ply;
  --position.currentMove;

  unmakeNullMove();
  if (v >= node->beta) {
    node->best = node->beta;
    return 1;
  }
  return 0;
}

void searchMoves(SearchNode* node) {
  Move& current = *position.currentMove;

  if (node->depth >= NULL_MOVE_MIN_DEPTH && node->beta <= MATE_SCORE) {
    current = nullMoveTemplate;
    node->movePhase = PHASE_NULL;
    if (nullMoveVisitor(node)) return;
  }

  if (node->pv[ply].piece != 0) {
    current = node->pv[ply];
    node->movePhase = PHASE_PV;
    if (moveVisitor(node)) return;
  }

  node->movePhase = PHASE_TACTICAL;
  if (genPromotions(node->depth, node) || genCaptures(node) || node->depth <= 0) return;

  // In check only the quiet moves and killers that may answer it are tried: a
  // king's, or another man's onto answers. Elsewhere, where the futility rule
  // passes over every quiet move that neither checks nor is extended (see
  // searchVisitor), only the others are generated.
  const uint64_t answers = node->checkers != 0 ? evasionSquares(node->checkers) : ~uint64_t(0);
  node->movePhase = PHASE_KILLERS;
  if (genKillers(node, answers)) return;

  node->movePhase = PHASE_QUIET;
  if (node->checkers != 0) {
    genQuietEvasions(answers, node);
  } else if (futileWithoutEffect(node, -node->material)) {  // a quiet move leaves the material as it is
    genQuietChecks(node);
  } else {
    fetchQuietEntries(node);
    genQuiet(node);
  }
}

void storeKiller(const Move& move) {
  if (move.code & MOVE_IRREVERSIBLE) return;
  Move* slots = killers[ply];
  int k = 0;
  while (k < KILLER_SLOTS && slots[k].code != move.code) ++k;
  if (k == 0) return;
  const bool newcomer = k == KILLER_SLOTS;
  if (newcomer) k = KILLER_SLOTS - 1;  // the oldest drops out
  std::memmove(&slots[1], &slots[0], sizeof(Move) * size_t(k));
  slots[0] = move;
  if (!newcomer) return;  // the same killers in a new order: the filter stands
  uint64_t* filter = killerFilter[ply];
  std::fill_n(filter, KILLER_FILTER_BITS / 64, 0);
  for (const Move& killer : killers[ply]) {
    const int bit = killerFilterBit(killer);
    filter[bit >> 6] |= uint64_t(1) << (bit & 63);
  }
}

int genKillers(SearchNode* node, uint64_t answers) {
  Move& current = *position.currentMove;
  const int s = position.side;
  for (const Move& killer : killers[ply]) {
    if (killer.code == MOVE_SENTINEL) break;  // the slots fill from the front
    const BoardEntry& mover = position.board[killer.from];
    if (mover.type != killer.piece || mover.side != s) continue;
    if (position.board[killer.to].type != 0) continue;
    const bool reachable = killer.piece == PAWN ? position.board[killer.from + pawnDir[s]].type == 0
                                                 : canReach(killer.piece, killer.from, killer.to) != 0;
    if (!reachable || (killer.piece != KING && (answers & squareBits[killer.to]) == 0)) continue;
    current = killer;
    if (moveVisitor(node)) return 1;
  }
  return 0;
}
