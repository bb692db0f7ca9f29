// Paths, the file system with scripted dialogs, typed file streams and bitmaps of the
// stand-in host: the concrete types behind their handles and the test powers of each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host_tables.h"

// A path: UTF-8 text with '/' between its folders.
struct KvFilename {
  std::string path;
};

// A loaded image: its size in pixels and its pixels as 8-bit RGBA, row by row from the top.
struct KvBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  double pixelRatio = 1.0;
  std::vector<std::uint32_t> rgba;
};

namespace kvhost {

// --- Paths (filename.cpp) ---

// Folder part: everything before the last separator ("" when there is none; "/" for a
// file at the root).
std::string DirectoryPart(std::string_view path);
// File part: everything after the last separator (the whole path when there is none).
std::string FilePart(std::string_view path);
// dir and component joined by one separator; either may be empty.
std::string JoinPath(std::string_view dir, std::string_view component);
// True when the file part's suffix (after its last dot) equals suffix, ignoring case.
bool HasSuffix(std::string_view path, std::string_view suffix);
// path with its file part's suffix replaced by (or extended with) suffix.
std::string WithSuffix(std::string_view path, std::string_view suffix);

// --- File dialogs (file_system.cpp) ---

// One file dialog as the module showed it.
struct ShownDialog {
  std::int32_t type = 0;
  std::int32_t mode = 0;
  std::string startPath;  // the path the dialog was shown with (folder and file part)
  std::string title;
  std::string forceSuffix;
  bool answered = false;  // false when no answer was queued for it
};

// Test power: the next dialog answers with path (as if the user picked it).
void QueueDialogAnswer(std::string path);
// Test power: the next dialog answers as cancelled.
void QueueDialogCancel();
// Every dialog shown since the last ClearDialogs, oldest first.
const std::vector<ShownDialog>& ShownDialogs();
// Number of queued answers not yet taken by a dialog.
std::size_t PendingDialogAnswers();
// Forgets the shown dialogs and drops the queued answers.
void ClearDialogs();

// --- File streams (file_stream.cpp) ---

// Error codes of a file object (KvFileTable.GetError).
enum FileError : std::int32_t {
  kFileOk = 0,
  kFileErrorOpen = -1,
  kFileErrorClose = -2,
  kFileErrorRead = -3,
  kFileErrorWrite = -4,
  kFileErrorInvalid = -6,     // not open, or opened for the other direction
  kFileErrorOutOfMemory = -7,
  kFileErrorWrongValue = -9,  // bytes that are not what the read expects (bad UTF-8)
  kFileErrorFileEnd = -12     // the file holds fewer bytes than the read needs
};

// Test powers, off unless asked for: the nth open / typed read / typed write from now
// fails (1 = the next one), as a real I/O error would.
void FailNextOpen(int nth = 1);
void FailNextRead(int nth = 1);
void FailNextWrite(int nth = 1);
// Disarms the three powers above.
void ClearFileFaults();
// Largest buffer a string read has reserved since the last reset; a read never reserves
// more than the file still holds.
std::int64_t LargestStringReservation();
void ResetLargestStringReservation();

// True when bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Clears the dialog script and records, the file faults and the reservation high-water
// mark: everything of these services a test can leave behind.
void ResetFileServices();

// --- Bitmaps (bitmaps.cpp) ---

// New accounted copy of bitmap; null when bitmap is null or the Bitmap fault fires.
KvBitmap* CopyBitmap(const KvBitmap* bitmap);

}  // namespace kvhost
