// The checks of the contour: its promises for random parameter sets (contour), and the
// same outlines from many threads at once (threads).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

#include "check_support.h"
#include "tool_error.h"

namespace kvcheck {
namespace {

constexpr int kMostPoints = 16;

std::string PointText(const KvVector& p) {
  return "(" + kvtool::ValueText(p.x) + ", " + kvtool::ValueText(p.y) + ", " + kvtool::ValueText(p.z) + ")";
}

// A point of the outline laid into plane, brought back into the XY plane.
KvVector BackToXY(const KvVector& p, std::int32_t plane) {
  if (plane == KV_PLANE_ZY) return KvVector{p.z, p.y, 0.0};  // ZY holds (-z, y, x)
  if (plane == KV_PLANE_XZ) return KvVector{p.x, p.z, 0.0};  // XZ holds (x, -z, y)
  return p;
}

bool SamePoint(const KvVector& a, const KvVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// The first promise of the contour that outline breaks, or empty.
std::string BrokenPromise(const kvtool::Outline& o, KvNode* arrow) {
  if (o.points.empty() || o.points.size() > kMostPoints) {
    return std::to_string(o.points.size()) + " points";
  }
  for (std::size_t i = 0; i < o.points.size(); ++i) {
    const KvVector& p = o.points[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
      return "point " + std::to_string(i) + " is " + PointText(p);
    }
  }
  if (!o.closed) return "an open spline";
  if (o.type != KV_SPLINETYPE_LINEAR) return "a spline of type " + std::to_string(o.type) + ", not linear";
  if (o.interpolation != kvtool::IntParameter(arrow, KV_SPLINEOBJECT_INTERPOLATION) ||
      o.sub != kvtool::IntParameter(arrow, KV_SPLINEOBJECT_SUB) ||
      o.angle != kvtool::FloatParameter(arrow, KV_SPLINEOBJECT_ANGLE) ||
      o.maximumLength != kvtool::FloatParameter(arrow, KV_SPLINEOBJECT_MAXIMUMLENGTH)) {
    return "spline settings other than the object's";
  }
  return {};
}

}  // namespace

void RunContour(CheckContext& context, CheckResult& result) {
  auto session = OpenSession(context);
  KvNode* arrow = session->NewArrow();
  const std::int64_t cases = context.Cases(100);
  for (std::int64_t n = 0; n < cases && result.passed; ++n) {
    auto edits = RandomArrowValues(session->ArrowDescription(), context, true);
    // The plane and the reversal are each case's own, named with it.
    edits.erase(std::remove_if(edits.begin(), edits.end(),
                               [](const ParameterEdit& e) { return e.id == KV_PRIM_PLANE || e.id == KV_PRIM_REVERSE; }),
                edits.end());
    const std::string values = EditsText(edits);
    context.progress(n, cases, values);
    WriteValues(arrow, edits);
    ++result.cases;
    std::vector<KvVector> flat;  // the XY, unreversed outline
    for (std::int32_t plane = 0; plane < 3; ++plane) {
      for (const bool reverse : {false, true}) {
        kvhost::SetParameterRaw(kvhost::Container(arrow), KV_PRIM_PLANE, plane);
        kvhost::SetParameterRaw(kvhost::Container(arrow), KV_PRIM_REVERSE, reverse);
        const std::string where = " for PRIM_PLANE=" + std::to_string(plane) + " PRIM_REVERSE=" + (reverse ? "on " : "off ") + values;
        kvtool::Outline o = session->Contour(arrow);
        if (const std::string broken = BrokenPromise(o, arrow); !broken.empty()) {
          return result.Fail(broken + where,
                             "a closed linear outline of 1 to 16 finite points with the object's spline settings");
        }
        std::vector<KvVector> back;
        for (const KvVector& p : o.points) back.push_back(BackToXY(p, plane));
        if (reverse) std::reverse(back.begin(), back.end());
        if (flat.empty()) {
          flat = back;
          continue;
        }
        const bool same = back.size() == flat.size() && std::equal(back.begin(), back.end(), flat.begin(), SamePoint);
        if (!same) {
          return result.Fail("an outline other than the XY one, permuted" + where,
                             "the XY outline with its axes permuted and, reversed, its points in reverse order");
        }
      }
    }
  }
  // The ends of the double range, one parameter at a time on an arrow of its own: sums
  // and products of such values overflow, so the module may give no contour, but a
  // contour it gives keeps every promise.
  const auto& parameters = session->ArrowDescription().parameters;
  for (std::size_t n = 0; n < parameters.size() && result.passed; ++n) {
    const kvhost::DescParameter& p = parameters[n];
    if (p.type != kvhost::ParamType::Real) continue;
    for (const double extreme : {1e308, -1e308}) {
      const std::string where = " for " + p.symbol + "=" + kvtool::ValueText(extreme);
      context.progress(static_cast<std::int64_t>(n), static_cast<std::int64_t>(parameters.size()), where.substr(5));
      KvNode* alone = session->NewArrow();
      kvhost::SetParameterRaw(kvhost::Container(alone), p.id, extreme);
      ++result.cases;
      kvtool::Outline o;
      try {
        o = session->Contour(alone);
      } catch (const kvtool::ToolError&) {
        session->TakeHostErrors();
        continue;  // no contour
      }
      if (const std::string broken = BrokenPromise(o, alone); !broken.empty()) {
        return result.Fail(broken + where, "no contour, or a closed linear outline of 1 to 16 finite points");
      }
    }
  }
}

namespace {

// A spline's points as bytes, so that outlines compare exactly (a NaN equals itself).
std::vector<unsigned char> PointBytes(const KvNode* spline) {
  const std::vector<KvVector> points = kvhost::SplinePoints(spline);
  std::vector<unsigned char> bytes(points.size() * sizeof(KvVector));
  if (!bytes.empty()) std::memcpy(bytes.data(), points.data(), bytes.size());
  return bytes;
}

}  // namespace

void RunThreads(CheckContext& context, CheckResult& result) {
  constexpr int kThreads = 8;
  static constexpr double kSeconds[] = {0.3, 1.0, 2.0, 3.0, 4.0};
  auto session = OpenSession(context);
  std::vector<KvNode*> arrows;
  std::vector<std::vector<unsigned char>> expected;
  std::vector<std::string> values;
  for (int i = 0; i < kThreads; ++i) {
    arrows.push_back(session->NewArrow());
    const auto edits = RandomArrowValues(session->ArrowDescription(), context, false);
    WriteValues(arrows.back(), edits);
    values.push_back(EditsText(edits));
    context.progress(i, kThreads, "the outline of arrow " + std::to_string(i + 1) + " for " + values.back());
    KvNode* spline = kvhost::GetContour(arrows.back(), session->Document());
    expected.push_back(PointBytes(spline));
    kvhost::FreeObject(spline);
  }
  context.progress(0, 1, "8 threads asking for contours");
  std::atomic<std::int64_t> calls{0};
  std::atomic<bool> stop{false};
  std::mutex failure;
  std::string seen;
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      while (!stop.load()) {
        KvNode* spline = kvhost::GetContour(arrows[static_cast<std::size_t>(i)], session->Document());
        const bool same = spline != nullptr && PointBytes(spline) == expected[static_cast<std::size_t>(i)];
        kvhost::FreeObject(spline);
        ++calls;
        if (!same) {
          std::lock_guard<std::mutex> lock(failure);
          if (seen.empty()) seen = "a different outline (or none) in thread " + std::to_string(i) + " for " + values[static_cast<std::size_t>(i)];
          stop = true;
        }
      }
    });
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kSeconds[context.level - 1]);
  while (!stop.load() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  stop = true;
  for (std::thread& t : threads) t.join();
  result.cases = calls.load();
  if (!seen.empty()) result.Fail(seen, "the outline one thread gets for the object");
}

}  // namespace kvcheck
