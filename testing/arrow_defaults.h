// The shape record of a new (or reset) arrow object, for the tests and the benchmarks
// that start from it: every settings field at the default of its parameter in the
// module's parameter table. Tests that check the defaults state them on their own.
#pragma once

#include "arrow_outline.h"
#include "arrow_parameters.h"

namespace kvtest {

inline ArrowSettings DefaultArrowSettings() {
  ArrowSettings s{};
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.length != nullptr) s.*p.length = p.defaultValue;
    if (p.flag != nullptr) s.*p.flag = p.defaultValue != 0.0;
  }
  return s;
}

}  // namespace kvtest
