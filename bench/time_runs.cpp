// Runs a program a number of times with its output sent to /dev/null and
// prints the wall-clock time of each run in milliseconds, one per line.
// A small process that spawns with posix_spawn adds far less to each figure
// than starting the program from a script interpreter would.
//
//   time_runs RUNS PROGRAM [ARGS...]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

double nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: time_runs RUNS PROGRAM [ARGS...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[2], &actions, nullptr, argv + 2, environ) != 0) {
      std::perror(argv[2]);
      return 1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) {
      std::perror("waitpid");
      return 1;
    }
    times.push_back(nowMs() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "%s failed (status %d)\n", argv[2], status);
      return 1;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  for (double t : times) std::printf("%.3f\n", t);
  return 0;
}
