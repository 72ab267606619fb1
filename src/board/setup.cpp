// The position command: the start position or a FEN placement, then the game
// moves, which are played on the board and kept in the history window.
#include <cstring>

#include "board/board.h"
#include "board/board_internal.h"
#include "host/host.h"

namespace {

// The start placement without rank separators: four 8s for the empty ranks.
constexpr const char* startFen = "rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w - - 0 1";

bool valid = false;

// Fresh history: zero records, the sentinel in the last history record.
void clearHistory() {
  Position& p = position;
  for (Move& m : p.moveStack) m = Move{};
  p.moveStack[HISTORY_LAST] = sentinelMove;
  p.currentMove = &p.moveStack[ROOT_RECORD];
  ply = 0;
}

void clearBoard() {
  for (int sq = 0; sq < 256; ++sq) position.board[sq] = BoardEntry{};
}

// Leaves the engine without a position: the GUI learns why in one line, the
// board is emptied so that nothing half-made stays, and no move is generated
// until a valid position arrives.
void rejectPosition(const char* reason, const char* token = nullptr) {
  if (token != nullptr) {
    sendToGui("info string position rejected: move %s %s", token, reason);
  } else {
    sendToGui("info string position rejected: %s", reason);
  }
  Position& p = position;
  valid = false;
  clearBoard();
  clearHistory();
  for (auto& list : p.pieceList)
    for (PieceSlot& slot : list) slot = PieceSlot{};
  p.lastIndex[WHITE] = p.lastIndex[BLACK] = -1;
  p.lastPieceIndex[WHITE] = p.lastPieceIndex[BLACK] = -1;
  p.side = WHITE;
  p.xside = BLACK;
  p.lockKey = p.indexKey = 0;
  p.totalMaterial = 0;
  p.menCount = 0;
}

bool startsWithFen(const char* text) {
  return (text[0] | 0x20) == 'f' && (text[1] | 0x20) == 'e' && (text[2] | 0x20) == 'n' && text[3] == ' ';
}

// Fills a8, b8 .. h8, a7 .. h1 from the text. Characters outside the placement
// alphabet are skipped, a digit leaves that many empty squares (running on
// over rank ends), and the reader stops at 64 squares or at the text's end;
// squares it does not reach stay empty.
void readPlacement(const char* text) {
  int filled = 0;
  int emptyLeft = 0;
  while (filled < 64) {
    if (emptyLeft > 0) {
      --emptyLeft;
      ++filled;
      continue;
    }
    const char c = *text;
    if (c == 0) break;
    ++text;
    if (c >= '1' && c <= '8') {
      emptyLeft = c - '0';
      continue;
    }
    const int type = pieceOfLetter(char(c | 0x20));  // either case
    if (type == NONE) continue;
    const int sq = (7 - filled / 8) * 16 + filled % 8;
    const int s = (c >> 5) & 1;  // lower case is black
    position.board[sq] = BoardEntry{0, int8_t(s), int8_t(type)};
    const int k = keyIndex(sq, s, type);
    position.lockKey ^= lockKeys[k];
    position.indexKey ^= indexKeys[k];
    ++filled;
  }
}

// Null when the board can hold the placement: one king and at most 16 men a side.
const char* placementProblem() {
  static const char* const reasons[2][3] = {
      {"white has no king", "white has more than one king", "white has more than 16 men"},
      {"black has no king", "black has more than one king", "black has more than 16 men"},
  };
  for (int s = WHITE; s <= BLACK; ++s) {
    int kings = 0;
    int men = 0;
    for (int sq = 0; sq <= 0x77; ++sq) {
      const BoardEntry& e = position.board[sq];
      if (!onBoard(sq) || e.type == NONE || e.side != s) continue;
      ++men;
      if (e.type == KING) ++kings;
    }
    if (kings == 0) return reasons[s][0];
    if (kings > 1) return reasons[s][1];
    if (men > 16) return reasons[s][2];
  }
  return nullptr;
}

// Null when the decoded game move keeps board, lists and keys consistent.
// Illegal moves pass: the GUI's moves are trusted as far as the board can follow.
const char* gameMoveProblem(const Move& m) {
  const Position& p = position;
  const BoardEntry& mover = p.board[m.from];
  const BoardEntry& target = p.board[m.to];
  if (mover.type == NONE) return "starts on an empty square";
  if (mover.side != p.side) return "moves a man of the side not to move";
  if (target.type != NONE && target.side == p.side) return "lands on a man of its own side";
  if (target.type == KING) return "takes a king";
  if ((m.code & MOVE_PROMOTION) && mover.type != PAWN) return "promotes a man that is not a pawn";
  if (m.code & (MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG)) {
    const bool shortSide = (m.code & MOVE_CASTLE_SHORT) != 0;
    const int corner = shortSide ? m.to + 1 : m.to - 2;
    const int rookTo = shortSide ? m.to - 1 : m.to + 1;
    const BoardEntry& rook = p.board[corner];
    if (!onBoard(corner) || rook.type != ROOK || rook.side != p.side) return "castles without its rook";
    if (p.board[rookTo].type != NONE) return "castles onto an occupied square";
  }
  if (m.code & MOVE_EP) {
    const BoardEntry& taken = p.board[(m.to & 7) + (m.from & 0x70)];
    if (taken.type != PAWN || taken.side != p.xside) return "takes en passant without a pawn to take";
  }
  return nullptr;
}

}  // namespace

bool positionValid() { return valid; }

void setupPosition(const char* args) {
  Position& p = position;
  if (args == nullptr) args = "";
  const char* fen = startsWithFen(args) ? args + 4 : startFen;

  clearHistory();
  if (lockKeys == nullptr) {
    rejectPosition("the hash keys could not be made");
    return;
  }
  // The side field is found by its blanks alone, anywhere in the text.
  p.side = std::strstr(fen, " b ") != nullptr ? BLACK : WHITE;
  p.xside = p.side ^ 1;
  p.lockKey = p.indexKey = p.side == BLACK ? 0xFFFFFFFFu : 0u;
  clearBoard();
  readPlacement(fen);
  if (const char* problem = placementProblem()) {
    rejectPosition(problem);
    return;
  }
  rebuildPieceLists();
  valid = true;

  const char* moves = std::strstr(args, "moves ");
  if (moves == nullptr) return;
  const char* c = moves + 5;
  for (;;) {
    while (*c == ' ' || *c == '\t') ++c;
    if (*c == 0) break;
    // Only the first five characters of a token count; longer ones are cut.
    char token[16];
    int length = 0;
    for (; *c != 0 && *c != ' ' && *c != '\t'; ++c) {
      if (length < int(sizeof token) - 1) token[length++] = *c;
    }
    token[length] = 0;
    applyMoveText(token);
    if (!valid) return;
  }
  // Captures and promotions have left gaps and promoted men among the pawns.
  rebuildPieceLists();
}

void applyMoveText(const char* token) {
  Position& p = position;
  if (!valid) return;
  Move& m = p.moveStack[ROOT_RECORD];
  if (!decodeMoveText(token, m)) return;
  if (const char* problem = gameMoveProblem(m)) {
    rejectPosition(problem, token);
    return;
  }
  makeMove(m);
  p.side = p.xside;
  p.xside ^= 1;
  // The window keeps the last 103 game moves behind a sentinel, the latest in 103.
  std::memmove(&p.moveStack[0], &p.moveStack[1], ROOT_RECORD * sizeof(Move));
  p.moveStack[0] = sentinelMove;
}
