// Output to the GUI, the protocol log "LogBook.txt" and its time stamps.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "common/common.h"
#include "host/host_internal.h"
#include "platform/platform.h"

namespace {

// Opened at the first logged line and kept open until the process ends.
std::FILE* logFile = nullptr;
// Covers the opening of logFile and the three writes of each log line.
std::mutex logLock;

// German names, indexed as std::tm counts. The a-umlaut of March is the
// single byte 0xE4: the log is single-byte text.
const char weekdayShortNames[7][3] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
const char weekdayLongNames[7][11] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                      "Donnerstag", "Freitag", "Samstag"};
const char monthNames[12][10] = {"Januar", "Februar", "M\xE4rz",     "April",   "Mai",      "Juni",
                                 "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

void replaceNumber(char* text, const char* code, const char* format, int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, format, value);
  replaceAll(text, code, digits);
}

}  // namespace

void sendToGui(const char* format, ...) {
  // One more byte than the line can hold, for its line end.
  char line[COMMAND_BUFFER_SIZE + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, COMMAND_BUFFER_SIZE, format, args);
  va_end(args);
  const std::size_t length = std::strlen(line);
  line[length] = '\n';
  {
    std::lock_guard<std::mutex> guard(outputLock());
    std::fwrite(line, 1, length + 1, stdout);
  }
  line[length] = 0;
  if (debugMode) logLine("Engine to GUI: \"%s\"", line);
}

void sendLine(const char* line) { sendToGui("%s", line); }

void logLine(const char* format, ...) {
  char stamp[64] = "&H:&I:&S - ";
  formatTimestamp(stamp, 0);
  char message[COMMAND_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);

  std::lock_guard<std::mutex> guard(logLock);
  if (logFile == nullptr) {
    logFile = std::fopen("LogBook.txt", "w");
    if (logFile == nullptr) return;  // this line is lost; the next one tries again
    std::setvbuf(logFile, nullptr, _IONBF, 0);
  }
  std::fputs(stamp, logFile);
  std::fputs(message, logFile);
  std::fputs("\n", logFile);
}

void formatTimestamp(char* text, int offsetSeconds) {
  formatTimestampAt(text, localTime(std::time(nullptr) + offsetSeconds));
}

void formatTimestampAt(char* text, const std::tm& when) {
  char year[16];
  std::snprintf(year, sizeof year, "%04d", when.tm_year + 1900);
  // Long codes go before the shorter codes they begin with.
  replaceAll(text, "&JJJ", year);
  replaceAll(text, "&J", year + std::strlen(year) - 2);
  replaceAll(text, "&ML", monthNames[when.tm_mon]);
  replaceNumber(text, "&M", "%02d", when.tm_mon + 1);
  replaceNumber(text, "&T", "%02d", when.tm_mday);
  replaceAll(text, "&WL", weekdayLongNames[when.tm_wday]);
  replaceAll(text, "&W", weekdayShortNames[when.tm_wday]);
  replaceNumber(text, "&LL", "%03d", when.tm_yday + 1);
  replaceNumber(text, "&H", "%02d", when.tm_hour);
  replaceNumber(text, "&I", "%02d", when.tm_min);
  replaceNumber(text, "&S", "%02d", when.tm_sec);
  // By the daylight-saving flag alone, whatever the machine's zone.
  replaceAll(text, "&Z", when.tm_isdst > 0 ? "+0200" : "+0100");
}

void holdOutputForExit() {
  logLock.lock();
  outputLock().lock();
}
