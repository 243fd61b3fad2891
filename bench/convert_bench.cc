// Speed of the four Convert commands on the start texts and on the largest
// texts that complete. Run: build/zolm-bench --benchmark_repetitions=10
// --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <string>

#include "engine/convert_commands.h"

namespace zolm {
namespace {

using Command = void (*)(FieldSet&);

// The largest Ascii row whose rows all convert: 8191 characters of codes
// 100..126, so its decimal row is 32763 characters long.
FieldModel LargestFields() {
  Text ascii;
  for (int i = 0; i < 8191; ++i) ascii.push_back(Chr(100 + (7 * i) % 27));
  FieldModel model;
  model.WriteText(Field::tAsc, ascii);
  ascc(model);
  return model;
}

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
