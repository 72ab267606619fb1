// The engine as the UCI host sees it: the routines behind its hooks, the
// signals that reach a running search, and the output it reports through.
#pragma once

#include <cstdint>

#include "common/golimits.h"

// Where the engine's lines go; main fills it before the first command.
struct EngineOutput {
  void (*sendLine)(const char* line);  // one protocol line, without its line end
  // Called once per go when the root moves are collected: from then on
  // "stop" and "ponderhit" may reach the search.
  void (*searchStarted)();
};
void setEngineOutput(const EngineOutput& output);

void think(const GoLimits& go);           // "go"; returns when the search is over
void reportBestMove(int stopped);         // the bestmove line of the last go
void setPosition(const char* args);       // "position"; a refusal is reported
void prepareTables(int hashMegabytes);    // "isready"
void releaseTables();                     // "quit"

// Signals from the input thread while a search runs.
void stopSearch();  // end the search now
void ponderHit();   // the go's limits apply from now on

// For tools: runs the think driver on the current position to a fixed
// iteration depth without a clock and without output; returns the node count.
uint64_t searchToDepth(int depth);
// The best move of the last search as text, "0000" when it has none.
const char* bestMoveText();
