// The generated file read back through the engine's own lookup: every entry
// through the engine's folding, and classic positions set up by FEN, each also
// mirrored so that black is the attacking side.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "board/board.h"
#include "egtb.h"
#include "eval/endgame_internal.h"
#include "eval/eval.h"
#include "search/search.h"

namespace {

// Writes the generated file to a folder of its own and loads it into the engine.
class EngineLookup : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    prepareTables();
    tables = new EndgameTables(solveAllEndings());
    folder = std::filesystem::temp_directory_path() / "tavrolin_egtb_engine_test";
    std::filesystem::create_directories(folder);
    std::string path = (folder / "Endgame.bin").string();
    ASSERT_TRUE(writeEndgameFile(packEndgameFile(*tables), path.c_str()));
    ASSERT_TRUE(loadEndgameFile(path.c_str()));
  }
  static void TearDownTestSuite() {
    forgetEndgameFile();
    std::filesystem::remove_all(folder);
    delete tables;
  }
  static EndgameTables* tables;
  static std::filesystem::path folder;
};

EndgameTables* EngineLookup::tables = nullptr;
std::filesystem::path EngineLookup::folder;

// The same position with the colours exchanged and the board turned upside
// down: the ranks of the FEN in reverse order, white and black swapped.
std::string mirrored(const std::string& fen) {
  std::string placement = fen.substr(0, fen.find(' '));
  std::string rest = fen.substr(fen.find(' '));
  std::string flipped;
  for (size_t end = placement.size(); end != std::string::npos;) {
    size_t start = placement.rfind('/', end - 1);
    size_t from = start == std::string::npos ? 0 : start + 1;
    if (!flipped.empty()) flipped += '/';
    flipped += placement.substr(from, end - from);
    end = start;
  }
  for (char& c : flipped) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
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
  int score = probeEndgame();
  std::swap(position.side, position.xside);
  if (score == ENDGAME_NO_ANSWER) return "no answer";
  if (score == 0) return "draw";
  // The mover's mate score counts the plies from its move to the mate.
  int plies = MATE_SCORE - std::abs(score) - 1;
  return score < 0 ? "mates in " + std::to_string((plies + 1) / 2) : "mated after " + std::to_string(plies / 2);
}

bool wins(const std::string& result) { return result.rfind("mates in ", 0) == 0; }
bool loses(const std::string& result) { return result.rfind("mated after ", 0) == 0; }

}  // namespace

// Every entry that the engine's folding reads is the entry of the position
// itself, so the folded file holds the same answer for all the symmetric
// positions of one block.
TEST_F(EngineLookup, EveryIndexReadsTheEntryOfItsPosition) {
  for (int man : {EGTB_QUEEN, EGTB_ROOK, EGTB_PAWN}) {
    const std::vector<uint8_t>& table = man == EGTB_QUEEN ? tables->queen : man == EGTB_ROOK ? tables->rook : tables->pawn;
    int wrong = 0;
    for (int index = 0; index < EGTB_TABLE_SIZE; ++index) {
      wrong += endgameEntry(unsigned(index), man) != table[index];
    }
    EXPECT_EQ(wrong, 0) << "man " << man;
  }
}

TEST_F(EngineLookup, ClassicPawnEndings) {
  for (bool blackAttacks : {false, true}) {
    auto result = [&](const std::string& fen) { return lookup(blackAttacks ? mirrored(fen) : fen); };
    SCOPED_TRACE(blackAttacks ? "black attacks" : "white attacks");
    // A rook's pawn with the defending king in front: a draw whoever moves.
    EXPECT_EQ(result("k7/8/8/PK6/8/8/8/8 w - - 0 1"), "draw");
    EXPECT_EQ(result("k7/8/8/PK6/8/8/8/8 b - - 0 1"), "draw");
    EXPECT_EQ(result("7k/8/8/8/7P/8/6K1/8 w - - 0 1"), "draw");
    // The king on the sixth rank in front of its pawn wins whoever moves.
    EXPECT_TRUE(wins(result("4k3/8/4K3/4P3/8/8/8/8 w - - 0 1")));
    EXPECT_TRUE(loses(result("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1")));
    // King in front of the pawn, kings facing: whoever must give way loses the opposition.
    EXPECT_EQ(result("8/4k3/8/4K3/4P3/8/8/8 w - - 0 1"), "draw");
    EXPECT_TRUE(loses(result("8/4k3/8/4K3/4P3/8/8/8 b - - 0 1")));
    // The race against the defending king: with the double step the pawn
    // escapes the king on a5, the king on c5 catches it.
    EXPECT_TRUE(loses(result("8/8/8/k7/8/8/7P/7K b - - 0 1")));
    EXPECT_EQ(result("8/8/8/2k5/8/8/7P/7K b - - 0 1"), "draw");
    // Promotion mates at once; the attacking king stuck in front of its pawn is stalemated.
    EXPECT_EQ(result("k7/2P5/1K6/8/8/8/8/8 w - - 0 1"), "mates in 1");
    EXPECT_EQ(result("7K/5k1P/8/8/8/8/8/8 w - - 0 1"), "draw");
  }
}

TEST_F(EngineLookup, TakingAnUndefendedManDraws) {
  for (bool blackAttacks : {false, true}) {
    auto result = [&](const std::string& fen) { return lookup(blackAttacks ? mirrored(fen) : fen); };
    SCOPED_TRACE(blackAttacks ? "black attacks" : "white attacks");
    EXPECT_EQ(result("8/8/4k3/3R4/8/8/8/K7 b - - 0 1"), "draw");
    EXPECT_TRUE(wins(result("8/8/4k3/3R4/8/8/8/K7 w - - 0 1")));
    EXPECT_TRUE(loses(result("8/8/4k3/3R4/2K5/8/8/8 b - - 0 1")));  // the king guards the rook
    EXPECT_EQ(result("8/8/3k4/3Q4/8/8/8/K7 b - - 0 1"), "draw");     // a queen giving check next to the king
    EXPECT_EQ(result("8/8/3k4/3P4/8/8/8/K7 b - - 0 1"), "draw");
  }
}

TEST_F(EngineLookup, StalemateTrapsWithTheQueen) {
  for (bool blackAttacks : {false, true}) {
    auto result = [&](const std::string& fen) { return lookup(blackAttacks ? mirrored(fen) : fen); };
    SCOPED_TRACE(blackAttacks ? "black attacks" : "white attacks");
    // Qb6 would stalemate; Qb7 mates at once.
    EXPECT_EQ(result("k7/8/2K5/8/8/8/8/1Q6 w - - 0 1"), "mates in 1");
    EXPECT_EQ(result("k7/8/1QK5/8/8/8/8/8 b - - 0 1"), "draw");
    EXPECT_EQ(result("k7/1Q6/2K5/8/8/8/8/8 b - - 0 1"), "mated after 0");
    // The queen alone against the cornered king: stalemate, and with the
    // attacking side to move a long way round.
    EXPECT_EQ(result("7k/8/6Q1/8/8/8/8/K7 b - - 0 1"), "draw");
    EXPECT_TRUE(wins(result("7k/8/6Q1/8/8/8/8/K7 w - - 0 1")));
    // The same trap with the rook.
    EXPECT_EQ(result("k1K5/7R/8/8/8/8/8/8 b - - 0 1"), "draw");
  }
}
