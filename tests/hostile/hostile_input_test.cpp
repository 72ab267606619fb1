// Hostile input through the real binary: over-long lines, binary bytes,
// placements and game moves the board cannot hold, absurd go and setoption
// numbers, and commands at awkward moments. After each the engine must still
// live, answer "isready", and have printed exactly what is expected.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../search/legal_moves.h"
#include "support/engine_process.h"

namespace {

using Lines = std::vector<std::string>;

// Generous limits: sanitizer builds are many times slower than a release build.
constexpr int ANSWER_MS = 60000;
constexpr int EXIT_MS = 10000 + SANITIZER_EXIT_PAUSE_MS;

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

int countOf(const Lines& lines, const std::string& prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return startsWith(l, prefix); }));
}

// Sends "isready" and returns what the engine printed before its "readyok"; the
// answer shows that the engine still lives and reads. Only for an idle engine
// (during a search "readyok" would overtake the search's own lines).
Lines untilReady(EngineProcess& engine) {
  engine.sendLine("isready");
  Lines seen;
  EXPECT_TRUE(engine.waitFor("readyok", ANSWER_MS, &seen)) << "no readyok";
  if (!seen.empty()) seen.pop_back();
  return seen;
}

// The same with "uci" as the marker, for lines that may hold "readyok" themselves.
Lines untilUciAnswer(EngineProcess& engine) {
  const Lines uciAnswer = {"id name Tavrolin 4.20", "id author Pemberlyn",
                           "option name Hash type spin default 1 min 1 max 1024",
                           "option name Ponder type check default true", "uciok"};
  engine.sendLine("uci");
  Lines seen;
  EXPECT_TRUE(engine.waitFor("uciok", ANSWER_MS, &seen)) << "no uciok";
  EXPECT_GE(seen.size(), uciAnswer.size());
  if (seen.size() < uciAnswer.size()) return seen;
  EXPECT_TRUE(std::equal(uciAnswer.begin(), uciAnswer.end(), seen.end() - long(uciAnswer.size())));
  seen.resize(seen.size() - uciAnswer.size());
  return seen;
}

// Every line up to and including the next bestmove line.
Lines untilBestmove(EngineProcess& engine) {
  Lines seen;
  EXPECT_TRUE(engine.waitFor("bestmove", ANSWER_MS, &seen)) << "no bestmove";
  return seen;
}

// The move named by a bestmove line ("bestmove e2e4 ponder e7e5" gives e2e4).
std::string moveOf(const std::string& bestmoveLine) {
  const size_t end = bestmoveLine.find(' ', 9);
  return bestmoveLine.substr(9, end == std::string::npos ? std::string::npos : end - 9);
}

void expectLegal(const std::string& bestmoveLine, const std::string& positionText) {
  const auto legal = legalMoveTexts(positionText);
  EXPECT_NE(std::find(legal.begin(), legal.end(), moveOf(bestmoveLine)), legal.end())
      << bestmoveLine << " after position " << positionText;
}

// A short timed search of the given position; returns its lines, bestmove last.
Lines searchPosition(EngineProcess& engine, const std::string& positionText) {
  engine.sendLine("position " + positionText);
  engine.sendLine("go wtime 1000 btime 1000");
  return untilBestmove(engine);
}

void quitAndExpectExit(EngineProcess& engine) {
  engine.sendLine("quit");
  EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
}

}  // namespace

// ------------------------------------------------------------ lines and bytes

TEST(HostileLines, LinesLongerThanTheBufferAreDroppedWhole) {
  EngineProcess engine;
  // 16,382 characters before the line end is the longest line executed.
  engine.send("isready" + std::string(16376, ' ') + "\n");  // 16,383: dropped
  engine.send("isready" + std::string(16375, ' ') + "\n");  // 16,382: answered
  EXPECT_EQ(untilUciAnswer(engine), Lines{"readyok"});

  const std::string longLine = "uci " + std::string(40000, 'x');
  engine.send(longLine + "\n");
  engine.send(longLine + "\r\n");
  engine.send(longLine + "\r");
  EXPECT_EQ(untilReady(engine), Lines{});

  // Without a line end the line goes on, however long it waits: what follows
  // up to the next line end belongs to the dropped line.
  engine.send(longLine);
  engine.readFor(200);
  engine.send("isready\n");
  EXPECT_EQ(untilReady(engine), Lines{});
  quitAndExpectExit(engine);
}

TEST(HostileLines, AnOverLongLineWithoutLineEndIsDroppedAtTheEndOfInput) {
  EngineProcess engine;
  engine.send("uci" + std::string(20000, ' '));
  engine.closeInput();
  EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
  EXPECT_EQ(engine.readLine(1000), std::nullopt);  // nothing was printed

  // A partial line that fits is executed at the end of input.
  EngineProcess second;
  second.send("isready" + std::string(16375, ' '));
  second.closeInput();
  EXPECT_EQ(second.readLine(ANSWER_MS), std::optional<std::string>("readyok"));
  EXPECT_EQ(second.waitExit(EXIT_MS), std::optional<int>(0));
}

TEST(HostileLines, ZeroBytesAreBlanksAndOtherBinaryBytesAreCommandText) {
  EngineProcess engine;
  using namespace std::string_literals;
  engine.send("\0isready\0\0\n"s);        // blanks around the word: readyok
  engine.send("is\0ready\n"s);            // the word "is": unknown, silent
  engine.send("\0\0\0\n"s);               // empty after the clean-up: nothing
  engine.send("isready\x01\n");           // "isready\x01" is another word
  engine.send("\xff\xfe\x80\x7f\x1b[2J\n");  // unknown word
  engine.send("\xc3\xa9uci\n");           // unknown word
  EXPECT_EQ(untilUciAnswer(engine), Lines{"readyok"});

  // A zero byte between two game moves separates them like a blank.
  const Lines lines = searchPosition(engine, "startpos moves e2e4\0e7e5"s);
  EXPECT_EQ(countOf(lines, "info string"), 0);
  expectLegal(lines.back(), "startpos moves e2e4 e7e5");
  EXPECT_EQ(untilReady(engine), Lines{});
  quitAndExpectExit(engine);
}

// ------------------------------------------------------------ positions

// A position the board cannot hold is refused with one line, and "go" is then
// answered at once with the null move: no search is made without a position.
static void expectRejected(EngineProcess& engine, const std::string& positionText, const std::string& reason) {
  engine.sendLine("position " + positionText);
  engine.sendLine("go wtime 1000 btime 1000");
  const Lines expected = {"info string position rejected: " + reason, "bestmove 0000"};
  EXPECT_EQ(untilBestmove(engine), expected) << positionText;
  EXPECT_EQ(untilReady(engine), Lines{}) << positionText;
}

TEST(HostilePositions, PlacementsTheBoardCannotHoldAreRejected) {
  struct Case {
    const char* fen;
    const char* reason;
  } cases[] = {
      {"4k3/8/8/8/8/NNNNNNNN/PPPPPPPP/4K3 w - - 0 1", "white has more than 16 men"},
      {"4k3/pppppppp/nnnnnnnn/8/8/8/8/4K3 b - - 0 1", "black has more than 16 men"},
      {"4k3/8/8/8/8/8/8/8 w - - 0 1", "white has no king"},
      {"8/8/8/8/8/8/8/4K3 w - - 0 1", "black has no king"},
      {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "white has more than one king"},
      {"3kk3/8/8/8/8/8/8/4K3 b - - 0 1", "black has more than one king"},
      // 70 squares' worth: the reader stops after 64, so the king on the 69th is never placed.
      {"4k3/8/8/8/8/8/8/8/4K1 w - - 0 1", "white has no king"},
      // A FEN with no placement at all.
      {"w - - 0 1", "white has no king"},
  };
  EngineProcess engine;
  for (const Case& c : cases) expectRejected(engine, std::string("fen ") + c.fen, c.reason);
  // The next valid position is searched as usual.
  const Lines lines = searchPosition(engine, "startpos");
  expectLegal(lines.back(), "startpos");
  quitAndExpectExit(engine);
}

TEST(HostilePositions, OddPlacementsTheBoardCanHoldAreSearched) {
  struct Case {
    const char* sent;
    const char* sameAs;  // the same position as the engine reads it
  } cases[] = {
      // Pawns on the first and last ranks: they stand where they can never move.
      {"fen P3k2P/8/8/8/8/8/8/p3K2p w - - 0 1", "fen P3k2P/8/8/8/8/8/8/p3K2p w - - 0 1"},
      {"fen p3k2p/8/8/8/8/8/8/P3K2P b - - 0 1", "fen p3k2p/8/8/8/8/8/8/P3K2P b - - 0 1"},
      // 70 squares' worth: the men after the 64th square are ignored.
      {"fen 4k3/8/8/8/8/8/8/4K3/pppppp w - - 0 1", "fen 4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
      // "fen" without a FEN (the line's trailing blank is cleaned away) is the start position.
      {"fen ", "startpos"},
  };
  EngineProcess engine;
  for (const Case& c : cases) {
    const Lines lines = searchPosition(engine, c.sent);
    EXPECT_EQ(countOf(lines, "info string"), 0) << c.sent;
    EXPECT_EQ(countOf(lines, "bestmove"), 1) << c.sent;
    expectLegal(lines.back(), c.sameAs);
    EXPECT_EQ(untilReady(engine), Lines{}) << c.sent;
  }
  quitAndExpectExit(engine);
}

TEST(HostilePositions, GameMovesTheBoardCannotFollowAreRejected) {
  struct Case {
    const char* positionText;
    const char* message;
  } cases[] = {
      {"startpos moves e3e4", "move e3e4 starts on an empty square"},
      {"startpos moves e2e4 d1d2", "move d1d2 moves a man of the side not to move"},
      {"startpos moves d1d2", "move d1d2 lands on a man of its own side"},
      {"startpos moves e2e4 e7e5 e1e2 e8e7 g1e2", "move g1e2 lands on a man of its own side"},
      {"fen 4k3/8/8/8/8/8/8/4R1K1 w - - 0 1 moves e1e8", "move e1e8 takes a king"},
      {"fen 4k3/8/8/8/8/8/4q3/4K3 b - - 0 1 moves e2e1", "move e2e1 takes a king"},
  };
  EngineProcess engine;
  for (const Case& c : cases) expectRejected(engine, c.positionText, c.message);
  // Tokens that are no moves at all are skipped silently.
  const Lines lines = searchPosition(engine, "startpos moves e2e4 xx e7e5 z9z9 e2 g1f3");
  EXPECT_EQ(countOf(lines, "info string"), 0);
  expectLegal(lines.back(), "startpos moves e2e4 e7e5 g1f3");
  quitAndExpectExit(engine);
}

TEST(HostilePositions, AMoveListOf3000TokensIsPlayedInFull) {
  std::string moves;
  for (int i = 0; i < 749; ++i) moves += " g1f3 g8f6 f3g1 f6g8";
  moves += " e2e4 e7e5 g1f3 b8c6";  // 2,996 + 4 tokens
  EngineProcess engine;
  const Lines lines = searchPosition(engine, "startpos moves" + moves);
  EXPECT_EQ(countOf(lines, "info string"), 0);
  EXPECT_EQ(countOf(lines, "bestmove"), 1);
  expectLegal(lines.back(), "startpos moves e2e4 e7e5 g1f3 b8c6");
  EXPECT_EQ(untilReady(engine), Lines{});
  quitAndExpectExit(engine);
}

// With less than 3 seconds on the clock the budget is one millisecond, and the
// clock check after 4,096 counted moves stops the search inside its very first
// root move when that move's quiescence search is large (here a storm of
// promotions, found by the fuzzer). The answer is still a legal move.
TEST(HostilePositions, AShortClockInAStormOfPromotionsStillNamesALegalMove) {
  const std::string positionText = "fen rnbqkbnn/rPnrPPrn/rP6/8/RNBQKBNR/8/8/8 w - - 0 1";
  EngineProcess engine;
  const Lines lines = searchPosition(engine, positionText);
  expectLegal(lines.back(), positionText);
  quitAndExpectExit(engine);
}

// ------------------------------------------------------------ go and setoption

TEST(HostileNumbers, GoWithNegativeOrMissingNumbersSearchesBriefly) {
  // Each of these leaves a budget of one millisecond: one short search, one bestmove.
  const char* goTexts[] = {
      "go wtime -5000 btime -5000",
      "go wtime -99999999999 winc -99999999999",
      "go wtime btime winc binc movestogo",
      "go wtime",
      "go movestogo -3 wtime 10",
      "go movestogo 0 wtime 2000",
      "go wtime 99999999999 winc 99999999999",
      "go movestogo 99999999999 wtime 2500",
      "go",
  };
  EngineProcess engine;
  engine.sendLine("position startpos moves e2e4");
  for (const char* go : goTexts) {
    engine.sendLine(go);
    const Lines lines = untilBestmove(engine);
    EXPECT_EQ(countOf(lines, "bestmove"), 1) << go;
    expectLegal(lines.back(), "startpos moves e2e4");
    EXPECT_EQ(untilReady(engine), Lines{}) << go;
  }
  quitAndExpectExit(engine);
}

TEST(HostileNumbers, GoWithHugeTimesSearchesUntilStopped) {
  EngineProcess engine;
  engine.sendLine("position startpos");
  // More than 32 bits: read as the largest int, a budget of about 20 hours.
  engine.sendLine("go wtime 99999999999 btime 99999999999");
  Lines seen;
  ASSERT_TRUE(engine.waitFor("info depth 4 ", ANSWER_MS, &seen));
  engine.sendLine("isready");
  ASSERT_TRUE(engine.waitFor("readyok", ANSWER_MS, &seen));
  EXPECT_EQ(countOf(seen, "bestmove"), 0);
  engine.sendLine("stop");
  const Lines lines = untilBestmove(engine);
  expectLegal(lines.back(), "startpos");
  EXPECT_EQ(untilReady(engine), Lines{});
  quitAndExpectExit(engine);
}

TEST(HostileNumbers, AHashValueBeyondAnyRangeIsCutToTheLargestSize) {
  EngineProcess engine;
  engine.sendLine("setoption name Hash value 99999999999");
  EXPECT_EQ(untilReady(engine), Lines{});  // a gigabyte of table is made ready
  expectLegal(searchPosition(engine, "startpos").back(), "startpos");
  engine.sendLine("setoption name Hash value -99999999999");
  engine.sendLine("setoption name Hash value");
  engine.sendLine("setoption name Hash value x");
  EXPECT_EQ(untilReady(engine), Lines{});
  expectLegal(searchPosition(engine, "startpos moves d2d4").back(), "startpos moves d2d4");
  quitAndExpectExit(engine);
}

// ------------------------------------------------------------ commands at awkward moments

TEST(HostileTiming, StopAndPonderhitWithoutASearch) {
  EngineProcess engine;
  // Before any search there is no move to name.
  engine.sendLine("stop");
  EXPECT_EQ(untilReady(engine), Lines{"bestmove 0000"});

  // After a search both name its result again: "stop" the move alone,
  // "ponderhit" the full report (with the move to ponder on, when there is one).
  const Lines lines = searchPosition(engine, "startpos");
  const std::string best = lines.back();
  engine.sendLine("stop");
  EXPECT_EQ(untilReady(engine), Lines{"bestmove " + moveOf(best)});
  engine.sendLine("ponderhit");
  const Lines reported = untilReady(engine);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_TRUE(startsWith(reported[0], "info depth ")) << reported[0];
  EXPECT_EQ(reported[1], best);
  quitAndExpectExit(engine);
}

// Before any search there is no search to describe: no info line.
TEST(HostileTiming, PonderhitBeforeAnySearchGivesOnlyTheNullMove) {
  EngineProcess engine;
  engine.sendLine("ponderhit");
  EXPECT_EQ(untilReady(engine), Lines{"bestmove 0000"});
  quitAndExpectExit(engine);
}

TEST(HostileTiming, AThousandIsreadyLinesDuringASearchAreAllAnswered) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos", "infinite", 2, ANSWER_MS));
  std::string burst;
  for (int i = 0; i < 1000; ++i) burst += "isready\n";
  engine.send(burst);
  Lines seen;
  int answered = 0;
  while (answered < 1000 && engine.waitFor("readyok", ANSWER_MS, &seen)) ++answered;
  EXPECT_EQ(answered, 1000);
  EXPECT_EQ(countOf(seen, "bestmove"), 0);  // the search went on
  engine.sendLine("stop");
  const Lines lines = untilBestmove(engine);
  expectLegal(lines.back(), "startpos");
  const Lines after = untilReady(engine);
  EXPECT_EQ(countOf(after, "bestmove"), 0);
  EXPECT_EQ(countOf(after, "readyok"), 0);
  quitAndExpectExit(engine);
}

TEST(HostileTiming, AHundredRapidGoInfiniteStopPairsGiveAHundredBestmoves) {
  EngineProcess engine;
  std::string burst = "position startpos\n";
  for (int i = 0; i < 100; ++i) burst += "go infinite\nstop\n";
  engine.send(burst);
  const Lines lines = untilReady(engine);
  EXPECT_EQ(countOf(lines, "bestmove"), 100);
  quitAndExpectExit(engine);
}

// A "stop" that arrives as the search has just started, before its first root
// move has been searched, still names a legal move of this position. Two
// positions take turns, so that a move of the previous search would show.
TEST(HostileTiming, AStopRightAfterGoNamesALegalMove) {
  const char* positions[2] = {"startpos", "startpos moves e2e4"};
  EngineProcess engine;
  std::string burst;
  for (int i = 0; i < 100; ++i) burst += std::string("position ") + positions[i % 2] + "\ngo infinite\nstop\n";
  engine.send(burst);
  const Lines lines = untilReady(engine);
  int answered = 0;
  for (const std::string& line : lines) {
    if (startsWith(line, "bestmove")) expectLegal(line, positions[answered++ % 2]);
  }
  EXPECT_EQ(answered, 100);
  quitAndExpectExit(engine);
}

// A "stop" that the reader answers just as the search moves on to its next
// root move must not be followed by that move's lines. (Before this was fixed
// about one run in three showed a stray "info currmove" line.)
TEST(HostileTiming, NothingIsPrintedAfterTheBestmoveOfAStoppedSearch) {
  EngineProcess engine;
  std::string burst = "position startpos\n";
  for (int i = 0; i < 100; ++i) burst += "go infinite\nstop\n";
  engine.send(burst);
  const Lines lines = untilReady(engine);
  // Each search opens with its depth 1 line of no nodes; between a bestmove
  // and the next such line nothing may come.
  bool afterBestmove = false;
  for (const std::string& line : lines) {
    if (startsWith(line, "bestmove")) {
      afterBestmove = true;
    } else if (startsWith(line, "info depth 1 seldepth 1 score cp 0 time ") &&
               line.find(" nodes 0 nps 0") != std::string::npos) {
      afterBestmove = false;
    } else {
      EXPECT_FALSE(afterBestmove) << "after a bestmove: " << line;
    }
  }
  quitAndExpectExit(engine);
}

TEST(HostileTiming, QuitDuringASearch) {
  {
    // A timed search reports its move, then the process ends.
    EngineProcess engine;
    ASSERT_TRUE(engine.startSearch("startpos", "wtime 600000 btime 600000", 3, ANSWER_MS));
    engine.sendLine("quit");
    Lines seen;
    ASSERT_TRUE(engine.waitFor("bestmove", ANSWER_MS, &seen));
    expectLegal(seen.back(), "startpos");
    EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
    EXPECT_EQ(countOf(engine.readFor(200), "bestmove"), 0);
  }
  {
    // An infinite search is answered only by "stop" or "ponderhit": none comes.
    EngineProcess engine;
    ASSERT_TRUE(engine.startSearch("startpos", "infinite", 3, ANSWER_MS));
    engine.sendLine("quit");
    EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
    EXPECT_EQ(countOf(engine.readFor(200), "bestmove"), 0);
  }
}

// (An unfinished line at the end of input of an idle engine: see
// AnOverLongLineWithoutLineEndIsDroppedAtTheEndOfInput.)
TEST(HostileTiming, EndOfInputInTheMiddleOfASearchAndOfALine) {
  {
    // An unfinished "isready" is answered by the reader during the timed
    // search; then the search reports and the process ends.
    EngineProcess engine;
    ASSERT_TRUE(engine.startSearch("startpos", "wtime 600000 btime 600000", 3, ANSWER_MS));
    engine.send("isready");
    engine.closeInput();
    Lines seen;
    ASSERT_TRUE(engine.waitFor("bestmove", ANSWER_MS, &seen));
    EXPECT_EQ(countOf(seen, "readyok"), 1);
    expectLegal(seen.back(), "startpos");
    EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
    EXPECT_EQ(countOf(engine.readFor(200), "bestmove"), 0);
  }
  {
    // An infinite search ends without a bestmove; the unfinished unknown word
    // is executed (silently) before the quit.
    EngineProcess engine;
    ASSERT_TRUE(engine.startSearch("startpos", "infinite", 3, ANSWER_MS));
    engine.send("isrea");
    engine.closeInput();
    EXPECT_EQ(engine.waitExit(EXIT_MS), std::optional<int>(0));
    const Lines rest = engine.readFor(200);
    EXPECT_EQ(countOf(rest, "bestmove"), 0);
    EXPECT_EQ(countOf(rest, "readyok"), 0);
  }
}
