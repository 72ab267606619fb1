#include "platform/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
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

TEST(ReadWholeFile, ReadsEveryByteIntoAZeroTerminatedBlock) {
  const auto path = scratchFile("data");
  const std::string bytes("\x00\x01\xFFhello\n", 8);
  std::ofstream(path, std::ios::binary) << bytes;
  std::size_t size = 0;
  unsigned char* block = readWholeFileWith(path.c_str(), allocZeroed, size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), size), bytes);
  EXPECT_EQ(block[size], 0);
  std::free(block);

  size = 99;
  EXPECT_EQ(readWholeFileWith(path.c_str(), refuseAllocation, size), nullptr);
  EXPECT_EQ(size, 0u);
  std::filesystem::remove(path);
}

TEST(ReadWholeFile, GivesNullForMissingEmptyAndNonRegularFiles) {
  std::size_t size = 99;
  EXPECT_EQ(readWholeFileWith(scratchFile("missing").c_str(), allocZeroed, size), nullptr);
  EXPECT_EQ(size, 0u);

  const auto empty = scratchFile("empty");
  std::ofstream(empty).close();
  EXPECT_EQ(readWholeFileWith(empty.c_str(), allocZeroed, size), nullptr);
  std::filesystem::remove(empty);

  EXPECT_EQ(readWholeFileWith(std::filesystem::temp_directory_path().c_str(), allocZeroed, size), nullptr);
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
  const long first = readStandardInput(buffer, 4);
  const std::string firstBytes(buffer, first > 0 ? first : 0);
  const long second = readStandardInput(buffer, sizeof buffer);
  const std::string secondBytes(buffer, second > 0 ? second : 0);
  const long end = readStandardInput(buffer, sizeof buffer);
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);

  EXPECT_EQ(firstBytes, "is\rr");
  EXPECT_EQ(secondBytes, "eady\n");
  EXPECT_EQ(end, 0);
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
