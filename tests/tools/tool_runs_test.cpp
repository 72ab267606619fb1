// The bench and perft tools run as programs.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tools_testing.h"

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
  };
  for (const auto& [arguments, count] : runs) {
    EXPECT_EQ(outputOf(std::string(TAVROLIN_PERFT_BINARY) + " " + arguments + " 2>/dev/null"), count) << arguments;
  }
}
