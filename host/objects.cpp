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
  const std::vector<HostChoice> caps{{KV_EXTRUDEOBJECT_CAP_PLAIN, "Plain"},
                                     {KV_EXTRUDEOBJECT_CAP_FILLETED, "Filleted"}};
  switch (objectType) {
    case KV_TYPE_EXTRUDE:
      return {{KV_EXTRUDEOBJECT_CAPSTART, KV_VALUE_INT32, "Start Cap", caps},
              {KV_EXTRUDEOBJECT_CAPEND, KV_VALUE_INT32, "End Cap", caps},
              {KV_EXTRUDEOBJECT_STARTSTEPS, KV_VALUE_INT32, "Start Fillet Steps"},
              {KV_EXTRUDEOBJECT_ENDSTEPS, KV_VALUE_INT32, "End Fillet Steps"},
              {KV_EXTRUDEOBJECT_FILLETCAPS, KV_VALUE_BOOL, "Fillet Caps"},
              {KV_EXTRUDEOBJECT_MOVE, KV_VALUE_VECTOR, "Movement"}};
    case KV_TYPE_CLONER:
      return {{KV_CLONER_MODE, KV_VALUE_INT32, "Mode",
               {{KV_CLONER_MODE_OBJECT, "Along an Object"}, {KV_CLONER_MODE_LINEAR, "Linear"}}},
              {KV_CLONER_FIXCLONES, KV_VALUE_INT32, "Fix Clones"},
              {KV_CLONER_OBJECT_COUNT, KV_VALUE_INT32, "Count Along the Object"},
              {KV_CLONER_LINEAR_COUNT, KV_VALUE_INT32, "Linear Count"},
              {KV_CLONER_OBJECT_SPACING, KV_VALUE_FLOAT, "Spacing Along the Object"},
              {KV_CLONER_OBJECT_LINK, KV_VALUE_LINK, "Object"}};
    case KV_TYPE_SPLINE_WRAP:
      return {{KV_SPLINEWRAP_SPLINE, KV_VALUE_LINK, "Spline"},
              {KV_SPLINEWRAP_AXIS_SWITCH, KV_VALUE_INT32, "Switch Axis", {{0, "Off"}, {1, "On"}}}};
    case KV_TYPE_SPLINE:
      return {{KV_SPLINEOBJECT_INTERPOLATION, KV_VALUE_INT32, "Interpolation",
               {{KV_SPLINEOBJECT_INTERPOLATION_NONE, "None"},
                {KV_SPLINEOBJECT_INTERPOLATION_NATURAL, "Natural"},
                {KV_SPLINEOBJECT_INTERPOLATION_UNIFORM, "Uniform"},
                {KV_SPLINEOBJECT_INTERPOLATION_ADAPTIVE, "Adaptive"},
                {KV_SPLINEOBJECT_INTERPOLATION_SUBDIVIDED, "Subdivided"}}},
              {KV_SPLINEOBJECT_SUB, KV_VALUE_INT32, "Intermediate Points"},
              {KV_SPLINEOBJECT_CLOSED, KV_VALUE_BOOL, "Closed"},
              {KV_SPLINEOBJECT_ANGLE, KV_VALUE_FLOAT, "Angle"},
              {KV_SPLINEOBJECT_MAXIMUMLENGTH, KV_VALUE_FLOAT, "Maximum Length"},
              {KV_PRIM_PLANE, KV_VALUE_INT32, "Plane", {{KV_PLANE_XY, "XY"}, {KV_PLANE_ZY, "ZY"}, {KV_PLANE_XZ, "XZ"}}},
              {KV_PRIM_REVERSE, KV_VALUE_BOOL, "Reverse"}};
    default:
      return {};
  }
}

std::string ObjectTypeName(std::int32_t type) {
  switch (type) {
    case KV_TYPE_EXTRUDE: return "Extrude";
    case KV_TYPE_CLONER: return "Cloner";
    case KV_TYPE_SPLINE_WRAP: return "Spline Wrap";
    case KV_TYPE_SPLINE: return "Spline";
    case KV_TYPE_NULL: return "Null";
    default: break;
  }
  if (const PluginEntry* plugin = FindPlugin(type); plugin != nullptr && !plugin->name.empty()) return plugin->name;
  return "Object " + std::to_string(type);
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
