// Bf: typed file streams over real files. Multi-byte values follow the byte order chosen
// at open. The first failure of a read or write sets the file's error and is reported to
// the user, as the host's own file object does; later operations fail quietly until the
// error is cleared or the file is opened again.
#include "file_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#include "accounting.h"
#include "console.h"
#include "file_paths.h"
#include "host_strings.h"
#include "test_powers.h"
#include "utf8.h"

struct KvFile {
  std::FILE* stream = nullptr;
  std::string name;
  std::int32_t mode = 0;       // 1 read, 2 write
  bool bigEndian = true;
  std::int32_t error = KV_FILEERROR_NONE;
  std::int64_t readLength = -1;  // a file opened for reading does not change length
  std::size_t pieceLeft = 0;     // delivered in pieces: bytes of the current piece not yet taken
};

namespace kvhost {
namespace {


struct FileFaults {
  int openCountdown = 0;  // 0: off; n: the nth open from now fails
  int readCountdown = 0;
  int writeCountdown = 0;
  std::int64_t largestReservation = 0;
  FileOperations made;
  std::size_t piece = 0;  // 0: reads get what they ask for; n: the file comes n bytes at a time
};

FileFaults& Faults() {
  static FileFaults faults;
  return faults;
}

// Counts one operation (in made) and against an armed countdown; true when this one must
// fail.
bool FaultFires(std::int64_t& made, int& countdown) {
  ++made;
  if (countdown <= 0) return false;
  return --countdown == 0;
}

// A call handed no file object, which a real host would crash in: reported as such, and
// answered as failed.
bool NoFile(const char* call) {
  ReportHostCrash(std::string("Bf.") + call, "with no file object");
  return false;
}

// Sets the file's first error and reports it; later failures stay quiet.
bool Fail(KvFile* f, std::int32_t error, const std::string& what) {
  if (f->error == KV_FILEERROR_NONE) {
    f->error = error;
    ReportHostError("file \"" + f->name + "\": " + what);
  }
  return false;
}

bool CanRead(KvFile* f, const char* what) {
  if (f->error != KV_FILEERROR_NONE) return false;
  if (!f->stream || f->mode != KV_FILEOPEN_READ) {
    return Fail(f, KV_FILEERROR_INVALID, std::string(what) + ": the file is not open for reading");
  }
  if (FaultFires(Faults().made.reads, Faults().readCountdown)) return Fail(f, KV_FILEERROR_READ, std::string(what) + ": read error");
  return true;
}

bool CanWrite(KvFile* f, const char* what) {
  if (f->error != KV_FILEERROR_NONE) return false;
  if (!f->stream || f->mode != KV_FILEOPEN_WRITE) {
    return Fail(f, KV_FILEERROR_INVALID, std::string(what) + ": the file is not open for writing");
  }
  if (FaultFires(Faults().made.writes, Faults().writeCountdown)) return Fail(f, KV_FILEERROR_WRITE, std::string(what) + ": write error");
  return true;
}

// One delivery of the file's bytes: all that is asked for, or, when the file comes in
// pieces as from a pipe, what is left of the current piece (a new one when it is used up).
std::size_t ReadPiece(KvFile* f, unsigned char* out, std::size_t count) {
  const std::size_t piece = Faults().piece;
  if (piece == 0) return std::fread(out, 1, count, f->stream);
  if (f->pieceLeft == 0) f->pieceLeft = piece;
  const std::size_t got = std::fread(out, 1, std::min(count, f->pieceLeft), f->stream);
  f->pieceLeft -= got;
  return got;
}

// A value is assembled from as many deliveries as it takes; one that brings nothing is the
// end of the file or an error. A read that fails leaves the position where it was, so that
// a cleared error resumes there.
bool ReadBytes(KvFile* f, void* out, std::size_t count, const char* what) {
  long start = std::ftell(f->stream);
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  while (got < count) {
    const std::size_t n = ReadPiece(f, bytes + got, count - got);
    if (n == 0) break;
    got += n;
  }
  if (got == count) return true;
  f->pieceLeft = 0;
  bool ioError = std::ferror(f->stream) != 0;
  std::clearerr(f->stream);
  std::fseek(f->stream, start, SEEK_SET);
  if (ioError) return Fail(f, KV_FILEERROR_READ, std::string(what) + ": read error");
  return Fail(f, KV_FILEERROR_FILEEND, std::string(what) + ": the file ends before the value");
}

bool WriteBytes(KvFile* f, const void* bytes, std::size_t count, const char* what) {
  if (std::fwrite(bytes, 1, count, f->stream) == count) return true;
  return Fail(f, KV_FILEERROR_WRITE, std::string(what) + ": " + std::strerror(errno));
}

void Encode32(const KvFile* f, std::uint32_t v, unsigned char out[4]) {
  for (int i = 0; i < 4; ++i) {
    int shift = f->bigEndian ? 24 - 8 * i : 8 * i;
    out[i] = static_cast<unsigned char>(v >> shift);
  }
}

std::uint32_t Decode32(const KvFile* f, const unsigned char in[4]) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    int shift = f->bigEndian ? 24 - 8 * i : 8 * i;
    v |= static_cast<std::uint32_t>(in[i]) << shift;
  }
  return v;
}

bool Read32(KvFile* f, std::uint32_t* v, const char* what) {
  unsigned char bytes[4];
  if (!CanRead(f, what) || !ReadBytes(f, bytes, 4, what)) return false;
  *v = Decode32(f, bytes);
  return true;
}

bool Write32(KvFile* f, std::uint32_t v, const char* what) {
  unsigned char bytes[4];
  Encode32(f, v, bytes);
  return CanWrite(f, what) && WriteBytes(f, bytes, 4, what);
}

std::int64_t StreamLength(std::FILE* stream) {
  long here = std::ftell(stream);
  if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
  long end = std::ftell(stream);
  std::fseek(stream, here, SEEK_SET);
  return end;
}

void CloseStream(KvFile* f) {
  if (f->stream) std::fclose(f->stream);
  f->stream = nullptr;
}

KvFile* BfAlloc() {
  if (!TryAllocate(AllocKind::File)) return nullptr;
  KvFile* f = new (std::nothrow) KvFile();
  if (!f) Release(AllocKind::File);
  return f;
}

void BfFree(KvFile* f) {
  if (!f) return;
  CloseStream(f);
  delete f;
  Release(AllocKind::File);
}

bool BfOpen(KvFile* f, const KvFilename* fn, std::int32_t mode, std::int32_t errorDialog,
            std::int32_t byteOrder, std::int32_t /*type*/, std::int32_t /*creator*/) {
  if (!f) return NoFile("Open");
  CloseStream(f);
  f->pieceLeft = 0;
  f->name = fn ? fn->path : std::string();
  f->mode = mode;
  f->error = KV_FILEERROR_NONE;
  f->bigEndian = byteOrder != KV_BYTEORDER_INTEL;

  std::string why;
  std::error_code ec;
  if (mode != KV_FILEOPEN_READ && mode != KV_FILEOPEN_WRITE) {
    why = "unknown open mode " + std::to_string(mode);
  } else if (byteOrder != KV_BYTEORDER_MOTOROLA && byteOrder != KV_BYTEORDER_INTEL) {
    why = "unknown byte order " + std::to_string(byteOrder);
  } else if (f->name.empty()) {
    why = "no file name";
  } else if (std::filesystem::is_directory(f->name, ec)) {
    why = "it is a folder";
  } else if (FaultFires(Faults().made.opens, Faults().openCountdown)) {
    why = "open error";
  } else {
    f->stream = std::fopen(f->name.c_str(), mode == KV_FILEOPEN_READ ? "rb" : "wb");
    if (!f->stream) why = std::strerror(errno);
  }
  if (f->stream) {
    f->readLength = mode == KV_FILEOPEN_READ ? StreamLength(f->stream) : -1;
    return true;
  }

  f->error = KV_FILEERROR_OPEN;
  if (errorDialog != KV_FILEDIALOG_IGNOREOPEN) {
    ReportHostError("file \"" + f->name + "\": cannot be opened for " +
                    (mode == KV_FILEOPEN_WRITE ? "writing" : "reading") + " (" + why + ")");
  }
  return false;
}

bool BfClose(KvFile* f) {
  if (!f) return NoFile("Close");
  if (!f->stream) return true;
  bool closed = std::fclose(f->stream) == 0;
  f->stream = nullptr;
  if (!closed) return Fail(f, KV_FILEERROR_CLOSE, "close failed");
  return true;
}

std::int32_t BfGetError(const KvFile* f) {
  if (!f) {
    NoFile("GetError");
    return KV_FILEERROR_INVALID;
  }
  return f->error;
}

void BfSetError(KvFile* f, std::int32_t error) {
  if (!f) {
    NoFile("SetError");
    return;
  }
  f->error = error;
}

std::int64_t BfGetLength(const KvFile* f) {
  if (!f) {
    NoFile("GetLength");
    return -1;
  }
  if (!f->stream) return -1;
  return StreamLength(f->stream);
}

std::int64_t BfGetPosition(const KvFile* f) {
  if (!f) {
    NoFile("GetPosition");
    return -1;
  }
  if (!f->stream) return -1;
  return std::ftell(f->stream);
}

bool BfReadInt32(KvFile* f, std::int32_t* v) {
  std::uint32_t bits = 0;
  if (!f) return NoFile("ReadInt32");
  if (!Read32(f, &bits, "reading an int32")) return false;
  if (v) *v = static_cast<std::int32_t>(bits);
  return true;
}

bool BfReadFloat32(KvFile* f, float* v) {
  std::uint32_t bits = 0;
  if (!f) return NoFile("ReadFloat32");
  if (!Read32(f, &bits, "reading a float32")) return false;
  if (v) std::memcpy(v, &bits, sizeof bits);
  return true;
}

bool BfReadBool(KvFile* f, bool* v) {
  unsigned char byte = 0;
  if (!f) return NoFile("ReadBool");
  if (!CanRead(f, "reading a bool") || !ReadBytes(f, &byte, 1, "reading a bool")) return false;
  if (v) *v = byte != 0;
  return true;
}

bool BfReadString(KvFile* f, KvString** out) {
  if (out) *out = nullptr;
  if (!f) return NoFile("ReadString");
  std::uint32_t bits = 0;
  if (!Read32(f, &bits, "reading a string")) return false;
  std::int32_t n = static_cast<std::int32_t>(bits);
  if (n == 0) return true;
  if (n < 0) {
    return Fail(f, KV_FILEERROR_OUTOFMEMORY, "reading a string: negative length " + std::to_string(n));
  }
  // The length comes from the file: believe it only as far as the file reaches, so that
  // a damaged length never reserves memory for bytes that are not there.
  const std::int64_t length = f->readLength >= 0 ? f->readLength : StreamLength(f->stream);
  std::int64_t left = length - std::ftell(f->stream);
  if (n > left) {
    return Fail(f, KV_FILEERROR_FILEEND, "reading a string: length " + std::to_string(n) +
                                          " is more than the " + std::to_string(left) +
                                          " bytes left in the file");
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(n)]);
  if (!buffer) return Fail(f, KV_FILEERROR_OUTOFMEMORY, "reading a string: out of memory");
  if (n > Faults().largestReservation) Faults().largestReservation = n;
  if (!ReadBytes(f, buffer.get(), static_cast<std::size_t>(n), "reading a string")) return false;

  std::string_view text(buffer.get(), static_cast<std::size_t>(n - 1));  // last byte skipped
  if (!IsValidUtf8(text)) return Fail(f, KV_FILEERROR_WRONGVALUE, "reading a string: the text is not valid UTF-8");
  if (text.empty()) return true;
  KvString* s = NewString(text);
  if (!s) return Fail(f, KV_FILEERROR_OUTOFMEMORY, "reading a string: out of memory");
  if (out) {
    *out = s;
  } else {
    FreeString(s);
  }
  return true;
}

bool BfWriteInt32(KvFile* f, std::int32_t v) {
  if (!f) return NoFile("WriteInt32");
  return Write32(f, static_cast<std::uint32_t>(v), "writing an int32");
}

bool BfWriteFloat32(KvFile* f, float v) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  if (!f) return NoFile("WriteFloat32");
  return Write32(f, bits, "writing a float32");
}

bool BfWriteBool(KvFile* f, bool v) {
  unsigned char byte = v ? 1 : 0;
  if (!f) return NoFile("WriteBool");
  return CanWrite(f, "writing a bool") && WriteBytes(f, &byte, 1, "writing a bool");
}

bool BfWriteString(KvFile* f, const KvString* s) {
  if (!f) return NoFile("WriteString");
  if (!CanWrite(f, "writing a string")) return false;
  std::string_view text = StringText(s);
  // A string whose bytes are not UTF-8, or too long for the length field, has no encoding.
  if (!IsValidUtf8(text) || text.size() >= 0x7FFFFFFFu) {
    return Fail(f, KV_FILEERROR_OUTOFMEMORY, "writing a string: no UTF-8 encoding of the text");
  }
  std::string bytes(4, '\0');
  Encode32(f, static_cast<std::uint32_t>(text.size() + 1), reinterpret_cast<unsigned char*>(bytes.data()));
  bytes.append(text);
  bytes.push_back('\0');
  return WriteBytes(f, bytes.data(), bytes.size(), "writing a string");
}

}  // namespace

void FailNextOpen(int nth) { Faults().openCountdown = nth; }
void FailNextRead(int nth) { Faults().readCountdown = nth; }
void FailNextWrite(int nth) { Faults().writeCountdown = nth; }

void ClearFileFaults() {
  Faults().openCountdown = 0;
  Faults().readCountdown = 0;
  Faults().writeCountdown = 0;
}

FileOperations FileOperationCounts() { return Faults().made; }

std::int64_t LargestStringReservation() { return Faults().largestReservation; }
void ResetLargestStringReservation() { Faults().largestReservation = 0; }
void ResetFileOperationCounts() { Faults().made = {}; }
void DeliverReadsInPieces(std::size_t most) { Faults().piece = most; }

KvFileTable* FileTable() {
  static KvFileTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvFileTable)},
      .Alloc = BfAlloc,
      .Free = BfFree,
      .Open = BfOpen,
      .Close = BfClose,
      .GetError = BfGetError,
      .SetError = BfSetError,
      .GetLength = BfGetLength,
      .GetPosition = BfGetPosition,
      .ReadInt32 = BfReadInt32,
      .ReadFloat32 = BfReadFloat32,
      .ReadBool = BfReadBool,
      .ReadString = BfReadString,
      .WriteInt32 = BfWriteInt32,
      .WriteFloat32 = BfWriteFloat32,
      .WriteBool = BfWriteBool,
      .WriteString = BfWriteString,
  };
  return &table;
}

}  // namespace kvhost
