#include "ge_documents.h"

#include "operatingsystem.h"

namespace {

KvNode* H(BaseObject* op) { return op != nullptr ? op->GetHandle() : nullptr; }

}  // namespace

void BaseDocument::InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred) {
  g_os.Bd->InsertObject(GetHandle(), H(op), H(parent), H(pred));
}
Bool BaseDocument::StartUndo() { return g_os.Bd->StartUndo(GetHandle()); }
Bool BaseDocument::AddUndo(UNDOTYPE type, void* data) {
  return g_os.Bd->AddUndo(GetHandle(), static_cast<Int32>(type), static_cast<KvNode*>(data));
}
Bool BaseDocument::EndUndo() { return g_os.Bd->EndUndo(GetHandle()); }
Int32 BaseDocument::GetSplinePlane() const { return g_os.Bd->GetSplinePlane(GetHandle()); }
