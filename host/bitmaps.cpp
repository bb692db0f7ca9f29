// Bm: images read with libtiff. A file that is missing or that libtiff cannot decode gives
// no bitmap; the module goes on without it, so nothing is reported and libtiff's own
// warning and error printers are silenced.
#include <tiffio.h>

#include <new>

#include "file_services.h"
#include "files.h"
#include "host_services.h"
#include "resources.h"

namespace kvhost {
namespace {

void SilenceLibtiff() {
  static bool silenced = false;
  if (silenced) return;
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  silenced = true;
}

// Decodes path into bitmap; false when it is not a readable image.
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

KvBitmap* NewBitmap(KvBitmap&& contents) {
  if (!TryAllocate(AllocKind::Bitmap)) return nullptr;
  KvBitmap* bitmap = new (std::nothrow) KvBitmap(std::move(contents));
  if (!bitmap) Release(AllocKind::Bitmap);
  return bitmap;
}

KvBitmap* BmLoad(const KvFilename* file, double pixelRatio) {
  if (!file || file->path.empty()) return nullptr;
  KvBitmap contents;
  if (!ReadTiff(ResolveResourceFile(file->path), contents)) return nullptr;
  contents.pixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
  return NewBitmap(std::move(contents));
}

void BmFree(KvBitmap* bitmap) {
  if (!bitmap) return;
  delete bitmap;
  Release(AllocKind::Bitmap);
}

std::int32_t BmGetWidth(const KvBitmap* bitmap) { return bitmap ? bitmap->width : 0; }
std::int32_t BmGetHeight(const KvBitmap* bitmap) { return bitmap ? bitmap->height : 0; }

}  // namespace

KvBitmap* CopyBitmap(const KvBitmap* bitmap) {
  if (!bitmap) return nullptr;
  return NewBitmap(KvBitmap(*bitmap));
}

KvBitmapTable* BitmapTable() {
  static KvBitmapTable table = {
      {KV_TABLE_LAYOUT_VERSION, sizeof(KvBitmapTable)},
      BmLoad,
      BmFree,
      BmGetWidth,
      BmGetHeight,
  };
  return &table;
}

}  // namespace kvhost
