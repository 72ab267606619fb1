// The allocator and the text routines shared by the host and the engine.
#pragma once

#include <cstddef>

// A zero-filled block of size bytes, or null after the German report line.
void* allocZeroed(unsigned size);
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

const char* findSubstring(const char* text, const char* pattern);
char* findSubstring(char* text, const char* pattern);
const char* findChar(const char* text, char c);
char* findChar(char* text, char c);
int replaceAll(char* text, const char* find, const char* replacement);
void trimSpaces(char* text);
char* duplicateString(const char* text);

// Reads an int the way atoi does (blanks, sign, digits up to the first other
// character, 0 without digits), but saturates at the ends of int's range.
int readInt(const char* text);
