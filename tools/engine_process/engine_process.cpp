#include "engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

EngineProcess::EngineProcess(std::string workDir, std::string binary) : workDir_(std::move(workDir)) {
  // A write to an engine that has already ended must fail, not end the test.
  signal(SIGPIPE, SIG_IGN);
  if (workDir_.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrolin-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    workDir_ = pattern;
    ownsWorkDir_ = true;
  }
  const char* replacement = binary == TAVROLIN_BINARY ? std::getenv("TAVROLIN_TEST_ENGINE") : nullptr;
  dropCarriageReturns_ = replacement != nullptr && *replacement != 0;
  const std::string shellCommand = dropCarriageReturns_ ? "exec " + std::string(replacement) : "";
  // The child starts in workDir, so a path relative to this folder is made absolute first.
  const std::string program = std::filesystem::absolute(binary).string();
  int input[2];
  int output[2];
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(input[0], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    if (chdir(workDir_.c_str()) != 0) _exit(126);
    if (dropCarriageReturns_) execl("/bin/sh", "sh", "-c", shellCommand.c_str(), static_cast<char*>(nullptr));
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  toEngine_ = input[1];
  fromEngine_ = output[0];
}

EngineProcess::~EngineProcess() {
  closeInput();
  if (fromEngine_ >= 0) close(fromEngine_);
  if (!exitCode_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (ownsWorkDir_) {
    std::error_code ignored;
    std::filesystem::remove_all(workDir_, ignored);
  }
}

void EngineProcess::send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size() && toEngine_ >= 0) {
    const ssize_t count = write(toEngine_, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;  // the engine has closed its end
    done += static_cast<std::size_t>(count);
  }
}

void EngineProcess::sendLine(const std::string& line) { send(line + "\n"); }

std::optional<std::string> EngineProcess::readLine(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const std::size_t lineEnd = buffered_.find('\n');
    if (lineEnd != std::string::npos) {
      std::string line = buffered_.substr(0, lineEnd);
      buffered_.erase(0, lineEnd + 1);
      if (dropCarriageReturns_ && !line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (fromEngine_ < 0) return std::nullopt;
    pollfd ready{fromEngine_, POLLIN, 0};
    const int polled = poll(&ready, 1, msLeft(deadline));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return std::nullopt;
    char chunk[4096];
    const ssize_t count = read(fromEngine_, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {  // the engine's output has ended
      close(fromEngine_);
      fromEngine_ = -1;
      continue;
    }
    buffered_.append(chunk, static_cast<std::size_t>(count));
  }
}

std::optional<std::string> EngineProcess::waitFor(const std::string& prefix, int timeoutMs,
                                                  std::vector<std::string>* seen) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::optional<std::string> line = readLine(msLeft(deadline));
    if (!line) return std::nullopt;
    if (seen != nullptr) seen->push_back(*line);
    if (line->rfind(prefix, 0) == 0) return line;
  }
}

void EngineProcess::closeInput() {
  if (toEngine_ >= 0) close(toEngine_);
  toEngine_ = -1;
}

std::optional<int> EngineProcess::waitExit(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!exitCode_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return exitCode_;
}

const std::string& EngineProcess::workDir() const { return workDir_; }
