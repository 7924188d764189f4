#include "board/checks.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

// A checker limits its own processor time to under a minute even for the longest game; this
// much of the clock means it hangs, or the machine has far more to do than it can.
constexpr int kMostMilliseconds = 300000;
// More than the longest game's recording file, which is the most a checker writes.
constexpr size_t kMostOutput = 8 << 20;

extern "C" char** environ;

// Writes the whole text to the checker, which reads all of it before it answers; a checker
// that stops reading has died, and its status says why.
void Feed(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
}

// Reads what the checker says until it closes its end; false if the clock runs out first.
bool Drain(int fd, std::string* output) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kMostMilliseconds);
  char buffer[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd ready = {fd, POLLIN, 0};
    const int polled = left > 0 ? poll(&ready, 1, static_cast<int>(left)) : 0;
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return false;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (output->size() < kMostOutput) output->append(buffer, static_cast<size_t>(n));
  }
}

CheckRun Spawn(const std::string& program, const char* mode, const std::string& text,
               std::string* output) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return CheckRun::kFailed;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return CheckRun::kFailed;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  // Nothing of the server's but the two pipes: a listening socket held by a checker would
  // keep a restarted board from its port.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // The server blocks its stop signals for its own threads and ignores SIGPIPE; a checker
  // starts with neither.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, pipe;
  sigemptyset(&none);
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &pipe);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(in[0]);
  close(out[1]);
  if (spawned != 0) {
    close(in[1]);
    close(out[0]);
    return CheckRun::kFailed;
  }
  Feed(in[1], text);
  const bool answered = Drain(out[0], output);
  close(out[0]);
  if (!answered) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!answered ||
      (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL))) {
    return CheckRun::kKilled;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? CheckRun::kDone : CheckRun::kFailed;
}

}  // namespace

CheckRun RunCheck(Checks* checks, const char* mode, const std::string& text, std::string* output) {
  {
    std::unique_lock<std::mutex> hold(checks->mutex);
    if (checks->running >= checks->workers) {
      if (checks->waiting >= checks->queue) return CheckRun::kBusy;
      ++checks->waiting;
      checks->freed.wait(hold, [&] { return checks->running < checks->workers; });
      --checks->waiting;
    }
    ++checks->running;
  }
  const CheckRun run = Spawn(checks->program, mode, text, output);
  {
    std::lock_guard<std::mutex> hold(checks->mutex);
    --checks->running;
  }
  checks->freed.notify_one();
  return run;
}
