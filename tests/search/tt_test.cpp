// The transposition table: bounds, clamping, the depth and replacement rules,
// and the table set-up at "isready".
#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"
#include "host/host.h"
#include "search/search.h"
#include "search/search_internal.h"

namespace {

// Probes and stores against a small table of the test's own; the position's
// keys are set directly to choose slots and locks.
class HashTable : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTable = hashTable;
    savedEntries = hashEntries;
    std::memset(entries, 0, sizeof entries);
    hashTable = entries;
    hashEntries = 8;
    usePosition(0x12345678, 3);
  }
  void TearDown() override {
    hashTable = savedTable;
    hashEntries = savedEntries;
  }
  static void usePosition(uint32_t lock, uint32_t index) {
    position.lockKey = lock;
    position.indexKey = index;
  }
  static int probe(int alpha, int beta, int depth) {
    int16_t score = -12345;
    if (!probeHash(alpha, beta, depth, &score)) return MISS;
    return score;
  }
  static constexpr int MISS = 99999;

  HashEntry entries[8];
  HashEntry* savedTable = nullptr;
  uint32_t savedEntries = 0;
};

TEST_F(HashTable, ExactEntryAnswersShallowerSearchesClampedToTheWindow) {
  storeHash(-100, 100, 5, 30);
  const HashEntry& e = entries[3];
  EXPECT_EQ(e.lock, 0x12345678u);
  EXPECT_EQ(e.bound, BOUND_EXACT);
  EXPECT_EQ(e.depth, 5);
  EXPECT_EQ(e.score, 30);

  EXPECT_EQ(probe(-50, 50, 3), 30);
  EXPECT_EQ(probe(-50, 50, 5), 30);
  EXPECT_EQ(probe(-50, 20, 3), 20);  // above beta: beta
  EXPECT_EQ(probe(40, 80, 3), 40);   // below alpha: alpha
  EXPECT_EQ(probe(-50, 50, 6), MISS);
}

TEST_F(HashTable, LowerBoundAnswersOnlyAtOrAboveBeta) {
  storeHash(-100, 100, 4, 150);  // failed high: the bound is beta
  EXPECT_EQ(entries[3].bound, BOUND_LOWER);
  EXPECT_EQ(entries[3].score, 100);
  EXPECT_EQ(probe(-50, 90, 4), 90);
  EXPECT_EQ(probe(-50, 100, 4), 100);
  EXPECT_EQ(probe(-50, 120, 4), MISS);

  storeHash(-100, 100, 4, 100);  // a score equal to beta is a lower bound too
  EXPECT_EQ(entries[3].bound, BOUND_LOWER);
}

TEST_F(HashTable, UpperBoundAnswersOnlyAtOrBelowAlpha) {
  storeHash(-100, 100, 4, -150);  // failed low: the bound is alpha
  EXPECT_EQ(entries[3].bound, BOUND_UPPER);
  EXPECT_EQ(entries[3].score, -100);
  EXPECT_EQ(probe(-80, 50, 4), -80);
  EXPECT_EQ(probe(-100, 50, 4), -100);
  EXPECT_EQ(probe(-120, 50, 4), MISS);

  storeHash(-100, 100, 4, -100);  // a score equal to alpha is an upper bound
  EXPECT_EQ(entries[3].bound, BOUND_UPPER);
}

TEST_F(HashTable, DeeperResultOfTheSamePositionStays) {
  storeHash(-100, 100, 4, 10);
  storeHash(-100, 100, 3, 20);  // shallower, even though exact: ignored
  EXPECT_EQ(entries[3].score, 10);
  EXPECT_EQ(entries[3].depth, 4);
  storeHash(-100, 100, 4, 30);  // as deep: replaces
  EXPECT_EQ(entries[3].score, 30);
  storeHash(-100, 100, 6, 200);  // deeper: replaces, here with a lower bound
  EXPECT_EQ(entries[3].depth, 6);
  EXPECT_EQ(entries[3].bound, BOUND_LOWER);
}

TEST_F(HashTable, AnotherPositionAlwaysReplacesAndMisses) {
  storeHash(-100, 100, 9, 10);
  usePosition(0x0BADCAFE, 11);  // 11 % 8 = 3: the same slot
  EXPECT_EQ(probe(-100, 100, 1), MISS);
  storeHash(-100, 100, 1, 20);
  EXPECT_EQ(entries[3].lock, 0x0BADCAFEu);
  EXPECT_EQ(entries[3].depth, 1);
  EXPECT_EQ(probe(-100, 100, 1), 20);
  usePosition(0x12345678, 3);
  EXPECT_EQ(probe(-100, 100, 1), MISS);
}

TEST(TableSetUp, IsReadySizesTheTableFromTheHashOptionAndKeepsTheKeys) {
  prepareTables();  // the start-up call
  setupPosition("startpos moves e2e4 e7e5 g1f3");
  uint32_t lock = position.lockKey;
  uint32_t index = position.indexKey;

  std::strcpy(commandArgs, "name Hash value 32");
  setOptionHook();
  prepareTables();
  EXPECT_EQ(hashEntries, 4194304u);
  ASSERT_NE(hashTable, nullptr);
  EXPECT_EQ(hashTable[hashEntries - 1].lock, 0u);

  // The key block was made again, with the same bytes.
  ASSERT_NE(keyBlock, nullptr);
  uint32_t freshLock = 0, freshIndex = 0;
  computeKeys(freshLock, freshIndex);
  EXPECT_EQ(freshLock, lock);
  EXPECT_EQ(freshIndex, index);
  EXPECT_EQ(position.lockKey, lock);

  // The same size keeps the table and what it holds.
  storeHash(-100, 100, 3, 42);
  HashEntry* table = hashTable;
  prepareTables();
  EXPECT_EQ(hashTable, table);
  int16_t score = 0;
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 1);
  EXPECT_EQ(score, 42);

  std::strcpy(commandArgs, "name Hash value 1");
  setOptionHook();
  prepareTables();
  EXPECT_EQ(hashEntries, 131072u);
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 0);  // a new table starts empty

  releaseTables();
  EXPECT_EQ(hashTable, nullptr);
  EXPECT_EQ(hashEntries, 0u);
  EXPECT_EQ(keyBlock, nullptr);
  EXPECT_EQ(lockKeys, nullptr);
  EXPECT_EQ(probeHash(-100, 100, 3, &score), 0);  // no table: a miss, not a crash
  storeHash(-100, 100, 3, 42);

  prepareTables();
  EXPECT_EQ(hashEntries, 131072u);
  ASSERT_NE(keyBlock, nullptr);
}

}  // namespace
