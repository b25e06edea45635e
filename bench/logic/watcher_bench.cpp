// An idle tick against the floor of its four key-state queries alone.
#include <benchmark/benchmark.h>

#include "core/watcher.h"

namespace {

using namespace petariko;

class IdleInput : public InputPort {
 public:
  bool IsKeyDown(int virtual_key) override {
    benchmark::DoNotOptimize(virtual_key);
    return false;
  }
  Point CursorPos() override { return {}; }
};

class NoTrace : public TraceHandler {
 public:
  bool IsTracing() const override { return false; }
  void Start(TraceMode, Point) override {}
  StepOutcome Step(TraceMode, Point) override { return StepOutcome::kContinued; }
  void ReportTooLong() override {}
  void FinishCutout() override {}
  void FinishGesture() override {}
  void Cancel() override {}
};

void BM_FourKeyQueriesFloor(benchmark::State& state) {
  IdleInput input;
  InputPort& port = input;
  for (auto _ : state) {
    for (int code : {1, 2, 1, 2}) benchmark::DoNotOptimize(port.IsKeyDown(code));
  }
}
BENCHMARK(BM_FourKeyQueriesFloor);

void BM_IdleTick(benchmark::State& state) {
  SettingsStore settings;
  settings.lngCutButton = 1;
  settings.lngGestureButton = 2;
  settings.intWaitTime = 3;
  SharedState shared;
  IdleInput input;
  NoTrace trace;
  Watcher watcher(settings, shared, input, trace);
  for (auto _ : state) watcher.Tick();
}
BENCHMARK(BM_IdleTick);

}  // namespace

BENCHMARK_MAIN();
