// Shared by the tools' tests: the solved endgame tables (solved once per run)
// and the output of a tool run as a program.
#pragma once

#include <cstdio>
#include <string>

#include "egtb.h"

inline const EndgameTables& solvedTables() {
  static const EndgameTables tables = solveAllEndings();
  return tables;
}

inline const std::vector<uint8_t>& tableOf(int man) {
  const EndgameTables& t = solvedTables();
  return man == EGTB_QUEEN ? t.queen : man == EGTB_ROOK ? t.rook : t.pawn;
}

// Everything the command writes to standard output.
inline std::string outputOf(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}
