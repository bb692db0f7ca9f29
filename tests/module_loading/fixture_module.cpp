// A small object plug-in, not the arrow, that exercises the SDK client layer and the
// stand-in host through the real entry protocol. Buttons let tests make it insert objects
// with undo, and leak on purpose so that the host's accounting can be seen to catch it.
#include "fixture_ids.h"
#include "host_sdk.h"

namespace {

class FixtureObject : public ObjectData {
 public:
  static NodeData* Alloc() { return NewObjClear<FixtureObject>(); }

  Bool Init(GeListNode* node) override {
    BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
    bc->SetInt32(fixture::kCount, 42);
    bc->SetString(fixture::kLabel, String("fixture"));
    return true;
  }

  Bool Message(GeListNode* node, Int32 type, void* data) override {
    if (type != MSG_DESCRIPTION_COMMAND || data == nullptr) return true;
    BaseObject* op = static_cast<BaseObject*>(node);
    switch (static_cast<DescriptionCommand*>(data)->descId[0].id) {
      case fixture::kAddNull: {
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
        op->GetDataInstance()->SetInt32(fixture::kCount, op->GetDataInstance()->GetInt32(fixture::kCount) + 1);
        doc->EndUndo();
        break;
      }
      case fixture::kLeakMemory:
        NewMemClear(64);
        break;
      case fixture::kLeakContainer:
        NewObjClear<BaseContainer>();
        break;
      default:
        break;
    }
    return true;
  }

  Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData&, DESCFLAGS_ENABLE,
                    const BaseContainer*) override {
    if (id[0].id != fixture::kDependent) return true;
    return static_cast<BaseObject*>(node)->GetDataInstance()->GetInt32(fixture::kCount) == 42;
  }

  SplineObject* GetContour(BaseObject* op, BaseDocument*, Float, BaseThread*) override {
    SplineObject* spline = SplineObject::Alloc(3, SPLINETYPE::LINEAR);
    if (spline == nullptr) return nullptr;
    const Float size = static_cast<Float>(op->GetDataInstance()->GetInt32(fixture::kCount));
    if (Vector* p = spline->GetPointW()) {
      p[0] = Vector(0, 0, 0);
      p[1] = Vector(size, 0, 0);
      p[2] = Vector(0, size, 0);
    }
    return spline;
  }
};

}  // namespace

static ModuleRegistration s_registration("net.keelvane.test.fixture", 0);

// The fixture accepts every host and answers every plug-in message.
const Int32 g_minHostApiVersion = 0;

Bool PluginStart() {
  return RegisterObjectPlugin(fixture::kObjectType, String("Fixture"), OBJECT_ISSPLINE,
                              FixtureObject::Alloc, String(), nullptr, 0);
}

void PluginEnd() {}

Bool PluginMessage(Int32, void*) { return true; }
