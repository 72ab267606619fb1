// The engine's identity and its options.
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
  // Letter case counts; the option's name is not looked at beyond this text.
  const char* value = findSubstring(commandArgs, "Hash value ");
  if (value != nullptr) hashSizeMb = readInt(value + std::strlen("Hash value "));
  if (hashSizeMb < HASH_MIN_MB) hashSizeMb = HASH_MIN_MB;
  if (hashSizeMb > HASH_MAX_MB) hashSizeMb = HASH_MAX_MB;
}
