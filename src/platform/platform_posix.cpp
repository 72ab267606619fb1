// The operating-system services on Linux and other POSIX systems: POSIX calls
// and the C++ library.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

long readStandardInput(char* buffer, std::size_t maxBytes) {
  for (;;) {
    const ssize_t count = read(STDIN_FILENO, buffer, maxBytes);
    if (count >= 0) return static_cast<long>(count);
    if (errno != EINTR) return -1;
  }
}

namespace {

// One step above the process's own priority. Lowering the nice value needs a
// privilege; without it the thread simply keeps the normal priority.
void raiseOwnPriority() {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  if (nice == -1 && errno != 0) return;
  if (nice > -20) setpriority(PRIO_PROCESS, gettid(), nice - 1);
}

}  // namespace

bool startRaisedThread(void (*routine)()) {
  try {
    std::thread([routine] {
      raiseOwnPriority();
      routine();
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void sleepMs(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t tickCount() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::tm localTime(std::time_t when) {
  std::tm parts{};
  localtime_r(&when, &parts);
  return parts;
}

long long regularFileSize(const char* path) {
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<long long>(info.st_size);
}

unsigned char* readWholeFileWith(const char* path, void* (*allocate)(unsigned), std::size_t& size) {
  size = 0;
  // Not blocking: a pipe put in the file's place must not hold the reader up.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<unsigned long long>(info.st_size) >= UINT_MAX) {
    close(fd);
    return nullptr;
  }
  const std::size_t length = static_cast<std::size_t>(info.st_size);
  auto* block = static_cast<unsigned char*>(allocate(static_cast<unsigned>(length + 1)));
  if (block == nullptr) {
    close(fd);
    return nullptr;
  }
  std::size_t done = 0;
  while (done < length) {
    const ssize_t count = read(fd, block + done, length - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += static_cast<std::size_t>(count);
  }
  close(fd);
  if (done != length) {
    std::free(block);
    return nullptr;
  }
  size = length;
  return block;
}

std::string executableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string full(path, static_cast<std::size_t>(length));
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return "";
  return full.substr(0, slash + 1);
}

void* allocResident(std::size_t bytes) {
  // A large block comes straight from the system, zero-filled and not yet in
  // memory; free releases it as any other.
  void* block = std::calloc(bytes, 1);
  if (block == nullptr) return nullptr;
  // The size of a huge page on the systems the engine runs on. Only advice:
  // without transparent huge pages the block keeps small pages.
  constexpr std::uintptr_t HUGE_PAGE_BYTES = std::uintptr_t(2) << 20;
  const std::uintptr_t first = (std::uintptr_t(block) + HUGE_PAGE_BYTES - 1) & ~(HUGE_PAGE_BYTES - 1);
  const std::uintptr_t last = (std::uintptr_t(block) + bytes) & ~(HUGE_PAGE_BYTES - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  // Writing a byte of every page brings the page in; the bytes are zero
  // already, so the write changes nothing else.
  const std::size_t pageBytes = std::size_t(sysconf(_SC_PAGESIZE));
  volatile unsigned char* bytesOfBlock = static_cast<unsigned char*>(block);
  for (std::size_t i = 0; i < bytes; i += pageBytes) bytesOfBlock[i] = 0;
  return block;
}
