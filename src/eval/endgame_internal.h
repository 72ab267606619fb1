// The endgame data file behind probeEndgame, opened up for tests and tools.
#pragma once

#include <cstddef>

#include "eval/endgame_file.h"

// The loaded file, or null; the flag is set until the first lookup has tried to load it.
extern unsigned char* endgameTable;
extern bool endgameLoadPending;

// The file name looked for, first in the current directory, then in the
// executable's folder ("Endgame.bin"; tests point it elsewhere).
extern const char* endgameFileName;

// A new zero-filled block with the whole file and one zero byte behind it, or
// null; size (when given) receives the file's length.
unsigned char* readWholeFile(const char* path, std::size_t* size = nullptr);

// Loads the table from path (dropping any table loaded before); false, with
// no table, when path is not a regular file of the exact length, cannot be
// read, or does not hold the exact tables (its digest differs).
bool loadEndgameFile(const char* path);

// Drops the table and makes the next lookup look for the file again.
void forgetEndgameFile();
