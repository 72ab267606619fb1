// The shared text routines on heap blocks of exactly the size they need, so
// that the sanitizer builds see any byte read or written beyond them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/common.h"

TEST(Text, ReplaceTrimDuplicateAndReadInt) {
  const struct {
    const char *text, *find, *replacement, *result;
    int count;
    const char* trimmed;
  } cases[] = {
      {"a&Zb&Z&Z", "&Z", "+0100", "a+0100b+0100+0100", 3, "a&Zb&Z&Z"},  // grows over its own rest
      {"a  b    c", "  ", " ", "a b  c", 3, "a  b    c"},
      {"  two words  ", "&Z", "+0100", "  two words  ", 0, "two words"},
      {"   ", " ", "", "", 3, ""},
  };
  for (const auto& c : cases) {
    std::vector<char> text(std::max(std::strlen(c.text), std::strlen(c.result)) + 1);
    std::strcpy(text.data(), c.text);
    EXPECT_EQ(replaceAll(text.data(), c.find, c.replacement), c.count) << c.text;
    EXPECT_STREQ(text.data(), c.result);
    std::vector<char> exact(c.text, c.text + std::strlen(c.text) + 1);
    trimSpaces(exact.data());
    EXPECT_STREQ(exact.data(), c.trimmed);
  }
  char* copy = duplicateString("twenty-three characters");
  EXPECT_STREQ(copy, "twenty-three characters");
  std::free(copy);
  EXPECT_EQ(readInt("  +12x"), 12);
  EXPECT_EQ(readInt("-99999999999"), INT_MIN);
  EXPECT_EQ(readInt("99999999999"), INT_MAX);
  EXPECT_EQ(readInt("none"), 0);
  // A command-line number: digits only, both bounds allowed.
  long number = 0;
  EXPECT_TRUE(readNumberArgument("20", 1, 20, number) && number == 20);
  EXPECT_TRUE(readNumberArgument("1", 1, 20, number) && number == 1);
  for (const char* refused : {"21", "0", "5x", "-3", ""}) EXPECT_FALSE(readNumberArgument(refused, 1, 20, number)) << refused;
}
