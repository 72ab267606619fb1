// The generated file read back through the engine's own lookup: every entry
// through the engine's folding, and classic positions set up by FEN, each also
// mirrored so that black is the attacking side.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

#include "board/board.h"
#include "tools_testing.h"
#include "eval/endgame_internal.h"
#include "eval/eval.h"
#include "search/search.h"

namespace {

// Writes the generated file to a folder of its own and loads it into the engine.
class EngineLookup : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    prepareTables();
    std::filesystem::create_directories(folder());
    const std::string path = (folder() / "Endgame.bin").string();
    ASSERT_TRUE(writeEndgameFile(packEndgameFile(solvedTables()), path.c_str()));
    ASSERT_TRUE(loadEndgameFile(path.c_str()));
  }
  static void TearDownTestSuite() {
    forgetEndgameFile();
    std::filesystem::remove_all(folder());
  }
  static std::filesystem::path folder() {
    return std::filesystem::temp_directory_path() / ("tavrolin_egtb_engine_test_" + std::to_string(getpid()));
  }
};

// The same position with the colours exchanged and the board turned upside down.
std::string mirrored(const std::string& fen) {
  std::stringstream ranks(fen.substr(0, fen.find(' ')));
  std::string flipped;
  for (std::string rank; std::getline(ranks, rank, '/');) flipped = flipped.empty() ? rank : rank + "/" + flipped;
  for (char& c : flipped) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
  std::string rest = fen.substr(fen.find(' '));
  rest[1] = rest[1] == 'w' ? 'b' : 'w';
  return flipped + rest;
}

// The result for the side to move as the engine's lookup gives it:
// "draw", "mates in N" (moves), "mated after N" (attacking moves after its
// reply; 0: checkmated now) or "no answer".
std::string lookup(const std::string& fen) {
  setupPosition(("fen " + fen).c_str());
  // The search asks right after a move: the side not to move has just moved.
  std::swap(position.side, position.xside);
  ply = 0;
  const int score = probeEndgame();
  std::swap(position.side, position.xside);
  if (score == ENDGAME_NO_ANSWER) return "no answer";
  if (score == 0) return "draw";
  // The mover's mate score counts the plies from its move to the mate.
  const int plies = MATE_SCORE - std::abs(score) - 1;
  return score < 0 ? "mates in " + std::to_string((plies + 1) / 2) : "mated after " + std::to_string(plies / 2);
}

// Each position as given and mirrored so that black attacks. An expected
// "wins" or "loses" stands for any "mates in" or "mated after".
void expectForEitherAttacker(std::initializer_list<std::pair<const char*, std::string>> cases) {
  for (bool blackAttacks : {false, true}) {
    for (const auto& [fen, expected] : cases) {
      const std::string result = lookup(blackAttacks ? mirrored(fen) : fen);
      const bool ok = expected == "wins"    ? result.rfind("mates in ", 0) == 0
                      : expected == "loses" ? result.rfind("mated after ", 0) == 0
                                            : result == expected;
      EXPECT_TRUE(ok) << fen << (blackAttacks ? ", mirrored" : "") << ": " << result << ", not " << expected;
    }
  }
}

}  // namespace

// Every entry that the engine's folding reads is the entry of the position
// itself, so the folded file holds the same answer for all the symmetric
// positions of one block.
TEST_F(EngineLookup, EveryIndexReadsTheEntryOfItsPosition) {
  for (int man : {EGTB_QUEEN, EGTB_ROOK, EGTB_PAWN}) {
    int wrong = 0;
    for (int index = 0; index < EGTB_TABLE_SIZE; ++index) {
      wrong += endgameEntry(unsigned(index), man) != tableOf(man)[index];
    }
    EXPECT_EQ(wrong, 0) << "man " << man;
  }
}

TEST_F(EngineLookup, ClassicPawnEndings) {
  expectForEitherAttacker({
      // A rook's pawn with the defending king in front: a draw whoever moves.
      {"k7/8/8/PK6/8/8/8/8 w - - 0 1", "draw"},
      {"k7/8/8/PK6/8/8/8/8 b - - 0 1", "draw"},
      {"7k/8/8/8/7P/8/6K1/8 w - - 0 1", "draw"},
      // The king on the sixth rank in front of its pawn wins whoever moves.
      {"4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", "wins"},
      {"4k3/8/4K3/4P3/8/8/8/8 b - - 0 1", "loses"},
      // King in front of the pawn, kings facing: whoever must give way loses the opposition.
      {"8/4k3/8/4K3/4P3/8/8/8 w - - 0 1", "draw"},
      {"8/4k3/8/4K3/4P3/8/8/8 b - - 0 1", "loses"},
      // The race: with the double step the pawn escapes the king on a5; the king on c5 catches it.
      {"8/8/8/k7/8/8/7P/7K b - - 0 1", "loses"},
      {"8/8/8/2k5/8/8/7P/7K b - - 0 1", "draw"},
      // Promotion mates at once; the attacking king stuck in front of its pawn is stalemated.
      {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "mates in 1"},
      {"7K/5k1P/8/8/8/8/8/8 w - - 0 1", "draw"},
  });
}

TEST_F(EngineLookup, TakingAnUndefendedManDraws) {
  expectForEitherAttacker({
      {"8/8/4k3/3R4/8/8/8/K7 b - - 0 1", "draw"},
      {"8/8/4k3/3R4/8/8/8/K7 w - - 0 1", "wins"},
      {"8/8/4k3/3R4/2K5/8/8/8 b - - 0 1", "loses"},  // the king guards the rook
      {"8/8/3k4/3Q4/8/8/8/K7 b - - 0 1", "draw"},     // a queen giving check next to the king
      {"8/8/3k4/3P4/8/8/8/K7 b - - 0 1", "draw"},
  });
}

TEST_F(EngineLookup, StalemateTrapsWithTheQueen) {
  expectForEitherAttacker({
      // Qb6 would stalemate; Qb7 mates at once.
      {"k7/8/2K5/8/8/8/8/1Q6 w - - 0 1", "mates in 1"},
      {"k7/8/1QK5/8/8/8/8/8 b - - 0 1", "draw"},
      {"k7/1Q6/2K5/8/8/8/8/8 b - - 0 1", "mated after 0"},
      // The queen alone against the cornered king: stalemate, and with the
      // attacking side to move a long way round.
      {"7k/8/6Q1/8/8/8/8/K7 b - - 0 1", "draw"},
      {"7k/8/6Q1/8/8/8/8/K7 w - - 0 1", "wins"},
      // The same trap with the rook.
      {"k1K5/7R/8/8/8/8/8/8 b - - 0 1", "draw"},
  });
}
