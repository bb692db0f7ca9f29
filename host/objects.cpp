// Bo: allocation of host objects (Extrude, Cloner, Spline Wrap, null, splines with their
// point tag) and of registered plug-in objects; the host types' parameter tables.
#include "console.h"
#include "host.h"

namespace kvhost {
namespace {

constexpr std::int32_t kPointTag = 5600;

bool g_nextSplineWithoutStorage = false;

bool IsHostType(std::int32_t type) {
  switch (type) {
    case kExtrudeType:
    case kClonerType:
    case kSplineWrapType:
    case kNullType:
    case kSplineType:
      return true;
    default:
      return false;
  }
}

KvNode* NewSpline(std::int32_t pointCount, std::int32_t splineType) {
  if (pointCount < 0) return nullptr;
  KvNode* spline = NewNode(kSplineType, AllocKind::Spline);
  if (spline == nullptr) return nullptr;
  spline->splineType = splineType;
  KvNode* tag = NewTag(spline, kPointTag);
  if (g_nextSplineWithoutStorage) {
    g_nextSplineWithoutStorage = false;
    return spline;
  }
  tag->hasStorage = true;
  tag->storage.assign(static_cast<std::size_t>(pointCount) * 3, 0.0);
  tag->dataCount = pointCount;
  return spline;
}

KvNode* Alloc(int32_t type) {
  if (type == kSplineType) return NewSpline(0, kLinearSpline);
  if (IsHostType(type)) return NewNode(type, AllocKind::Object);
  const PluginEntry* plugin = FindPluginEntry(type);
  if (plugin == nullptr || plugin->record.Allocator == nullptr) return nullptr;
  KvNode* node = NewNode(type, AllocKind::Object);
  if (node == nullptr) return nullptr;
  node->pluginData = plugin->record.Allocator(plugin->record.allocatorContext);
  if (node->pluginData == nullptr) {
    FreeNode(node);
    return nullptr;
  }
  node->plugin = plugin;
  if (plugin->record.Init != nullptr && !plugin->record.Init(node->pluginData, node)) {
    FreeNode(node);
    return nullptr;
  }
  return node;
}

void Free(KvNode* object) {
  if (object == nullptr) return;
  if (object->up != nullptr || object->doc != nullptr) {
    ReportHostError("Free of an object that is still in a tree");
  }
  FreeNode(object);
}

KvNode* AllocSplineEntry(int32_t pointCount, int32_t splineType) {
  return NewSpline(pointCount, splineType);
}

}  // namespace

KvObjectTable* ObjectTable() {
  static KvObjectTable table{{KV_TABLE_LAYOUT_VERSION, sizeof(KvObjectTable)},
                             Alloc, Free, AllocSplineEntry};
  return &table;
}

KvNode* AllocObject(std::int32_t type) { return Alloc(type); }
KvNode* AllocSpline(std::int32_t pointCount, std::int32_t splineType) {
  return NewSpline(pointCount, splineType);
}
void FreeObject(KvNode* object) { FreeNode(object); }
void FailNextSplineStorage() { g_nextSplineWithoutStorage = true; }
void ResetObjectFaults() { g_nextSplineWithoutStorage = false; }

std::vector<HostParameterType> HostParameterTypes(std::int32_t objectType) {
  switch (objectType) {
    case kExtrudeType:
      return {{2000, KV_VALUE_INT32}, {2001, KV_VALUE_INT32}, {2003, KV_VALUE_INT32},
              {2004, KV_VALUE_INT32}, {2009, KV_VALUE_BOOL},  {1002, KV_VALUE_VECTOR}};
    case kClonerType:
      return {{2010, KV_VALUE_INT32}, {1020, KV_VALUE_INT32}, {1060, KV_VALUE_INT32},
              {1270, KV_VALUE_INT32}, {1063, KV_VALUE_FLOAT}, {1015, KV_VALUE_LINK}};
    case kSplineWrapType:
      return {{1001, KV_VALUE_LINK}, {1012, KV_VALUE_INT32}};
    case kSplineType:
      return {{1001, KV_VALUE_INT32}, {1003, KV_VALUE_INT32}, {1002, KV_VALUE_BOOL},
              {1004, KV_VALUE_FLOAT}, {1005, KV_VALUE_FLOAT}, {2300, KV_VALUE_INT32},
              {2301, KV_VALUE_BOOL}};
    default:
      return {};
  }
}

std::vector<KvVector> SplinePoints(const KvNode* spline) {
  std::vector<KvVector> points;
  const KvNode* tag = TagTable()->GetTag(spline, kPointTag, 0);
  if (tag == nullptr || !tag->hasStorage) return points;
  for (std::int32_t i = 0; i < tag->dataCount; ++i) {
    const double* p = tag->storage.data() + 3 * static_cast<std::size_t>(i);
    points.push_back(KvVector{p[0], p[1], p[2]});
  }
  return points;
}

std::int32_t SplineType(const KvNode* spline) {
  return spline != nullptr && spline->type == kSplineType ? spline->splineType : -1;
}

std::int32_t SplinePointCount(const KvNode* spline) {
  const KvNode* tag = TagTable()->GetTag(spline, kPointTag, 0);
  return tag != nullptr ? tag->dataCount : 0;
}

}  // namespace kvhost
