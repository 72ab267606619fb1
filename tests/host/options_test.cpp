#include <gtest/gtest.h>

#include <cstring>

#include "host/host_internal.h"

namespace {

int hashAfter(const char* args) {
  std::strcpy(commandArgs, args);
  setOptionHook();
  return hashSizeMb;
}

TEST(Options, HashValueIsReadAndKeptInRange) {
  hashSizeMb = 1;
  EXPECT_EQ(hashAfter("name Hash value 64"), 64);
  EXPECT_EQ(hashAfter("name hash value 32"), 32);  // names in any letter case
  EXPECT_EQ(hashAfter("name Ponder value false"), 32);
  EXPECT_EQ(hashAfter("name Hash value 32MB"), 32);
  EXPECT_EQ(hashAfter("name Hash value abc"), 1);
  EXPECT_EQ(hashAfter("name Hash value -5"), 1);
  EXPECT_EQ(hashAfter("name Hash value 1024"), 1024);
  EXPECT_EQ(hashAfter("name Hash value 1025"), 1024);
  EXPECT_EQ(hashAfter("name Hash value"), 1024);  // no blank behind "value": not the option text
  EXPECT_EQ(hashAfter("name Hash value 99999999999"), 1024);
  EXPECT_EQ(hashAfter("name Hash value -99999999999"), 1);
}

}  // namespace
