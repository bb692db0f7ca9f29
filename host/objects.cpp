// Bo: allocation of host objects (Extrude, Cloner, Spline Wrap, null, splines with their
// point tag) and of registered plug-in objects; the host types' parameter tables.
#include "console.h"
#include "host.h"

namespace kvhost {
namespace {


bool g_nextSplineWithoutStorage = false;

bool IsHostType(std::int32_t type) {
  switch (type) {
    case KV_TYPE_EXTRUDE:
    case KV_TYPE_CLONER:
    case KV_TYPE_SPLINE_WRAP:
    case KV_TYPE_NULL:
    case KV_TYPE_SPLINE:
      return true;
    default:
      return false;
  }
}

KvNode* NewSpline(std::int32_t pointCount, std::int32_t splineType) {
  if (pointCount < 0) return nullptr;
  KvNode* spline = NewNode(KV_TYPE_SPLINE, AllocKind::Spline);
  if (spline == nullptr) return nullptr;
  spline->splineType = splineType;
  KvNode* tag = NewTag(spline, KV_TAG_POINT);
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
  if (type == KV_TYPE_SPLINE) return NewSpline(0, KV_SPLINETYPE_LINEAR);
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
  static KvObjectTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvObjectTable)},
      .Alloc = Alloc,
      .Free = Free,
      .AllocSpline = AllocSplineEntry,
  };
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
    case KV_TYPE_EXTRUDE:
      return {{KV_EXTRUDEOBJECT_CAPSTART, KV_VALUE_INT32},
              {KV_EXTRUDEOBJECT_CAPEND, KV_VALUE_INT32},
              {KV_EXTRUDEOBJECT_STARTSTEPS, KV_VALUE_INT32},
              {KV_EXTRUDEOBJECT_ENDSTEPS, KV_VALUE_INT32},
              {KV_EXTRUDEOBJECT_FILLETCAPS, KV_VALUE_BOOL},
              {KV_EXTRUDEOBJECT_MOVE, KV_VALUE_VECTOR}};
    case KV_TYPE_CLONER:
      return {{KV_CLONER_MODE, KV_VALUE_INT32},
              {KV_CLONER_FIXCLONES, KV_VALUE_INT32},
              {KV_CLONER_OBJECT_COUNT, KV_VALUE_INT32},
              {KV_CLONER_LINEAR_COUNT, KV_VALUE_INT32},
              {KV_CLONER_OBJECT_SPACING, KV_VALUE_FLOAT},
              {KV_CLONER_OBJECT_LINK, KV_VALUE_LINK}};
    case KV_TYPE_SPLINE_WRAP:
      return {{KV_SPLINEWRAP_SPLINE, KV_VALUE_LINK}, {KV_SPLINEWRAP_AXIS_SWITCH, KV_VALUE_INT32}};
    case KV_TYPE_SPLINE:
      return {{KV_SPLINEOBJECT_INTERPOLATION, KV_VALUE_INT32},
              {KV_SPLINEOBJECT_SUB, KV_VALUE_INT32},
              {KV_SPLINEOBJECT_CLOSED, KV_VALUE_BOOL},
              {KV_SPLINEOBJECT_ANGLE, KV_VALUE_FLOAT},
              {KV_SPLINEOBJECT_MAXIMUMLENGTH, KV_VALUE_FLOAT},
              {KV_PRIM_PLANE, KV_VALUE_INT32},
              {KV_PRIM_REVERSE, KV_VALUE_BOOL}};
    default:
      return {};
  }
}

std::vector<KvVector> SplinePoints(const KvNode* spline) {
  std::vector<KvVector> points;
  const KvNode* tag = TagTable()->GetTag(spline, KV_TAG_POINT, 0);
  if (tag == nullptr || !tag->hasStorage) return points;
  for (std::int32_t i = 0; i < tag->dataCount; ++i) {
    const double* p = tag->storage.data() + 3 * static_cast<std::size_t>(i);
    points.push_back(KvVector{p[0], p[1], p[2]});
  }
  return points;
}

std::int32_t SplineType(const KvNode* spline) {
  return spline != nullptr && spline->type == KV_TYPE_SPLINE ? spline->splineType : -1;
}

std::int32_t SplinePointCount(const KvNode* spline) {
  const KvNode* tag = TagTable()->GetTag(spline, KV_TAG_POINT, 0);
  return tag != nullptr ? tag->dataCount : 0;
}

}  // namespace kvhost
