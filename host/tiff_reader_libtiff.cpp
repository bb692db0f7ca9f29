// TIFF decoding with libtiff, with its warning and error printers silenced.
#include <tiffio.h>

#include "tiff_reader.h"

namespace kvhost {
namespace {

void SilenceLibtiff() {
  static bool silenced = false;
  if (silenced) return;
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  silenced = true;
}

}  // namespace

bool ReadTiff(const std::string& path, KvBitmap& bitmap) {
  SilenceLibtiff();
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif) return false;
  std::uint32_t width = 0, height = 0;
  bool ok = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) == 1 && TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) == 1 &&
            width > 0 && height > 0 && width <= 16384 && height <= 16384;
  if (ok) {
    bitmap.width = static_cast<std::int32_t>(width);
    bitmap.height = static_cast<std::int32_t>(height);
    bitmap.rgba.assign(static_cast<std::size_t>(width) * height, 0);
    ok = TIFFReadRGBAImageOriented(tif, width, height, bitmap.rgba.data(), ORIENTATION_TOPLEFT, 0) == 1;
  }
  TIFFClose(tif);
  return ok;
}

}  // namespace kvhost
