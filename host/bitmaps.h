// The Bm table: images read from TIFF files, and the host's copies of them.
#pragma once

#include <cstdint>
#include <vector>

#include "host_tables.h"

// A loaded image: its size in pixels and its pixels as 8-bit RGBA, row by row from the top.
struct KvBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  double pixelRatio = 1.0;
  std::vector<std::uint32_t> rgba;
};

namespace kvhost {

KvBitmapTable* BitmapTable();

// New accounted copy of bitmap; null when bitmap is null or the Bitmap fault fires.
KvBitmap* CopyBitmap(const KvBitmap* bitmap);

}  // namespace kvhost
