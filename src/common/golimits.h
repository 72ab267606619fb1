// The words of a "go" command, read once into plain numbers and flags.
#pragma once

#include <cstdint>

struct GoLimits {
  static constexpr int MAX_SEARCH_MOVES = 256;
  static constexpr int MOVE_TEXT_SIZE = 8;

  // Clock and increment by side (0 white, 1 black), and moves to the next
  // time control; 0 when not given. hasTime tells whether a clock was given.
  int time[2] = {0, 0};
  int inc[2] = {0, 0};
  bool hasTime[2] = {false, false};
  int movesToGo = 0;
  int moveTime = 0;     // "movetime": milliseconds for this move, 0 when not given
  int depth = 0;        // "depth": last iteration, 0 when not given
  uint64_t nodes = 0;   // "nodes": counted moves, 0 when not given
  int mate = 0;         // "mate": moves, 0 when not given
  bool infinite = false;
  bool ponder = false;
  // "searchmoves": the move words that follow it, up to the next go word.
  int searchMoveCount = 0;
  char searchMoves[MAX_SEARCH_MOVES][MOVE_TEXT_SIZE] = {};
};

// Reads the argument text of "go". Each number is read like atoi after the
// first occurrence of its word and a blank (letter case counts); "infinite"
// and "ponder" count wherever they appear.
GoLimits parseGoLimits(const char* text);
