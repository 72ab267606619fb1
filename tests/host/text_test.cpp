// The shared text routines, each on texts of exactly their own size, so that
// the sanitizer builds see any byte read or written beyond them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/common.h"

namespace {

// A heap copy of text in a block of room bytes.
std::unique_ptr<char[]> block(const std::string& text, size_t room) {
  std::unique_ptr<char[]> b(new char[room]);
  std::memcpy(b.get(), text.c_str(), text.size() + 1);
  return b;
}

TEST(Text, ReplaceAllGrowsShrinksAndCounts) {
  struct Case {
    const char* text;
    const char* find;
    const char* replacement;
    const char* result;
    int count;
  } cases[] = {
      {"a&Zb&Z&Z", "&Z", "+0100", "a+0100b+0100+0100", 3},  // grows over its own rest
      {"&WL, &T.", "&WL", "Sonntag", "Sonntag, &T.", 1},
      {"a  b    c", "  ", " ", "a b  c", 3},
      {"\r\nx\r", "\r", "\n", "\n\nx\n", 2},
      {"abc", "&Z", "+0100", "abc", 0},
  };
  for (const Case& c : cases) {
    auto text = block(c.text, std::max(std::strlen(c.text), std::strlen(c.result)) + 1);
    EXPECT_EQ(replaceAll(text.get(), c.find, c.replacement), c.count) << c.text;
    EXPECT_STREQ(text.get(), c.result) << c.text;
  }
}

TEST(Text, TrimDuplicateAndReadNumbers) {
  const char* const trims[][2] = {{"  two words  ", "two words"}, {"   ", ""}, {"x", "x"}};
  for (const auto& trim : trims) {
    auto text = block(trim[0], std::strlen(trim[0]) + 1);
    trimSpaces(text.get());
    EXPECT_STREQ(text.get(), trim[1]);
  }
  char* copy = duplicateString("twenty-three characters");
  EXPECT_STREQ(copy, "twenty-three characters");
  std::free(copy);
  EXPECT_EQ(readInt("  +12x"), 12);
  EXPECT_EQ(readInt("-99999999999"), INT_MIN);
  EXPECT_EQ(readInt("99999999999"), INT_MAX);
  EXPECT_EQ(readInt("-2147483648"), INT_MIN);
  EXPECT_EQ(readInt("none"), 0);
}

}  // namespace
