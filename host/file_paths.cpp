// Fn: path objects over UTF-8 text. Every knowledge of the separator sits in the three
// helpers at the top, so that a variant for '\' paths changes only them.
#include "file_paths.h"

#include <new>

#include "accounting.h"
#include "host_strings.h"

namespace kvhost {
namespace {

// The host writes '/', which Windows accepts too; Windows paths may also hold '\'.
constexpr char kSeparator = '/';
#if defined(_WIN32)
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

bool IsSeparator(char c) { return c == kSeparator || (kBackslashSeparates && c == '\\'); }

std::size_t LastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

std::string WithClosingSeparator(std::string_view dir) {
  std::string result(dir);
  if (result.empty() || !IsSeparator(result.back())) result.push_back(kSeparator);
  return result;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Offset of the dot that starts the suffix of path's file part, or npos.
std::size_t SuffixDot(std::string_view path) {
  std::size_t fileStart = LastSeparator(path);
  fileStart = (fileStart == std::string_view::npos) ? 0 : fileStart + 1;
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < fileStart) return std::string_view::npos;
  return dot;
}

}  // namespace

std::string DirectoryPart(std::string_view path) {
  std::size_t sep = LastSeparator(path);
  if (sep == std::string_view::npos) return {};
  if (sep == 0) return std::string(1, kSeparator);
  return std::string(path.substr(0, sep));
}

std::string FilePart(std::string_view path) {
  std::size_t sep = LastSeparator(path);
  if (sep == std::string_view::npos) return std::string(path);
  return std::string(path.substr(sep + 1));
}

std::string JoinPath(std::string_view dir, std::string_view component) {
  if (dir.empty()) return std::string(component);
  if (component.empty()) return std::string(dir);
  std::string joined(dir);
  while (joined.size() > 1 && IsSeparator(joined.back())) joined.pop_back();
  std::size_t skip = 0;
  while (skip < component.size() && IsSeparator(component[skip])) ++skip;
  if (!IsSeparator(joined.back())) joined.push_back(kSeparator);
  joined.append(component.substr(skip));
  return joined;
}

bool HasSuffix(std::string_view path, std::string_view suffix) {
  std::size_t dot = SuffixDot(path);
  std::string_view own = (dot == std::string_view::npos) ? std::string_view() : path.substr(dot + 1);
  return EqualIgnoringCase(own, suffix);
}

std::string WithSuffix(std::string_view path, std::string_view suffix) {
  std::size_t dot = SuffixDot(path);
  std::string result(path.substr(0, dot));  // npos keeps the whole path
  if (!suffix.empty()) {
    result.push_back('.');
    result.append(suffix);
  }
  return result;
}

namespace {

std::string_view PathOf(const KvFilename* fn) { return fn ? std::string_view(fn->path) : std::string_view(); }

KvFilename* FnAlloc() {
  if (!TryAllocate(AllocKind::PathHolder)) return nullptr;
  KvFilename* fn = new (std::nothrow) KvFilename();
  if (!fn) Release(AllocKind::PathHolder);
  return fn;
}

void FnFree(KvFilename* fn) {
  if (!fn) return;
  delete fn;
  Release(AllocKind::PathHolder);
}

void FnCopyTo(const KvFilename* src, KvFilename* dst) {
  if (dst && src != dst) dst->path = std::string(PathOf(src));
}

void FnSetString(KvFilename* fn, const KvString* path) {
  if (fn) fn->path = std::string(StringText(path));
}

KvString* FnGetString(const KvFilename* fn) { return NewString(PathOf(fn)); }

bool FnIsPopulated(const KvFilename* fn) { return !PathOf(fn).empty(); }

void FnAdd(KvFilename* fn, const KvFilename* component) {
  if (fn) fn->path = JoinPath(fn->path, PathOf(component));
}

void FnGetDirectory(const KvFilename* fn, KvFilename* out) {
  if (out) out->path = DirectoryPart(PathOf(fn));
}

void FnGetFile(const KvFilename* fn, KvFilename* out) {
  if (out) out->path = FilePart(PathOf(fn));
}

// Without a file part the folder keeps a closing separator, so that a later SetFile puts
// the file inside it rather than beside it.
void FnSetDirectory(KvFilename* fn, const KvFilename* dir) {
  if (!fn) return;
  std::string file = FilePart(fn->path);
  fn->path = (file.empty() && !PathOf(dir).empty()) ? WithClosingSeparator(PathOf(dir)) : JoinPath(PathOf(dir), file);
}

void FnSetFile(KvFilename* fn, const KvFilename* file) {
  if (fn) fn->path = JoinPath(DirectoryPart(fn->path), PathOf(file));
}

bool FnCheckSuffix(const KvFilename* fn, const KvString* suffix) {
  return HasSuffix(PathOf(fn), StringText(suffix));
}

void FnSetSuffix(KvFilename* fn, const KvString* suffix) {
  if (fn && !FilePart(fn->path).empty()) fn->path = WithSuffix(fn->path, StringText(suffix));
}

}  // namespace

KvFilenameTable* FilenameTable() {
  static KvFilenameTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvFilenameTable)},
      .Alloc = FnAlloc,
      .Free = FnFree,
      .CopyTo = FnCopyTo,
      .SetString = FnSetString,
      .GetString = FnGetString,
      .IsPopulated = FnIsPopulated,
      .Add = FnAdd,
      .GetDirectory = FnGetDirectory,
      .GetFile = FnGetFile,
      .SetDirectory = FnSetDirectory,
      .SetFile = FnSetFile,
      .CheckSuffix = FnCheckSuffix,
      .SetSuffix = FnSetSuffix,
  };
  return &table;
}

}  // namespace kvhost
