// driftbeam-board: a board of driftbeam's best games, each replayed before it ranks.
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "board/api.h"
#include "board/options.h"
#include "board/submission.h"

namespace {

constexpr int kSubmissionsAMinute = 10;  // from one address, in a burst or spread out
constexpr int kFilesAMinute = 30;        // recording files for one address, the same way
constexpr int kTimeoutSeconds = 5;       // a client that sends or reads nothing for this long

// The checker lives beside the board's own binary.
std::string CheckerPath() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string self = n > 0 ? std::string(path, static_cast<size_t>(n)) : "driftbeam-board";
  return self.substr(0, self.rfind('/') + 1) + "driftbeam-board-check";
}

int Fail(const std::string& line, int status) {
  std::fprintf(stderr, "driftbeam-board: %s\n", line.c_str());
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Parse the command line.
  BoardOptions options;
  std::string error;
  if (!ParseBoardOptions(argc, argv, &options, &error)) {
    return Fail(error + "\nTry 'driftbeam-board --help'.", 2);
  }
  if (options.help || options.version) {
    std::fputs(options.help ? kBoardUsage : "driftbeam-board " DRIFTBEAM_VERSION "\n", stdout);
    return 0;
  }
  // A client gone while it is answered, or a checker gone while it is fed, is an error to
  // handle, not a reason to stop. SIGINT and SIGTERM are waited for by one thread, so they
  // are blocked in every thread started after this.
  signal(SIGPIPE, SIG_IGN);
  sigset_t stopping;
  sigemptyset(&stopping);
  sigaddset(&stopping, SIGINT);
  sigaddset(&stopping, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopping, nullptr);

  // Open the database, migrating its schema.
  std::unique_ptr<Store> store = Store::Open(options.db, &error);
  if (!store) return Fail(error, 1);

  // The checks: a worker per core, a bounded queue.
  Checks checks;
  checks.program = CheckerPath();
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  checks.workers = options.workers > 0 ? options.workers : std::max(cores, 1);
  checks.queue = options.queue > 0 ? options.queue : 8 * checks.workers;
  if (access(checks.program.c_str(), X_OK) != 0) {
    return Fail(checks.program + ": cannot be run: the board checks games with it", 1);
  }
  Buckets buckets;
  buckets.perSecond = kSubmissionsAMinute / 60.0;
  buckets.most = kSubmissionsAMinute;
  Buckets files;
  files.perSecond = kFilesAMinute / 60.0;
  files.most = kFilesAMinute;

  // The server: enough threads for every check running or waiting, and for the lists and
  // the page beside them.
  httplib::Server server;
  const size_t threads = static_cast<size_t>(checks.workers + checks.queue + 8);
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_payload_max_length(kMostBodyBytes);
  server.set_read_timeout(kTimeoutSeconds);
  server.set_write_timeout(kTimeoutSeconds);
  server.set_keep_alive_timeout(kTimeoutSeconds);
  Board board = {store.get(), &checks, &buckets, &files};
  ServeBoard(&server, &board);
  if (!options.page.empty() && !server.set_mount_point("/", options.page)) {
    return Fail(options.page + ": cannot be served: not a folder", 1);
  }

  // Listen, say where, and serve until told to stop.
  const int port = options.port == 0
                       ? server.bind_to_any_port(options.host)
                       : (server.bind_to_port(options.host, options.port) ? options.port : -1);
  if (port < 0) {
    return Fail("cannot listen on " + options.host + ":" + std::to_string(options.port), 1);
  }
  const std::string host =
      options.host.find(':') == std::string::npos ? options.host : "[" + options.host + "]";
  // A URL may carry a password: only a file's name is printed.
  const bool file = options.db.find("://") == std::string::npos;
  std::printf("driftbeam-board: http://%s:%d/board on %s\n", host.c_str(), port,
              file ? options.db.c_str() : "PostgreSQL");
  std::fflush(stdout);
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopping, &signal);
    server.stop();
  });
  stopper.detach();
  return server.listen_after_bind() ? 0 : 1;
}
