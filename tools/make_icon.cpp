// Draws the arrow object's icon, res/keelvane.tif: a blue arrow with a white rim pointing
// right, on a transparent 64x64 RGBA canvas, antialiased by 4x4 supersampling.
//
//   make-icon [output.tif]      (default: keelvane.tif in the current folder)
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSize = 64;
constexpr int kSamples = 4;  // per axis and pixel
constexpr double kRim = 2.5; // width of the white rim, in pixels

struct Point {
  double x, y;
};

// The outline, clockwise in image coordinates (y down).
const std::vector<Point> kArrow = {
    {6, 25}, {34, 25}, {34, 10}, {58, 32}, {34, 54}, {34, 39}, {6, 39},
};

bool Inside(double x, double y) {
  bool inside = false;
  for (std::size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++) {
    const Point& a = kArrow[i];
    const Point& b = kArrow[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

double DistanceToOutline(double x, double y) {
  double best = 1e9;
  for (std::size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++) {
    const Point& a = kArrow[j];
    const Point& b = kArrow[i];
    double dx = b.x - a.x, dy = b.y - a.y;
    double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    best = std::min(best, std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)));
  }
  return best;
}

// One pixel as straight (unassociated) RGBA.
void Shade(int px, int py, unsigned char out[4]) {
  double r = 0, g = 0, b = 0, coverage = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      double x = px + (sx + 0.5) / kSamples;
      double y = py + (sy + 0.5) / kSamples;
      if (!Inside(x, y)) continue;
      bool rim = DistanceToOutline(x, y) < kRim;
      r += rim ? 255 : 40;
      g += rim ? 255 : 120;
      b += rim ? 255 : 230;
      coverage += 1;
    }
  }
  double n = kSamples * kSamples;
  out[0] = static_cast<unsigned char>(coverage > 0 ? std::lround(r / coverage) : 0);
  out[1] = static_cast<unsigned char>(coverage > 0 ? std::lround(g / coverage) : 0);
  out[2] = static_cast<unsigned char>(coverage > 0 ? std::lround(b / coverage) : 0);
  out[3] = static_cast<unsigned char>(std::lround(255 * coverage / n));
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "keelvane.tif";
  TIFF* tif = TIFFOpen(path, "w");
  if (!tif) {
    std::fprintf(stderr, "make-icon: cannot write %s\n", path);
    return EXIT_FAILURE;
  }
  std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kSize);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kSize);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kSize);

  std::vector<unsigned char> row(kSize * 4);
  bool ok = true;
  for (int y = 0; y < kSize && ok; ++y) {
    for (int x = 0; x < kSize; ++x) Shade(x, y, &row[static_cast<std::size_t>(x) * 4]);
    ok = TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
  }
  TIFFClose(tif);
  if (!ok) {
    std::fprintf(stderr, "make-icon: writing %s failed\n", path);
    return EXIT_FAILURE;
  }
  std::printf("make-icon: wrote %s (%dx%d RGBA)\n", path, kSize, kSize);
  return EXIT_SUCCESS;
}
