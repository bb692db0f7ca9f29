// The settings a new (or reset) arrow object holds, written once for the tests and the
// benchmarks. The module writes its own defaults; the tests hold them against these.
#pragma once

#include <cstdint>

#include "arrow_outline.h"

namespace kvtest {

// The shape: a plain arrow with a shaft, every option off.
inline ArrowSettings DefaultArrowSettings() {
  ArrowSettings s{};
  s.shaftLength = 400.0;
  s.shaftWidth = 100.0;
  s.hasShaft = true;
  s.headLength = 100.0;
  s.headWidth = 50.0;
  s.chevronThickness = 50.0;
  s.fletchingLength = 100.0;
  s.fletchingHeight = 50.0;
  s.fletchingSweep = 50.0;
  s.bevelSize = 10.0;
  s.doubleShaftLength = 400.0;
  s.doubleShaftWidth = 100.0;
  return s;
}

// The host's spline and primitive settings on the arrow.
struct ArrowSplineDefaults {
  std::int32_t interpolation = 3;      // adaptive
  std::int32_t subdivision = 8;
  double angle = 0.08726646259971647;  // 5 degrees
  double maximumLength = 5.0;
  std::int32_t plane = 0;              // XY
  bool reverse = false;
};
inline constexpr ArrowSplineDefaults kArrowSplineDefaults{};

}  // namespace kvtest
