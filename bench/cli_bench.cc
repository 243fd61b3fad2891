// zolm --each-line through its real code path: a file of 1,000,000 lines of
// 16 printable characters on standard input, the hex rows to a file.
// Run: build/zolm-cli-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

constexpr int kLines = 1'000'000;

// Writes the input once into a folder of this run's own.
std::string MakeInput(const std::string& folder) {
  const std::string path = folder + "/lines.txt";
  std::mt19937 random(1);
  std::uniform_int_distribution<int> printable(0x21, 0x7E);
  std::string text;
  text.reserve(static_cast<std::size_t>(kLines) * 17);
  for (int line = 0; line < kLines; ++line) {
    for (int i = 0; i < 16; ++i) text.push_back(static_cast<char>(printable(random)));
    text.push_back('\n');
  }
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

void EachLine(benchmark::State& state) {
  std::string folder = "/tmp/zolm_cli_bench_XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("cannot make a temporary folder");
    return;
  }
  const std::string input = MakeInput(folder);
  const std::string output = folder + "/hex.txt";
  const std::string command =
      std::string(ZOLM_CLI_PATH) + " --from ascii --to hex --each-line < " + input + " > " + output;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("zolm failed");
      break;
    }
  }
  if (CountLines(output) != static_cast<std::size_t>(kLines)) {
    state.SkipWithError("zolm wrote the wrong number of lines");
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(kLines) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  std::remove(input.c_str());
  std::remove(output.c_str());
  rmdir(folder.c_str());
}

BENCHMARK(EachLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
