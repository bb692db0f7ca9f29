// The outline builder, one benchmark per outline family, and the finishing
// step. Each family runs with its costliest options (notch, square ends).

#include <benchmark/benchmark.h>

#include "arrow_defaults.h"
#include "arrow_outline.h"

namespace {

using kvtest::DefaultArrowSettings;

void RunOutline(benchmark::State& state, const ArrowSettings& settings) {
  for (auto _ : state) {
    ArrowOutline outline = BuildArrowOutline(settings);
    benchmark::DoNotOptimize(outline);
  }
}

void BM_DoubleArrowSolid(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.doubleArrow = true;
  s.headSweep = 20.0;
  RunOutline(state, s);
}

void BM_DoubleArrowChevron(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.doubleArrow = true;
  s.chevronHead = true;
  s.chevronSquareEnds = true;
  RunOutline(state, s);
}

void BM_FletchedChevronArrow(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.chevronHead = true;
  s.chevronSquareEnds = true;
  s.fletching = true;
  s.tailNotch = 30.0;
  s.taperTail = 0.5;
  RunOutline(state, s);
}

void BM_ChevronArrow(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.chevronHead = true;
  s.chevronSquareEnds = true;
  s.tailNotch = 30.0;
  RunOutline(state, s);
}

void BM_FletchedArrow(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  s.tailNotch = 30.0;
  s.taperTail = 0.5;
  RunOutline(state, s);
}

void BM_BevelledArrow(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.bevel = true;
  s.tailNotch = 30.0;
  RunOutline(state, s);
}

void BM_PlainArrow(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.tailNotch = 30.0;
  RunOutline(state, s);
}

void BM_ChevronHead(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  s.chevronHead = true;
  s.chevronSquareEnds = true;
  RunOutline(state, s);
}

void BM_BevelledHead(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  s.bevel = true;
  s.headSweep = 20.0;
  RunOutline(state, s);
}

void BM_SolidHead(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  s.headSweep = 20.0;
  RunOutline(state, s);
}

void BM_FinishArrowSpline(benchmark::State& state) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  s.tailNotch = 30.0;
  ArrowOutline outline = BuildArrowOutline(s);
  int plane = 1;
  for (auto _ : state) {
    FinishArrowSpline(outline.points.data(), outline.count, plane, true);
    plane = 3 - plane; // alternate ZY and XZ
    benchmark::DoNotOptimize(outline);
  }
}

} // namespace

BENCHMARK(BM_DoubleArrowSolid);
BENCHMARK(BM_DoubleArrowChevron);
BENCHMARK(BM_FletchedChevronArrow);
BENCHMARK(BM_ChevronArrow);
BENCHMARK(BM_FletchedArrow);
BENCHMARK(BM_BevelledArrow);
BENCHMARK(BM_PlainArrow);
BENCHMARK(BM_ChevronHead);
BENCHMARK(BM_BevelledHead);
BENCHMARK(BM_SolidHead);
BENCHMARK(BM_FinishArrowSpline);
