#include "common/common.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

const char* const OUT_OF_MEMORY = " Bytes Arbeitsspeicher nicht mehr verf\x81gbar\n";

TEST(AllocZeroed, GivesAZeroFilledBlockAndDuplicatesText) {
  auto* block = static_cast<unsigned char*>(allocZeroed(1000));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(block[i], 0) << i;
  std::free(block);

  const char text[] = "position startpos";
  char* copy = duplicateString(text);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, text);
  EXPECT_STREQ(copy, text);
  std::free(copy);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Runs in a child process whose address space is capped, so that the
// allocation really fails (the sanitizers need more address space than that).
void allocateTooMuchAndExit() {
  rlimit cap{};
  cap.rlim_cur = cap.rlim_max = 1u << 30;
  setrlimit(RLIMIT_AS, &cap);
  testing::internal::CaptureStdout();
  void* block = allocZeroed(4294967295u);
  const bool reported = testing::internal::GetCapturedStdout() == std::string("4294967295") + OUT_OF_MEMORY;
  std::exit(block == nullptr && reported ? 0 : 1);
}

TEST(AllocZeroed, ReportsAFailureInGermanAndGivesNull) {
  EXPECT_EXIT(allocateTooMuchAndExit(), testing::ExitedWithCode(0), "");
}
#endif

TEST(ReportError, WritesOneLineToStandardOutput) {
  testing::internal::CaptureStdout();
  reportError("%u Bytes Arbeitsspeicher nicht mehr verf\x81gbar", 12u);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("12") + OUT_OF_MEMORY);
}

TEST(Find, SubstringsWithLetterCaseAndCharacters) {
  const char* text = "name Hash value 32";
  EXPECT_EQ(findSubstring(text, "Hash value "), text + 5);
  EXPECT_EQ(findSubstring("name hash value 32", "Hash value "), nullptr);
  EXPECT_EQ(findSubstring(text, ""), text);
  EXPECT_EQ(findSubstring(text, "32"), text + 16);
  EXPECT_EQ(findSubstring(text, "32 "), nullptr);  // never past the text's end
  EXPECT_EQ(findSubstring("aab", "ab"), "aab" + 1);

  EXPECT_EQ(findChar(text, ' '), text + 4);
  EXPECT_EQ(findChar(text, 'x'), nullptr);
  EXPECT_EQ(findChar(text, '\0'), text + std::strlen(text));
}

TEST(ReplaceAll, ShrinksKeepsAndGrowsTheText) {
  struct Case {
    const char *text, *find, *replacement, *result;
    int count;
  };
  const Case cases[] = {
      {"a\tb\tc", "\t", " ", "a b c", 2},
      {"abc", "x", "yy", "abc", 0},
      {"\n\n\n", "\n\n", "\n", "\n\n", 1},  // matches do not overlap
      {"aaa", "a", "aa", "aaaaaa", 3},      // a replacement is not searched again
      {"&W, &T. &W!", "&W", "Donnerstag", "Donnerstag, &T. Donnerstag!", 2},
      {"one  two   three", "  ", " ", "one two  three", 2},
  };
  for (const Case& c : cases) {
    char text[64];
    std::strcpy(text, c.text);
    EXPECT_EQ(replaceAll(text, c.find, c.replacement), c.count) << c.text;
    EXPECT_STREQ(text, c.result);
  }
}

TEST(TrimSpaces, RemovesOnlyOuterBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"    ", ""}, {"go  infinite", "go  infinite"}, {"  isready \t ", "isready \t"}, {" \tgo ", "\tgo"}};
  for (const auto& [input, result] : cases) {
    char text[32];
    std::strcpy(text, input);
    trimSpaces(text);
    EXPECT_STREQ(text, result);
  }
}

TEST(ReadInt, ReadsLikeAtoiButSaturates) {
  const std::pair<const char*, int> cases[] = {
      {"64", 64},     {"  -5xyz", -5},          {"+17 18", 17},
      {"abc", 0},     {"- 5", 0},               {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},                 {"99999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999", INT_MIN}};
  for (const auto& [text, value] : cases) EXPECT_EQ(readInt(text), value) << text;
}

}  // namespace
