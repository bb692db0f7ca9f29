// Framework memory, console output and message boxes.
#pragma once

#include <new>
#include <utility>

#include "ge_strings.h"
#include "ge_types.h"

// Framework memory, zeroed; null when exhausted.
void* NewMemClear(Int size);
// Releases framework memory; null is ignored. The caller's pointer is left as it was.
void DeleteMemPtr(void* p);

// Constructs a T in framework memory; null when exhausted.
template <typename T, typename... Args>
T* NewObjClear(Args&&... args) {
  void* memory = NewMemClear(static_cast<Int>(sizeof(T)));
  if (memory == nullptr) return nullptr;
  return new (memory) T(std::forward<Args>(args)...);
}

// Destroys an object made by NewObjClear and sets obj to null.
template <typename T>
void DeleteObj(T*& obj) {
  if (obj != nullptr) {
    obj->~T();
    DeleteMemPtr(obj);
  }
  obj = nullptr;
}

// Writes one line to the host console for every audience, with its source location.
void ApplicationOutput(const String& text, const SourceLocation& where);

// Shows text in a modal message box; returns the button pressed.
Int32 MessageDialog(const String& text, GEMB flags = GEMB::OK);
