// The arrow object: a spline generator whose contour is the closed outline of an arrow,
// built afresh from the object's parameters each time the host asks for it.
#pragma once

#include "arrow_parameters.h"
#include "description/okeelvane.h"
#include "host_sdk.h"

// The arrow object's registration id, also its type in documents.
constexpr Int32 ID_ARROW_OBJECT = Okeelvane;

class ArrowObject : public ObjectData {
 public:
  // The allocator handed to the registration: one instance with an empty preset folder,
  // or null when memory is exhausted.
  static NodeData* Alloc();

  ~ArrowObject() override = default;

  Bool Init(GeListNode* node) override;
  Bool Message(GeListNode* node, Int32 type, void* data) override;
  Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData& value,
                    DESCFLAGS_ENABLE flags, const BaseContainer* itemDesc) override;
  SplineObject* GetContour(BaseObject* op, BaseDocument* doc, Float lod, BaseThread* bt) override;

  // The folder in which this object's load-preset dialog starts.
  const Filename& GetPresetFolder() const { return presetFolder; }
  void SetPresetFolder(const Filename& folder) { presetFolder = folder; }

 private:
  Filename presetFolder;
};

// The allocator the module's entry (main.cpp) registers for the arrow object:
// ArrowObject::Alloc (arrow_allocator.cpp). It has a file of its own so that a test module
// built from the same entry can register a variant of the object instead.
DataAllocator* ArrowAllocator();

// Writes the defaults of every reset parameter into the node's container. Records no
// undo and sends no message: callers do that.
void ResetArrowDefaults(GeListNode* node);

// Writes the default of one parameter into bc with the setter of its kind (a link or a
// button has none, and is left alone).
void WriteArrowDefault(BaseContainer& bc, const ArrowParameter& p);

// The preset folder: the folder "presets" beside the module when it exists, else the
// folder that holds the module.
Filename PresetFolder();
