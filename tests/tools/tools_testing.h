// Shared by the tools' tests: the solved endgame tables (solved once per run)
// and the output of a tool run as a program.
#pragma once

#include <sys/wait.h>

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

// Everything the command writes to standard output; its exit status goes to
// *status when given (-1 when it did not exit normally).
inline std::string outputOf(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int ended = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
  return output;
}
