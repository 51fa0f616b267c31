// The corvane tool against cs2cs (PROJ) on the same number of input lines:
// each iteration runs one process over a file of 1,000,000 lines with its
// output to /dev/null, and the wall time of the whole process counts. The
// input files are written once, from fixed seeds, into the temporary
// directory; every line of both converts.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLines = 1'000'000;

std::string temp_path(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

/// Writes `kLines` lines made by `line` once; returns the path.
template <class MakeLine>
std::string input_file(const char* name, MakeLine line) {
  const std::string path = temp_path(name);
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return {};
  std::mt19937 rng(20261208);
  char buf[96];
  for (int i = 0; i < kLines; ++i) {
    const int n = line(rng, buf, sizeof buf);
    std::fwrite(buf, 1, static_cast<std::size_t>(n), f);
  }
  std::fclose(f);
  return path;
}

/// Outdoor positions "0xLLLLCCCC X Y Z", offsets inside their landblock.
const std::string& positions() {
  static const std::string path = input_file(
      "corvane_cli_bench_positions.txt", [](std::mt19937& rng, char* buf, std::size_t n) {
        std::uniform_real_distribution<double> offset(0.0, 192.0), height(-50.0, 300.0);
        const unsigned landblock = static_cast<unsigned>(rng() % 0x10000u);
        const unsigned cell = 1 + static_cast<unsigned>(rng() % 64u);
        return std::snprintf(buf, n, "0x%04X%04X %.3f %.3f %.2f\n", landblock, cell, offset(rng),
                             offset(rng), height(rng));
      });
  return path;
}

/// The same positions with four decimals, as logs write them.
const std::string& positions_four_decimals() {
  static const std::string path = input_file(
      "corvane_cli_bench_positions4.txt", [](std::mt19937& rng, char* buf, std::size_t n) {
        std::uniform_real_distribution<double> offset(0.0, 192.0), height(-50.0, 300.0);
        const unsigned landblock = static_cast<unsigned>(rng() % 0x10000u);
        const unsigned cell = 1 + static_cast<unsigned>(rng() % 64u);
        return std::snprintf(buf, n, "0x%04X%04X %.4f %.4f %.4f\n", landblock, cell, offset(rng),
                             offset(rng), height(rng));
      });
  return path;
}

/// Map texts at one digit, as players read them, for locate.
const std::string& map_texts() {
  static const std::string path =
      input_file("corvane_cli_bench_map_texts.txt", [](std::mt19937& rng, char* buf, std::size_t n) {
        std::uniform_int_distribution<int> lat(-1010, 1010), lon(-1010, 1010), alt(-500, 3000);
        const int a = lat(rng), b = lon(rng), h = alt(rng);
        return std::snprintf(buf, n, "%d.%d%c, %d.%d%c, %.1fZ\n", std::abs(a) / 10, std::abs(a) % 10,
                             a < 0 ? 'S' : 'N', std::abs(b) / 10, std::abs(b) % 10,
                             b < 0 ? 'W' : 'E', h / 10.0);
      });
  return path;
}

/// Geographic coordinates "lat lon height" for cs2cs.
const std::string& lat_lons() {
  static const std::string path =
      input_file("corvane_cli_bench_latlon.txt", [](std::mt19937& rng, char* buf, std::size_t n) {
        std::uniform_real_distribution<double> lat(-80.0, 80.0), lon(-170.0, 170.0),
            height(-50.0, 300.0);
        return std::snprintf(buf, n, "%.6f %.6f %.2f\n", lat(rng), lon(rng), height(rng));
      });
  return path;
}

/// Runs `argv` with stdin from `input` and stdout and stderr to /dev/null;
/// the exit status, or -1 when it could not run.
int run_process(const std::vector<std::string>& argv, const std::string& input) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void run_lines(benchmark::State& state, const std::vector<std::string>& argv,
               const std::string& input) {
  if (input.empty() || run_process(argv, input) != 0) {
    state.SkipWithError((argv[0] + " did not run cleanly").c_str());
    return;
  }
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = run_process(argv, input);
    const auto stop = std::chrono::steady_clock::now();
    if (status != 0) {
      state.SkipWithError((argv[0] + " failed").c_str());
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_CorvaneCoords(benchmark::State& state) {
  run_lines(state, {CORVANE_TOOL_PATH, "coords"}, positions());
}
BENCHMARK(BM_CorvaneCoords)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Cs2cs(benchmark::State& state) {
  run_lines(state, {"cs2cs", "EPSG:4326", "EPSG:3857"}, lat_lons());
}
BENCHMARK(BM_Cs2cs)->UseManualTime()->Unit(benchmark::kMillisecond);

/// Geographic coordinates with four decimals, as the positions above.
const std::string& lat_lons_four_decimals() {
  static const std::string path =
      input_file("corvane_cli_bench_latlon4.txt", [](std::mt19937& rng, char* buf, std::size_t n) {
        std::uniform_real_distribution<double> lat(-80.0, 80.0), lon(-170.0, 170.0),
            height(-50.0, 300.0);
        return std::snprintf(buf, n, "%.4f %.4f %.4f\n", lat(rng), lon(rng), height(rng));
      });
  return path;
}

void BM_CorvaneCoords4(benchmark::State& state) {
  run_lines(state, {CORVANE_TOOL_PATH, "coords"}, positions_four_decimals());
}
BENCHMARK(BM_CorvaneCoords4)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CorvaneCoords4Json(benchmark::State& state) {
  run_lines(state, {CORVANE_TOOL_PATH, "coords", "--format", "json"}, positions_four_decimals());
}
BENCHMARK(BM_CorvaneCoords4Json)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CorvaneCoords4Csv(benchmark::State& state) {
  run_lines(state, {CORVANE_TOOL_PATH, "coords", "--format", "csv"}, positions_four_decimals());
}
BENCHMARK(BM_CorvaneCoords4Csv)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Cs2cs4(benchmark::State& state) {
  run_lines(state, {"cs2cs", "EPSG:4326", "EPSG:3857"}, lat_lons_four_decimals());
}
BENCHMARK(BM_Cs2cs4)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CorvaneLocate(benchmark::State& state) {
  run_lines(state, {CORVANE_TOOL_PATH, "locate"}, map_texts());
}
BENCHMARK(BM_CorvaneLocate)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
