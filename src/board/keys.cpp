// The random words from which the two position keys are built.
//
// The engine carries its own small generator instead of the runtime's rand,
// whose sequence differs between platforms: the keys, and with them every
// search, are the same everywhere. The words are made once, by the compiler.
#include <cstdint>

#include "board/board.h"
#include "board/board_internal.h"

namespace {

constexpr uint32_t KEY_SEED = 30073;
constexpr int KEY_WORDS = 1024;  // per key: index square | side << 3 | type << 7

struct KeyWords {
  uint32_t lock[KEY_WORDS];
  uint32_t index[KEY_WORDS];
};

// 8192 bytes from the generator, each the high bits of its state modulo 256,
// read as little-endian words: the lock words first, then the index words.
constexpr KeyWords makeKeyWords() {
  KeyWords words{};
  uint32_t state = KEY_SEED;
  for (int i = 0; i < 2 * KEY_WORDS * 4; ++i) {
    state = state * 214013u + 2531011u;
    const uint32_t byte = ((state >> 16) & 0x7FFF) % 256;
    uint32_t& word = i < KEY_WORDS * 4 ? words.lock[i / 4] : words.index[i / 4 - KEY_WORDS];
    word |= byte << (8 * (i % 4));
  }
  return words;
}

constexpr KeyWords keyWords = makeKeyWords();

struct KeyPairs {
  uint64_t pair[KEY_WORDS];
};

constexpr KeyPairs makeKeyPairs() {
  KeyPairs pairs{};
  for (int i = 0; i < KEY_WORDS; ++i) pairs.pair[i] = keyWords.lock[i] | uint64_t(keyWords.index[i]) << 32;
  return pairs;
}

constexpr KeyPairs keyPairWords = makeKeyPairs();

}  // namespace

const uint32_t* const lockKeys = keyWords.lock;
const uint32_t* const indexKeys = keyWords.index;
const uint64_t* const keyPairs = keyPairWords.pair;
