// The random key block from which the two position keys are built.
//
// The engine carries its own small generator instead of the runtime's rand,
// whose sequence differs between platforms: the keys, and with them every
// search, are the same everywhere. Every fill starts from the same seed, so a
// block made again gives the same bytes and the keys of a position already set
// up stay valid.
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "board/board.h"
#include "common/common.h"
#include "search/search_internal.h"

// The key words are read straight out of the block as little-endian words.
static_assert(std::endian::native == std::endian::little, "the key block is read as little-endian words");

unsigned char* keyBlock = nullptr;
uint32_t keySeed = 0;

namespace {
uint32_t randomState = 0;
}

int randomInRange(int lo, int hi) {
  if (keySeed != 0) {
    randomState = keySeed;
    keySeed = 0;
  }
  randomState = randomState * 214013u + 2531011u;
  const int draw = int((randomState >> 16) & 0x7FFF);
  return lo + draw % (hi - lo + 1);
}

void fillKeyBlock(unsigned n) {
  // Allocate first: when that fails the old block, which holds the very same
  // bytes, stays in use and the keys of the current position stay valid.
  auto* block = static_cast<unsigned char*>(allocZeroed(n));
  if (block == nullptr) return;  // the allocator has reported it
  std::free(keyBlock);
  keyBlock = block;
  keySeed = KEY_SEED;
  for (unsigned i = 0; i < n; ++i) keyBlock[i] = static_cast<unsigned char>(randomInRange(0, 255));
  const bool wholeTables = n >= 2 * 1024 * sizeof(uint32_t);
  lockKeys = wholeTables ? reinterpret_cast<const uint32_t*>(keyBlock) : nullptr;
  indexKeys = wholeTables ? lockKeys + 1024 : nullptr;
}
