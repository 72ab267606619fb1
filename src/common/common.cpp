// The allocator with its German failure report, and the text routines.
#include "common/common.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Room for the longest report: the allocator's line with a ten-digit number.
char reportBuffer[256];

}  // namespace

std::mutex& outputLock() {
  static std::mutex lock;
  return lock;
}

void reportError(const char* format, ...) {
  std::lock_guard<std::mutex> guard(outputLock());
  va_list args;
  va_start(args, format);
  std::vsnprintf(reportBuffer, sizeof reportBuffer, format, args);
  va_end(args);
  std::fputs(reportBuffer, stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

void* allocZeroed(unsigned size) {
  // calloc hands out a zero-filled block without touching pages it gets
  // zeroed from the system.
  void* block = std::calloc(size, 1);
  if (block == nullptr) {
    // The u-umlaut is the byte 0x81, as the console code pages write it.
    reportError("%u Bytes Arbeitsspeicher nicht mehr verf\x81gbar", size);
  }
  return block;
}

int replaceAll(char* text, const char* find, const char* replacement) {
  char* match = std::strstr(text, find);
  if (match == nullptr) return 0;

  const std::size_t findLength = std::strlen(find);
  const std::size_t replacementLength = std::strlen(replacement);
  const bool grows = replacementLength > findLength;
  // A growing text is written over its own rest, so the rest is saved first.
  char* savedRest = nullptr;
  if (grows) {
    savedRest = duplicateString(match + findLength);
    if (savedRest == nullptr) return 0;  // reported; the text stays as it was
  }

  int count = 0;
  while (match != nullptr) {
    const char* rest = match + findLength;
    if (grows && count > 0) {
      std::strcpy(savedRest, rest);  // shorter than the first saved rest
    }
    if (grows) rest = savedRest;
    const std::size_t restLength = std::strlen(rest);
    std::memcpy(match, replacement, replacementLength);
    if (replacementLength != findLength) {
      std::memmove(match + replacementLength, rest, restLength + 1);
    }
    ++count;
    match = std::strstr(match + replacementLength, find);
  }
  std::free(savedRest);
  return count;
}

void trimSpaces(char* text) {
  const char* start = text;
  while (*start == ' ') ++start;
  std::size_t length = std::strlen(start);
  std::memmove(text, start, length + 1);
  while (length > 0 && text[length - 1] == ' ') --length;
  text[length] = 0;
}

char* duplicateString(const char* text) {
  const std::size_t length = std::strlen(text);
  char* copy = static_cast<char*>(allocZeroed(static_cast<unsigned>(length + 1)));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

int readInt(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  // Collected as a negative number, whose range reaches INT_MIN.
  long long value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10 - (*text - '0');
    if (value < INT_MIN) value = static_cast<long long>(INT_MIN) - 1;  // stays saturated
    ++text;
  }
  if (negative) return value < INT_MIN ? INT_MIN : static_cast<int>(value);
  return -value > INT_MAX ? INT_MAX : static_cast<int>(-value);
}

bool readNumberArgument(const char* text, long lowest, long highest, long& number) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != 0 || value < lowest || value > highest) return false;
  number = value;
  return true;
}

int refuseArgument(const char* program, const char* argument, const char* usage) {
  std::fprintf(stderr, "%s: cannot use \"%s\"\n", program, argument);
  std::fputs(usage, stderr);
  return 2;
}
