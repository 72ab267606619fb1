// Every number that shapes the search, in one place: its margins and depths,
// the time rules and the table's size range. Changing one changes the bench
// signature (the time rules aside).
#pragma once

#include <cstdint>

#include "board/board.h"

// ---------------------------------------------------------------- search
constexpr int LAZY_MARGIN = 128;       // the quiescence stands pat without evaluating beyond this
constexpr int FUTILITY_MARGIN = 256;   // one pawn: a quiet move this far below alpha is not searched
constexpr int FUTILITY_MAX_DEPTH = 3;  // ... when at most this much depth would be left after it
constexpr int STATIC_SCORE_LIMIT = MATE_THRESHOLD - 1;  // no static score reads as a mate
constexpr int NULL_MOVE_MIN_DEPTH = 2;  // the null move is tried from this depth on
constexpr int NULL_MOVE_REDUCTION = 3;  // and searched this much shallower
constexpr int PROBE_MIN_DEPTH = 5;      // from this depth a move is first searched at half depth

// ---------------------------------------------------------------- think driver
constexpr int ASPIRATION = 128;    // the window: half a pawn either side of the last score
constexpr int OPEN_ITERATIONS = 3;  // the first iterations search with an open window and sort the root
constexpr int EASY_MARGIN = 379;   // a lead of about one and a half pawns makes an easy move

// ---------------------------------------------------------------- time rules
constexpr int64_t CLOCK_RESERVE_MS = 3000;  // never planned for
constexpr int64_t MOVES_TO_PLAN = 30;       // without movestogo
constexpr int64_t MOVES_TO_PLAN_WITH_INC = 20;
constexpr uint64_t CLOCK_CHECK_INTERVAL = 4096;  // counted moves between two clock readings
constexpr int64_t MOVE_TIME_MARGIN_MS = 10;      // a fixed move time ends this much early
constexpr int SPENT_NUMERATOR = 2;               // an iteration that ends after two thirds
constexpr int SPENT_DENOMINATOR = 3;             // of the budget is the last
constexpr int EASY_MOVE_FRACTION = 10;           // an easy move stops after a tenth of it
constexpr int SINGLE_MOVE_MIN_DEPTH = 3;         // a single playable move stops from this iteration on

// ---------------------------------------------------------------- transposition table
constexpr int HASH_MIN_MB = 1;
constexpr int HASH_MAX_MB = 1024;
