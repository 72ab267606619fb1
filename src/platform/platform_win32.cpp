// The operating-system services on Windows: the Win32 calls and the C++
// library.
#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <process.h>
#include <windows.h>

#include <climits>
#include <cstdlib>

long readStandardInput(char* buffer, std::size_t maxBytes) {
  // Raw bytes from the handle, whether a console or a pipe: no line editing
  // or translation by the C library in between.
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr) return -1;
  const DWORD wanted = maxBytes > 0x10000000u ? 0x10000000u : static_cast<DWORD>(maxBytes);
  DWORD count = 0;
  if (ReadFile(input, buffer, wanted, &count, nullptr)) return static_cast<long>(count);
  // A pipe whose writer has gone is the end of input, like a closed console.
  const DWORD error = GetLastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  return -1;
}

namespace {

struct ThreadStart {
  void (*routine)();
};

unsigned __stdcall runThread(void* argument) {
  const ThreadStart start = *static_cast<ThreadStart*>(argument);
  delete static_cast<ThreadStart*>(argument);
  start.routine();
  return 0;
}

}  // namespace

bool startRaisedThread(void (*routine)()) {
  auto* start = new ThreadStart{routine};
  // Through the C library's own thread start, as the routine uses the C library.
  const auto thread =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runThread, start, CREATE_SUSPENDED, nullptr));
  if (thread == nullptr) {
    delete start;
    return false;
  }
  // Failing to raise the priority leaves it normal, which is still correct.
  SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  ResumeThread(thread);
  CloseHandle(thread);  // the thread runs on, detached
  return true;
}

void sleepMs(unsigned milliseconds) { Sleep(milliseconds); }

uint32_t tickCount() {
  // The performance counter, not GetTickCount: that one moves in steps of 10
  // to 16 ms, which would overshoot a budget of a few milliseconds.
  static const long long frequency = [] {
    LARGE_INTEGER perSecond{};
    QueryPerformanceFrequency(&perSecond);
    return perSecond.QuadPart;
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const long long ms = now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency;
  return static_cast<uint32_t>(ms);
}

std::tm localTime(std::time_t when) {
  std::tm parts{};
  localtime_s(&parts, &when);
  return parts;
}

long long regularFileSize(const char* path) {
  // The attributes come from the folder entry: nothing is opened.
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &info)) return -1;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) return -1;
  return static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
}

unsigned char* readWholeFileWith(const char* path, void* (*allocate)(unsigned), std::size_t& size) {
  size = 0;
  // A folder cannot be opened this way (that needs FILE_FLAG_BACKUP_SEMANTICS).
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER fileSize{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &fileSize) || fileSize.QuadPart <= 0 ||
      static_cast<unsigned long long>(fileSize.QuadPart) >= UINT_MAX) {
    CloseHandle(file);
    return nullptr;
  }
  const std::size_t length = static_cast<std::size_t>(fileSize.QuadPart);
  auto* block = static_cast<unsigned char*>(allocate(static_cast<unsigned>(length + 1)));
  if (block == nullptr) {
    CloseHandle(file);
    return nullptr;
  }
  std::size_t done = 0;
  while (done < length) {
    DWORD count = 0;
    if (!ReadFile(file, block + done, static_cast<DWORD>(length - done), &count, nullptr) || count == 0) break;
    done += count;
  }
  CloseHandle(file);
  if (done != length) {
    std::free(block);
    return nullptr;
  }
  size = length;
  return block;
}

std::string executableFolder() {
  char path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return "";
  const std::string full(path, length);
  const std::size_t separator = full.find_last_of("\\/");
  if (separator == std::string::npos) return "";
  return full.substr(0, separator + 1);
}

void* allocResident(std::size_t bytes) {
  // A large block comes zero-filled and not yet in memory; writing a byte of
  // every page brings the page in (the bytes are zero already, so the write
  // changes nothing else). Large pages need a privilege and are not asked for.
  void* block = std::calloc(bytes, 1);
  if (block == nullptr) return nullptr;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const std::size_t pageBytes = info.dwPageSize;
  volatile unsigned char* bytesOfBlock = static_cast<unsigned char*>(block);
  for (std::size_t i = 0; i < bytes; i += pageBytes) bytesOfBlock[i] = 0;
  return block;
}
