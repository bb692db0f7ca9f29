// TIFF decoding without libtiff, for platforms that lack it: the first image of a file
// with 8-bit RGB or RGBA samples, interleaved, in strips that are uncompressed or LZW
// compressed without a predictor, as tools/make_icon.cpp writes the icon. Anything else
// is not a readable image. Pixels come out as libtiff's RGBA reader gives them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "local_files.h"
#include "tiff_reader.h"

namespace kvhost {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMaxSide = 16384;

// Bounds-checked reads in the file's byte order; out-of-range reads give 0 and mark bad.
struct TiffBytes {
  const Bytes& data;
  bool bigEndian = false;
  bool bad = false;

  std::uint32_t Read(std::uint64_t offset, int size) {
    if (offset + static_cast<std::uint64_t>(size) > data.size()) {
      bad = true;
      return 0;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
      const std::uint32_t byte = data[offset + static_cast<std::uint64_t>(i)];
      value |= bigEndian ? byte << (8 * (size - 1 - i)) : byte << (8 * i);
    }
    return value;
  }
};

// The tags of the image's directory that the reader looks at.
struct Directory {
  std::uint32_t width = 0, height = 0, compression = 1, photometric = 0, samples = 1;
  std::uint32_t rowsPerStrip = 0xFFFFFFFFu, planar = 1, predictor = 1, extraSample = 0;
  std::vector<std::uint32_t> bitsPerSample, stripOffsets, stripByteCounts;
};

// The values of one directory entry (SHORT or LONG only).
std::vector<std::uint32_t> EntryValues(TiffBytes& in, std::uint64_t entry) {
  const std::uint32_t type = in.Read(entry + 2, 2);
  const std::uint32_t count = in.Read(entry + 4, 4);
  const int size = type == 3 ? 2 : type == 4 ? 4 : 0;
  if (size == 0 || count == 0 || count > in.data.size()) return {};
  const std::uint64_t start = static_cast<std::uint64_t>(count) * size <= 4 ? entry + 8 : in.Read(entry + 8, 4);
  std::vector<std::uint32_t> values(count);
  for (std::uint32_t i = 0; i < count; ++i) values[i] = in.Read(start + std::uint64_t{i} * size, size);
  return values;
}

bool ReadDirectory(TiffBytes& in, Directory& dir) {
  const std::uint32_t order = in.Read(0, 2);
  if (order != 0x4949 && order != 0x4D4D) return false;
  in.bigEndian = order == 0x4D4D;
  if (in.Read(2, 2) != 42) return false;
  const std::uint64_t start = in.Read(4, 4);
  const std::uint32_t entries = in.Read(start, 2);
  for (std::uint32_t i = 0; i < entries && !in.bad; ++i) {
    const std::uint64_t entry = start + 2 + 12 * std::uint64_t{i};
    const std::vector<std::uint32_t> values = EntryValues(in, entry);
    const std::uint32_t first = values.empty() ? 0 : values[0];
    switch (in.Read(entry, 2)) {
      case 256: dir.width = first; break;
      case 257: dir.height = first; break;
      case 258: dir.bitsPerSample = values; break;
      case 259: dir.compression = first; break;
      case 262: dir.photometric = first; break;
      case 273: dir.stripOffsets = values; break;
      case 277: dir.samples = first; break;
      case 278: dir.rowsPerStrip = first; break;
      case 279: dir.stripByteCounts = values; break;
      case 284: dir.planar = first; break;
      case 317: dir.predictor = first; break;
      case 338: dir.extraSample = first; break;
      default: break;
    }
  }
  return !in.bad;
}

bool Supported(const Directory& dir) {
  if (dir.width == 0 || dir.height == 0 || dir.width > kMaxSide || dir.height > kMaxSide) return false;
  if (dir.photometric != 2 || (dir.samples != 3 && dir.samples != 4) || dir.planar != 1) return false;
  if (dir.compression != 1 && dir.compression != 5) return false;
  if (dir.predictor != 1 || dir.bitsPerSample.size() != dir.samples) return false;
  for (std::uint32_t bits : dir.bitsPerSample) {
    if (bits != 8) return false;
  }
  const std::uint64_t rows = dir.rowsPerStrip == 0 ? 0 : std::min<std::uint64_t>(dir.rowsPerStrip, dir.height);
  const std::uint64_t strips = rows == 0 ? 0 : (dir.height + rows - 1) / rows;
  return strips > 0 && dir.stripOffsets.size() == strips && dir.stripByteCounts.size() == strips;
}

// Appends the decoded strip to out, stopping at limit bytes; false on a malformed code
// stream. Codes are MSB first, 9 to 12 bits wide, widening one code early.
bool DecodeLzw(const std::uint8_t* code, std::size_t size, std::size_t limit, Bytes& out) {
  struct Entry {
    std::uint16_t prefix;
    std::uint16_t length;
    std::uint8_t first;
    std::uint8_t last;
  };
  constexpr int kClear = 256, kEnd = 257, kFirstFree = 258, kTableSize = 4096;
  std::vector<Entry> table(kTableSize);
  for (int i = 0; i < 256; ++i) {
    table[i] = {0, 1, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
  }
  const std::size_t end = out.size() + limit;
  std::uint64_t bit = 0;
  int width = 9, next = kFirstFree, previous = -1;
  auto emit = [&](int c) {
    const std::size_t at = out.size();
    out.resize(std::min(at + table[c].length, end));
    for (int k = table[c].length - 1; k >= 0; --k, c = table[c].prefix) {
      if (at + static_cast<std::size_t>(k) < out.size()) out[at + k] = table[c].last;
    }
  };
  while (out.size() < end) {
    if (bit + width > std::uint64_t{size} * 8) break;  // a stream without an end code
    int c = 0;
    for (int i = 0; i < width; ++i, ++bit) c = (c << 1) | ((code[bit >> 3] >> (7 - (bit & 7))) & 1);
    if (c == kEnd) break;
    if (c == kClear) {
      width = 9;
      next = kFirstFree;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (c > 255) return false;
      emit(c);
      previous = c;
      continue;
    }
    if (c > next || (c == next && next == kTableSize)) return false;
    const std::uint8_t first = c < next ? table[c].first : table[previous].first;
    if (next < kTableSize) {
      table[next] = {static_cast<std::uint16_t>(previous), static_cast<std::uint16_t>(table[previous].length + 1),
                     table[previous].first, first};
      ++next;
    }
    emit(c);
    previous = c;
    if (next >= (1 << width) - 1 && width < 12) ++width;
  }
  return true;
}

}  // namespace

bool ReadTiff(const std::string& path, KvBitmap& bitmap) {
  const std::optional<std::string> file = ReadWholeFile(path);
  if (!file) return false;
  const Bytes data(file->begin(), file->end());
  TiffBytes in{data};
  Directory dir;
  if (!ReadDirectory(in, dir) || !Supported(dir)) return false;

  const std::size_t rowBytes = static_cast<std::size_t>(dir.width) * dir.samples;
  const std::size_t rowsPerStrip = std::min<std::size_t>(dir.rowsPerStrip, dir.height);
  Bytes samples;
  samples.reserve(rowBytes * dir.height);
  for (std::size_t s = 0; s < dir.stripOffsets.size(); ++s) {
    const std::uint64_t offset = dir.stripOffsets[s], count = dir.stripByteCounts[s];
    if (offset + count > data.size()) return false;
    const std::size_t rows = std::min(rowsPerStrip, dir.height - s * rowsPerStrip);
    const std::size_t want = rows * rowBytes;
    const std::size_t before = samples.size();
    if (dir.compression == 5) {
      if (!DecodeLzw(data.data() + offset, count, want, samples)) return false;
    } else {
      samples.insert(samples.end(), data.begin() + offset, data.begin() + offset + std::min<std::uint64_t>(count, want));
    }
    if (samples.size() - before != want) return false;
  }

  // Straight alpha is premultiplied, associated alpha and opaque RGB are taken as they are.
  const bool straightAlpha = dir.samples == 4 && dir.extraSample != 1;
  bitmap.width = static_cast<std::int32_t>(dir.width);
  bitmap.height = static_cast<std::int32_t>(dir.height);
  bitmap.rgba.assign(static_cast<std::size_t>(dir.width) * dir.height, 0);
  for (std::size_t i = 0; i < bitmap.rgba.size(); ++i) {
    const std::uint8_t* p = &samples[i * dir.samples];
    const std::uint32_t a = dir.samples == 4 ? p[3] : 255;
    auto colour = [&](std::uint32_t c) { return straightAlpha ? (c * a + 127) / 255 : c; };
    bitmap.rgba[i] = colour(p[0]) | colour(p[1]) << 8 | colour(p[2]) << 16 | a << 24;
  }
  return true;
}

}  // namespace kvhost
