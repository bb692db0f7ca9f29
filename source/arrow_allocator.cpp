// The arrow object as the module registers it.
#include "keelvane.h"

DataAllocator* ArrowAllocator() { return ArrowObject::Alloc; }
