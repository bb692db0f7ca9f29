// The stand-in host as tests and the command-line tool drive it: one process-wide host
// that loads modules, holds documents, performs the user's actions the way the real host
// performs them, and records what a test needs to see.
//
// The test powers (scripted dialog answers, fault injection, a chosen API version, a null
// sub-table, allocation counts) are declared apart, in test_powers.h, which this header
// brings along; each is off unless asked for, and ResetHost turns them off again.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host_model.h"
#include "host_tables.h"
#include "module.h"
#include "test_powers.h"

namespace kvhost {

// ---- Host lifecycle --------------------------------------------------------------------

// Frees every document and object, forgets plug-ins, clears every log, disarms faults,
// frees the framework memory, strings and containers still live (a module's leaks),
// zeroes the allocation counts and restores the default API version. Modules still loaded
// must be unloaded first.
void ResetHost();

// The record handed to modules at action 1 (the real one, without armed faults).
const KvHostTables* HostTables();
// The API version the host hands over unless a test sets another: one both flavours of
// the module accept.
constexpr std::int32_t kDefaultHostApiVersion = KV_MIN_API_VERSION_MACOS;
std::int32_t HostApiVersion();

// ---- Plug-ins ---------------------------------------------------------------------------

const PluginEntry* FindPlugin(std::int32_t id);
std::vector<const PluginEntry*> RegisteredPlugins();
// The description name registered under id, if any.
std::optional<std::string> RegisteredDescription(std::int32_t id);

// ---- Documents and objects --------------------------------------------------------------

KvDocument* NewDocument();
void FreeDocument(KvDocument* doc);  // frees its objects and its history
void SetSplinePlane(KvDocument* doc, std::int32_t plane);
std::vector<KvNode*> TopObjects(const KvDocument* doc);
std::vector<KvNode*> Children(const KvNode* node);
KvNode* Parent(const KvNode* node);  // null at the top level
bool IsInside(const KvNode* node, const KvNode* ancestor);  // node == ancestor or below it

// New detached host object (Bo.Alloc as the module calls it): null when out of memory or
// the type is neither a host type nor a registered plug-in.
KvNode* AllocObject(std::int32_t type);
KvNode* AllocSpline(std::int32_t pointCount, std::int32_t splineType = KV_SPLINETYPE_LINEAR);
void FreeObject(KvNode* object);  // with accounting; detaches it first if needed
std::int32_t ObjectType(const KvNode* node);
std::uint64_t ObjectSerial(const KvNode* node);
KvDocument* DocumentOf(const KvNode* node);

// A parameter value as the host stores it; a link is an object or null.
using Value = std::variant<std::int32_t, double, bool, KvVector, std::string, KvNode*>;
// The node's live container (borrowed; valid for the node's lifetime).
KvContainer* Container(KvNode* node);
std::optional<Value> GetParameter(const KvContainer* c, std::int32_t id);
void SetParameterRaw(KvContainer* c, std::int32_t id, const Value& v);  // no undo, no message
std::vector<std::int32_t> ParameterIds(const KvContainer* c);

// The parameters of a host object type that the module reads or writes, with their value
// type (KV_VALUE_*) and the name the host's attribute panel gives them, so that tools can
// set and print them by id and show them by name. Empty for other types. An int32 that
// stands for one of a few settings lists them as choices.
struct HostChoice {
  std::int32_t value;
  const char* name;
};
struct HostParameterType {
  std::int32_t id;
  std::int32_t valueType;
  const char* name;
  std::vector<HostChoice> choices = {};
};
std::vector<HostParameterType> HostParameterTypes(std::int32_t objectType);
// The name the host gives objects of a type ("Extrude", "Cloner", ...); for a registered
// plug-in type the name it registered; "Object <type>" for a type the host does not know.
std::string ObjectTypeName(std::int32_t type);

// A spline's points (from its point tag) and count; empty when it has no point tag.
std::vector<KvVector> SplinePoints(const KvNode* spline);
std::int32_t SplinePointCount(const KvNode* spline);
// The spline type given when the spline was allocated; -1 for a node that is no spline.
std::int32_t SplineType(const KvNode* spline);

// The document as text, for comparing documents and for failure messages: the tree in
// order, one object a line indented by its depth, each with its type, its name and every
// parameter of its container: "5100#3 1001=2 1002=0.25 1003=true 1004=->5101#4". Two
// documents are the same exactly when their texts are. By serial, objects are named
// "#<serial>"; by place, "@<n>" for the n-th object of the tree depth first ("@outside"
// for a link out of it), so that two documents built alike compare the same.
enum class ObjectNames { BySerial, ByPlace };
std::string DocumentText(const KvDocument* doc, ObjectNames names = ObjectNames::BySerial);
// Every parameter of node's container as DocumentText writes them (by serial):
// "1001=2 1002=0.25 ...", and one value so.
std::string ParameterText(const KvNode* node);
std::string ValueText(const Value& value);

// ---- The user's actions, as the host performs them --------------------------------------

// Creating an object from the menu: allocate (allocator + Init), MENUPREPARE with doc,
// insert at the top, one undo step with the NEWOBJ record. Null when allocation failed.
KvNode* CreateObjectFromMenu(KvDocument* doc, std::int32_t type);
// Setting a parameter in the attribute panel: one undo group with a CHANGE record, the
// write and POSTSETPARAMETER with a depth-1 description id, so that the records it makes
// in reaction belong to the same step. Returns the plug-in's answer.
bool SetParameter(KvDocument* doc, KvNode* node, std::int32_t id, const Value& v);
// Pressing a button: DESCRIPTION_COMMAND with a depth-1 description id; no undo group.
bool PressButton(KvNode* node, std::int32_t id);
// The user's drag in the object manager: one undo group with a CHANGE record, then the
// node goes first or last under parent (null: the document's top level).
enum class Position { First, Last };
void MoveObject(KvDocument* doc, KvNode* node, KvNode* parent, Position where);
// The user's deletion in the object manager: the object goes with its children as one undo
// step; undo puts it back in its place, the host keeping it until the step is dropped.
void DeleteObject(KvDocument* doc, KvNode* node);
// Asks the plug-in object for its contour. The caller owns the returned spline (free it
// with FreeObject); null when the plug-in returned none or has no contour entry.
KvNode* GetContour(KvNode* node, KvDocument* doc, double lod = 1.0);
// Asks the plug-in whether parameter id is editable (true for objects without a plug-in).
bool IsEnabled(KvNode* node, std::int32_t id);
// Delivers a message as the host does (logged with sender Host).
bool SendMessage(KvNode* node, std::int32_t type, void* data);

// ---- Undo ---------------------------------------------------------------------------------

bool Undo(KvDocument* doc);  // false when there is nothing to undo
bool Redo(KvDocument* doc);
// Caps the document's undo as a host's undo setting does: past either limit the oldest
// steps go (the newest stays, whatever it holds). A new document keeps every step.
void SetUndoLimits(KvDocument* doc, UndoLimits limits);
struct UndoRecordView {
  std::int32_t type;
  KvNode* node;
};
struct UndoStepView {
  std::vector<UndoRecordView> records;  // in the order they were added
  bool open;      // the group was started and not ended
  bool implicit;  // a record made outside any group
};
std::vector<UndoStepView> UndoHistory(const KvDocument* doc);  // oldest first
std::vector<UndoStepView> RedoHistory(const KvDocument* doc);  // next redo last
int UndoDepth(const KvDocument* doc);       // StartUndo calls not yet ended
int UnbalancedEndUndos(const KvDocument* doc);  // EndUndo calls without a group
// Outermost groups closed so far, those closed without a record (which leave no step)
// included: how a test sees that a command bracketed its work in one group.
int ClosedUndoGroups(const KvDocument* doc);

// ---- What the host recorded ----------------------------------------------------------------

const std::vector<MessageLogEntry>& MessageLog(const KvNode* node);
void ClearMessageLog(KvNode* node);

struct ConsoleLine {
  std::string text;
  std::string file;
  std::int32_t line;
  std::int32_t audience;
  std::int32_t writeMeta;
  std::int32_t level;  // KV_OUTPUT_*
};
const std::vector<ConsoleLine>& ConsoleLines();

struct DialogRecord {
  std::string text;
  std::int32_t flags;
  std::int32_t answer;
};
const std::vector<DialogRecord>& MessageDialogs();

// The errors the host reported to the user (file errors, unanswered dialogs, ...).
const std::vector<std::string>& HostErrors();
// Of those, the calls a real host would have crashed in ("Bf.Open with no file object:
// ..."): a module fault, however the stand-in host carried on.
const std::vector<std::string>& HostCrashes();

}  // namespace kvhost
