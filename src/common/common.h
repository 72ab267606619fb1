// The allocator and the text routines shared by the host and the engine.
#pragma once

#include <cstddef>
#include <mutex>

// A zero-filled block of size bytes (given back with free), or null after the
// German report line on standard output.
void* allocZeroed(unsigned size);
// Writes one formatted line straight to standard output (not to the log).
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The lock that every writer of a line to standard output holds while it
// writes, so that lines of the two threads never interleave.
std::mutex& outputLock();

// Replaces every non-overlapping occurrence of find (never empty) in place and
// returns the count; a longer replacement needs room in the caller's buffer.
int replaceAll(char* text, const char* find, const char* replacement);
// Removes leading and trailing blanks (only ' ', not tabs) in place.
void trimSpaces(char* text);
// A copy of text in a new zero-filled block, or null.
char* duplicateString(const char* text);

// Reads an int the way atoi does (blanks, sign, digits up to the first other
// character, 0 without digits), but saturates at the ends of int's range.
int readInt(const char* text);

// Reads a whole decimal number from lowest to highest out of a command-line
// argument (nothing else, not even blanks); false when text is anything else.
bool readNumberArgument(const char* text, long lowest, long highest, long& number);
// The answer to a command line a program cannot use: "PROGRAM: cannot use
// "ARGUMENT"" and the usage on standard error; returns the exit status, 2.
int refuseArgument(const char* program, const char* argument, const char* usage);
