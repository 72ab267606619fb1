// The engine's identity and its options.
#include <cctype>
#include <cstring>

#include "common/common.h"
#include "host/host_internal.h"

int hashSizeMb = 1;

namespace {
constexpr int HASH_MIN_MB = 1;
constexpr int HASH_MAX_MB = 1024;
}  // namespace

void uciHook() {
  hashSizeMb = 1;
  sendToGui("id name Tavrolin " TAVROLIN_VERSION);
  sendToGui("id author Pemberlyn");
  sendToGui("option name Hash type spin default %d min %d max %d", hashSizeMb, HASH_MIN_MB, HASH_MAX_MB);
  sendToGui("option name Ponder type check default true");
}

void setOptionHook() {
  // Option names ignore letter case; the name is not looked at beyond this text.
  static char lowered[COMMAND_BUFFER_SIZE];
  std::size_t i = 0;
  for (; commandArgs[i] != 0 && i + 1 < sizeof lowered; ++i)
    lowered[i] = char(std::tolower(static_cast<unsigned char>(commandArgs[i])));
  lowered[i] = 0;
  const char* value = std::strstr(lowered, "hash value ");
  if (value != nullptr) hashSizeMb = readInt(value + std::strlen("hash value "));
  if (hashSizeMb < HASH_MIN_MB) hashSizeMb = HASH_MIN_MB;
  if (hashSizeMb > HASH_MAX_MB) hashSizeMb = HASH_MAX_MB;
}
