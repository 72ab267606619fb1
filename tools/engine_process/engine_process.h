// The real engine binary as a child process, talked to over pipes.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// How much longer a sanitizer build takes to end: ThreadSanitizer pauses a
// second at exit for late reports. Add it to exit time limits.
#if defined(__SANITIZE_THREAD__)
inline constexpr int SANITIZER_EXIT_PAUSE_MS = 1000;
#else
inline constexpr int SANITIZER_EXIT_PAUSE_MS = 0;
#endif

class EngineProcess {
 public:
  // Starts the binary (default TAVROLIN_BINARY, a compile definition) with pipes, in workDir ("" = a fresh
  // temporary directory that the object removes at the end). A shell command in TAVROLIN_TEST_ENGINE
  // ("wine /absolute/path/tavrolin.exe") replaces the default binary, its lines read without a final "\r".
  explicit EngineProcess(std::string workDir = "", std::string binary = TAVROLIN_BINARY);
  ~EngineProcess();  // closes pipes, kills and reaps if still running
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  void send(const std::string& bytes);     // raw bytes, no line end added
  void sendLine(const std::string& line);  // adds "\n"
  std::optional<std::string> readLine(int timeoutMs = 5000);  // next stdout line without its "\n"
  // Reads lines until one starts with prefix; returns it (nullopt on timeout); every line read, the
  // matching one included, is appended to *seen when given.
  std::optional<std::string> waitFor(const std::string& prefix, int timeoutMs = 10000,
                                     std::vector<std::string>* seen = nullptr);
  void closeInput();
  std::optional<int> waitExit(int timeoutMs = 5000);  // exit code; nullopt on timeout
  const std::string& workDir() const;

 private:
  std::string workDir_;
  bool ownsWorkDir_ = false;
  pid_t pid_ = -1;
  int toEngine_ = -1;
  int fromEngine_ = -1;
  std::string buffered_;
  bool dropCarriageReturns_ = false;
  std::optional<int> exitCode_;
};
