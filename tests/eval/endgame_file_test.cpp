// Only the exact tables in a regular file are used: a pipe, a huge or short
// file and a file of the right size with other bytes all count as absent, and
// none of them holds the engine up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "board/board.h"
#include "eval/endgame_file.h"
#include "eval/eval.h"

namespace fs = std::filesystem;

TEST(EndgameFile, OnlyTheExactTablesInARegularFileAreUsed) {
  const fs::path folder = fs::temp_directory_path() / ("tavrolin-endgame-file-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const auto sized = [&](const char* name, std::uintmax_t size) {
    std::ofstream(folder / name, std::ios::binary) << 'x';
    fs::resize_file(folder / name, size);
    return folder / name;
  };
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  const fs::path refused[] = {folder / "pipe", folder, folder / "missing", sized("short", ENDGAME_FILE_SIZE - 1),
                              sized("huge", std::uintmax_t(600) << 20), sized("other", ENDGAME_FILE_SIZE)};
  for (const fs::path& path : refused) EXPECT_FALSE(loadEndgameFile(path.c_str())) << path;
  EXPECT_EQ(endgameEntry(0, QUEEN), ENDGAME_NO_ANSWER);
  // The generated file beside the engine is the one true table.
  EXPECT_TRUE(loadEndgameFile(TAVROLIN_ENDGAME_FILE));
  EXPECT_EQ(endgameEntry(0, QUEEN), ENTRY_IMPOSSIBLE);  // both kings on a1
  forgetEndgameFile();
  fs::remove_all(folder);
}
