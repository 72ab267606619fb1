// The time budget of a go text and the clock check of countNode.
#include <gtest/gtest.h>

#include <climits>

#include "host/host.h"
#include "platform/platform.h"
#include "search/search_internal.h"

namespace {

TEST(TimeBudget, SideToMoveClockIncrementAndMovesToGo) {
  struct Case {
    const char* text;
    char side;
    int budget, untimed;
  };
  const Case cases[] = {
      {"wtime 300000 btime 300000", 'w', 9900, 0},
      {"wtime 300000 winc 2000", 'w', 16750, 0},
      {"btime 60000 movestogo 1", 'b', 57000, 0},
      // Only the side to move's numbers count.
      {"wtime 300000 btime 60000 winc 5000", 'b', 57000 / 30, 0},
      {"wtime 60000 btime 300000 movestogo 10", 'w', 5700, 0},
      // Too little or no time: one millisecond.
      {"wtime 2500", 'w', 1, 0},
      {"depth 8", 'w', 1, 0},
      {"movetime 5000", 'b', 1, 0},
      {"btime 300000", 'w', 1, 0},
      // Infinite and ponder are untimed; keys are matched with their letter case.
      {"infinite", 'w', 1, 1},
      {"ponder wtime 300000 btime 300000", 'w', 9900, 1},
      {"Infinite", 'w', 1, 0},
      // Numbers beyond int saturate; the arithmetic does not overflow.
      {"wtime 99999999999999 movestogo 1", 'w', INT_MAX - 3000, 0},
      {"wtime 99999999999999", 'w', (INT_MAX - 3000) / 30, 0},
      {"wtime 2147483647 winc 2147483647", 'w', 1, 0},
      {"wtime -99999999999 winc -99999999999 movestogo -5", 'w', 1, 0},
  };
  for (const Case& c : cases) {
    untimedSearch = 1 - c.untimed;
    const GoLimits go = parseGoLimits(c.text);
    const int side = c.side == 'w' ? 0 : 1;
    EXPECT_EQ(timeBudget(go, side), c.budget) << c.text;
    setSearchLimits(go, side);
    EXPECT_EQ(untimedSearch.load(), c.untimed) << c.text;
  }
  untimedSearch = 0;
}

class CountNode : public ::testing::Test {
 protected:
  void SetUp() override { abortSearch = untimedSearch = 0; }
  void TearDown() override { abortSearch = untimedSearch = 0; }
  // A search that started long ago with the given budget.
  static void startedLongAgo(int budgetMs) {
    searchLimits.searchStart = tickCount() - 100000u;
    setSearchLimits(parseGoLimits(""), 0);
    searchLimits.timeBudgetMs = budgetMs;
    searchLimits.deadlineMs = budgetMs;
    searchLimits.nodeCount = 0;
  }
};

TEST_F(CountNode, ChecksTheClockEvery4096Counts) {
  startedLongAgo(INT_MAX);  // budget not spent: goes on
  for (int i = 0; i < 3 * 4096; i++) ASSERT_EQ(countNode(), 0);
  EXPECT_EQ(searchLimits.nodeCount, 3u * 4096u);

  startedLongAgo(1);
  for (int i = 1; i < 4096; i++) ASSERT_EQ(countNode(), 0) << i;
  EXPECT_EQ(countNode(), 1);
  EXPECT_EQ(searchLimits.nodeCount, 4096u);
  // Once stopped, nothing more is counted.
  EXPECT_EQ(countNode(), 1);
  EXPECT_EQ(searchLimits.nodeCount, 4096u);
  // An abort from outside stops at once.
  startedLongAgo(INT_MAX);
  abortSearch = 1;
  EXPECT_NE(countNode(), 0);
  EXPECT_EQ(searchLimits.nodeCount, 0u);
}

TEST_F(CountNode, UntimedSearchIsNeverStoppedByTheClock) {
  startedLongAgo(1);
  untimedSearch = 1;
  for (int i = 0; i < 3 * 4096; i++) ASSERT_EQ(countNode(), 0);
  // After ponderhit the clock counts from the start of the go.
  untimedSearch = 0;
  for (int i = 1; i < 4096; i++) ASSERT_EQ(countNode(), 0);
  EXPECT_EQ(countNode(), 1);
}

}  // namespace
