// The protocol log of debug mode, through the real engine binary. (The
// conversations themselves are transcripts: tests/transcripts.)
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/engine_process.h"

namespace {

using Lines = std::vector<std::string>;

// Sends quit and expects the process to end with code 0.
void expectExit(EngineProcess& engine) {
  engine.sendLine("quit");
  EXPECT_EQ(engine.waitExit(10000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
}

// Whether the line starts with the time stamp "hh:mm:ss - ".
bool hasTimeStamp(const std::string& line) {
  if (line.size() < 11 || line[2] != ':' || line[5] != ':' || line.compare(8, 3, " - ") != 0) return false;
  for (int i : {0, 1, 3, 4, 6, 7}) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  }
  return true;
}

// The messages of the log, each line checked for its time stamp.
Lines logMessages(const EngineProcess& engine) {
  std::ifstream file(std::filesystem::path(engine.workDir()) / "LogBook.txt", std::ios::binary);
  Lines messages;
  for (std::string line; std::getline(file, line);) {
    EXPECT_TRUE(hasTimeStamp(line)) << line;
    messages.push_back(hasTimeStamp(line) ? line.substr(11) : line);
  }
  return messages;
}

TEST(Protocol, NoLogBookWithoutDebugMode) {
  EngineProcess engine;
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  expectExit(engine);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(engine.workDir()) / "LogBook.txt"));
}

TEST(Protocol, DebugModeWritesAFreshLogBook) {
  EngineProcess engine;
  std::ofstream(std::filesystem::path(engine.workDir()) / "LogBook.txt") << "an old line\n";
  engine.sendLine("debug on");
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  engine.sendLine("garbage  in\tthe line");
  engine.send("uci\n");
  ASSERT_TRUE(engine.waitFor("uciok"));
  engine.send("isr");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  engine.send("eady\n");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  engine.sendLine("debug off");
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  expectExit(engine);

  Lines messages = logMessages(engine);
  // The split isready may or may not have been read in two pieces; when it
  // was, the first piece is logged as an unfinished line.
  std::erase(messages, "Error: No CRLF in input buffer - Buffer=\"isr\"");
  Lines expected = {
      "Received: \"isready\"",
      "Processing: \"isready\" \"\"",
      "Engine to GUI: \"readyok\"",
      "Received: \"garbage in the line\"",
      "Processing: \"garbage\" \"in the line\"",
      "Error: Unknown command - \"garbage\" \"in the line\"",
      "Received: \"uci\"",
      "Processing: \"uci\" \"\"",
  };
  for (const char* line : {"id name Tavrolin 4.20", "id author Pemberlyn",
                           "option name Hash type spin default 1 min 1 max 1024",
                           "option name Ponder type check default true", "uciok"}) {
    expected.push_back(std::string("Engine to GUI: \"") + line + "\"");
  }
  for (const char* line : {"Received: \"isready\"", "Processing: \"isready\" \"\"", "Engine to GUI: \"readyok\"",
                           "Received: \"debug off\"", "Processing: \"debug\" \"off\""}) {
    expected.push_back(line);
  }
  EXPECT_EQ(messages, expected);
}

}  // namespace
