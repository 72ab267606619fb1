#include "legal_moves.h"

#include "search/search.h"

namespace {

std::vector<Move> collected;

int collectVisitor(void*) {
  collected.push_back(*position.currentMove);
  return 0;
}

}  // namespace

std::vector<Move> legalMoves() {
  collected.clear();
  const MoveVisitor saved = moveVisitor;
  moveVisitor = collectVisitor;
  genPromotions(1, nullptr);
  genCaptures(nullptr);
  genQuiet(nullptr);
  moveVisitor = saved;
  std::vector<Move> legal;
  for (const Move& m : collected) {
    *position.currentMove = m;
    makeMove(*position.currentMove);
    if (!isAttacked(position.xside, position.pieceList[position.side][0].square)) legal.push_back(m);
    unmakeMove(*position.currentMove);
  }
  return legal;
}

std::vector<std::string> legalMoveTexts(const std::string& positionText) {
  static const bool tablesReady = (prepareTables(), true);
  (void)tablesReady;
  setupPosition(positionText.c_str());
  position.currentMove = &position.moveStack[ROOT_RECORD];
  std::vector<std::string> texts;
  for (const Move& m : legalMoves()) texts.emplace_back(moveToText(m));
  return texts;
}
