// Making and taking back moves, and the questions asked about the position:
// attacks, reach along a line, repetition and material won.
#include <cassert>
#include <utility>

#include "board/board.h"
#include "board/board_internal.h"

int rayStep[7][2 * DIFF_OFFSET + 1];
int stepTable[7][2 * DIFF_OFFSET + 1];
uint64_t emptyBoardReach[7][64];
uint64_t raySquares[2 * STEP_OFFSET + 1][64];
uint64_t squaresBetween[64][64];
uint64_t lineReachByFile[8][64];
uint64_t fileReachByRank[8][64];
uint64_t lineSquares[3][64];

namespace {

constexpr int PROMOTION_STACK_SIZE = 32;
int savedPieceIndex[PROMOTION_STACK_SIZE];
int promotionDepth = 0;

// The words of one man on one square in both keys at once: the lock key's
// in the low half, the index key's in the high half.
inline uint64_t manKeys(int sq, int s, int t) { return keyPairs[keyIndex(sq, s, t)]; }

// Puts a man of side s and type t on the squares of bits, or takes it off.
inline void flipSets(int s, int t, uint64_t bits) {
  position.manSets[s][NONE] ^= bits;
  position.manSets[s][t] ^= bits;
}

// How both keys change when the man of side s and type t changes squares.
inline uint64_t movedManKeys(int from, int to, int s, int t) { return manKeys(from, s, t) ^ manKeys(to, s, t); }

// The three ways a man changes place, shared by makeMove and unmakeMove;
// each keeps the board, the piece list, the sets and the counts in step and
// returns how both keys change (manKeys), which makeMove applies (unmakeMove
// puts back the keys that makeMove saved).

// Moves the man of side s and type t from one square to an empty one.
inline uint64_t moveMan(int from, int to, int s, int t) {
  Position& p = position;
  BoardEntry* b = p.boardStore + BOARD_GUARD;
  flipSets(s, t, squareBits[from] | squareBits[to]);
  std::swap(b[from], b[to]);
  p.pieceList[s][b[to].listIndex].square = to;
  return movedManKeys(from, to, s, t);
}

// Takes the man of side s and type t off sq. Its entry keeps its list slot
// and side, so that restoreMan can put it back.
inline uint64_t removeMan(int sq, int s, int t) {
  Position& p = position;
  BoardEntry& e = p.boardStore[BOARD_GUARD + sq];
  flipSets(s, t, squareBits[sq]);
  p.pieceList[s][e.listIndex].type = NONE;
  e.type = NONE;
  p.menCount -= 1;
  p.totalMaterial -= pieceValue[t];
  return manKeys(sq, s, t);
}

// Puts the man that removeMan took off sq back, in its old list slot.
inline uint64_t restoreMan(int sq, int s, int t) {
  Position& p = position;
  BoardEntry& e = p.boardStore[BOARD_GUARD + sq];
  flipSets(s, t, squareBits[sq]);
  e.type = int8_t(t);
  e.side = int8_t(s);
  p.pieceList[s][e.listIndex] = {sq, t};
  p.menCount += 1;
  p.totalMaterial += pieceValue[t];
  return manKeys(sq, s, t);
}

// A promotion is made as a move of the new piece; this turns the origin back
// into the pawn's in the keys and the sets, both ways round.
inline uint64_t swapPromotionOrigin(int from, int s, int t) {
  Position& p = position;
  p.manSets[s][t] ^= squareBits[from];
  p.manSets[s][PAWN] ^= squareBits[from];
  return manKeys(from, s, PAWN) ^ manKeys(from, s, t);
}

// Both keys in one word, the index key high (as manKeys gives their change).
inline uint64_t packedKeys() { return uint64_t(position.indexKey) << 32 | position.lockKey; }

inline void setKeys(uint64_t keys) {
  position.lockKey = uint32_t(keys);
  position.indexKey = uint32_t(keys >> 32);
}

// The keys after a change: the side to move changes, and the men's words.
inline uint64_t keysAfter(uint64_t change) { return packedKeys() ^ ~change; }

inline void applyKeys(uint64_t change) { setKeys(keysAfter(change)); }

// The keys before each move made from a record of the move stack, by the
// record's place: unmakeMove puts them back instead of working them out again.
uint64_t keysBeforeMove[MOVE_STACK_SIZE];

inline uint64_t& keysBefore(const Move& m) {
  assert(&m >= position.moveStack && &m < position.moveStack + MOVE_STACK_SIZE);
  return keysBeforeMove[&m - position.moveStack];
}

inline void saveKeys(const Move& m) { keysBefore(m) = packedKeys(); }

inline void restoreKeys(const Move& m) { setKeys(keysBefore(m)); }

// The rest of taking back a promotion: the pawn's type and lastPieceIndex.
inline void unmakePromotion(int from, int side, int piece) {
  Position& p = position;
  BoardEntry* b = p.boardStore + BOARD_GUARD;
  p.pieceList[side][b[from].listIndex].type = PAWN;
  b[from].type = PAWN;
  p.totalMaterial -= pieceValue[piece] - pieceValue[PAWN];
  --promotionDepth;
  if (promotionDepth >= 0 && promotionDepth < PROMOTION_STACK_SIZE) {
    p.lastPieceIndex[side] = savedPieceIndex[promotionDepth];
  } else {
    // No saved value (a take-back without its make): drop trailing pawn slots.
    if (promotionDepth < 0) promotionDepth = 0;
    int& last = p.lastPieceIndex[side];
    while (last > 0 && p.pieceList[side][last].type == PAWN) --last;
  }
}

// The square of the pawn an en-passant capture takes: beside the origin, on
// the destination's file.
inline int enPassantVictim(const Move& m) { return (m.to & 7) + (m.from & 0x70); }

}  // namespace

void clearPromotionStack() { promotionDepth = 0; }

namespace {

// The places 0..7 along a line that a man on place `from` reaches when the
// places of men are the bits of `men`: each way up to and with the first man.
unsigned reachAlongLine(int from, unsigned men) {
  constexpr int LINE_PLACES = 8;
  unsigned reach = 0;
  for (int way : {1, -1}) {
    for (int place = from + way; place >= 0 && place < LINE_PLACES; place += way) {
      reach |= 1u << place;
      if (men & (1u << place)) break;
    }
  }
  return reach;
}

void initLineTables() {
  constexpr int INNER_PLACES = 6;
  for (int place = 0; place < 8; ++place) {
    for (unsigned inner = 0; inner < (1u << INNER_PLACES); ++inner) {
      // On a rank or a diagonal, bit b of the index stands for file b + 1.
      lineReachByFile[place][inner] = reachAlongLine(place, inner << 1) * FILE_A_SQUARES;
      // Along a file, bit b stands for rank 7 - b (ranks numbered from 1).
      unsigned men = 0;
      for (int b = 0; b < INNER_PLACES; ++b)
        if (inner & (1u << b)) men |= 1u << (INNER_PLACES - b);
      uint64_t onAFile = 0;
      const unsigned ranks = reachAlongLine(place, men);
      for (int rank = 0; rank < 8; ++rank)
        if (ranks & (1u << rank)) onAFile |= squareBits[rank * 16];
      fileReachByRank[place][inner] = onAFile;
    }
  }
  // A line is the square and its rays both ways (raySquares is built first).
  constexpr int LINE_STEPS[3] = {1, 17, 15};  // rank, diagonal, anti-diagonal
  for (int kind = RANK_LINE; kind <= ANTI_DIAGONAL_LINE; ++kind) {
    const int step = LINE_STEPS[kind];
    for (int n = 0; n < 64; ++n)
      lineSquares[kind][n] =
          uint64_t(1) << n | raySquares[step + STEP_OFFSET][n] | raySquares[-step + STEP_OFFSET][n];
  }
}

}  // namespace

void initAttackTables() {
  for (int t = 0; t < 7; ++t) {
    for (int d = 0; d <= 2 * DIFF_OFFSET; ++d) {
      rayStep[t][d] = 0;
      stepTable[t][d] = 0;
    }
  }
  for (int i = 0; i < 8; ++i) {
    const int d = directions[i];
    const int j = knightJumps[i];
    stepTable[KING][d + DIFF_OFFSET] = 1;
    stepTable[KNIGHT][j + DIFF_OFFSET] = 1;
    rayStep[KING][d + DIFF_OFFSET] = d;
    rayStep[KNIGHT][j + DIFF_OFFSET] = j;
    for (int s = 1; s <= 7; ++s) {
      rayStep[QUEEN][d * s + DIFF_OFFSET] = d;
      rayStep[i < 4 ? ROOK : BISHOP][d * s + DIFF_OFFSET] = d;
    }
  }
  for (int t = 0; t < 7; ++t) {
    for (int from = 0; from <= H8; ++from) {
      if (!onBoard(from)) continue;
      uint64_t reach = 0;
      for (int to = 0; to <= H8; ++to) {
        if (onBoard(to) && to != from && rayStep[t][to - from + DIFF_OFFSET] != 0)
          reach |= uint64_t(1) << squareIndex64(to);
      }
      emptyBoardReach[t][squareIndex64(from)] = reach;
    }
  }
  for (const int step : directions) {
    for (int from = 0; from <= H8; ++from) {
      if (!onBoard(from)) continue;
      uint64_t ray = 0;
      for (int sq = from + step; onBoard(sq); sq += step) ray |= squareBits[sq];
      raySquares[step + STEP_OFFSET][squareIndex64(from)] = ray;
    }
  }
  for (int from = 0; from <= H8; ++from) {
    for (int to = 0; to <= H8; ++to) {
      const int step = lineStep(from, to);
      if (!onBoard(from) || !onBoard(to) || step == 0) continue;
      const int n = squareIndex64(from), v = squareIndex64(to);
      squaresBetween[n][v] = raySquares[step + STEP_OFFSET][n] & ~raySquares[step + STEP_OFFSET][v] & ~squareBits[to];
    }
  }
  initLineTables();
}

// Built before main runs, so that the tables are ready wherever the board is used.
[[maybe_unused]] const bool attackTablesBuilt = (initAttackTables(), true);

namespace {

// makeMove for castling, en passant and promotions.
[[gnu::noinline]] void makeSpecialMove(Move& m) {
  Position& p = position;
  BoardEntry* b = p.boardStore + BOARD_GUARD;
  const uint32_t code = m.code;
  uint64_t keys = 0;
  saveKeys(m);
  const int side = p.side;
  const int from = m.from;
  const int to = m.to;
  const int piece = m.piece;
  if (m.captured != NONE) keys ^= removeMan(to, p.xside, m.captured);
  // For a promotion m.piece is the new type; the origin is set right below.
  keys ^= moveMan(from, to, side, piece);
  if (code & MOVE_CASTLE_SHORT) keys ^= moveMan(to + 1, to - 1, side, ROOK);
  if (code & MOVE_CASTLE_LONG) keys ^= moveMan(to - 2, to + 1, side, ROOK);
  if (code & MOVE_EP) keys ^= removeMan(enPassantVictim(m), p.xside, PAWN);
  if (code & MOVE_PROMOTION) {
    keys ^= swapPromotionOrigin(from, side, piece);
    const int slot = b[to].listIndex;
    p.pieceList[side][slot].type = piece;
    b[to].type = int8_t(piece);
    // The new piece sits among the pawns: lastPieceIndex reaches its slot.
    if (promotionDepth < PROMOTION_STACK_SIZE) savedPieceIndex[promotionDepth] = p.lastPieceIndex[side];
    ++promotionDepth;
    if (p.lastPieceIndex[side] < slot) p.lastPieceIndex[side] = slot;
    p.totalMaterial += pieceValue[piece] - pieceValue[PAWN];
  }
  applyKeys(keys);
  m.lockKey = p.lockKey;
}

// unmakeMove for the same moves.
[[gnu::noinline]] void unmakeSpecialMove(Move& m) {
  Position& p = position;
  const uint32_t code = m.code;
  const int side = p.side;
  const int from = m.from;
  const int to = m.to;
  const int piece = m.piece;
  // The move back brings the victim's kept entry back onto m.to.
  moveMan(to, from, side, piece);
  if (m.captured != NONE) restoreMan(to, p.xside, m.captured);
  if (code & MOVE_CASTLE_SHORT) moveMan(to - 1, to + 1, side, ROOK);
  if (code & MOVE_CASTLE_LONG) moveMan(to + 1, to - 2, side, ROOK);
  if (code & MOVE_EP) restoreMan(enPassantVictim(m), p.xside, PAWN);
  if (code & MOVE_PROMOTION) {
    swapPromotionOrigin(from, side, piece);
    unmakePromotion(from, side, piece);
  }
  restoreKeys(m);
}

// makeMove for a plain capture.
[[gnu::noinline]] void makeCapture(Move& m) {
  saveKeys(m);
  const uint64_t keys = removeMan(m.to, position.xside, m.captured);
  applyKeys(keys ^ moveMan(m.from, m.to, position.side, m.piece));
  m.lockKey = position.lockKey;
}

// unmakeMove for a plain capture.
[[gnu::noinline]] void unmakeCapture(Move& m) {
  moveMan(m.to, m.from, position.side, m.piece);
  restoreMan(m.to, position.xside, m.captured);
  restoreKeys(m);
}

}  // namespace

// A null move changes only the keys (the caller hands the move over).
void makeNullMove(Move& m) {
  applyKeys(0);
  m.lockKey = position.lockKey;
}

void unmakeNullMove() { applyKeys(0); }

// Plain moves here; captures and the rest aside.
void makeMove(Move& m) {
  if (m.code & MOVE_SPECIAL) {
    makeSpecialMove(m);
    return;
  }
  if (m.captured != NONE) {
    makeCapture(m);
    return;
  }
  saveKeys(m);
  applyKeys(moveMan(m.from, m.to, position.side, m.piece));
  m.lockKey = position.lockKey;
}

void unmakeMove(Move& m) {
  if (m.code & MOVE_SPECIAL) {
    unmakeSpecialMove(m);
    return;
  }
  if (m.captured != NONE) {
    unmakeCapture(m);
    return;
  }
  moveMan(m.to, m.from, position.side, m.piece);
  restoreKeys(m);
}

bool canReach(int type, int from, int to) {
  return rayStep[type][to - from + DIFF_OFFSET] != 0 && lineClear(from, to, menBesides(NO_SQUARE));
}

bool isAttacked(int by, int sq) { return attackedWithVacated(by, sq, NO_SQUARE); }

bool isRepetition() {
  const Move* m = position.currentMove;
  if (m->code & MOVE_IRREVERSIBLE) return false;
  for (;;) {
    // Only positions with the same side to move: two records at a time. The
    // history always starts with a sentinel; the array's start ends the scan too.
    if (m - position.moveStack < 2) return false;
    --m;
    if (m->code & MOVE_IRREVERSIBLE) return false;
    --m;
    if (m->code & MOVE_IRREVERSIBLE) return false;
    if (m->lockKey == position.lockKey) return true;
  }
}

int captureGain() {
  const Move& m = *position.currentMove;
  if (!(m.code & MOVE_TAKES_OR_PROMOTES)) return 0;
  int gain = pieceValue[m.captured];
  if (m.code & MOVE_EP) gain += pieceValue[PAWN];
  if (m.code & MOVE_PROMOTION) gain += pieceValue[m.piece] - pieceValue[PAWN];
  return gain;
}

uint32_t indexKeyAfterQuiet(const Move& m) {
  return uint32_t(keysAfter(movedManKeys(m.from, m.to, position.side, m.piece)) >> 32);
}
