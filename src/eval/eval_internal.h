// The evaluation's weight tables and constants, shared with its tests.
#pragma once

#include <cstdint>

// attackWeight[looking man][0 = empty square reached, 1..6 = enemy man attacked].
extern int16_t attackWeight[7][7];
void initEvalTables();  // runs before main
// The evaluation's portable copy; evaluate() runs a copy that counts bits in
// one instruction where the processor can.
int evaluatePortable();

extern const int pawnFileWeight[8];
extern const int pawnRankBonus[8];    // by relative rank
extern const int passedPawnBonus[8];  // by relative rank
extern const int centreDistance[8];   // by file or rank
extern const uint8_t fileBit[8];      // the a-file in the top bit

constexpr int doubledPawnPenalty = -8;
constexpr int isolatedPawnPenalty = -20;
constexpr int isolatedDoubledPenalty = -40;
constexpr int seventhRankBase = 7;
constexpr int tempoBonus = 20;
constexpr int pawnGuardBonus = 3;
constexpr int pawnNeighbourBonus = 6;
constexpr int rookBehindPasserBonus = 8;
