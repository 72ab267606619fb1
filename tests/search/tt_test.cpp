// The transposition table: bounds, clamping, the depth and replacement rules,
// and the table set-up at "isready".
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board/board.h"
#include "host/host.h"
#include "search/search.h"
#include "search/search_internal.h"

namespace {

constexpr int MISS = 99999;

int probe(int alpha, int beta, int depth) {
  int16_t score = -12345;
  return probeHash(alpha, beta, depth, &score) ? score : MISS;
}

void usePosition(uint32_t lock, uint32_t index) {
  position.lockKey = lock;
  position.indexKey = index;
}

// Probes and stores against a small table of the test's own; the position's
// keys are set directly to choose slots and locks.
class HashTable : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTable = hashTable;
    savedEntries = hashEntries;
    hashTable = entries;
    hashEntries = 8;
    usePosition(0x12345678, 3);
  }
  void TearDown() override {
    hashTable = savedTable;
    hashEntries = savedEntries;
  }
  HashEntry entries[8]{};
  HashEntry* savedTable = nullptr;
  uint32_t savedEntries = 0;
};

// A result stored from the window (-100, 100) at depth 4, then probed.
TEST_F(HashTable, BoundsAnswerWithinTheirRangeClampedToTheWindow) {
  struct Probe {
    int alpha, beta, depth, answer;
  };
  struct Case {
    int score;  // as the search returned it
    int bound, stored;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {30, BOUND_EXACT, 30,
       {{-50, 50, 3, 30}, {-50, 50, 4, 30}, {-50, 20, 3, 20}, {40, 80, 3, 40}, {-50, 50, 5, MISS}}},
      // Failed high, or equal to beta: a lower bound at beta, answering at or above beta.
      {150, BOUND_LOWER, 100, {{-50, 90, 4, 90}, {-50, 100, 4, 100}, {-50, 120, 4, MISS}}},
      {100, BOUND_LOWER, 100, {{-50, 100, 4, 100}}},
      // Failed low, or equal to alpha: an upper bound at alpha, answering at or below alpha.
      {-150, BOUND_UPPER, -100, {{-80, 50, 4, -80}, {-100, 50, 4, -100}, {-120, 50, 4, MISS}}},
      {-100, BOUND_UPPER, -100, {{-100, 50, 4, -100}}},
  };
  for (const Case& c : cases) {
    std::memset(entries, 0, sizeof entries);
    storeHash(-100, 100, 4, int16_t(c.score));
    EXPECT_EQ(entries[3].lock, 0x12345678u);
    EXPECT_EQ(entries[3].depth, 4);
    EXPECT_EQ(entries[3].bound, c.bound) << c.score;
    EXPECT_EQ(entries[3].score, c.stored) << c.score;
    for (const Probe& p : c.probes) {
      EXPECT_EQ(probe(p.alpha, p.beta, p.depth), p.answer) << c.score << ": " << p.alpha << ", " << p.beta;
    }
  }
}

TEST_F(HashTable, DeeperResultOfTheSamePositionStaysAnotherPositionReplaces) {
  storeHash(-100, 100, 4, 10);
  storeHash(-100, 100, 3, 20);  // shallower, even though exact: ignored
  EXPECT_EQ(entries[3].score, 10);
  EXPECT_EQ(entries[3].depth, 4);
  storeHash(-100, 100, 4, 30);  // as deep: replaces
  EXPECT_EQ(entries[3].score, 30);
  storeHash(-100, 100, 9, 200);  // deeper: replaces, here with a lower bound
  EXPECT_EQ(entries[3].depth, 9);
  EXPECT_EQ(entries[3].bound, BOUND_LOWER);

  usePosition(0x0BADCAFE, 11);  // 11 % 8 = 3: the same slot
  EXPECT_EQ(probe(-100, 100, 1), MISS);
  storeHash(-100, 100, 1, 20);  // shallower, but another position
  EXPECT_EQ(entries[3].lock, 0x0BADCAFEu);
  EXPECT_EQ(entries[3].depth, 1);
  EXPECT_EQ(probe(-100, 100, 1), 20);
  usePosition(0x12345678, 3);
  EXPECT_EQ(probe(-100, 100, 1), MISS);
}

void setHashOption(const char* args) {
  std::strcpy(commandArgs, args);
  setOptionHook();
}

TEST(TableSetUp, IsReadySizesTheTableFromTheHashOptionAndKeepsTheKeys) {
  prepareTables();  // the start-up call
  setupPosition("startpos moves e2e4 e7e5 g1f3");
  const uint32_t lock = position.lockKey, index = position.indexKey;

  setHashOption("name Hash value 32");
  prepareTables();
  EXPECT_EQ(hashEntries, 4194304u);
  // The key block was made again, with the same bytes.
  uint32_t freshLock = 0, freshIndex = 0;
  computeKeys(freshLock, freshIndex);
  EXPECT_EQ(freshLock, lock);
  EXPECT_EQ(freshIndex, index);

  // The same size keeps the table and what it holds; another size starts empty.
  int16_t score = 0;
  storeHash(-100, 100, 3, 42);
  prepareTables();
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 1);
  EXPECT_EQ(score, 42);
  setHashOption("name Hash value 1");
  prepareTables();
  EXPECT_EQ(hashEntries, 131072u);
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 0);

  releaseTables();
  EXPECT_EQ(hashTable, nullptr);
  EXPECT_EQ(keyBlock, nullptr);
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 0);  // no table: a miss, not a crash
  storeHash(-100, 100, 3, 42);
  prepareTables();
  EXPECT_EQ(hashEntries, 131072u);
  EXPECT_NE(keyBlock, nullptr);
}

}  // namespace
