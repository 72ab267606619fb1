// The endgame data file behind probeEndgame, opened up for tests and tools.
#pragma once

#include <cstddef>

// The exact length of "Endgame.bin"; a file of any other length counts as absent.
constexpr std::size_t ENDGAME_FILE_SIZE = 425984;

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
// no table, when the file is missing, unreadable or not of the exact length.
bool loadEndgameFile(const char* path);

// Drops the table and makes the next lookup look for the file again.
void forgetEndgameFile();
