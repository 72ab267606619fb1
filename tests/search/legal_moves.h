// Test helpers over the engine's own board: the legal moves of a position.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"

// The legal moves of the side to move, generated at the current record.
std::vector<Move> legalMoves();
// The texts of the legal moves after "position <positionText>".
std::vector<std::string> legalMoveTexts(const std::string& positionText);
