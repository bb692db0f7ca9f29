// A small object plug-in, not the arrow, that exercises the SDK client layer and the
// stand-in host through the real entry protocol. Buttons let tests make it insert objects
// with undo, and leak on purpose so that the host's accounting can be seen to catch it.
#include "host_sdk.h"

namespace {

constexpr Int32 ID_FIXTURE_OBJECT = 1000001;
constexpr Int32 FIXTURE_COUNT = 1;       // int32, default 42
constexpr Int32 FIXTURE_LABEL = 2;       // string, default "fixture"
constexpr Int32 FIXTURE_DEPENDENT = 3;   // enabled only while the count is 42
constexpr Int32 FIXTURE_ADD_NULL = 100;  // button: insert a null object, one undo step
constexpr Int32 FIXTURE_LEAK_MEMORY = 101;
constexpr Int32 FIXTURE_LEAK_CONTAINER = 102;

class FixtureObject : public ObjectData {
 public:
  static NodeData* Alloc() { return NewObjClear<FixtureObject>(); }

  Bool Init(GeListNode* node) override {
    BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
    bc->SetInt32(FIXTURE_COUNT, 42);
    bc->SetString(FIXTURE_LABEL, String("fixture"));
    return true;
  }

  Bool Message(GeListNode* node, Int32 type, void* data) override {
    if (type != MSG_DESCRIPTION_COMMAND || data == nullptr) return true;
    BaseObject* op = static_cast<BaseObject*>(node);
    switch (static_cast<DescriptionCommand*>(data)->_descId[0].id) {
      case FIXTURE_ADD_NULL: {
        BaseDocument* doc = op->GetDocument();
        BaseObject* null = BaseObject::Alloc(Onull);
        if (doc == nullptr || null == nullptr) {
          BaseObject::Free(null);
          return true;
        }
        doc->StartUndo();
        doc->InsertObject(null, nullptr, nullptr);
        doc->AddUndo(UNDOTYPE::NEWOBJ, null);
        doc->AddUndo(UNDOTYPE::CHANGE, op);
        op->GetDataInstance()->SetInt32(FIXTURE_COUNT, op->GetDataInstance()->GetInt32(FIXTURE_COUNT) + 1);
        doc->EndUndo();
        break;
      }
      case FIXTURE_LEAK_MEMORY:
        NewMemClear(64);
        break;
      case FIXTURE_LEAK_CONTAINER:
        NewObjClear<BaseContainer>();
        break;
      default:
        break;
    }
    return true;
  }

  Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData&, DESCFLAGS_ENABLE,
                    const BaseContainer*) override {
    if (id[0].id != FIXTURE_DEPENDENT) return true;
    return static_cast<BaseObject*>(node)->GetDataInstance()->GetInt32(FIXTURE_COUNT) == 42;
  }

  SplineObject* GetContour(BaseObject* op, BaseDocument*, Float, BaseThread*) override {
    SplineObject* spline = SplineObject::Alloc(3, SPLINETYPE::LINEAR);
    if (spline == nullptr) return nullptr;
    const Float size = static_cast<Float>(op->GetDataInstance()->GetInt32(FIXTURE_COUNT));
    if (Vector* p = spline->GetPointW()) {
      p[0] = Vector(0, 0, 0);
      p[1] = Vector(size, 0, 0);
      p[2] = Vector(0, size, 0);
    }
    return spline;
  }
};

int g_starts = 0;

}  // namespace

extern "C" {
KV_EXPORT KvModuleRecord g_maxon = {{0, 0}, 0, 0, nullptr};
KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate = [] {};
}

static ModuleRegistration s_registration(g_maxon, "net.keelvane.test.fixture");

Filename* g_pluginPath = nullptr;
GeResource g_resource;

extern "C" KV_EXPORT Int32 c4d_main(Int32 action, intptr_t first, void*, void* third) {
  switch (action) {
    case 1:
      if (g_starts++ != 0) return 1;
      if (!InitOS(reinterpret_cast<const KvHostTables*>(first), nullptr)) return -3;
      g_pluginPath = NewObjClear<Filename>();
      if (g_pluginPath != nullptr) g_pluginPath->CopyFrom(static_cast<const KvFilename*>(third));
      return 1;
    case 2:
      return RegisterObjectPlugin(ID_FIXTURE_OBJECT, String("Fixture"), OBJECT_ISSPLINE,
                                  FixtureObject::Alloc, String(), nullptr, 0)
                 ? 1
                 : 0;
    case 3:
      if (--g_starts != 0) return 1;
      DeleteObj(g_pluginPath);
      return 1;
    case 6:
      return 1;
    default:
      return -1;
  }
}
