// "Endgame.bin" as a file: its exact length and the digest of its one true
// content. The engine and the generator that writes the file share these.
#pragma once

#include <cstddef>
#include <cstdint>

// The exact length of "Endgame.bin"; a file of any other length counts as absent.
constexpr std::size_t ENDGAME_FILE_SIZE = 425984;

// 64-bit FNV-1a digest of a block of bytes.
constexpr uint64_t endgameDigest(const unsigned char* bytes, std::size_t count) {
  uint64_t digest = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < count; ++i) digest = (digest ^ bytes[i]) * 0x100000001B3ull;
  return digest;
}

// The digest of the complete tables; the tables are unique, so every correct
// file has it, and a file that has not is not used.
constexpr uint64_t ENDGAME_FILE_DIGEST = 0xE059E0FC208B9263ull;
