#include "ge_general.h"

#include "host_os.h"

void* NewMemClear(Int size) { return g_os.Ge->Alloc(size); }

void DeleteMemPtr(void* p) {
  if (p != nullptr) g_os.Ge->Free(p);
}

namespace {

void Output(const String& text, const SourceLocation& where, Int32 level) {
  g_os.Ge->Output(text.GetHandle(), where.file, where.line,
                  static_cast<Int32>(TARGETAUDIENCE::ALL), static_cast<Int32>(WRITEMETA::DEFAULT),
                  level);
}

}  // namespace

void ApplicationOutput(const String& text, const SourceLocation& where) {
  Output(text, where, KV_OUTPUT_INFO);
}

void CriticalOutput(const String& text, const SourceLocation& where) {
  Output(text, where, KV_OUTPUT_CRITICAL);
}

Int32 MessageDialog(const String& text, GEMB flags) {
  return g_os.Ge->MessageDialog(text.GetHandle(), static_cast<Int32>(flags));
}
