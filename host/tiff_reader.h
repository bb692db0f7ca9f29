// Decoding a TIFF file into a host bitmap. CMake picks the implementation: libtiff where
// the platform has it (tiff_reader_libtiff.cpp), else a small reader of the baseline
// files the project's icon tool writes (tiff_reader_baseline.cpp).
#pragma once

#include <string>

#include "bitmaps.h"

namespace kvhost {

// Fills bitmap with the image at path as RGBA, colours premultiplied by alpha, packed
// R | G << 8 | B << 16 | A << 24, top row first; false when it is not a readable image.
// Quiet: a bad file is no error of the host's.
bool ReadTiff(const std::string& path, KvBitmap& bitmap);

}  // namespace kvhost
