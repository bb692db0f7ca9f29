// Marks the few symbols a module exports to the host; everything else stays hidden.
#pragma once

#if defined(_WIN32)
#define KV_EXPORT __declspec(dllexport)
#else
#define KV_EXPORT __attribute__((visibility("default")))
#endif
