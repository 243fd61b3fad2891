// The window at the largest rows: a click on each Convert button until the
// next painted frame, on the offscreen platform. Measures what a user waits
// for: the command, the text boxes taking their new texts, and the paint.
// Run: build/zolm-window-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "bench/largest_fields.h"
#include "engine/convert_commands.h"
#include "engine/form.h"
#include "qt/form1.h"

namespace zolm {
namespace {

// Notes a paint of any text box.
class PaintWatch final : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

void WaitForPaint(PaintWatch& watch) {
  watch.painted = false;
  while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// `paint`: wait for the frame after the click, or stop when the click returns.
void ClickConvert(benchmark::State& state, Form1& form, PaintWatch& watch,
                  const form::RowEntry& row, bool paint) {
  static const FieldModel largest = LargestFields();
  auto* button = form.findChild<QPushButton*>(QString::fromLatin1(row.button));
  for (auto _ : state) {
    state.PauseTiming();
    // The own row holds its largest text; the rows it rewrites start empty,
    // so that every write changes what a box shows.
    for (const Field field : kAllFields) {
      if (field == Field::tBase) continue;
      form.TextBox(field)->setText(
          field == row.field ? QString::fromStdU16String(largest.text(field)) : QString());
    }
    WaitForPaint(watch);
    state.ResumeTiming();
    button->click();
    if (paint) WaitForPaint(watch);
  }
}

}  // namespace
}  // namespace zolm

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  zolm::Form1 form;
  zolm::PaintWatch watch;
  for (const zolm::Field field : zolm::kAllFields) form.TextBox(field)->installEventFilter(&watch);
  form.show();
  zolm::WaitForPaint(watch);
  for (const auto& row : zolm::form::kRows) {
    for (const bool paint : {false, true}) {
      const std::string name =
          std::string("Window/") + row.button + (paint ? "/click_to_frame" : "/click");
      benchmark::RegisterBenchmark(name.c_str(), [&form, &watch, &row,
                                                  paint](benchmark::State& state) {
        zolm::ClickConvert(state, form, watch, row, paint);
      })->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
