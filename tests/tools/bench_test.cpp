// The bench tool's signature: the total node count of its fixed positions at
// a fixed depth changes only when the search's behaviour changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string runTool(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

}  // namespace

constexpr unsigned long long BENCH_SIGNATURE_DEPTH_5 = 875591;

TEST(Bench, SignatureAtDepthFiveIsTheRecordedOne) {
  const std::string output = runTool(std::string(TAVROLIN_BENCH_BINARY) + " 5");
  const size_t at = output.find("\nbench ");
  ASSERT_NE(at, std::string::npos) << output;
  const unsigned long long nodes = std::stoull(output.substr(at + 7));
  EXPECT_EQ(nodes, BENCH_SIGNATURE_DEPTH_5) << output.substr(at + 1);
}
