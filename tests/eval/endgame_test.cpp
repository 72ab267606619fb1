// The endgame data file: loading, folding, offsets and the meaning of its
// bytes, against a synthetic file that each test writes into a fresh folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "eval/endgame_internal.h"
#include "eval/eval.h"
#include "platform/platform.h"
#include "search/search_internal.h"

namespace fs = std::filesystem;

namespace {

// Two offsets worked out by hand, marked with bytes that no block number reaches.
constexpr unsigned ROOK_EXAMPLE_OFFSET = 114063;
constexpr unsigned QUEEN_EXAMPLE_OFFSET = 74736;
constexpr unsigned char ROOK_MARK = 250;
constexpr unsigned char QUEEN_MARK = 251;

// Every byte holds the number of its 8192-byte block (queen 0-9, rook 10-19,
// pawn 20-51), except the two marked bytes.
std::vector<unsigned char> syntheticTable() {
  std::vector<unsigned char> bytes(ENDGAME_FILE_SIZE);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = static_cast<unsigned char>(i / 8192);
  bytes[ROOK_EXAMPLE_OFFSET] = ROOK_MARK;
  bytes[QUEEN_EXAMPLE_OFFSET] = QUEEN_MARK;
  return bytes;
}

void writeFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

unsigned squareCode(const char* name) { return unsigned(name[0] - 'a') * 8 + unsigned(name[1] - '1'); }

unsigned packedIndex(const char* attackingKing, const char* defendingKing, const char* man, unsigned b) {
  return squareCode(attackingKing) * 8192 + squareCode(defendingKing) * 128 + squareCode(man) * 2 + b;
}

class EndgameData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fillKeyBlock(8192);
    initAttackTables();
  }

  void SetUp() override {
    std::random_device random;
    folder = fs::temp_directory_path() / ("tavrolin-endgame-" + std::to_string(random()));
    fs::create_directories(folder);
    previousFolder = fs::current_path();
    fs::current_path(folder);
    // A name found nowhere unless a test writes it.
    fileName = "endgame-test-" + std::to_string(random()) + ".bin";
    endgameFileName = fileName.c_str();
    forgetEndgameFile();
    ply = 0;
  }

  void TearDown() override {
    forgetEndgameFile();
    endgameFileName = "Endgame.bin";
    fs::current_path(previousFolder);
    fs::remove_all(folder);
    ply = 0;
  }

  static void setUp(const char* placementAndSide) {
    setupPosition((std::string("fen ") + placementAndSide + " - - 0 1").c_str());
  }

  fs::path folder;
  fs::path previousFolder;
  std::string fileName;
};

TEST_F(EndgameData, DrawsNeedNoFileAndAMissingFileGivesNoAnswer) {
  for (const char* drawn : {"4k3/8/8/8/8/8/8/4K3 w", "4k3/8/8/8/8/8/8/B3K3 w", "4k3/8/8/8/8/8/8/n3K3 w"}) {
    setUp(drawn);
    EXPECT_EQ(probeEndgame(), 0) << drawn;
  }
  // None of them needed the file, so it has not been looked for yet.
  EXPECT_TRUE(endgameLoadPending);
  setUp("4k3/8/8/8/8/8/8/Q3K3 w");
  EXPECT_EQ(probeEndgame(), ENDGAME_NO_ANSWER);
  EXPECT_FALSE(endgameLoadPending);
}

TEST_F(EndgameData, AShortFileCountsAsAbsentAndIsLookedForOnce) {
  std::vector<unsigned char> bytes = syntheticTable();
  bytes.resize(ENDGAME_FILE_SIZE - 1);
  writeFile(fileName, bytes);
  setUp("4k3/8/8/8/8/8/8/R3K3 w");
  EXPECT_EQ(probeEndgame(), ENDGAME_NO_ANSWER);
  // The whole file appears later in the run: it is not read any more.
  writeFile(fileName, syntheticTable());
  EXPECT_EQ(probeEndgame(), ENDGAME_NO_ANSWER);
  EXPECT_EQ(endgameEntry(packedIndex("e1", "e8", "a1", 1), ROOK), ENDGAME_NO_ANSWER);
  EXPECT_EQ(endgameTable, nullptr);
}

TEST_F(EndgameData, OffsetsWorkedOutByHand) {
  writeFile(fileName, syntheticTable());
  // White Ke1, black Ke8, white Ra1, white has just moved: index 267,137,
  // folded by files and the diagonal onto rook block 3, offset 114,063.
  EXPECT_EQ(packedIndex("e1", "e8", "a1", 1), 267137u);
  EXPECT_EQ(endgameEntry(267137, ROOK), ROOK_MARK);  // loads the file on the way
  EXPECT_NE(endgameTable, nullptr);
  // Black Kd5 and Qh8 against the white Ka1, white has just moved: the ranks
  // are mirrored for the black attacker, queen block 9, offset 74,736.
  EXPECT_EQ(endgameEntry(packedIndex("d5", "a1", "h8", 0) ^ 0xE38E, QUEEN), QUEEN_MARK);
}

TEST_F(EndgameData, ValueMeanings) {
  writeFile(fileName, syntheticTable());
  ASSERT_TRUE(loadEndgameFile(fileName.c_str()));
  // The attacker (white) has just moved: b = 1. The search is at ply 10.
  setUp("4k3/8/8/8/8/8/8/R3K3 w");
  ply = 10;
  unsigned char& rookByte = endgameTable[ROOK_EXAMPLE_OFFSET];
  const std::pair<unsigned char, int> meanings[] = {
      {0, 31989}, {5, 32000 - (10 + 10 + 1)}, {200, 32000 - (10 + 400 + 1)},
      {253, 0},   {201, ENDGAME_NO_ANSWER},   {255, ENDGAME_NO_ANSWER}};
  for (const auto& [entry, score] : meanings) {
    rookByte = entry;
    EXPECT_EQ(probeEndgame(), score) << int(entry);
  }

  // The defender (white) has just moved, the black attacker is to move: b = 0.
  setUp("7q/8/8/3k4/8/8/8/K7 w");
  ply = 10;
  unsigned char& queenByte = endgameTable[QUEEN_EXAMPLE_OFFSET];
  queenByte = 5;
  EXPECT_EQ(probeEndgame(), -31980);
  queenByte = 253;
  EXPECT_EQ(probeEndgame(), 0);
}

TEST_F(EndgameData, FoldingSelectsTheBlockOfTheAttackingKing) {
  writeFile(fileName, syntheticTable());
  ASSERT_TRUE(loadEndgameFile(fileName.c_str()));
  struct Case {
    const char* king;
    int type;
    int block;  // block number across the whole file
  };
  const Case cases[] = {
      {"a1", QUEEN, 0},      {"h8", QUEEN, 0},      {"b1", QUEEN, 1},  // b1 -> a2 across the diagonal
      {"a4", QUEEN, 3},      {"h5", QUEEN, 3},      {"e5", QUEEN, 9},  {"c3", QUEEN, 7},
      {"h1", ROOK, 10},      {"g6", ROOK, 15},      {"d4", ROOK, 19},
      {"h1", PAWN, 20 + 0},  {"a8", PAWN, 20 + 7},  {"e4", PAWN, 20 + 27}, {"d8", PAWN, 20 + 31},
  };
  for (const Case& c : cases) {
    // Defender and man on squares that no case moves onto the marked bytes.
    EXPECT_EQ(endgameEntry(packedIndex(c.king, "f3", "c6", 0), c.type), c.block) << c.king << " " << c.type;
    EXPECT_EQ(endgameEntry(packedIndex(c.king, "f3", "c6", 1), c.type), c.block) << c.king << " " << c.type;
  }
}

TEST_F(EndgameData, LooksInTheCurrentFolderFirstThenBesideTheProgram) {
  std::string programFolder = executableFolder();
  if (programFolder.empty()) GTEST_SKIP() << "the executable's folder is not known here";
  fs::path besideProgram = fs::path(programFolder) / fileName;

  std::vector<unsigned char> bytes = syntheticTable();
  bytes[ROOK_EXAMPLE_OFFSET] = 7;
  writeFile(besideProgram, bytes);
  setUp("4k3/8/8/8/8/8/8/R3K3 w");
  EXPECT_EQ(endgameEntry(267137, ROOK), 7);

  forgetEndgameFile();
  writeFile(fileName, syntheticTable());
  EXPECT_EQ(endgameEntry(267137, ROOK), ROOK_MARK);
  fs::remove(besideProgram);
}

}  // namespace
