// tavrolin-soak: many fast games of the engine against itself through the
// real binary, two engine processes (one per side, swapping colours every
// game) with independent clocks. Every reply is checked: exactly one bestmove
// per go, a legal move (by the engine's own board), a legal ponder move, and
// the mover's clock. A game ends by mate, stalemate, threefold repetition, the
// fifty-move rule, bare kings or a ply cap. Prints the results and every
// fault; exits non-zero when there was one.
//
//   tavrolin-soak [--games N] [--time MS] [--inc MS] [--max-plies N]
//                 [--seed N] [--engine PATH] [--ponder] [--quiet]
//
// With --ponder the engines ponder as under a GUI: after each bestmove with a
// ponder move, the engine searches the position after both moves with "go
// ponder"; when the opponent plays that move it gets "ponderhit" (its clock
// runs from then on), otherwise "stop", and the answer to the stop must be one
// bestmove, legal in the pondered position, before the real "go" is sent.
//
// Defaults: 100 games, 1000 ms + 10 ms a move, 400 plies, seed 1, the engine
// built beside this tool. Each game opens with 2 to 8 random legal plies (from
// the seed), so that the games differ. A clock starts each move when its go is
// written and stops when its bestmove line has been read, so the pipe and the
// engine's polling count against the engine, as under a GUI.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "board/board.h"
#include "common/common.h"
#include "search/search.h"
#include "engine_process.h"

namespace {

using Clock = std::chrono::steady_clock;

// A stop is answered at once; no bestmove by then is a hang.
constexpr int STOP_ANSWER_MS = 10000;

struct Options {
  int games = 100;
  long long timeMs = 1000;
  long long incMs = 10;
  int maxPlies = 400;
  unsigned seed = 1;
  std::string engine = TAVROLIN_BINARY;
  bool ponder = false;
  bool quiet = false;
};

// Faults and results over the whole run.
struct Tally {
  int whiteWins = 0, blackWins = 0;
  std::map<std::string, int> draws;  // by reason
  int crashes = 0, hangs = 0, illegalMoves = 0, illegalPonders = 0, nullMoves = 0;
  int castlingAfterMoves = 0;  // castling by a king or rook that has moved (beyond the history window)
  int timeLosses = 0, extraBestmoves = 0, badExits = 0;
  long long plies = 0, moveMsTotal = 0, moveMsLongest = 0;
  long long lowestClockMs = 1LL << 40;
  int ponderHits = 0, ponderMisses = 0;

  int faults() const {
    return crashes + hangs + illegalMoves + illegalPonders + nullMoves + castlingAfterMoves + timeLosses +
           extraBestmoves + badExits;
  }
};

// ------------------------------------------------------------ the referee: the engine's own board

// The legal moves of the side to move in the position set up last.
std::vector<std::string> legalMoveTexts() {
  position.currentMove = &position.moveStack[ROOT_RECORD];
  Move list[MAX_LEGAL_MOVES];
  const int count = legalMoves(list, MAX_LEGAL_MOVES);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) texts.emplace_back(moveToText(list[i]));
  return texts;
}

bool inCheck() { return isAttacked(position.xside, position.pieceList[position.side][0].square) != 0; }

bool contains(const std::vector<std::string>& list, const std::string& item) {
  for (const std::string& s : list)
    if (s == item) return true;
  return false;
}

int squareOf(const std::string& text, int at) { return (text[at] - 'a') + (text[at + 1] - '1') * 16; }

// The rules the history window of the engine's board cannot see over a long
// game: which kings and rooks have ever moved, and threefold repetition.
struct GameRecord {
  std::string moves;  // " e2e4 e7e5 ..."
  int pliesSinceProgress = 0;
  bool moved[128] = {};  // a move has started on this square (the man there has moved)
  std::map<std::tuple<uint32_t, uint32_t, int>, int> seen;

  // Called before the move is played on the referee's board.
  void noteMove(const std::string& move) {
    const int from = squareOf(move, 0);
    const int to = squareOf(move, 2);
    const bool progress = position.board[from].type == PAWN || position.board[to].type != NONE;
    pliesSinceProgress = progress ? 0 : pliesSinceProgress + 1;
    moved[from] = true;
    moved[to] = true;  // a man captured on its home square has lost its rights too
    moves += " " + move;
  }

  // Whether move is a castling by a king or rook that has moved earlier.
  bool castlesAfterMoving(const std::string& move) const {
    const int from = squareOf(move, 0);
    const int to = squareOf(move, 2);
    if (position.board[from].type != KING || std::abs((from & 7) - (to & 7)) != 2) return false;
    const int rook = (to & 7) == 6 ? from + 3 : from - 4;
    return moved[from] || moved[rook];
  }

  // Counts the position now on the referee's board; its third occurrence is a draw.
  int countPosition(const std::string& lastMove) {
    int rights = 0;
    const int corners[6] = {0x04, 0x00, 0x07, 0x74, 0x70, 0x77};
    for (int i = 0; i < 6; ++i) rights |= moved[corners[i]] ? 0 : 1 << i;
    // A double step leaves an en passant right for one ply.
    int ep = 0;
    if (!lastMove.empty()) {
      const int to = squareOf(lastMove, 2);
      const int from = squareOf(lastMove, 0);
      if (position.board[to].type == PAWN && std::abs(to - from) == 32) ep = 8 + (to & 7);
    }
    return ++seen[{position.lockKey, position.indexKey, rights << 4 | ep}];
  }
};

// ------------------------------------------------------------ one engine per side

struct Player {
  std::optional<EngineProcess> process;
  std::string binary;
  std::string ponderMove;      // the opponent's move it ponders on; empty when it does not
  std::string ponderPosition;  // the position it ponders, after that move

  void start() {
    ponderMove.clear();
    process.emplace("", binary);
    process->sendLine("uci");
    process->waitFor("uciok", 30000);
    process->sendLine("isready");
    process->waitFor("readyok", 30000);
  }
};

struct Reply {
  std::string bestmove;
  std::string ponder;
};

std::string clockWords(const long long clock[2], long long inc) {
  return "wtime " + std::to_string(clock[0]) + " btime " + std::to_string(clock[1]) + " winc " +
         std::to_string(inc) + " binc " + std::to_string(inc);
}

// The moves a bestmove line names.
Reply replyOf(const std::string& line) {
  char best[16] = "", ponder[16] = "";
  std::sscanf(line.c_str(), "bestmove %15s ponder %15s", best, ponder);
  return Reply{best, ponder};
}

// Asks for the move of the side to move: "ponderhit" when the player ponders
// on the move just played, else a new search of the position. Returns when the
// player's clock started.
Clock::time_point askForMove(Player& player, const std::string& positionText, bool ponderHit, long long clock[2],
                             long long inc) {
  EngineProcess& engine = *player.process;
  if (ponderHit)
    player.ponderMove.clear();
  else
    engine.sendLine("position " + positionText);
  const auto start = Clock::now();
  engine.sendLine(ponderHit ? "ponderhit" : "go " + clockWords(clock, inc));
  return start;
}

void report(const char* what, int game, const GameRecord& record, const std::string& detail) {
  std::printf("FAULT game %d: %s %s after startpos moves%s\n", game, what, detail.c_str(), record.moves.c_str());
  std::fflush(stdout);
}

// Waits up to limitMs for a bestmove line. Without one the engine has crashed
// (its process ended) or hangs; either is counted and reported, with what
// naming the wait, and the player is started again.
std::optional<std::string> awaitBestmove(Player& player, int limitMs, const std::string& what,
                                         const std::string& detail, int game, const GameRecord& record,
                                         Tally& tally) {
  std::optional<std::string> line = player.process->waitFor("bestmove ", limitMs);
  if (line) return line;
  if (player.process->waitExit(0).has_value()) {
    tally.crashes++;
    report(("engine ended" + what).c_str(), game, record, detail);
  } else {
    tally.hangs++;
    report(("no bestmove" + what).c_str(), game, record, detail);
  }
  player.start();
  return std::nullopt;
}

// After a bestmove, an "isready": a second bestmove before the readyok is a
// fault, and no readyok a crash (the player is started again; false then).
bool answeredOnce(Player& player, int game, const GameRecord& record, Tally& tally, const std::string& bestmove) {
  std::vector<std::string> seen;
  player.process->sendLine("isready");
  const bool alive = player.process->waitFor("readyok", 30000, &seen).has_value();
  const auto extra = std::count_if(seen.begin(), seen.end(),
                                   [](const std::string& line) { return line.rfind("bestmove", 0) == 0; });
  if (extra > 0) {
    tally.extraBestmoves += int(extra);
    report("more than one bestmove", game, record, bestmove);
  }
  if (!alive) {
    tally.crashes++;
    report("no readyok after bestmove", game, record, "");
    player.start();
  }
  return alive;
}

std::string gamePosition(const GameRecord& record) {
  return "startpos" + (record.moves.empty() ? "" : " moves" + record.moves);
}

// Ends a ponder search whose move was not played (or whose game has ended):
// "stop", then exactly one bestmove, legal in the pondered position. Leaves
// the referee's board on the game's position.
void stopPondering(Player& player, int game, const GameRecord& record, Tally& tally) {
  if (player.ponderMove.empty()) return;
  player.ponderMove.clear();
  ++tally.ponderMisses;
  player.process->sendLine("stop");
  const std::optional<std::string> line =
      awaitBestmove(player, STOP_ANSWER_MS, " after stop, pondering", player.ponderPosition, game, record, tally);
  if (!line) return;
  const std::string best = replyOf(*line).bestmove;
  setupPosition(player.ponderPosition.c_str());
  const std::vector<std::string> legal = legalMoveTexts();
  if (legal.empty() ? best != "0000" : !contains(legal, best)) {
    tally.illegalMoves++;
    report("illegal move after stop, pondering", game, record, *line + " in " + player.ponderPosition);
  }
  setupPosition(gamePosition(record).c_str());
  answeredOnce(player, game, record, tally, *line);
}

// Plays one game to its end; returns its result text for the log.
std::string playMoves(int game, Player players[2], const Options& options, std::mt19937& random, Tally& tally,
                      GameRecord& record) {
  long long clock[2] = {options.timeMs, options.timeMs};
  const int whitePlayer = game % 2;  // the two processes swap colours every game
  std::string lastMove;

  setupPosition("startpos");
  record.countPosition("");
  const int openingPlies = 2 + int(random() % 7);
  for (int ply = 0;; ++ply) {
    const std::vector<std::string> legal = legalMoveTexts();
    const int side = position.side;
    if (legal.empty()) {
      if (inCheck()) {
        (side == WHITE ? tally.blackWins : tally.whiteWins)++;
        return side == WHITE ? "0-1 mate" : "1-0 mate";
      }
      tally.draws["stalemate"]++;
      return "1/2 stalemate";
    }
    if (position.menCount == 0) {
      tally.draws["bare kings"]++;
      return "1/2 bare kings";
    }
    if (record.pliesSinceProgress >= 100) {
      tally.draws["fifty-move rule"]++;
      return "1/2 fifty-move rule";
    }
    if (ply >= options.maxPlies) {
      tally.draws["ply cap"]++;
      return "1/2 ply cap";
    }

    std::string move;
    if (ply < openingPlies) {
      move = legal[random() % legal.size()];
    } else {
      Player& player = players[side == WHITE ? whitePlayer : 1 - whitePlayer];
      const std::string positionText = gamePosition(record);
      const bool ponderHit = !player.ponderMove.empty() && player.ponderMove == lastMove;
      if (ponderHit)
        ++tally.ponderHits;
      else
        stopPondering(player, game, record, tally);
      const auto start = askForMove(player, positionText, ponderHit, clock, options.incMs);
      // Far beyond any budget the clocks allow: no answer by then is a hang.
      const int limitMs = int(std::max(clock[0], clock[1]) + 30000);
      const std::optional<std::string> line = awaitBestmove(player, limitMs, "", "", game, record, tally);
      if (!line) return "aborted";
      const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      const Reply reply = replyOf(*line);
      tally.plies++;
      tally.moveMsTotal += ms;
      tally.moveMsLongest = std::max(tally.moveMsLongest, ms);
      clock[side] -= ms;
      tally.lowestClockMs = std::min(tally.lowestClockMs, clock[side]);
      if (clock[side] < 0) {
        tally.timeLosses++;
        report("lost on time", game, record, std::to_string(-clock[side]) + " ms over");
        (side == WHITE ? tally.blackWins : tally.whiteWins)++;
        return "time loss";
      }
      clock[side] += options.incMs;
      if (!answeredOnce(player, game, record, tally, reply.bestmove)) return "aborted";
      if (reply.bestmove == "0000") {
        tally.nullMoves++;
        report("bestmove 0000 with legal moves", game, record, "");
        return "aborted";
      }
      if (!contains(legal, reply.bestmove)) {
        tally.illegalMoves++;
        report("illegal move", game, record, reply.bestmove);
        return "aborted";
      }
      move = reply.bestmove;
      if (!reply.ponder.empty()) {
        const std::string after = positionText + (record.moves.empty() ? " moves " : " ") + move;
        setupPosition(after.c_str());
        if (!contains(legalMoveTexts(), reply.ponder)) {
          tally.illegalPonders++;
          report("illegal ponder move", game, record, move + " ponder " + reply.ponder);
        } else if (options.ponder) {
          player.ponderMove = reply.ponder;
          player.ponderPosition = after + " " + reply.ponder;
          player.process->sendLine("position " + player.ponderPosition);
          player.process->sendLine("go ponder " + clockWords(clock, options.incMs));
        }
        setupPosition(positionText.c_str());
      }
    }
    if (record.castlesAfterMoving(move)) {
      tally.castlingAfterMoves++;
      report("castling by a man that has moved", game, record, move);
    }
    record.noteMove(move);
    lastMove = move;
    setupPosition(gamePosition(record).c_str());
    if (record.countPosition(lastMove) >= 3) {
      tally.draws["repetition"]++;
      return "1/2 repetition";
    }
  }
}

// Plays one game; an engine still pondering at its end is stopped.
std::string playGame(int game, Player players[2], const Options& options, std::mt19937& random, Tally& tally) {
  GameRecord record;
  const std::string result = playMoves(game, players, options, random, tally, record);
  for (int p = 0; p < 2; ++p) stopPondering(players[p], game, record, tally);
  return result;
}

// False for an unknown option, a missing value or one that is not a number in range.
bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    long number = 0;
    const auto numberIn = [&](long lowest, long highest) {
      ++i;
      return readNumberArgument(value, lowest, highest, number);
    };
    if (arg == "--quiet") options.quiet = true;
    else if (arg == "--ponder") options.ponder = true;
    else if (value == nullptr) return false;
    else if (arg == "--engine") options.engine = argv[++i];
    else if (arg == "--games" && numberIn(1, 1000000)) options.games = int(number);
    else if (arg == "--time" && numberIn(1, 86400000)) options.timeMs = number;
    else if (arg == "--inc" && numberIn(0, 86400000)) options.incMs = number;
    else if (arg == "--max-plies" && numberIn(1, 100000)) options.maxPlies = int(number);
    else if (arg == "--seed" && numberIn(0, 0xFFFFFFFFL)) options.seed = unsigned(number);
    else return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* usage =
      "usage: tavrolin-soak [--games N] [--time MS] [--inc MS] [--max-plies N] [--seed N] "
      "[--engine PATH] [--ponder] [--quiet]\n";
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::fputs(usage, stdout);
    return 0;
  }
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fprintf(stderr, "tavrolin-soak: cannot read the command line\n%s", usage);
    return 2;
  }

  // A program that cannot be started would show as a crash in every game.
  if (access(options.engine.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "tavrolin-soak: cannot run the engine %s\n", options.engine.c_str());
    return 2;
  }

  std::mt19937 random(options.seed);
  Tally tally;
  Player players[2];
  for (Player& p : players) {
    p.binary = options.engine;
    p.start();
  }

  const auto start = Clock::now();
  for (int game = 1; game <= options.games; ++game) {
    const std::string result = playGame(game, players, options, random, tally);
    if (!options.quiet) {
      std::printf("game %d: %s\n", game, result.c_str());
      std::fflush(stdout);
    }
  }
  for (Player& p : players) {
    p.process->sendLine("quit");
    if (p.process->waitExit(10000 + SANITIZER_EXIT_PAUSE_MS) != std::optional<int>(0)) {
      tally.badExits++;
      std::printf("FAULT: an engine did not end with exit code 0 after quit\n");
    }
  }
  const long long seconds =
      std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();

  int drawTotal = 0;
  std::string drawText;
  for (const auto& [reason, count] : tally.draws) {
    drawTotal += count;
    drawText += (drawText.empty() ? "" : ", ") + reason + " " + std::to_string(count);
  }
  std::printf("games %d in %lld s (%lld ms + %lld ms a move, ply cap %d, seed %u%s)\n", options.games, seconds,
              options.timeMs, options.incMs, options.maxPlies, options.seed, options.ponder ? ", pondering" : "");
  std::printf("results: white wins %d, black wins %d, draws %d (%s)\n", tally.whiteWins, tally.blackWins,
              drawTotal, drawText.c_str());
  std::printf("engine moves %lld, mean %.1f ms, longest %lld ms, lowest clock left %lld ms\n", tally.plies,
              tally.plies > 0 ? double(tally.moveMsTotal) / double(tally.plies) : 0.0, tally.moveMsLongest,
              tally.plies > 0 ? tally.lowestClockMs : 0);
  if (options.ponder) std::printf("ponder moves played %d, not played %d\n", tally.ponderHits, tally.ponderMisses);
  std::printf(
      "faults: crashes %d, hangs %d, illegal moves %d, bestmove 0000 %d, illegal ponder moves %d, "
      "castling by a moved man %d, time losses %d, extra bestmoves %d, bad exits %d\n",
      tally.crashes, tally.hangs, tally.illegalMoves, tally.nullMoves, tally.illegalPonders,
      tally.castlingAfterMoves, tally.timeLosses, tally.extraBestmoves, tally.badExits);
  return tally.faults() == 0 ? 0 : 1;
}
