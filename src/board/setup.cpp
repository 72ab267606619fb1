// The position command: the start position or a FEN placement, then the game
// moves, which are played on the board and kept in the history window.
#include <cassert>
#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "board/board_internal.h"

namespace {

// The start placement without rank separators: four 8s for the empty ranks.
constexpr const char* startFen = "rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq - 0 1";

// Room for one of the short FEN fields behind the placement; a longer field
// is cut, which leaves it malformed.
constexpr int FIELD_SIZE = 16;

bool valid = false;

// Fresh history: zero records, the sentinel in the last history record.
void clearHistory() {
  Position& p = position;
  for (Move& m : p.moveStack) m = Move{};
  p.moveStack[HISTORY_LAST] = sentinelMove;
  p.currentMove = &p.moveStack[ROOT_RECORD];
  p.homesSpent = 0;
  ply = 0;
}

void clearBoard() {
  for (int sq = 0; sq < BOARD_SIZE; ++sq) position.board[sq] = BoardEntry{};
}

// Leaves the engine without a position: the board is emptied so that
// nothing half-made stays, and no move is generated until a valid position
// arrives. Returns the reason, naming the move when a move was refused.
const char* rejectPosition(const char* reason, const char* token = nullptr) {
  static char refusal[64];
  if (token != nullptr) {
    std::snprintf(refusal, sizeof refusal, "move %s %s", token, reason);
  } else {
    std::snprintf(refusal, sizeof refusal, "%s", reason);
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
  for (auto& sets : p.manSets)
    for (uint64_t& set : sets) set = 0;
  return refusal;
}

bool startsWithFen(const char* text) {
  return (text[0] | 0x20) == 'f' && (text[1] | 0x20) == 'e' && (text[2] | 0x20) == 'n' && text[3] == ' ';
}

// Copies the next blank-separated word of text into field and returns the
// text behind it. A word too long for the field becomes "?", which no field
// accepts.
const char* nextField(const char* text, char* field) {
  while (*text == ' ') ++text;
  int length = 0;
  for (; *text != 0 && *text != ' '; ++text) {
    if (length < FIELD_SIZE - 1) field[length] = *text;
    ++length;
  }
  field[length < FIELD_SIZE ? length : 0] = 0;
  if (length >= FIELD_SIZE) std::strcpy(field, "?");
  return text;
}

// Fills a8, b8 .. h8, a7 .. h1 from the placement, the text up to the first
// blank. Characters outside the placement alphabet are skipped, a digit leaves
// that many empty squares (running on over rank ends), and the reader stops
// at 64 squares or at the placement's end; squares it does not reach stay
// empty. Returns the text behind the placement.
const char* readPlacement(const char* text) {
  int filled = 0;
  int emptyLeft = 0;
  while (filled < 64) {
    if (emptyLeft > 0) {
      --emptyLeft;
      ++filled;
      continue;
    }
    const char c = *text;
    if (c == 0 || c == ' ') break;
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
  while (*text != 0 && *text != ' ') ++text;
  return text;
}

// The castling field denies every right it does not list, as though that
// rook had already moved; "-" denies all four. A field with any other
// character changes nothing.
void readCastling(const char* field) {
  if (field[0] == 0) return;
  if (std::strcmp(field, "-") == 0) field = "";
  for (const char* c = field; *c != 0; ++c)
    if (std::strchr("KQkq", *c) == nullptr) return;
  struct Right {
    char letter;
    int rookHome;
  };
  constexpr Right rights[4] = {{'K', H1}, {'Q', A1}, {'k', H8}, {'q', A8}};
  for (const Right& right : rights)
    if (std::strchr(field, right.letter) == nullptr) position.homesSpent |= homeSquareBit(right.rookHome);
}

// The en-passant field: a square passed over by a pawn of the side not to
// move that stands just in front of it, with the square behind it empty,
// enters the history as that pawn's double step, the last game move.
void readEnPassant(const char* field) {
  const Position& p = position;
  if (field[0] < 'a' || field[0] > 'h' || field[1] != (p.side == WHITE ? '6' : '3') || field[2] != 0) return;
  const int passed = (field[0] - 'a') + (field[1] - '1') * 16;
  const int to = passed + pawnDir[p.xside];
  const int from = passed - pawnDir[p.xside];
  const BoardEntry& pawn = p.board[to];
  if (pawn.type != PAWN || pawn.side != p.xside || p.board[passed].type != NONE || p.board[from].type != NONE) return;
  Move& step = position.moveStack[HISTORY_LAST];
  step = Move{packMove(to, from, PAWN, NONE, 0), p.lockKey, int16_t(to), int16_t(from), PAWN, NONE};
  position.moveStack[HISTORY_LAST - 1] = sentinelMove;
}

// Null when the board can hold the placement: one king and at most 16 men a
// side, and the side that has just moved not left in check.
const char* placementProblem() {
  static const char* const reasons[2][3] = {
      {"white has no king", "white has more than one king", "white has more than 16 men"},
      {"black has no king", "black has more than one king", "black has more than 16 men"},
  };
  for (int s = WHITE; s <= BLACK; ++s) {
    int kings = 0;
    int men = 0;
    for (int sq = 0; sq <= H8; ++sq) {
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

// Null when the decoded game move is legal here; else why it is not.
const char* gameMoveProblem(const Move& m) {
  const Position& p = position;
  const BoardEntry& mover = p.board[m.from];
  const BoardEntry& target = p.board[m.to];
  if (mover.type == NONE) return "starts on an empty square";
  if (mover.side != p.side) return "moves a man of the side not to move";
  if (target.type != NONE && target.side == p.side) return "lands on a man of its own side";
  Move legal[MAX_LEGAL_MOVES];
  const int count = legalMoves(legal, MAX_LEGAL_MOVES);
  for (int i = 0; i < count; ++i)
    if (legal[i].code == m.code) return nullptr;
  return "is not legal";
}

}  // namespace

bool positionValid() { return valid; }

const char* setupPosition(const char* args) {
  Position& p = position;
  if (args == nullptr) args = "";
  const char* fen = startsWithFen(args) ? args + 4 : startFen;

  clearHistory();
  p.lockKey = p.indexKey = 0;
  clearBoard();
  const char* rest = readPlacement(fen);
  // The fields behind the placement; the counters are not read, and the word
  // "moves" ends the fields early.
  enum { SIDE, CASTLING, EN_PASSANT, FIELD_COUNT };
  char fields[FIELD_COUNT][FIELD_SIZE] = {};
  for (char* field : fields) {
    rest = nextField(rest, field);
    if (std::strcmp(field, "moves") == 0) {
      field[0] = 0;
      break;
    }
  }
  p.side = std::strcmp(fields[SIDE], "b") == 0 ? BLACK : WHITE;
  p.xside = p.side ^ 1;
  if (p.side == BLACK) {
    p.lockKey = ~p.lockKey;
    p.indexKey = ~p.indexKey;
  }
  const char* problem = placementProblem();
  if (problem == nullptr) {
    rebuildPieceLists();
    if (isAttacked(p.side, p.pieceList[p.xside][0].square)) problem = "the side not to move is in check";
  }
  if (problem != nullptr) return rejectPosition(problem);
  readCastling(fields[CASTLING]);
  readEnPassant(fields[EN_PASSANT]);
  valid = true;

  const char* moves = std::strstr(args, "moves ");
  if (moves == nullptr) return nullptr;
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
    if (const char* refusal = applyMoveText(token)) return refusal;
  }
  // Captures and promotions have left gaps and promoted men among the pawns.
  rebuildPieceLists();
  assert(positionConsistent());
  return nullptr;
}

const char* applyMoveText(const char* token) {
  Position& p = position;
  if (!valid) return nullptr;
  Move m{};
  if (!decodeMoveText(token, m)) return nullptr;
  if (const char* problem = gameMoveProblem(m)) return rejectPosition(problem, token);
  p.moveStack[ROOT_RECORD] = m;
  makeMove(p.moveStack[ROOT_RECORD]);
  switchSide();
  // The window keeps the last 103 game moves behind a sentinel, the latest in
  // 103. A move that drops out of it still counts against castling.
  std::memmove(&p.moveStack[0], &p.moveStack[1], ROOT_RECORD * sizeof(Move));
  const Move& dropped = p.moveStack[0];
  if (dropped.piece != NONE) p.homesSpent |= homeSquareBit(dropped.from) | homeSquareBit(dropped.to);
  p.moveStack[0] = sentinelMove;
  return nullptr;
}
