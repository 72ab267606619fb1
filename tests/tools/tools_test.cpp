// The endgame tables entry by entry on an independent 0x88 board and through
// the engine's lookup; the bench signature, the perft tool's counts and the
// command lines of the engine and every tool.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "eval/eval.h"
#include "search/search.h"
#include "egtb.h"

namespace {

const EndgameTables& solvedTables() {
  static const EndgameTables tables = solveAllEndings();
  return tables;
}

const std::vector<uint8_t>& tableOf(int man) {
  const EndgameTables& t = solvedTables();
  return man == EGTB_QUEEN ? t.queen : man == EGTB_ROOK ? t.rook : t.pawn;
}

// Standard output; the exit status goes to *status when given (-1 when the
// command did not exit normally).
std::string outputOf(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int ended = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
  return output;
}

int to0x88(int code) { return (code & 7) * 16 + (code >> 3); }
int toCode(int sq) { return (sq & 7) * 8 + (sq >> 4); }
bool offBoard(int sq) { return (sq & 0x88) != 0; }
bool touching(int a, int b) { return std::abs((a & 7) - (b & 7)) <= 1 && std::abs((a >> 4) - (b >> 4)) <= 1; }

const int steps[8] = {1, -1, 16, -16, 17, -17, 15, -15};

// Whether the man on m attacks target; only the attacking king can block it.
bool manHits(int man, int m, int target, int ak) {
  if (man == EGTB_PAWN) return target == m + 15 || target == m + 17;
  for (int d = 0; d < (man == EGTB_ROOK ? 4 : 8); ++d) {
    for (int sq = m + steps[d]; !offBoard(sq) && sq != ak; sq += steps[d]) {
      if (sq == target) return true;
    }
  }
  return false;
}

uint8_t entryAt(const std::vector<uint8_t>& table, int ak, int dk, int m, int b) {
  return table[endgameIndex(toCode(ak), toCode(dk), toCode(m), b)];
}

// The value an entry must hold, worked out from the entries after each move.
uint8_t expectedEntry(int man, int index) {
  const std::vector<uint8_t>& table = tableOf(man);
  int ak = to0x88(index >> 13), dk = to0x88((index >> 7) & 63), m = to0x88((index >> 1) & 63);
  int b = index & 1;
  bool pawnRankBad = man == EGTB_PAWN && ((m >> 4) == 0 || (m >> 4) == 7);
  if (ak == dk || touching(ak, dk) || m == ak || m == dk || pawnRankBad ||
      (b == 0 && manHits(man, m, dk, ak))) {
    return ENTRY_IMPOSSIBLE;
  }
  if (b == 1) {
    bool hasMove = false, escapes = false;
    int longest = 0;
    for (int step : steps) {
      int to = dk + step;
      if (offBoard(to) || touching(to, ak) || (to != m && manHits(man, m, to, ak))) continue;
      hasMove = true;
      const int after = to == m ? ENTRY_DRAW : entryAt(table, ak, to, m, 0);  // taking the man draws
      escapes = escapes || after > ENTRY_MAX_MATE;
      if (after <= ENTRY_MAX_MATE) longest = std::max(longest, after);
    }
    if (!hasMove) return manHits(man, m, dk, ak) ? 0 : ENTRY_DRAW;
    return escapes ? ENTRY_DRAW : uint8_t(longest);
  }
  bool hasMove = false;
  int best = ENTRY_DRAW;
  auto consider = [&](int after) {
    hasMove = true;
    if (after <= ENTRY_MAX_MATE) best = std::min(best, after + 1);
  };
  for (int step : steps) {
    int to = ak + step;
    if (!offBoard(to) && to != m && !touching(to, dk)) consider(entryAt(table, to, dk, m, 1));
  }
  if (man == EGTB_PAWN) {
    int push = m + 16;
    if (push != ak && push != dk) {
      if ((push >> 4) == 7) {
        consider(entryAt(solvedTables().queen, ak, dk, push, 1));
        consider(entryAt(solvedTables().rook, ak, dk, push, 1));
        consider(ENTRY_DRAW);  // a bishop or a knight
      } else {
        consider(entryAt(table, ak, dk, push, 1));
        const int doubleStep = push + 16;
        if ((m >> 4) == 1 && doubleStep != ak && doubleStep != dk) consider(entryAt(table, ak, dk, doubleStep, 1));
      }
    }
  } else {
    for (int d = 0; d < (man == EGTB_ROOK ? 4 : 8); ++d) {
      for (int to = m + steps[d]; !offBoard(to) && to != ak && to != dk; to += steps[d]) {
        consider(entryAt(table, ak, dk, to, 1));
      }
    }
  }
  return hasMove ? uint8_t(best) : ENTRY_DRAW;
}

const char* nameOf(int man) { return man == EGTB_QUEEN ? "queen" : man == EGTB_ROOK ? "rook" : "pawn"; }

}  // namespace

// Every entry agrees with the moves of its position. Together with the wins
// being counted down move by move this makes the tables exact: the shortest
// mated-in-n position that was wrongly called a draw would contradict a move.
TEST(EndgameGenerator, EveryEntryFollowsFromItsMoves) {
  for (int man : {EGTB_QUEEN, EGTB_ROOK, EGTB_PAWN}) {
    const std::vector<uint8_t>& table = tableOf(man);
    ASSERT_EQ(table.size(), size_t(ENDGAME_TABLE_SIZE));
    int wrong = 0;
    for (int index = 0; index < ENDGAME_TABLE_SIZE; ++index) {
      uint8_t expected = expectedEntry(man, index);
      if (table[index] != expected && ++wrong <= 5) {
        ADD_FAILURE() << nameOf(man) << " entry " << index << " is " << int(table[index]) << ", its moves give "
                      << int(expected);
      }
    }
    EXPECT_EQ(wrong, 0) << nameOf(man);
  }
}

// The file that the build places beside the engine, read back through the
// engine's own lookup and its folding: every index reads the entry of its
// position.
TEST(EndgameFile, TheFileBesideTheEngineHoldsEverySolvedEntry) {
  const auto path = std::filesystem::path(TAVROLIN_BINARY).parent_path() / "Endgame.bin";
  ASSERT_TRUE(loadEndgameFile(path.c_str())) << "build the endgame_file target first";
  for (int man : {EGTB_QUEEN, EGTB_ROOK, EGTB_PAWN}) {
    int wrong = 0;
    for (int index = 0; index < ENDGAME_TABLE_SIZE; ++index) {
      wrong += endgameEntry(unsigned(index), man) != tableOf(man)[index];
    }
    EXPECT_EQ(wrong, 0) << nameOf(man);
  }
  forgetEndgameFile();
}

// The total node count of the bench positions at a fixed depth changes only
// when the search's behaviour changes.
constexpr unsigned long long BENCH_SIGNATURE_DEPTH_5 = 875243;

TEST(Bench, SignatureAtDepthFiveIsTheRecordedOne) {
  const std::string output = outputOf(TAVROLIN_BENCH_BINARY " 5");
  const size_t at = output.find("\nbench ");
  ASSERT_NE(at, std::string::npos) << output;
  EXPECT_EQ(std::stoull(output.substr(at + 7)), BENCH_SIGNATURE_DEPTH_5) << output.substr(at + 1);
}

// Published counts at shallow depths; the full runs are the tool's own job.
TEST(PerftTool, PrintsThePublishedCounts) {
  const std::pair<const char*, const char*> runs[] = {
      {"4 startpos", "197281\n"},
      {"3 fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "97862\n"},
      {"4 fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", "2103487\n"},
      {"5 fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "674624\n"},
      {"2 fen 8/k7/8/8/3Pp3/8/8/4K1B1 b - d3 0 1", "52\n"},  // taking en passant uncovers the king
      // Castling and en-passant fields that grant or deny what the board alone would allow.
      {"6 fen 8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", "1440467\n"},
      {"6 fen 5k2/8/8/8/8/8/8/4K2R w K - 0 1", "661072\n"},
      {"6 fen 3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "803711\n"},
      {"4 fen r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", "1720476\n"},
  };
  for (const auto& [arguments, count] : runs) {
    EXPECT_EQ(outputOf(std::string(TAVROLIN_PERFT_BINARY) + " " + arguments + " 2>/dev/null"), count) << arguments;
  }
}

// What the engine and the tools answer on their command line, run from an
// empty folder that must stay empty: no program writes a file it was not
// asked to write. Each row: the command, its exit status, and text that its
// standard output (or, with 2>&1 >/dev/null, its standard error) contains.
TEST(CommandLine, AnswersHelpAndVersionAndRefusesWhatItCannotRead) {
  const std::string engine = TAVROLIN_BINARY, bench = TAVROLIN_BENCH_BINARY, perft = TAVROLIN_PERFT_BINARY,
                    egtb = TAVROLIN_EGTB_BINARY, soak = TAVROLIN_SOAK_BINARY, errors = " 2>&1 >/dev/null";
  const std::filesystem::path enginePath = engine;
  const struct {
    std::string command;
    int status;
    std::string text;
  } rows[] = {
      {engine + " --version", 0, "Tavrolin 4.20\n"},
      {engine + " --help", 0, "usage: tavrolin "},
      {engine + " bench 5", 0, "\nbench " + std::to_string(BENCH_SIGNATURE_DEPTH_5) + " nodes "},
      {engine + " --bogus" + errors, 2, "usage: tavrolin "},
      {engine + " bench 5x" + errors, 2, "tavrolin: cannot use \"5x\"\nusage: tavrolin "},
      {engine + " bench 5 6" + errors, 2, "usage: tavrolin "},
      // The depths run from 1 to 62; each position's line names its best move.
      {engine + " bench 1", 0, "nodes  bestmove h5f7 "},
      {engine + " bench 0" + errors, 2, "tavrolin: cannot use \"0\""},
      {engine + " bench 63" + errors, 2, "tavrolin: cannot use \"63\""},
      {bench + " --help", 0, "usage: tavrolin-bench"},
      {bench + " five" + errors, 2, "usage: tavrolin-bench"},
      {perft + " --help", 0, "usage: tavrolin-perft"},
      {perft + " 2 'startpos moves e2e4' --divide 2>/dev/null", 0, "h7h5: 30\n\n600\n"},
      {perft + " 9 garbage" + errors, 2, "a position starts with \"startpos\" or \"fen\""},  // a depth of 9 is read
      {perft + " 1 startpos moves e2e4 e2e4" + errors, 2, "\"e2e4\" is not a legal move"},
      {perft + " 1 fen 8/8/8/8/8/8/8/8 w - - 0 1" + errors, 2, "position rejected"},
      {perft + " two" + errors, 2, "DEPTH must be a number"},
      {perft + " 2 startpos --frob" + errors, 2, "unknown option \"--frob\""},
      {egtb + " --help", 0, "usage: tavrolin-egtb"},
      {egtb + " --out x.bin" + errors, 2, "usage: tavrolin-egtb"},
      {egtb + " a.bin b.bin" + errors, 2, "usage: tavrolin-egtb"},
      {soak + " --help", 0, "usage: tavrolin-soak"},
      {soak + " --games 3x" + errors, 2, "usage: tavrolin-soak"},
      {soak + " --engine ./no-engine" + errors, 2, "cannot run the engine ./no-engine"},
      {"cd '" + enginePath.parent_path().string() + "' && " + soak + " --engine ./" + enginePath.filename().string() +
           " --games 1 --max-plies 14 --time 3000 --inc 0 --ponder", 0, "faults: crashes 0, hangs 0,"},  // a relative path; pondering
  };
  const auto folder = std::filesystem::temp_directory_path() / ("tavrolin-command-line-" + std::to_string(getpid()));
  std::filesystem::create_directory(folder);
  for (const auto& row : rows) {
    int status = -1;
    const std::string output = outputOf("cd '" + folder.string() + "' && " + row.command, &status);
    EXPECT_EQ(status, row.status) << row.command;
    EXPECT_NE(output.find(row.text), std::string::npos) << row.command << "\n" << output;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
}
