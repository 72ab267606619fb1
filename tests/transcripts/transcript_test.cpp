// Runs each case of the *.txt files beside this one against a fresh engine
// process; docs/transcripts.md describes the format.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../search/legal_moves.h"
#include "engine_process.h"

namespace {

constexpr int LINE_WAIT_MS = 60000;
constexpr int EXIT_WAIT_MS = 20000 + SANITIZER_EXIT_PAUSE_MS;

struct Step {
  int line;  // in the file, for messages
  std::string op, arg;
};

struct Case {
  std::string name;  // file_CaseName: letters, digits and '_'
  std::vector<Step> steps;
  std::string error;  // a mistake in the transcript, reported by the test
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::string unescape(const std::string& text, size_t& i, char stop = '\0') {
  std::string out;
  while (i < text.size() && text[i] != stop) {
    if (text[i++] != '\\' || i == text.size()) {
      out += text[i - 1];
    } else if (text[i] == 'x') {
      out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 3;
    } else if (text[i] == '[') {
      const size_t colon = text.find(':', i);
      const int count = std::stoi(text.substr(i + 1, colon - i - 1));
      const std::string piece = unescape(text, i = colon + 1, ']');
      ++i;  // the closing bracket
      for (int k = 0; k < count; ++k) out += piece;
    } else {
      const size_t at = std::string("rnt0").find(text[i++]);
      out += at == std::string::npos ? text[i - 1] : "\r\n\t"[at];  // "\0" ends in its zero
    }
  }
  return out;
}

std::vector<Case> loadAll() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(TAVROLIN_TRANSCRIPTS))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  const std::vector<std::string> ops = {">>", ">", "<", "=", "!<", "?", "sleep", "quiet", "close", "exit", "file"};
  std::vector<Case> cases;
  for (const auto& path : files) {
    const size_t firstCase = cases.size();
    std::vector<std::pair<size_t, int>> repeats;  // open repeat blocks: first step, count
    std::ifstream in(path);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
      if (text.find_first_not_of(" \t\r") == std::string::npos || startsWith(text, "//")) continue;
      if (startsWith(text, "# ") || cases.size() == firstCase) {
        // "# Stop during a search, twice" names the case file_StopDuringASearchTwice.
        std::string name = path.stem().string() + "_";
        for (size_t i = 2, upper = 1; i < text.size(); ++i) {
          const bool alnum = std::isalnum(static_cast<unsigned char>(text[i]));
          if (alnum) name += upper ? char(std::toupper(static_cast<unsigned char>(text[i]))) : text[i];
          upper = !alnum;
        }
        cases.push_back({name, {}, startsWith(text, "# ") ? "" : "a step before the first case header"});
        repeats.clear();
        continue;
      }
      Case& c = cases.back();
      const size_t blank = text.find(' ');
      const std::string op = text.substr(0, blank), arg = blank == std::string::npos ? "" : text.substr(blank + 1);
      size_t i = 0;
      if (op == "repeat") {
        repeats.emplace_back(c.steps.size(), std::stoi(arg));
      } else if (op == "end" && !repeats.empty()) {
        const std::vector<Step> body(c.steps.begin() + long(repeats.back().first), c.steps.end());
        for (int k = 1; k < repeats.back().second; ++k) c.steps.insert(c.steps.end(), body.begin(), body.end());
        repeats.pop_back();
      } else if (std::find(ops.begin(), ops.end(), op) != ops.end()) {
        c.steps.push_back({number, op, op[0] == '>' ? unescape(arg, i) : arg});
      } else if (c.error.empty()) {
        c.error = "line " + std::to_string(number) + " unreadable: " + text;
      }
    }
  }
  return cases;
}

class Conversation {
 public:
  void run(const Case& c) {
    for (const Step& step : c.steps) {
      where_ = c.name + ", line " + std::to_string(step.line) + ": " + step.op + " " + step.arg;
      take(step.op, step.arg);
      if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_TRUE(forbidden_.empty()) << where_ << "\n  a !< line needs a later <, =, quiet or exit";
  }

 private:
  void take(const std::string& op, const std::string& arg) {
    if (op[0] == '>') {
      const std::string bytes = arg + (op == ">" ? "\n" : "");
      std::istringstream sent(bytes);
      for (std::string line; std::getline(sent, line);) {
        // As the engine reads it: zero bytes are blanks, outer blanks go.
        std::replace(line.begin(), line.end(), '\0', ' ');
        line = line.substr(0, line.find_last_not_of(" \r") + 1);
        if (startsWith(line, "position ")) position_ = line.substr(9);
        if (line == "go" || startsWith(line, "go ")) goPositions_.push_back(position_);
      }
      engine_.send(bytes);
    } else if (op == "<" || op == "=") {
      expect(op == "=", std::regex(op == "=" ? "(?:" + arg + ")$" : arg));
    } else if (op == "!<") {
      forbidden_.emplace_back(arg);
    } else if (op == "?") {
      check(arg);
    } else if (op == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(arg)));
    } else if (op == "quiet") {
      drain(std::stoi(arg));
    } else if (op == "close") {
      engine_.closeInput();
    } else if (op == "exit") {
      ASSERT_EQ(engine_.waitExit(EXIT_WAIT_MS), std::optional<int>(std::stoi(arg))) << where_ << context();
      drain(1000);
    } else if (op == "file") {
      std::ifstream in(std::filesystem::path(engine_.workDir()) / arg, std::ios::binary);
      fromFile_ = true;
      for (std::string line; std::getline(in, line);) {  // a Windows build's text file ends lines in "\r\n"
        if (!line.empty() && line.back() == '\r') line.pop_back();
        fileLines_.push_back(line);
      }
    }
  }

  // Reads one line into the record; false when none comes in time. A
  // bestmove that answers a go is checked against the go's position.
  bool next(int timeoutMs) {
    std::optional<std::string> line;
    if (!fromFile_) {
      line = engine_.readLine(timeoutMs);
    } else if (!fileLines_.empty()) {
      line = fileLines_.front();
      fileLines_.pop_front();
    }
    if (!line) return false;
    seen_.push_back(*line);
    if (startsWith(*line, "bestmove") && !goPositions_.empty()) {
      expectLegal(words(*line), goPositions_.front());
      goPositions_.pop_front();
    }
    return true;
  }

  void expectLegal(const std::vector<std::string>& best, const std::string& positionText) {
    const auto legal = legalMoveTexts(positionText);
    const bool named = best.size() >= 2 && std::find(legal.begin(), legal.end(), best[1]) != legal.end();
    EXPECT_TRUE(legal.empty() ? best.size() == 2 && best[1] == "0000" : named)
        << where_ << "\n  not legal after position " << positionText << context();
    if (named && best.size() >= 4) {
      const bool hasMoves = positionText.find(" moves ") != std::string::npos;
      expectLegal({"bestmove", best[3]}, positionText + (hasMoves ? " " : " moves ") + best[1]);
    }
  }

  void expectAllowed(const std::string& line) {
    for (const std::string& forbidden : forbidden_)
      EXPECT_FALSE(std::regex_search(line, std::regex(forbidden))) << where_ << "\n  forbidden: " << line << context();
  }

  void drain(int quietMs) {
    while (next(quietMs)) expectAllowed(seen_.back());
    forbidden_.clear();
  }

  void expect(bool nextOnly, const std::regex& pattern) {
    for (;;) {
      ASSERT_TRUE(next(LINE_WAIT_MS)) << where_ << "\n  no such line came" << context();
      if (std::regex_search(seen_.back(), pattern, std::regex_constants::match_continuous)) break;
      ASSERT_FALSE(nextOnly) << where_ << "\n  came instead: " << seen_.back() << context();
      expectAllowed(seen_.back());
      if (::testing::Test::HasFailure()) return;
    }
    matched_ = seen_.size() - 1;
    forbidden_.clear();
  }

  void check(const std::string& what) {
    ASSERT_LT(matched_, seen_.size()) << where_ << "\n  no line matched yet";
    const std::vector<std::string> best = words(seen_[matched_]);
    std::string info;
    for (size_t i = matched_; i-- > 0 && info.empty();) {
      if (startsWith(seen_[i], "info depth")) info = seen_[i];
    }
    if (startsWith(what, "info ")) {
      EXPECT_TRUE(std::regex_search(info, std::regex(what.substr(5)))) << where_ << "\n  last info: " << info;
    } else if (what == "pv") {
      // The pv's words start with "pv": the bestmove's move is its second word.
      const std::vector<std::string> pv = words(info.substr(std::min(info.find(" pv "), info.size())));
      EXPECT_TRUE(best.size() >= 2 && pv.size() >= 2 && pv[1] == best[1]) << where_ << "\n  not the pv's first move" << context();
      const bool ponderAgrees = best.size() < 4 || (pv.size() >= 3 && pv[2] == best[3]);
      EXPECT_TRUE(ponderAgrees) << where_ << "\n  the ponder move is not the pv's second" << context();
    } else {
      ADD_FAILURE() << where_ << "\n  unknown check";
    }
  }

  std::string context() const {
    std::string text = "\n  last lines read:";
    for (size_t i = seen_.size() > 12 ? seen_.size() - 12 : 0; i < seen_.size(); ++i) text += "\n    " + seen_[i].substr(0, 200);
    return text;
  }

  EngineProcess engine_;
  std::string where_;
  std::vector<std::string> seen_, forbidden_;
  size_t matched_ = SIZE_MAX;  // the line of the last < or =
  std::string position_ = "startpos";
  std::deque<std::string> goPositions_, fileLines_;  // the positions of the go's not yet answered
  bool fromFile_ = false;                             // after "file": lines come from fileLines_
};

class Transcript : public ::testing::TestWithParam<Case> {};

TEST_P(Transcript, Case) {
  ASSERT_TRUE(GetParam().error.empty()) << GetParam().name << ": " << GetParam().error;
  ASSERT_FALSE(GetParam().steps.empty()) << "empty case " << GetParam().name;
  Conversation().run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Engine, Transcript, ::testing::ValuesIn(loadAll()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
