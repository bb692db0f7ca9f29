// The real module with one fault planted on purpose, chosen at compile time by
// KEELVANE_PLANTED_FAULT, so that the tests of `keelvane check` can see each fault caught
// by exactly the check meant for it. The entry point is the module's own (main.cpp,
// included below); its registration is pointed at PlantedArrow, the real arrow object
// with the one method overridden that carries the fault.
#include <cmath>
#include <chrono>
#include <thread>

#include "arrow_presets.h"
#include "description/okeelvane.h"
#include "flavour.h"
#include "keelvane.h"
#include "symbols.h"

#define PLANTED_LEAK_ON_UNLOAD 1
#define PLANTED_NAN_IN_CONTOUR 2
#define PLANTED_UNDO_NOT_RESTORING 3
#define PLANTED_CRASH_ON_FAILED_ALLOCATION 4
#define PLANTED_RACY_GLOBAL 5
#define PLANTED_PRESET_READ_PAST_END 6
#define PLANTED_HANG_IN_CONTOUR 7

#if !defined(KEELVANE_PLANTED_FAULT)
#error "KEELVANE_PLANTED_FAULT names the fault to plant"
#endif

namespace {

constexpr Int32 kMostPoints = 16;

#if KEELVANE_PLANTED_FAULT == PLANTED_RACY_GLOBAL
// One scratch outline for every object and thread, without a lock.
Vector g_scratch[kMostPoints];
#endif

#if KEELVANE_PLANTED_FAULT == PLANTED_LEAK_ON_UNLOAD
// Framework memory taken at start and never given back.
void* g_neverFreed = nullptr;
#endif

}  // namespace

class PlantedArrow : public ArrowObject {
 public:
  static NodeData* Alloc() { return NewObjClear<PlantedArrow>(); }

#if KEELVANE_PLANTED_FAULT == PLANTED_NAN_IN_CONTOUR || KEELVANE_PLANTED_FAULT == PLANTED_RACY_GLOBAL || \
    KEELVANE_PLANTED_FAULT == PLANTED_CRASH_ON_FAILED_ALLOCATION || KEELVANE_PLANTED_FAULT == PLANTED_HANG_IN_CONTOUR
  SplineObject* GetContour(BaseObject* op, BaseDocument* doc, Float lod, BaseThread* bt) override {
    SplineObject* spline = ArrowObject::GetContour(op, doc, lod, bt);
    Vector* points = spline != nullptr ? spline->GetPointW() : nullptr;
    if (points == nullptr) return spline;
    [[maybe_unused]] const Int32 count = spline->GetPointCount();
#if KEELVANE_PLANTED_FAULT == PLANTED_NAN_IN_CONTOUR
    // A tail notch deeper than 50 divides by zero somewhere.
    if (op->GetDataInstance()->GetFloat(ARROW_TAIL_NOTCH) > 50.0) points[0].x = std::nan("");
#elif KEELVANE_PLANTED_FAULT == PLANTED_HANG_IN_CONTOUR
    // A tail notch deeper than 50 never converges.
    while (op->GetDataInstance()->GetFloat(ARROW_TAIL_NOTCH) > 50.0) std::this_thread::sleep_for(std::chrono::seconds(1));
#elif KEELVANE_PLANTED_FAULT == PLANTED_RACY_GLOBAL
    for (Int32 i = 0; i < count && i < kMostPoints; ++i) g_scratch[i] = points[i];
    std::this_thread::yield();
    for (Int32 i = 0; i < count && i < kMostPoints; ++i) points[i] = g_scratch[i];
#else
    // Scratch memory used without looking whether it came.
    volatile Float* scratch = static_cast<Float*>(NewMemClear(static_cast<Int>(sizeof(Float) * count)));
    scratch[0] = points[0].x;
    DeleteMemPtr(const_cast<Float*>(scratch));
#endif
    return spline;
  }
#endif

#if KEELVANE_PLANTED_FAULT == PLANTED_UNDO_NOT_RESTORING || KEELVANE_PLANTED_FAULT == PLANTED_PRESET_READ_PAST_END
  Bool Message(GeListNode* node, Int32 type, void* data) override {
    const auto* command = static_cast<const DescriptionCommand*>(data);
    if (type != MSG_DESCRIPTION_COMMAND || command == nullptr) return ArrowObject::Message(node, type, data);
    BaseObject* op = static_cast<BaseObject*>(node);
#if KEELVANE_PLANTED_FAULT == PLANTED_UNDO_NOT_RESTORING
    if (command->_descId[0].id == ARROW_RESET) {  // the reset without its undo record
      ResetArrowDefaults(op);
      op->Message(MSG_UPDATE);
      return true;
    }
#else
    BaseDocument* doc = op->GetDocument();
    if (command->_descId[0].id == ARROW_PRESET_LOAD && doc != nullptr) {
      if (LoadPastTheEnd(op, doc)) op->Message(MSG_UPDATE);
      return true;
    }
#endif
    return ArrowObject::Message(node, type, data);
  }
#endif

 private:
#if KEELVANE_PLANTED_FAULT == PLANTED_PRESET_READ_PAST_END
  // The load button's reader, which takes a file that ends early as read to its end.
  Bool LoadPastTheEnd(BaseObject* op, BaseDocument* doc) {
    BaseContainer scratch(*op->GetDataInstance());
    Filename name;
    name.SetDirectory(GetPresetFolder());
    name.SetFile(Filename("*.kvp"));
    if (!name.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::LOAD, String())) return false;
    BaseFile* file = BaseFile::Alloc();
    if (file == nullptr) return false;
    if (!file->Open(name, FILEOPEN::READ, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA)) {
      BaseFile::Free(file);
      return false;
    }
    const Bool read = ReadPresetFile(file, scratch);
    const Bool outOfMemory = file->GetError() == FILEERROR::OUTOFMEMORY;
    BaseFile::Free(file);
    if (!read && outOfMemory) return false;
    doc->AddUndo(UNDOTYPE::CHANGE, op);
    op->SetData(scratch, true);
    return true;
  }
#endif
};

#if KEELVANE_PLANTED_FAULT == PLANTED_LEAK_ON_UNLOAD
static Bool RegisterLeakingObjectPlugin(Int32 id, const String& name, Int32 info, DataAllocator* alloc,
                                        const String& description, BaseBitmap* icon, Int32 level) {
  if (g_neverFreed == nullptr) g_neverFreed = NewMemClear(64);
  return RegisterObjectPlugin(id, name, info, alloc, description, icon, level);
}
#define RegisterObjectPlugin RegisterLeakingObjectPlugin
#endif

// The module's own entry point, registering the planted object.
#define ArrowObject PlantedArrow
#include "main.cpp"
