// The bench and perft tools run as programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "tools_testing.h"

// The total node count of the bench positions at a fixed depth changes only
// when the search's behaviour changes.
constexpr unsigned long long BENCH_SIGNATURE_DEPTH_5 = 875591;

TEST(Bench, SignatureAtDepthFiveIsTheRecordedOne) {
  const std::string output = outputOf(TAVROLIN_BENCH_BINARY " 5");
  const size_t at = output.find("\nbench ");
  ASSERT_NE(at, std::string::npos) << output;
  EXPECT_EQ(std::stoull(output.substr(at + 7)), BENCH_SIGNATURE_DEPTH_5) << output.substr(at + 1);
}

// Published counts at shallow depths (the last one: castling rights come from
// the history, see the board tests); the full runs are the tool's own job.
TEST(PerftTool, PrintsThePublishedCounts) {
  const std::pair<const char*, const char*> runs[] = {
      {"4 startpos", "197281\n"},
      {"3 fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "97862\n"},
      {"4 fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", "2103656\n"},
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
  const struct {
    std::string command;
    int status;
    std::string text;
  } rows[] = {
      {engine + " --version", 0, "Tavrolin 4.20\n"},
      {engine + " --help", 0, "usage: tavrolin "},
      {engine + " bench 5", 0, "\nbench 875591 nodes "},  // the bench tool's signature
      {engine + " --bogus" + errors, 2, "usage: tavrolin "},
      {engine + " bench 5x" + errors, 2, "usage: tavrolin "},
      {engine + " bench 5 6" + errors, 2, "usage: tavrolin "},
      {bench + " --help", 0, "usage: tavrolin-bench"},
      {bench + " five" + errors, 2, "usage: tavrolin-bench"},
      {perft + " --help", 0, "usage: tavrolin-perft"},
      {perft + " 2 'startpos moves e2e4' --divide 2>/dev/null", 0, "h7h5: 30\n\n600\n"},
      {perft + " 1 garbage" + errors, 2, "a position starts with \"startpos\" or \"fen\""},
      {perft + " 1 startpos moves e2e4 e2e4" + errors, 2, "\"e2e4\" is not a legal move"},
      {perft + " 1 fen 8/8/8/8/8/8/8/8 w - - 0 1" + errors, 2, "cannot set up"},
      {perft + " two" + errors, 2, "DEPTH must be a number"},
      {perft + " 2 startpos --frob" + errors, 2, "unknown option \"--frob\""},
      {egtb + " --help", 0, "usage: tavrolin-egtb"},
      {egtb + " --out x.bin" + errors, 2, "usage: tavrolin-egtb"},
      {egtb + " a.bin b.bin" + errors, 2, "usage: tavrolin-egtb"},
      {soak + " --help", 0, "usage: tavrolin-soak"},
      {soak + " --games 3x" + errors, 2, "usage: tavrolin-soak"},
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
