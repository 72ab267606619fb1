// The host's inner routines, shared by its own files, its tests and the
// input fuzzer; the engine sees only host.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <ctime>
#include <mutex>

#include "host/host.h"

constexpr int COMMAND_BUFFER_SIZE = 16384;

// Shared between the input thread and the main thread.
extern std::atomic<int> commandPending;
extern std::atomic<int> debugMode;
extern std::atomic<int> thinking;
extern char commandWord[COMMAND_BUFFER_SIZE];
extern char commandArgs[COMMAND_BUFFER_SIZE];

// The Hash option in megabytes: 1..1024, handed to the engine at "isready".
extern int hashSizeMb;

// One line to the GUI (and, in debug mode, to the log).
void sendToGui(const char* format, ...) __attribute__((format(printf, 1, 2)));
// One time-stamped line to "LogBook.txt"; callers test debugMode themselves.
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The engine's routines, filled once at start-up.
extern EngineHooks engineHooks;

// Counts every line the input thread hands over, so that the dispatcher can
// tell a new line from the "go" that is still pending after goHook.
extern std::atomic<unsigned> handOverCount;
// Held by the input thread while it hands over or serves one line, and by the
// dispatcher while it settles the end of a search: a line that arrives as a
// search ends is then either served by the input thread during the search or
// executed after it, never lost and never answered twice.
extern std::mutex handOverLock;

// Set by every "go" until its one bestmove line is out. answerGo prints that
// line (through the engine's bestmove hook) when it is still owed, and does
// nothing otherwise, so a late "stop" or "ponderhit" cannot add a second one.
extern std::atomic<bool> answerOwed;
void answerGo(int stopped);
// Set by a "go infinite": its bestmove comes only after "stop", even when the
// search has ended by itself.
extern std::atomic<bool> goWaitsForStop;
// Set by a go with "ponder" or "infinite" while its answer waits for "stop"
// or "ponderhit" rather than for the end of the search.
extern std::atomic<bool> answerOnCommand;

// Whether commandWord is word, as a whole word ignoring letter case.
bool commandIs(const char* word);
// "debug": "on" or "off" (any letter case) in commandArgs switches debugMode.
void applyDebugCommand();

// Executes the pending command, if any; 0 after "quit", else 1.
int dispatchCommand();

// The input thread's routine: reads standard input until it ends.
void inputReader();

// The input thread's work on bytes that have been read: line assembly,
// clean-up, and the hand-over of each complete line.
void handleInputBytes(const char* bytes, std::size_t count);
// What the input thread does when its input ends: the unfinished last line is
// handled as a line, then "quit" is handed over.
void handleEndOfInput();
// Empties the input thread's buffer (for tests and the fuzzer).
void resetInputReader();

// Both threads poll commandPending at least every 10 milliseconds; a change
// of it wakes the other thread at once. pollGeneration() is read before the
// flag is tested, and waitForPoll(generation) returns at the next wake-up
// after that reading, or after 10 milliseconds.
unsigned pollGeneration();
void waitForPoll(unsigned generation);
void wakePoll();

// What the input thread does while a command is still pending; by default it
// waits for the next wake-up, 10 milliseconds at most. A driver without a second thread installs a routine
// that runs the dispatcher instead.
extern void (*whileCommandPending)();

// Replaces the ampersand codes in text, in place, by parts of the local time
// offsetSeconds from now; the buffer needs room for the longer values.
void formatTimestamp(char* text, int offsetSeconds);
// The same for a given broken-down time.
void formatTimestampAt(char* text, const std::tm& when);

// Takes the output and log locks for good, so that no line of the input
// thread is cut off while the process exits.
void holdOutputForExit();
