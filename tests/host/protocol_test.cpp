// The host's side of the protocol, through the real engine binary.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
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

Lines readLog(const EngineProcess& engine) {
  std::ifstream file(std::filesystem::path(engine.workDir()) / "LogBook.txt", std::ios::binary);
  Lines lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

TEST(Protocol, UciGivesIdentityAndOptionsThenUciok) {
  EngineProcess engine;
  engine.sendLine("uci");
  Lines seen;
  ASSERT_TRUE(engine.waitFor("uciok", 10000, &seen));
  EXPECT_EQ(seen, uciAnswer);
  // Hash is back to its default after every uci, whatever was set before.
  engine.sendLine("setoption name Hash value 64");
  EXPECT_EQ(answersBefore(engine), Lines{});
  expectQuickExit(engine);
}

TEST(Protocol, IsreadyIsAnsweredWhateverItsLineEnd) {
  EngineProcess engine;
  engine.send("isready\r\n");
  engine.send("isready\n");
  engine.send("isready\r");
  engine.send("isready\n\r");
  // Split over two writes, and a line end split from its line.
  engine.send("isr");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  engine.send("eady\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  engine.send("\nisready\n");
  EXPECT_EQ(answersBefore(engine), Lines(6, "readyok"));
  expectQuickExit(engine);
}

TEST(Protocol, CommandWordsIgnoreLetterCaseAndUnknownWordsAreSilent) {
  EngineProcess engine;
  engine.sendLine("ISREADY");
  engine.sendLine("ucinewgame");
  engine.sendLine("register later");
  engine.sendLine("garbage in");
  engine.sendLine("IsReady");
  engine.sendLine("debug");
  EXPECT_EQ(answersBefore(engine), Lines(2, "readyok"));
  engine.sendLine("Quit");
  EXPECT_EQ(engine.waitExit(1000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(engine.workDir()) / "LogBook.txt"));
}

TEST(Protocol, EndOfInputEndsTheProcessAfterThePartialLastLine) {
  EngineProcess engine;
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  engine.send("uci\nisready");
  engine.closeInput();
  Lines seen;
  EXPECT_TRUE(engine.waitFor("readyok", 10000, &seen));
  Lines expected = uciAnswer;
  expected.push_back("readyok");
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(engine.waitExit(1000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
}

TEST(Protocol, QuitAndEndOfInputExitWithinASecond) {
  for (bool closeInput : {false, true}) {
    EngineProcess engine;
    engine.sendLine("isready");
    ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
    expectQuickExit(engine, closeInput);
    EXPECT_EQ(engine.readLine(1000), std::nullopt);  // nothing more was printed
  }
}

TEST(Protocol, EndOfInputDuringATimedSearchGivesItsBestmoveThenEnds) {
  EngineProcess engine;
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  engine.send("position startpos\ngo wtime 600000 btime 600000\n");
  ASSERT_TRUE(engine.waitFor("info"));
  engine.closeInput();
  Lines seen;
  EXPECT_TRUE(engine.waitFor("bestmove", 10000, &seen));
  EXPECT_EQ(engine.waitExit(5000 + SANITIZER_EXIT_PAUSE_MS), std::optional<int>(0));
  for (const std::string& line : engine.readFor(100)) {
    EXPECT_NE(line.rfind("bestmove", 0), 0u) << "a second bestmove line: " << line;
  }
}

TEST(Protocol, OverLongLinesAreDroppedWhole) {
  EngineProcess engine;
  const std::string longLine = "uci " + std::string(40000, 'x');
  engine.sendLine(longLine);
  engine.sendLine("isready");
  engine.send(longLine + "\r");
  EXPECT_EQ(answersBefore(engine), Lines{"readyok"});
  engine.send(longLine);
  expectQuickExit(engine, true);
  EXPECT_EQ(engine.readLine(1000), std::nullopt);
}

const std::regex logLinePattern(R"(^\d\d:\d\d:\d\d - (.*)$)");

// The messages of the log, each line checked for its time stamp.
Lines logMessages(const EngineProcess& engine) {
  Lines messages;
  for (const std::string& line : readLog(engine)) {
    std::smatch match;
    EXPECT_TRUE(std::regex_match(line, match, logLinePattern)) << line;
    messages.push_back(match.size() > 1 ? match[1].str() : line);
  }
  return messages;
}

TEST(Protocol, DebugModeKeepsTheLogBook) {
  EngineProcess engine;
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
  const std::string unfinished = "Error: No CRLF in input buffer - Buffer=\"isr\"";
  std::erase(messages, unfinished);
  const Lines expected = {
      "Received: \"isready\"",
      "Processing: \"isready\" \"\"",
      "Engine to GUI: \"readyok\"",
      "Received: \"garbage in the line\"",
      "Processing: \"garbage\" \"in the line\"",
      "Error: Unknown command - \"garbage\" \"in the line\"",
      "Received: \"uci\"",
      "Processing: \"uci\" \"\"",
      "Engine to GUI: \"id name Tavrolin 4.20\"",
      "Engine to GUI: \"id author Pemberlyn\"",
      "Engine to GUI: \"option name Hash type spin default 1 min 1 max 1024\"",
      "Engine to GUI: \"option name Ponder type check default true\"",
      "Engine to GUI: \"uciok\"",
      "Received: \"isready\"",
      "Processing: \"isready\" \"\"",
      "Engine to GUI: \"readyok\"",
      "Received: \"debug off\"",
      "Processing: \"debug\" \"off\"",
  };
  EXPECT_EQ(messages, expected);
}

TEST(Protocol, TheLogBookIsCreatedAnewAndNotWithoutDebugMode) {
  EngineProcess engine;
  const auto logPath = std::filesystem::path(engine.workDir()) / "LogBook.txt";
  std::ofstream(logPath) << "an old line\n";
  {
    EngineProcess quiet(engine.workDir());
    quiet.sendLine("uci");
    quiet.sendLine("isready");
    EXPECT_TRUE(quiet.waitFor("readyok"));
    expectQuickExit(quiet);
  }
  EXPECT_EQ(readLog(engine), Lines{"an old line"});  // untouched without debug mode

  engine.sendLine("debug on");
  engine.sendLine("isready");
  ASSERT_EQ(engine.readLine(), std::optional<std::string>("readyok"));
  expectQuickExit(engine);
  EXPECT_EQ(logMessages(engine), (Lines{"Received: \"isready\"", "Processing: \"isready\" \"\"",
                                        "Engine to GUI: \"readyok\"", "Received: \"quit\"",
                                        "Processing: \"quit\" \"\""}));
}

}  // namespace
