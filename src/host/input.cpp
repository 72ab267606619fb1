// The input thread: reads standard input, assembles and cleans up lines and
// hands them to the main thread, or serves them itself during a search.
#include <cstring>

#include "common/common.h"
#include "host/host_internal.h"
#include "platform/platform.h"

namespace {

// Longest unfinished text the input buffer holds; a line that does not end
// within it is dropped whole.
constexpr std::size_t INPUT_CAPACITY = COMMAND_BUFFER_SIZE - 1;

char inputBuffer[COMMAND_BUFFER_SIZE];  // bytes read that do not yet form a line
std::size_t inputLength = 0;
bool droppingLine = false;  // skipping the rest of an over-long line up to its end
char lineBuffer[COMMAND_BUFFER_SIZE];

void waitWhilePending() {
  const unsigned generation = pollGeneration();
  if (commandPending != 0) waitForPoll(generation);
}

// Every line end (CR LF, LF CR, CR, LF) becomes one LF; empty lines vanish.
void normalizeLineEnds() {
  replaceAll(inputBuffer, "\r", "\n");
  while (replaceAll(inputBuffer, "\n\n", "\n") > 0) {
  }
}

// Words end up separated by exactly one blank, without blanks around them.
void cleanUpLine(char* line) {
  replaceAll(line, "\t", " ");
  while (replaceAll(line, "  ", " ") > 0) {
  }
  trimSpaces(line);
}

// Splits line into commandWord and commandArgs and hands it to the main
// thread, or, during a search, serves it here. A received line is logged once
// the command before it is done, so that a "debug" just before it has taken
// effect.
void handOver(const char* line, bool received) {
  while (commandPending != 0) whileCommandPending();
  if (received && debugMode) logLine("Received: \"%s\"", line);

  std::lock_guard<std::mutex> guard(handOverLock);
  commandArgs[0] = 0;
  const char* blank = std::strchr(line, ' ');
  const std::size_t wordLength = blank != nullptr ? static_cast<std::size_t>(blank - line) : std::strlen(line);
  if (blank != nullptr) std::strcpy(commandArgs, blank + 1);
  std::memcpy(commandWord, line, wordLength);
  commandWord[wordLength] = 0;

  if (thinking == 0) {
    ++handOverCount;
    commandPending = 1;
    wakePoll();
    return;
  }
  if (debugMode) logLine("Processing while thinking: \"%s\" \"%s\"", commandWord, commandArgs);
  if (commandIs("debug")) {
    applyDebugCommand();
  } else if (commandIs("isready")) {
    sendToGui("readyok");
  } else if (commandIs("ponderhit")) {
    engineHooks.ponderhitHook();
    answerOnCommand = goWaitsForStop.load();
  } else if (commandIs("stop")) {
    engineHooks.stopHook();
    // A timed search gets its one bestmove line from the dispatcher when it
    // has returned; an untimed or infinite one gets none there, so it is
    // reported here.
    if (answerOnCommand) answerGo(1);
  } else {
    engineHooks.stopHook();
    ++handOverCount;
    commandPending = 1;
    wakePoll();
  }
}

void handleLine(char* line) {
  cleanUpLine(line);
  // A line end split over two reads leaves an empty line: it is no command.
  if (line[0] == 0) return;
  handOver(line, true);
}

// Handles every complete line in the input buffer, in order; the unfinished
// rest moves to the front.
void handleCompleteLines() {
  for (;;) {
    char* lineEnd = std::strchr(inputBuffer, '\n');
    if (lineEnd == nullptr) break;
    const std::size_t lineLength = static_cast<std::size_t>(lineEnd - inputBuffer);
    std::memcpy(lineBuffer, inputBuffer, lineLength);
    lineBuffer[lineLength] = 0;
    std::memmove(inputBuffer, lineEnd + 1, std::strlen(lineEnd + 1) + 1);
    handleLine(lineBuffer);
  }
  inputLength = std::strlen(inputBuffer);
}

}  // namespace

std::mutex handOverLock;
void (*whileCommandPending)() = waitWhilePending;

void handleInputBytes(const char* bytes, std::size_t count) {
  while (count > 0) {
    if (droppingLine) {
      std::size_t skip = 0;
      while (skip < count && bytes[skip] != '\r' && bytes[skip] != '\n') ++skip;
      bytes += skip;
      count -= skip;
      if (count == 0) return;
      droppingLine = false;  // the line end that follows closes the dropped line
    }
    const std::size_t take = count < INPUT_CAPACITY - inputLength ? count : INPUT_CAPACITY - inputLength;
    for (std::size_t i = 0; i < take; ++i) {
      // A zero byte would end the text early; it is no command character.
      inputBuffer[inputLength + i] = bytes[i] != 0 ? bytes[i] : ' ';
    }
    inputBuffer[inputLength + take] = 0;
    bytes += take;
    count -= take;

    normalizeLineEnds();
    handleCompleteLines();
    if (inputLength == INPUT_CAPACITY) {
      // No line end within the whole buffer: the line is too long to execute.
      inputLength = 0;
      inputBuffer[0] = 0;
      droppingLine = true;
    }
  }
  if (debugMode && inputLength > 0) logLine("Error: No CRLF in input buffer - Buffer=\"%s\"", inputBuffer);
}

void handleEndOfInput() {
  if (!droppingLine && inputLength > 0) {
    std::memcpy(lineBuffer, inputBuffer, inputLength + 1);
    resetInputReader();
    handleLine(lineBuffer);
  }
  resetInputReader();
  // The process ends as though the GUI had sent "quit".
  handOver("quit", false);
}

void resetInputReader() {
  inputLength = 0;
  inputBuffer[0] = 0;
  droppingLine = false;
}

void inputReader() {
  // The target of each read.
  char readBuffer[COMMAND_BUFFER_SIZE];
  for (;;) {
    const long count = readStandardInput(readBuffer, COMMAND_BUFFER_SIZE - 1);
    if (count <= 0) break;
    handleInputBytes(readBuffer, static_cast<std::size_t>(count));
  }
  handleEndOfInput();
}
