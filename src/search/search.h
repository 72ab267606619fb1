// The search: think driver, table set-up and the bestmove report.
#pragma once

#include <cstdint>

#include "common/golimits.h"

// Hooks of the UCI host.
void think(const GoLimits& go);      // "go"
void reportBestMove(int stopped);    // after "go", "ponderhit", "stop"
void prepareTables();                // "isready"
void releaseTables();                // "quit"

// For tools: runs the think driver on the current position to a fixed
// iteration depth without a clock and without output; returns the node count.
uint64_t searchToDepth(int depth);
