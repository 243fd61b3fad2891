// Speed of the four Convert commands on the start texts and on the largest
// texts that complete. Run: build/zolm-bench --benchmark_repetitions=10
// --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <string>

#include "bench/largest_fields.h"
#include "engine/convert_commands.h"

namespace zolm {
namespace {

using Command = void (*)(FieldSet&);

void RunCommand(benchmark::State& state, Command command, const FieldModel& fields) {
  for (auto _ : state) {
    FieldModel copy = fields;
    command(copy);
    benchmark::DoNotOptimize(copy);
  }
}

void RegisterAll() {
  static const FieldModel start;
  static const FieldModel largest = LargestFields();
  const struct {
    const char* name;
    Command command;
  } commands[] = {{"ascc", ascc}, {"dec", dec}, {"hex", hex}, {"cus", cus}};
  for (const auto& c : commands) {
    benchmark::RegisterBenchmark(
        (std::string("Convert/") + c.name + "/start").c_str(),
        [command = c.command](benchmark::State& state) { RunCommand(state, command, start); });
    benchmark::RegisterBenchmark(
        (std::string("Convert/") + c.name + "/max").c_str(),
        [command = c.command](benchmark::State& state) { RunCommand(state, command, largest); })
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace
}  // namespace zolm

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zolm::RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
