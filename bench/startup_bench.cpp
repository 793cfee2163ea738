// Start-up of the program, offscreen, from the launch to the Trace pane's first paint of the trace
// named on the command line (or of the empty pane), beside the same launch of the smallest Qt
// widgets program: "x_minimal" is the ratio of the medians, "peak_rss_mb" the program's peak
// resident memory. Both processes end at their first paint (LUMIVANE_EXIT_AT_FIRST_PAINT).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pulse_trace_file.h"

extern char** environ;

namespace {

constexpr int kLaunches = 15;
constexpr int kTimeoutMs = 60000;

struct Launch {
  double ms;
  double peakRssMb;
};

// A folder of its own: the program's settings and recent files land there, and no splash picture
// lies in it, so the start is a plain one.
const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("lumivane-startup-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

std::vector<std::string> ChildEnvironment() {
  const std::string folder = WorkFolder().string();
  const std::vector<std::pair<std::string, std::string>> set{
      {"QT_QPA_PLATFORM", "offscreen"},
      {"LUMIVANE_EXIT_AT_FIRST_PAINT", "1"},
      {"LUMIVANE_INSTANCE_NAME", "startup-bench-" + std::to_string(::getpid())},
      {"HOME", folder},
      {"XDG_CONFIG_HOME", folder + "/config"},
      {"XDG_RUNTIME_DIR", folder},
  };
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const bool replaced = std::any_of(set.begin(), set.end(), [&](const auto& kv) {
      return entry.rfind(kv.first + "=", 0) == 0;
    });
    if (!replaced && entry.rfind("LUMIVANE_", 0) != 0) env.push_back(entry);
  }
  for (const auto& [key, value] : set) env.push_back(key + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

/// Runs the program to its end; the time covers spawning, start-up and the first paint.
Launch RunToFirstPaint(std::vector<std::string> argv) {
  std::vector<std::string> env = ChildEnvironment();
  const std::vector<char*> args = Pointers(argv);
  const std::vector<char*> envp = Pointers(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, WorkFolder().c_str());
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const auto start = std::chrono::steady_clock::now();
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv[0]);

  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  pollfd wait{pidfd, POLLIN, 0};
  if (pidfd < 0 || ::poll(&wait, 1, kTimeoutMs) != 1) {
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  if (pidfd >= 0) ::close(pidfd);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " did not reach its first paint");
  return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss / 1024.0};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0.0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::string TraceFile(int points) {
  const std::filesystem::path path = WorkFolder() / ("link-" + PointsLabel(points) + ".sor");
  if (!std::filesystem::exists(path)) {
    const std::vector<std::uint8_t> image = PulseTraceImage(points);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                               static_cast<std::streamsize>(image.size()));
  }
  return path.string();
}

// points 0: started without a file.
void BM_StartupToFirstPaint(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  std::vector<std::string> program{LUMIVANE_EXECUTABLE};
  if (points > 0) program.push_back(TraceFile(points));
  std::vector<double> app;
  std::vector<double> minimal;
  std::vector<double> rss;
  try {
    for (auto _ : state) {
      // Alternating, so a change of the machine's load reaches both sides alike.
      minimal.push_back(RunToFirstPaint({MINIMAL_QT_WINDOW}).ms);
      const Launch launch = RunToFirstPaint(program);
      app.push_back(launch.ms);
      rss.push_back(launch.peakRssMb);
      state.SetIterationTime(launch.ms / 1000.0);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  state.counters["app_ms"] = Median(app);
  state.counters["minimal_ms"] = Median(minimal);
  state.counters["x_minimal"] = Median(app) / Median(minimal);
  state.counters["peak_rss_mb"] = Median(rss);
}
BENCHMARK(BM_StartupToFirstPaint)
    ->ArgName("points")
    ->Arg(0)
    ->Arg(20000)
    ->Arg(kSorMaxSamples)
    ->Iterations(kLaunches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
