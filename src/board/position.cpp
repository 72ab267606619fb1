// The one position of the engine, its piece lists and its keys.
#include "board/board.h"
#include "board/board_internal.h"

// An empty board until the first position command; board and currentMove
// point into the position from the start.
Position position = {
    .boardStore = {},
    .board = position.boardStore + BOARD_GUARD,
    .pieceList = {},
    .lastIndex = {-1, -1},
    .lastPieceIndex = {-1, -1},
    .side = WHITE,
    .xside = BLACK,
    .lockKey = 0,
    .indexKey = 0,
    .totalMaterial = 0,
    .menCount = 0,
    .manSets = {},
    .moveStack = {},
    .currentMove = &position.moveStack[ROOT_RECORD],
    .homesSpent = 0,
};

int ply = 0;
MoveVisitor moveVisitor = nullptr;


void rebuildPieceLists() {
  Position& p = position;
  p.totalMaterial = 0;
  for (int s = WHITE; s <= BLACK; ++s) {
    for (uint64_t& set : p.manSets[s]) set = 0;
    int slot = -1;
    for (int t = KING; t <= PAWN; ++t) {
      if (t == PAWN) p.lastPieceIndex[s] = slot;
      for (int sq = 0; sq <= H8; ++sq) {
        BoardEntry& e = p.board[sq];
        if (!onBoard(sq) || e.type != t || e.side != s) continue;
        ++slot;
        e.listIndex = int16_t(slot);
        p.pieceList[s][slot] = {sq, t};
        p.totalMaterial += pieceValue[t];
        p.manSets[s][NONE] |= squareBits[sq];
        p.manSets[s][t] |= squareBits[sq];
      }
    }
    p.lastIndex[s] = slot;
  }
  p.menCount = p.lastIndex[WHITE] + p.lastIndex[BLACK];
  clearPromotionStack();
}

void computeKeys(uint32_t& lock, uint32_t& index) {
  lock = index = position.side == BLACK ? 0xFFFFFFFFu : 0u;
  for (int sq = 0; sq <= H8; ++sq) {
    const BoardEntry& e = position.board[sq];
    if (!onBoard(sq) || e.type == NONE) continue;
    const int k = keyIndex(sq, e.side, e.type);
    lock ^= lockKeys[k];
    index ^= indexKeys[k];
  }
}

bool positionConsistent() {
  const Position& p = position;
  int men = 0;
  int material = 0;
  for (int s = WHITE; s <= BLACK; ++s) {
    uint64_t sets[8] = {};
    for (int slot = 0; slot <= p.lastIndex[s]; ++slot) {
      const PieceSlot& man = p.pieceList[s][slot];
      if (man.type == NONE) continue;
      const BoardEntry& e = p.board[man.square];
      if (!onBoard(man.square) || e.type != man.type || e.side != s || e.listIndex != slot) return false;
      ++men;
      material += pieceValue[man.type];
      sets[NONE] |= squareBits[man.square];
      sets[man.type] |= squareBits[man.square];
    }
    for (int t = 0; t < 8; ++t)
      if (sets[t] != p.manSets[s][t]) return false;
  }
  for (int sq = 0; sq <= H8; ++sq) {
    if (!onBoard(sq) || p.board[sq].type == NONE) continue;
    if (--men < 0) return false;  // a man on the board that no slot names
  }
  uint32_t lock = 0;
  uint32_t index = 0;
  computeKeys(lock, index);
  return men == 0 && material == p.totalMaterial && lock == p.lockKey && index == p.indexKey;
}
