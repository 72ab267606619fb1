// The positional evaluation and the endgame data file.
#pragma once

// Positional score of the current position (no material) for position.side.
int evaluate();

// With at most one man besides the kings, called right after a legal move:
// 0 for a draw, a mate score from the mover's point of view, or 254 when the
// endgame data has no answer.
constexpr int ENDGAME_NO_ANSWER = 254;
int probeEndgame();
// Looks for "Endgame.bin" on the first call (the current folder, then the
// executable's) and returns the path of the file in use, or null when none
// holds the exact tables.
const char* endgameFileInUse();
int endgameEntry(unsigned index, int pieceType);
