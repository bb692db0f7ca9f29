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

}  // namespace

static ModuleRegistration s_registration("net.keelvane.test.fixture", 0);

// The fixture accepts every host and answers every plug-in message.
const Int32 g_minHostApiVersion = 0;

Bool PluginStart() {
  return RegisterObjectPlugin(ID_FIXTURE_OBJECT, String("Fixture"), OBJECT_ISSPLINE,
                              FixtureObject::Alloc, String(), nullptr, 0);
}

void PluginEnd() {}

Bool PluginMessage(Int32, void*) { return true; }
