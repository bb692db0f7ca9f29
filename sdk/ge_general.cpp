#include "ge_general.h"

#include "operatingsystem.h"

void* NewMemClear(Int size) { return g_os.Ge->Alloc(size); }

void DeleteMemPtr(void* p) {
  if (p != nullptr) g_os.Ge->Free(p);
}

void ApplicationOutput(const String& text, const SourceLocation& where) {
  g_os.Ge->Output(text.GetHandle(), where.file, where.line,
                  static_cast<Int32>(TARGETAUDIENCE::ALL), static_cast<Int32>(WRITEMETA::DEFAULT),
                  KV_OUTPUT_INFO);
}

Int32 MessageDialog(const String& text, GEMB flags) {
  return g_os.Ge->MessageDialog(text.GetHandle(), static_cast<Int32>(flags));
}
