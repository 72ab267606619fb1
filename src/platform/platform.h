// The few operating-system services the engine needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// Reads up to maxBytes raw bytes from standard input; returns the count, 0 at
// the end of input, or -1 when the read fails.
long readStandardInput(char* buffer, std::size_t maxBytes);

// Starts routine on a new detached thread, one step above normal priority
// where the system allows it (otherwise at normal priority, silently).
// False when no thread could be started.
bool startRaisedThread(void (*routine)());

void sleepMs(unsigned milliseconds);

// Milliseconds from a monotonic clock, wrapping at 32 bits.
uint32_t tickCount();

// The local date and time of a calendar time, safe to call from any thread.
std::tm localTime(std::time_t when);

// The length of the regular file at path, or -1 when there is none (a missing
// path, a folder, a pipe or a device). Nothing is opened, so asking never blocks.
long long regularFileSize(const char* path);

// Reads a whole existing, non-empty file into a block of size + 1 bytes that
// allocate returns (zero-filled, freed with free); the last byte stays zero.
// Returns null (and frees the block) when the file cannot be opened, is empty,
// cannot be allocated for or reads short; size receives the file's length.
unsigned char* readWholeFileWith(const char* path, void* (*allocate)(unsigned), std::size_t& size);

// The folder holding the running executable, with a trailing path separator,
// or "".
std::string executableFolder();

// A zero-filled block whose pages are all in memory already, on huge pages
// where the system offers them, so that the first use does not fault them in
// one by one. Freed with free; null when it cannot be had.
void* allocResident(std::size_t bytes);
