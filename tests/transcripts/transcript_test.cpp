// Protocol conversations with the real engine, written as transcripts.
//
// Every *.txt file beside this one holds cases; each case starts with a line
// "# Name of the case" and runs against a fresh engine process as one test
// (named after its file and its header). Blank lines and lines starting with
// "//" are ignored. Each other line is one step:
//
//   > TEXT        send TEXT and a line end
//   >> TEXT       send TEXT without a line end (a line split over writes)
//   < REGEX       read lines until one starts with a match of REGEX; the
//                 lines before it are skipped
//   = REGEX       the very next line must match REGEX whole
//                 (in both, $1..$9 stand for the groups of the last match
//                 that had groups)
//   !< REGEX      no line matching REGEX may come before the next < or =
//                 is met, nor among the lines that quiet or exit read
//   ? legal [P]   the line just matched is "bestmove M ..." and M is legal in
//                 the position P (default: the position of the go it answers;
//                 the n-th bestmove line answers the n-th go)
//   ? pv          the line just matched is a bestmove whose move is the first
//                 move of the last info line's pv, and whose ponder move, when
//                 it has one, is the second
//   ? info REGEX  the last "info depth" line before the line just matched
//                 contains a match of REGEX
//   sleep MS      wait MS milliseconds
//   quiet MS      read lines until none has come for MS milliseconds
//   close         close the engine's input
//   exit CODE     the engine ends with CODE; its remaining lines are read
//   repeat N      the steps up to the matching "end" are taken N times
//
// TEXT understands \r \n \t \0 \\ \xHH and \[N:TEXT] (TEXT N times).
// REGEX is ECMAScript. Time limits are generous for sanitizer builds: they
// catch a hung engine and never measure speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../search/legal_moves.h"
#include "support/engine_process.h"

namespace {

constexpr int LINE_WAIT_MS = 60000;
constexpr int EXIT_WAIT_MS = 20000 + SANITIZER_EXIT_PAUSE_MS;

struct Step {
  int line;         // in the file, for messages
  std::string op;   // ">", ">>", "<", "=", "!<", "?", "sleep", "quiet", "close", "exit"
  std::string arg;  // for ">" and ">>" already unescaped
};

struct Case {
  std::string file;
  std::string name;  // the test's name: letters, digits and '_'
  std::vector<Step> steps;
  std::string error;  // a mistake in the transcript, reported by the test
};

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string unescape(const std::string& text, size_t& i, char stop) {
  std::string out;
  while (i < text.size() && text[i] != stop) {
    const char c = text[i++];
    if (c != '\\' || i == text.size()) {
      out += c;
      continue;
    }
    const char e = text[i++];
    switch (e) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x':
        out += char(std::stoi(text.substr(i, 2), nullptr, 16));
        i += 2;
        break;
      case '[': {
        const size_t colon = text.find(':', i);
        const int count = std::stoi(text.substr(i, colon - i));
        i = colon + 1;
        const std::string piece = unescape(text, i, ']');
        ++i;  // the closing bracket
        for (int k = 0; k < count; ++k) out += piece;
        break;
      }
      default: out += e;
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  size_t i = 0;
  return unescape(text, i, '\0');
}

// "Stop during a search, twice" gives "StopDuringASearchTwice".
std::string testName(const std::string& title) {
  std::string name;
  bool upper = true;
  for (char c : title) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      name += upper ? char(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    } else {
      upper = true;
    }
  }
  return name;
}

// Expands repeat blocks; returns the position after the matching "end".
size_t expand(const std::vector<Step>& raw, size_t at, std::vector<Step>& out) {
  while (at < raw.size()) {
    const Step& step = raw[at++];
    if (step.op == "end") return at;
    if (step.op != "repeat") {
      out.push_back(step);
      continue;
    }
    std::vector<Step> body;
    const size_t after = expand(raw, at, body);
    for (int k = std::stoi(step.arg); k > 0; --k) out.insert(out.end(), body.begin(), body.end());
    at = after;
  }
  return at;
}

std::vector<Case> loadFile(const std::filesystem::path& path) {
  std::vector<Case> cases;
  std::vector<std::vector<Step>> raw;
  std::ifstream in(path);
  std::string text;
  const std::string file = path.stem().string();
  const std::vector<std::string> ops = {">>", ">", "<", "=", "!<", "?", "sleep", "quiet",
                                        "close", "exit", "repeat", "end"};
  int depth = 0;  // of repeat blocks
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(" \t") == std::string::npos || startsWith(text, "//")) continue;
    if (startsWith(text, "# ")) {
      depth = 0;
      cases.push_back({file, file + "_" + testName(text.substr(2)), {}, ""});
      raw.emplace_back();
      continue;
    }
    const size_t blank = text.find(' ');
    const std::string op = text.substr(0, blank);
    const std::string arg = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (cases.empty()) {
      cases.push_back({file, file + "_Header", {}, ""});
      raw.emplace_back();
    }
    if (std::find(ops.begin(), ops.end(), op) == ops.end() && cases.back().error.empty())
      cases.back().error = "line " + std::to_string(number) + " unreadable: " + text;
    depth += op == "repeat" ? 1 : op == "end" ? -1 : 0;
    if (depth < 0) cases.back().error = "line " + std::to_string(number) + ": end without repeat";
    raw.back().push_back({number, op, op == ">" || op == ">>" ? unescape(arg) : arg});
  }
  for (size_t c = 0; c < cases.size(); ++c) expand(raw[c], 0, cases[c].steps);
  return cases;
}

std::vector<Case> loadAll() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(TAVROLIN_TRANSCRIPTS))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Case> cases;
  for (const auto& path : files) {
    for (Case& c : loadFile(path)) cases.push_back(std::move(c));
  }
  return cases;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// Plays one case against a fresh engine.
class Conversation {
 public:
  explicit Conversation(const Case& c) : case_(c) {}

  void run() {
    for (const Step& step : case_.steps) {
      where_ = case_.file + ".txt:" + std::to_string(step.line) + ": " + step.op + " " + step.arg;
      take(step);
      if (::testing::Test::HasFatalFailure()) return;
    }
    if (!forbidden_.empty()) ADD_FAILURE() << where_ << "\n  a !< line needs a later <, =, quiet or exit";
  }

 private:
  void take(const Step& step) {
    if (step.op == ">" || step.op == ">>") {
      const std::string bytes = step.op == ">" ? step.arg + "\n" : step.arg;
      noteSent(bytes);
      engine_.send(bytes);
    } else if (step.op == "<" || step.op == "=") {
      const std::string pattern = withCaptures(step.arg);
      expect(step.op == "=", std::regex(step.op == "=" ? "(?:" + pattern + ")$" : pattern));
    } else if (step.op == "!<") {
      forbidden_.emplace_back(step.arg, std::regex(step.arg));
    } else if (step.op == "?") {
      check(step.arg);
    } else if (step.op == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.arg)));
    } else if (step.op == "quiet") {
      drain(std::stoi(step.arg));
    } else if (step.op == "close") {
      engine_.closeInput();
    } else if (step.op == "exit") {
      ASSERT_EQ(engine_.waitExit(EXIT_WAIT_MS), std::optional<int>(std::stoi(step.arg))) << where_ << context();
      drain(1000);
    }
  }

  void expectAllowed(const std::string& line) {
    for (const auto& [text, forbidden] : forbidden_)
      EXPECT_FALSE(std::regex_search(line, forbidden)) << where_ << "\n  forbidden (" << text << "): " << line
                                                       << context();
  }

  // Reads until no line comes for quietMs.
  void drain(int quietMs) {
    while (next(quietMs)) expectAllowed(seen_.back());
    forbidden_.clear();
  }

  // Tracks the position of every go sent, for "? legal".
  void noteSent(const std::string& bytes) {
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
      if (startsWith(line, "position ")) position_ = line.substr(9);
      if (line == "go" || startsWith(line, "go ")) goPositions_.push_back(position_);
    }
  }

  // Reads one line into the record; false when none comes in time.
  bool next(int timeoutMs) {
    const std::optional<std::string> line = engine_.readLine(timeoutMs);
    if (!line) return false;
    seen_.push_back(*line);
    answered_.emplace_back();
    if (startsWith(*line, "bestmove")) {
      answered_.back() = goPositions_.empty() ? position_ : goPositions_.front();
      if (!goPositions_.empty()) goPositions_.pop_front();
    }
    return true;
  }

  void expect(bool nextOnly, const std::regex& pattern) {
    for (;;) {
      ASSERT_TRUE(next(LINE_WAIT_MS)) << where_ << "\n  no such line came" << context();
      const std::string& line = seen_.back();
      std::smatch match;
      if (std::regex_search(line, match, pattern, std::regex_constants::match_continuous)) {
        if (match.size() > 1) captures_.assign(match.begin(), match.end());
        break;
      }
      ASSERT_FALSE(nextOnly) << where_ << "\n  came instead: " << line << context();
      expectAllowed(line);
      if (::testing::Test::HasFailure()) return;
    }
    matched_ = seen_.size() - 1;
    forbidden_.clear();
  }

  void check(const std::string& what) {
    ASSERT_LT(matched_, seen_.size()) << where_ << "\n  no line matched yet";
    const std::string& line = seen_[matched_];
    const std::vector<std::string> best = words(line);
    std::string lastInfo;
    for (size_t i = matched_; i-- > 0;) {
      if (startsWith(seen_[i], "info depth")) {
        lastInfo = seen_[i];
        break;
      }
    }
    if (startsWith(what, "info ")) {
      EXPECT_TRUE(std::regex_search(lastInfo, std::regex(what.substr(5)))) << where_ << "\n  last info: " << lastInfo
                                                                           << context();
      return;
    }
    ASSERT_TRUE(best.size() >= 2 && best[0] == "bestmove") << where_ << "\n  not a bestmove: " << line;
    if (startsWith(what, "legal")) {
      const std::string positionText = what.size() > 6 ? what.substr(6) : answered_[matched_];
      const auto legal = legalMoveTexts(positionText);
      EXPECT_TRUE(std::find(legal.begin(), legal.end(), best[1]) != legal.end())
          << where_ << "\n  " << line << " is not legal after position " << positionText << context();
    } else if (what == "pv") {
      const size_t at = lastInfo.find(" pv ");
      ASSERT_NE(at, std::string::npos) << where_ << "\n  no pv before " << line << context();
      const std::vector<std::string> pv = words(lastInfo.substr(at + 4));
      EXPECT_EQ(best[1], pv[0]) << where_ << context();
      if (best.size() >= 4) {
        EXPECT_EQ(best[2], "ponder") << where_;
        ASSERT_GE(pv.size(), 2u) << where_ << context();
        EXPECT_EQ(best[3], pv[1]) << where_ << context();
      }
    } else {
      ADD_FAILURE() << where_ << "\n  unknown check";
    }
  }

  // The pattern with $1..$9 replaced by the groups of the last match that had
  // groups, taken literally.
  std::string withCaptures(const std::string& pattern) const {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
      const size_t group = i + 1 < pattern.size() ? size_t(pattern[i + 1] - '0') : 0;
      if (pattern[i] != '$' || group < 1 || group > 9) {
        out += pattern[i];
        continue;
      }
      const std::string text = group < captures_.size() ? captures_[group] : "";
      for (char c : text) out += std::string(std::isalnum(static_cast<unsigned char>(c)) || c == ' ' ? "" : "\\") + c;
      ++i;
    }
    return out;
  }

  // The last lines read, for failure messages.
  std::string context() const {
    std::string text = "\n  last lines read:";
    for (size_t i = seen_.size() > 12 ? seen_.size() - 12 : 0; i < seen_.size(); ++i) {
      text += "\n    " + seen_[i].substr(0, 200);
    }
    return text;
  }

  const Case& case_;
  EngineProcess engine_;
  std::string where_;
  std::vector<std::string> seen_;
  std::vector<std::string> answered_;  // per line read: the position a bestmove answers
  size_t matched_ = SIZE_MAX;
  std::vector<std::pair<std::string, std::regex>> forbidden_;
  std::vector<std::string> captures_;
  std::string position_ = "startpos";
  std::deque<std::string> goPositions_;
};

// The name alone, in gtest's messages.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class Transcript : public ::testing::TestWithParam<Case> {};

TEST_P(Transcript, Case) {
  const Case& c = GetParam();
  ASSERT_TRUE(c.error.empty()) << c.file << ".txt: " << c.error;
  ASSERT_FALSE(c.steps.empty()) << c.file << ".txt: empty case " << c.name;
  Conversation(c).run();
}

INSTANTIATE_TEST_SUITE_P(Engine, Transcript, ::testing::ValuesIn(loadAll()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
