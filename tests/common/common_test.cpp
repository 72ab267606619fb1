#include "common/common.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(AllocZeroed, GivesAZeroFilledBlock) {
  auto* block = static_cast<unsigned char*>(allocZeroed(1000));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(block[i], 0) << i;
  std::free(block);
}

TEST(ReportError, WritesOneLineToStandardOutput) {
  testing::internal::CaptureStdout();
  reportError("%u Bytes Arbeitsspeicher nicht mehr verf\x81gbar", 12u);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "12 Bytes Arbeitsspeicher nicht mehr verf\x81gbar\n");
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
  const std::string out = testing::internal::GetCapturedStdout();
  const bool reported = out == "4294967295 Bytes Arbeitsspeicher nicht mehr verf\x81gbar\n";
  std::exit(block == nullptr && reported ? 0 : 1);
}

TEST(AllocZeroed, ReportsAFailureInGermanAndGivesNull) {
  EXPECT_EXIT(allocateTooMuchAndExit(), testing::ExitedWithCode(0), "");
}
#endif

TEST(Find, SubstringsWithLetterCaseAndCharacters) {
  const char* text = "name Hash value 32";
  EXPECT_EQ(findSubstring(text, "Hash value "), text + 5);
  EXPECT_EQ(findSubstring("name hash value 32", "Hash value "), nullptr);
  EXPECT_EQ(findSubstring(text, ""), text);
  EXPECT_EQ(findSubstring(text, "32"), text + 16);
  EXPECT_EQ(findSubstring(text, "32 "), nullptr);  // never past the text's end
  EXPECT_EQ(findSubstring("", "a"), nullptr);
  EXPECT_EQ(findSubstring("aab", "ab"), "aab" + 1);

  EXPECT_EQ(findChar(text, ' '), text + 4);
  EXPECT_EQ(findChar(text, 'x'), nullptr);
  EXPECT_EQ(findChar(text, '\0'), text + std::strlen(text));
}

TEST(ReplaceAll, ShrinksKeepsAndGrowsTheText) {
  char tabs[32] = "a\tb\tc";
  EXPECT_EQ(replaceAll(tabs, "\t", " "), 2);
  EXPECT_STREQ(tabs, "a b c");

  char none[32] = "abc";
  EXPECT_EQ(replaceAll(none, "x", "yy"), 0);
  EXPECT_STREQ(none, "abc");

  // Matches do not overlap and a replacement is not searched again.
  char runs[32] = "\n\n\n";
  EXPECT_EQ(replaceAll(runs, "\n\n", "\n"), 1);
  EXPECT_STREQ(runs, "\n\n");
  char again[32] = "aaa";
  EXPECT_EQ(replaceAll(again, "a", "aa"), 3);
  EXPECT_STREQ(again, "aaaaaa");

  char grows[64] = "&W, &T. &W!";
  EXPECT_EQ(replaceAll(grows, "&W", "Donnerstag"), 2);
  EXPECT_STREQ(grows, "Donnerstag, &T. Donnerstag!");

  char shrinks[64] = "one  two   three";
  EXPECT_EQ(replaceAll(shrinks, "  ", " "), 2);
  EXPECT_STREQ(shrinks, "one two  three");
}

TEST(TrimSpaces, RemovesOnlyOuterBlanks) {
  char blanks[16] = "    ";
  trimSpaces(blanks);
  EXPECT_STREQ(blanks, "");

  char inner[32] = "go  infinite";
  trimSpaces(inner);
  EXPECT_STREQ(inner, "go  infinite");

  char outer[32] = "  isready \t ";
  trimSpaces(outer);
  EXPECT_STREQ(outer, "isready \t");  // only the blank counts
}

TEST(DuplicateString, CopiesIntoANewBlock) {
  const char text[] = "position startpos";
  char* copy = duplicateString(text);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, text);
  EXPECT_STREQ(copy, text);
  std::free(copy);
}

TEST(ReadInt, ReadsLikeAtoiButSaturates) {
  EXPECT_EQ(readInt("64"), 64);
  EXPECT_EQ(readInt("  -5xyz"), -5);
  EXPECT_EQ(readInt("+17 18"), 17);
  EXPECT_EQ(readInt("abc"), 0);
  EXPECT_EQ(readInt(""), 0);
  EXPECT_EQ(readInt("- 5"), 0);
  EXPECT_EQ(readInt("2147483647"), INT_MAX);
  EXPECT_EQ(readInt("2147483648"), INT_MAX);
  EXPECT_EQ(readInt("99999999999999999999999999"), INT_MAX);
  EXPECT_EQ(readInt("-2147483648"), INT_MIN);
  EXPECT_EQ(readInt("-99999999999999999999999999"), INT_MIN);
}

}  // namespace
