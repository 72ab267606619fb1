#include "platform/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/common.h"

namespace {

std::filesystem::path scratchFile(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("tavrolin-platform-" + std::to_string(getpid()) + "-" + name);
}

void* refuseAllocation(unsigned) { return nullptr; }

TEST(ReadWholeFile, ReadsEveryByteOrGivesNull) {
  const auto path = scratchFile("data");
  const std::string bytes("\x00\x01\xFFhello\n", 8);
  std::ofstream(path, std::ios::binary) << bytes;
  std::size_t size = 0;
  unsigned char* block = readWholeFileWith(path.c_str(), allocZeroed, size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), size), bytes);
  EXPECT_EQ(block[size], 0);  // zero-terminated
  std::free(block);

  // No block to read into, a missing file, an empty one and a folder.
  const auto empty = scratchFile("empty");
  std::ofstream(empty).close();
  size = 99;
  EXPECT_EQ(readWholeFileWith(path.c_str(), refuseAllocation, size), nullptr);
  EXPECT_EQ(size, 0u);
  for (const auto& other : {scratchFile("missing"), empty, std::filesystem::temp_directory_path()}) {
    EXPECT_EQ(readWholeFileWith(other.c_str(), allocZeroed, size), nullptr) << other;
  }
  std::filesystem::remove(path);
  std::filesystem::remove(empty);
}

TEST(ReadStandardInput, ReadsRawBytesThenReportsTheEnd) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const int savedInput = dup(STDIN_FILENO);
  dup2(pipeEnds[0], STDIN_FILENO);
  close(pipeEnds[0]);
  ASSERT_EQ(write(pipeEnds[1], "is\rready\n", 9), 9);
  close(pipeEnds[1]);

  char buffer[64];
  auto next = [&](std::size_t most) {
    const long count = readStandardInput(buffer, most);
    return count < 0 ? std::string("error") : std::string(buffer, std::size_t(count));
  };
  const std::string first = next(4), second = next(sizeof buffer), end = next(sizeof buffer);
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  EXPECT_EQ(first, "is\rr");
  EXPECT_EQ(second, "eady\n");
  EXPECT_EQ(end, "");
}

std::atomic<int> threadRan{0};

TEST(StartRaisedThread, RunsTheRoutineOnAnotherThread) {
  ASSERT_TRUE(startRaisedThread([] { threadRan = 1; }));
  for (int waited = 0; threadRan == 0 && waited < 5000; waited += 10) sleepMs(10);
  EXPECT_EQ(threadRan, 1);
}

TEST(Clock, TickCountFollowsSleeping) {
  const uint32_t before = tickCount();
  sleepMs(30);
  const uint32_t elapsed = tickCount() - before;  // unsigned difference survives the wrap
  EXPECT_GE(elapsed, 30u);
}

TEST(ExecutableFolder, NamesTheFolderOfThisProgram) {
  const std::string folder = executableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "test_platform"));
}

}  // namespace
