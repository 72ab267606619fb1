// tavrolin-egtb [PATH]: computes the endgame data file and writes it to PATH,
// by default "Endgame.bin" in the current directory.
#include <cstdio>
#include <cstring>

#include "common/common.h"
#include "egtb.h"

namespace {

constexpr const char* USAGE =
    "usage: tavrolin-egtb [PATH]\n"
    "Solves the endings of king and queen, rook or pawn against king and writes the\n"
    "endgame file to PATH (default: Endgame.bin in the current folder). The engine\n"
    "reads it from its working folder or from its own folder.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  // A file name that starts with '-' is taken for a mistaken option: the tool
  // writes no file it was not plainly asked to write.
  if (argc > 2 || (argc == 2 && argv[1][0] == '-')) return refuseArgument("tavrolin-egtb", argv[argc - 1], USAGE);
  const char* path = argc == 2 ? argv[1] : "Endgame.bin";
  EndgameTables tables = solveAllEndings();
  if (!writeEndgameFile(packEndgameFile(tables), path)) {
    std::fprintf(stderr, "tavrolin-egtb: cannot write %s\n", path);
    return 1;
  }
  const char* names[3] = {"KQK", "KRK", "KPK"};
  const std::vector<uint8_t>* sections[3] = {&tables.queen, &tables.rook, &tables.pawn};
  for (int i = 0; i < 3; ++i) {
    SectionFigures f = sectionFigures(*sections[i]);
    std::printf("%s  attacker to move: %ld legal, %ld won, %ld drawn, longest mate %d"
                "  |  defender to move: %ld legal, %ld lost, %ld drawn, longest mate %d\n",
                names[i], f.legal[0], f.wins[0], f.draws[0], f.longestMate[0], f.legal[1], f.wins[1],
                f.draws[1], f.longestMate[1]);
  }
  std::printf("%s written (%zu bytes)\n", path, ENDGAME_FILE_SIZE);
  return 0;
}
