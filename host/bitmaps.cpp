// Bm: images read from TIFF files (tiff_reader.h). A file that is missing or that cannot
// be decoded gives no bitmap; the module goes on without it, so nothing is reported.
#include "bitmaps.h"

#include <new>

#include "accounting.h"
#include "host_model.h"
#include "file_paths.h"
#include "resources.h"
#include "tiff_reader.h"

namespace kvhost {
namespace {

KvBitmap* NewBitmap(KvBitmap&& contents) {
  if (!TryAllocate(AllocKind::Bitmap)) return nullptr;
  KvBitmap* bitmap = new (std::nothrow) KvBitmap(std::move(contents));
  if (!bitmap) Release(AllocKind::Bitmap);
  return bitmap;
}

KvBitmap* BmLoad(const KvFilename* file, double pixelRatio) {
  if (!file || file->path.empty()) {
    NoteResourceRequest("bitmap (no path)", false);
    return nullptr;
  }
  KvBitmap contents;
  const bool read = ReadTiff(ResolveResourceFile(file->path), contents);
  NoteResourceRequest("bitmap " + file->path, read);
  if (!read) return nullptr;
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
  static KvBitmapTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvBitmapTable)},
      .Load = BmLoad,
      .Free = BmFree,
      .GetWidth = BmGetWidth,
      .GetHeight = BmGetHeight,
  };
  return &table;
}

}  // namespace kvhost
