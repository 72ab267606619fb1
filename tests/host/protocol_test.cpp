// The host's side of the protocol, through the real engine binary.
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

const Lines uciAnswer = {
    "id name Tavrolin 4.20",
    "id author Pemberlyn",
    "option name Hash type spin default 1 min 1 max 1024",
    "option name Ponder type check default true",
    "uciok",
};

// Everything the engine prints up to the answer of a final "uci" (its id
// lines and uciok excluded), which marks the end of the lines before it.
Lines answersBefore(EngineProcess& engine) {
  engine.sendLine("uci");
  Lines seen;
  EXPECT_TRUE(engine.waitFor("uciok", 10000, &seen));
  EXPECT_GE(seen.size(), uciAnswer.size());
  seen.resize(seen.size() >= uciAnswer.size() ? seen.size() - uciAnswer.size() : 0);
  return seen;
}

// Sends quit and expects the process to end with code 0 within a second (a
// sanitizer build's own pause at exit aside).
void expectQuickExit(EngineProcess& engine, bool closeInsteadOfQuit = false) {
  if (closeInsteadOfQuit) {
    engine.closeInput();
  } else {
    engine.sendLine("quit");
  }
  EXPECT_EQ(engine.waitExit(1000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
}

TEST(Protocol, IsreadyWhateverItsLineEndAndWordsInAnyCaseUnknownWordsSilent) {
  EngineProcess engine;
  engine.send("isready\r\nisready\nisready\risready\n\r");
  // Split over two writes, and a line end split from its line.
  engine.send("isr");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  engine.send("eady\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  engine.send("\nISREADY\nucinewgame\nregister later\ngarbage in\nIsReady\ndebug\n");
  EXPECT_EQ(answersBefore(engine), Lines(7, "readyok"));
  engine.sendLine("Quit");
  EXPECT_EQ(engine.waitExit(1000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
  // No log without debug mode.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(engine.workDir()) / "LogBook.txt"));
}

// The id and option lines in order, then uciok; quit and the end of input
// both end the process at once.
TEST(Protocol, UciAnswerThenQuitOrEndOfInputExitWithinASecond) {
  for (bool closeInput : {false, true}) {
    EngineProcess engine;
    // At the end of input the unfinished last line is still executed.
    engine.send(closeInput ? "uci\nisready" : "uci\nisready\n");
    Lines seen;
    EXPECT_TRUE(engine.waitFor(closeInput ? "uciok" : "readyok", 10000, &seen));
    expectQuickExit(engine, closeInput);
    for (const std::string& line : engine.readFor(200)) seen.push_back(line);
    Lines expected = uciAnswer;
    expected.push_back("readyok");
    EXPECT_EQ(seen, expected) << (closeInput ? "end of input" : "quit");
  }
}

// Whether the line starts with the time stamp "hh:mm:ss - ".
bool hasTimeStamp(const std::string& line) {
  if (line.size() < 11 || line[2] != ':' || line[5] != ':' || line.compare(8, 3, " - ") != 0) return false;
  for (int i : {0, 1, 3, 4, 6, 7}) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  }
  return true;
}

// The messages of the log (whatever the line end), each line checked for its time stamp.
Lines logMessages(const EngineProcess& engine) {
  std::ifstream file(std::filesystem::path(engine.workDir()) / "LogBook.txt", std::ios::binary);
  Lines messages;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    EXPECT_TRUE(hasTimeStamp(line)) << line;
    messages.push_back(hasTimeStamp(line) ? line.substr(11) : line);
  }
  return messages;
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
  expectQuickExit(engine);

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
  for (const std::string& line : uciAnswer) expected.push_back("Engine to GUI: \"" + line + "\"");
  for (const char* line : {"Received: \"isready\"", "Processing: \"isready\" \"\"", "Engine to GUI: \"readyok\"",
                           "Received: \"debug off\"", "Processing: \"debug\" \"off\""}) {
    expected.push_back(line);
  }
  EXPECT_EQ(messages, expected);
}

}  // namespace
