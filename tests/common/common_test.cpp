// A failed allocation is reported on standard output and gives null. The test
// runs in a child process whose address space is capped, so that the
// allocation really fails (the sanitizers need more address space than that).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "common/common.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(AllocZeroed, ReportsAFailureInGermanAndGivesNull) {
  auto allocateTooMuch = [] {
    const rlimit cap{1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &cap);
    testing::internal::CaptureStdout();
    void* block = allocZeroed(4294967295u);
    const std::string said = testing::internal::GetCapturedStdout();
    std::exit(block == nullptr && said == "4294967295 Bytes Arbeitsspeicher nicht mehr verf\x81gbar\n" ? 0 : 1);
  };
  EXPECT_EXIT(allocateTooMuch(), testing::ExitedWithCode(0), "");
}
#endif
