// Moves as UCI coordinate text (e2e4, e1g1, e7e8q) and back.
#include "board/board.h"
#include "board/board_internal.h"

const char* moveToText(const Move& m) {
  // One buffer per thread: the input thread names the best move on "stop"
  // while the search thread may be printing its own lines.
  thread_local char text[6];
  text[0] = 0;
  if (m.piece == NONE) return text;  // the null move, the sentinel, an empty record
  text[0] = char('a' + (m.from & 7));
  text[1] = char('1' + (m.from >> 4));
  text[2] = char('a' + (m.to & 7));
  text[3] = char('1' + (m.to >> 4));
  text[4] = (m.code & MOVE_PROMOTION) ? pieceLetters[m.piece] : 0;
  text[5] = 0;
  return text;
}

namespace {

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

}  // namespace

bool decodeMoveText(const char* token, Move& m) {
  // Each check stops at the terminating zero, so a short token never reads past its end.
  if (!isFile(token[0]) || !isRank(token[1]) || !isFile(token[2]) || !isRank(token[3])) return false;
  const int from = (token[0] - 'a') + (token[1] - '1') * 16;
  const int to = (token[2] - 'a') + (token[3] - '1') * 16;
  int captured = position.board[to].type;
  int piece = position.board[from].type;
  uint32_t flags = 0;
  // Only the four promotion letters count; any other fifth character is ignored.
  if (const int promoted = pieceOfLetter(token[4]); promoted >= QUEEN && promoted <= KNIGHT) {
    flags = MOVE_PROMOTION;
    piece = promoted;
  }
  const int fileStep = (from & 7) - (to & 7);
  if (piece == KING && fileStep == 2) flags = MOVE_CASTLE_LONG;
  if (piece == KING && fileStep == -2) flags = MOVE_CASTLE_SHORT;
  if (piece == PAWN && fileStep != 0 && captured == NONE) flags = MOVE_EP;
  m.to = int16_t(to);
  m.from = int16_t(from);
  m.piece = int16_t(piece);
  m.captured = int16_t(captured);
  m.code = packMove(to, from, piece, captured, flags);
  return true;
}
