// The real module with one fault planted on purpose, chosen at compile time by the macro
// PLANTED_<FAULT> (tests/check/CMakeLists.txt names the faults), so that the tests of
// `keelvane check` can see each fault caught by exactly the check meant for it. The entry
// point is the module's own (main.cpp, built with this file); the allocator it registers
// makes a PlantedArrow, the real arrow object with the one method overridden that carries
// the fault.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <thread>

#include "arrow_links.h"
#include "arrow_presets.h"
#include "ge_entry.h"
#include "ge_export.h"
#include "operatingsystem.h"
#include "description/okeelvane.h"
#include "keelvane.h"

// The faults of the load button, each a variation of one planted reader.
#if defined(PLANTED_PRESET_READ_PAST_END) || defined(PLANTED_LOAD_WITHOUT_UNDO) || \
    defined(PLANTED_LOAD_WITHOUT_FILE) || defined(PLANTED_LOAD_LEAKS_ON_READ_ERROR)
#define PLANTED_LOAD
#endif

namespace {

constexpr Int32 kMostPoints = 16;

#if defined(PLANTED_RACY_GLOBAL)
// One scratch outline for every object and thread, without a lock.
Vector g_scratch[kMostPoints];
#endif

#if defined(PLANTED_LEAK_ON_UNLOAD)
// Framework memory taken at start and never given back.
void* g_neverFreed = nullptr;
#endif

#if defined(PLANTED_LEAK_PER_CYCLE)
void* volatile g_lost = nullptr;
#endif

}  // namespace

class PlantedArrow : public ArrowObject {
 public:
  static NodeData* Alloc() { return NewObjClear<PlantedArrow>(); }

#if defined(PLANTED_FAT_ARROW)
  // 16 MiB of framework memory held as long as the object lives.
  Bool Init(GeListNode* node) override {
    if (!ArrowObject::Init(node)) return false;
    if (held == nullptr) held = NewMemClear(Int{16} << 20);
    return true;
  }
  ~PlantedArrow() override { DeleteMemPtr(held); }
#endif

#if defined(PLANTED_NAN_IN_CONTOUR) || defined(PLANTED_RACY_GLOBAL) || \
    defined(PLANTED_CRASH_ON_FAILED_ALLOCATION) || defined(PLANTED_HANG_IN_CONTOUR) || \
    defined(PLANTED_SLOW_CONTOUR) || defined(PLANTED_INFINITE_AT_EXTREMES)
  SplineObject* GetContour(BaseObject* op, BaseDocument* doc, Float lod, BaseThread* bt) override {
    SplineObject* spline = ArrowObject::GetContour(op, doc, lod, bt);
#if defined(PLANTED_INFINITE_AT_EXTREMES)
    // A shaft at the end of the double range overflows; the outline goes out all the same,
    // whether the module gave one or not.
    if (spline == nullptr && std::abs(op->GetDataInstance()->GetFloat(ARROW_SHAFT_LENGTH)) > 1e300) {
      spline = SplineObject::Alloc(4, SPLINETYPE::LINEAR);
      Vector* infinite = spline != nullptr ? spline->GetPointW() : nullptr;
      for (Int32 i = 0; infinite != nullptr && i < 4; ++i) infinite[i] = Vector(HUGE_VAL, Float(i), 0.0);
      return spline;
    }
#endif
    Vector* points = spline != nullptr ? spline->GetPointW() : nullptr;
    if (points == nullptr) return spline;
    [[maybe_unused]] const Int32 count = spline->GetPointCount();
#if defined(PLANTED_NAN_IN_CONTOUR)
    // A tail notch deeper than 50 divides by zero somewhere.
    if (op->GetDataInstance()->GetFloat(ARROW_TAIL_NOTCH) > 50.0) points[0].x = std::nan("");
#elif defined(PLANTED_INFINITE_AT_EXTREMES)
    if (std::abs(op->GetDataInstance()->GetFloat(ARROW_SHAFT_LENGTH)) > 1e300) points[0].x = HUGE_VAL;
#elif defined(PLANTED_HANG_IN_CONTOUR)
    // A tail notch deeper than 50 never converges.
    while (op->GetDataInstance()->GetFloat(ARROW_TAIL_NOTCH) > 50.0) std::this_thread::sleep_for(std::chrono::seconds(1));
#elif defined(PLANTED_SLOW_CONTOUR)
    // A millisecond of work for every outline: ten times the budget, twice that of a
    // sanitizer build.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
    while (std::chrono::steady_clock::now() < until) {}
#elif defined(PLANTED_RACY_GLOBAL)
    for (Int32 i = 0; i < count && i < kMostPoints; ++i) g_scratch[i] = points[i];
    // A moment between writing and reading back, in which another thread's writes land.
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(2);
    while (std::chrono::steady_clock::now() < until) {}
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

#if defined(PLANTED_ENABLING_WRITES)
  // Asked whether a parameter is editable, it leaves a mark in the container.
  Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData& data, DESCFLAGS_ENABLE flags,
                    const BaseContainer* itemDesc) override {
    static_cast<BaseObject*>(node)->GetDataInstance()->SetString(ARROW_PRESET_NAME, String("asked"));
    return ArrowObject::GetDEnabling(node, id, data, flags, itemDesc);
  }
#endif

#if defined(PLANTED_UNDO_NOT_RESTORING) || defined(PLANTED_RESET_KEEPS_ONE) || \
    defined(PLANTED_DEFORMER_LEAK) || defined(PLANTED_HEAD_SWEEP_NEGATED) || defined(PLANTED_LOAD)
  Bool Message(GeListNode* node, Int32 type, void* data) override {
    const auto* command = static_cast<const DescriptionCommand*>(data);
    if (type != MSG_DESCRIPTION_COMMAND || command == nullptr) return ArrowObject::Message(node, type, data);
    BaseObject* op = static_cast<BaseObject*>(node);
    [[maybe_unused]] BaseDocument* doc = op->GetDocument();
    [[maybe_unused]] BaseContainer* bc = op->GetDataInstance();
    const Int32 button = command->descId[0].id;
#if defined(PLANTED_UNDO_NOT_RESTORING)
    if (button == ARROW_RESET) {  // the reset without its undo record
      ResetArrowDefaults(op);
      op->Message(MSG_UPDATE);
      return true;
    }
#elif defined(PLANTED_RESET_KEEPS_ONE)
    if (button == ARROW_RESET && doc != nullptr) {  // undoable, but the head stays
      doc->StartUndo();
      doc->AddUndo(UNDOTYPE::CHANGE, op);
      const Float head = bc->GetFloat(ARROW_HEAD_LENGTH);
      ResetArrowDefaults(op);
      bc->SetFloat(ARROW_HEAD_LENGTH, head);
      op->Message(MSG_UPDATE);
      doc->EndUndo();
      return true;
    }
#elif defined(PLANTED_DEFORMER_LEAK)
    // An arrow under an object that is no Extrude, with no Extrude to add: the deformer
    // made for it has no place and is never freed.
    BaseObject* parent = op->GetUp();
    if (button == ARROW_MAKE_WRAP && doc != nullptr && parent != nullptr && !IsType(parent, Oextrude) &&
        !bc->GetBool(ARROW_WRAP_ADD_EXTRUDE) && bc->GetLink(ARROW_WRAP_SPLINE, doc, Obase) != nullptr &&
        FindWrapDeformer(op) == nullptr) {
      lost = BaseObject::Alloc(Osplinewrap);
      return true;
    }
#elif defined(PLANTED_HEAD_SWEEP_NEGATED)
    // Presets that keep the head sweep negated: the module reads its own files back
    // alike, and no other module's.
    if (button == ARROW_PRESET_SAVE) {
      bc->SetFloat(ARROW_HEAD_SWEEP, -bc->GetFloat(ARROW_HEAD_SWEEP));
      SavePreset(op);
      bc->SetFloat(ARROW_HEAD_SWEEP, -bc->GetFloat(ARROW_HEAD_SWEEP));
      return true;
    }
    if (button == ARROW_PRESET_LOAD && doc != nullptr) {
      if (LoadPreset(this, op, doc)) {
        bc->SetFloat(ARROW_HEAD_SWEEP, -bc->GetFloat(ARROW_HEAD_SWEEP));
        op->Message(MSG_UPDATE);
      }
      return true;
    }
#else
    if (button == ARROW_PRESET_LOAD && doc != nullptr) {
      if (PlantedLoad(op, doc)) op->Message(MSG_UPDATE);
      return true;
    }
#endif
    return ArrowObject::Message(node, type, data);
  }
#endif

 private:
#if defined(PLANTED_FAT_ARROW)
  void* held = nullptr;
#endif
#if defined(PLANTED_DEFORMER_LEAK)
  BaseObject* lost = nullptr;
#endif
#if defined(PLANTED_LOAD)
  // The load button's reader as the real one is, but for its fault: a file that ends early
  // taken as read to its end, a change without an undo record, a file object used that
  // could not be had, or one forgotten when the disk fails a read (not when the file is
  // short or wrong).
  Bool PlantedLoad(BaseObject* op, [[maybe_unused]] BaseDocument* doc) {
    BaseContainer scratch(*op->GetDataInstance());
    Filename name;
    name.SetDirectory(GetPresetFolder());
    name.SetFile(Filename("*.kvp"));
    if (!name.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::LOAD, String())) return false;
    BaseFile* file = BaseFile::Alloc();
#if !defined(PLANTED_LOAD_WITHOUT_FILE)
    if (file == nullptr) return false;
#endif
    const Bool opened = file->Open(name, FILEOPEN::READ, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA);
    Bool read = opened && ReadPresetFile(file, scratch);
#if defined(PLANTED_PRESET_READ_PAST_END)
    read = opened && (read || file->GetError() != FILEERROR::OUTOFMEMORY);
#elif defined(PLANTED_LOAD_LEAKS_ON_READ_ERROR)
    if (static_cast<Int32>(file->GetError()) == KV_FILEERROR_READ) return false;
#endif
    BaseFile::Free(file);
    if (!read) return false;
#if !defined(PLANTED_LOAD_WITHOUT_UNDO)
    doc->AddUndo(UNDOTYPE::CHANGE, op);
#endif
    op->SetData(scratch, true);
    return true;
  }
#endif
};

#if defined(PLANTED_ENTRY_AFTER_REFUSAL) || defined(PLANTED_ENTRY_AFTER_END)
// The framework's entry point, built under another name (c4d_main is defined as
// PlantedFrameworkMain for this module), wrapped by an entry that keeps the host's tables
// where the framework gives them up and hands actions 2 and 6 to the plug-in through them.
#undef c4d_main
extern "C" Int32 PlantedFrameworkMain(Int32 action, intptr_t first, void* second, void* third);

namespace {

const KvHostTables* g_keptTables = nullptr;
Int32 g_plantedCount = 0;
Bool g_stale = false;

}  // namespace

extern "C" KV_EXPORT Int32 c4d_main(Int32 action, intptr_t first, void* second, void* third) {
  const Int32 answer = PlantedFrameworkMain(action, first, second, third);
  if (action == KV_ACTION_INIT_SYSTEM && g_plantedCount++ == 0) {
    g_keptTables = reinterpret_cast<const KvHostTables*>(first);
#if defined(PLANTED_ENTRY_AFTER_REFUSAL)
    g_stale = answer == KV_RESULT_REFUSED;
#endif
  }
  if (action == KV_ACTION_END && g_plantedCount > 0 && --g_plantedCount == 0) {
#if defined(PLANTED_ENTRY_AFTER_END)
    g_stale = true;
#endif
  }
  if (!g_stale || g_keptTables == nullptr) return answer;
  if (action == KV_ACTION_START) {
    InitOS(g_keptTables, nullptr);
    return PluginStart() ? KV_RESULT_OK : KV_RESULT_FAILED;
  }
  if (action == KV_ACTION_MESSAGE) {
    InitOS(g_keptTables, nullptr);
    return PluginMessage(static_cast<Int32>(first), second) ? KV_RESULT_OK : KV_RESULT_UNHANDLED;
  }
  return answer;
}
#endif

DataAllocator* ArrowAllocator() {
#if defined(PLANTED_LEAK_ON_UNLOAD)
  if (g_neverFreed == nullptr) g_neverFreed = NewMemClear(64);
#elif defined(PLANTED_LEAK_PER_CYCLE)
  // 4 KiB of the C runtime's memory at every start, written to and never freed: lost at
  // every unload, and no host allocation shows it.
  g_lost = std::malloc(4096);
  if (g_lost != nullptr) std::memset(g_lost, 1, 4096);
#endif
  return PlantedArrow::Alloc;
}
