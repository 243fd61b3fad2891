// Speed of the four Convert commands on the start texts and on the largest
// texts that complete. Run: build/zolm-bench --benchmark_repetitions=10
// --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <string>

#include "bench/largest_fields.h"
#include "engine/convert_commands.h"
#include "engine/form.h"

namespace zolm {
namespace {

// Each run starts from `fields` in one field set kept from run to run, as
// a window's boxes and zolm's rows are: the steady state, whose texts reuse
// their storage rather than growing the heap anew.
void RunCommand(benchmark::State& state, Row row, const FieldModel& fields) {
  FieldModel rows;
  for (auto _ : state) {
    for (const Field field : kAllFields) rows.WriteTextFrom(field, fields.text(field));
    Convert(row, rows);
    benchmark::DoNotOptimize(rows);
  }
}

void RegisterAll() {
  static const FieldModel start;
  static const FieldModel largest = LargestFields();
  for (const form::RowEntry& entry : form::kRows) {
    const Row row = entry.row;
    benchmark::RegisterBenchmark((std::string("Convert/") + entry.button + "/start").c_str(),
                                 [row](benchmark::State& state) { RunCommand(state, row, start); });
    benchmark::RegisterBenchmark(
        (std::string("Convert/") + entry.button + "/max").c_str(),
        [row](benchmark::State& state) { RunCommand(state, row, largest); })
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
