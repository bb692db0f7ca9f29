// Bitmaps: the project's icon loads with its size; missing or broken files give none.
#include "file_test_support.h"
#include "resources.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;

class Bitmaps : public FileServicesTest {
 protected:
  const KvBitmapTable* bm = BitmapTable();
};

TEST_F(Bitmaps, TheIconIsAnArrowOnTransparent) {
  KvBitmap* icon = bm->Load(Fn(std::string(KV_RES_DIR) + "/keelvane.tif"), 1.0);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(bm->GetWidth(icon), 64);
  EXPECT_EQ(bm->GetHeight(icon), 64);
  auto alpha = [&](int x, int y) { return icon->rgba[static_cast<std::size_t>(y * 64 + x)] >> 24; };
  EXPECT_EQ(alpha(0, 0), 0u) << "transparent corner";
  EXPECT_EQ(alpha(63, 63), 0u);
  EXPECT_EQ(alpha(32, 32), 255u) << "opaque middle";
  EXPECT_EQ(alpha(62, 32), 0u) << "the tip ends inside the canvas";
  EXPECT_EQ(LiveAllocations(AllocKind::Bitmap), 1);
  bm->Free(icon);
  EXPECT_EQ(LiveAllocations(AllocKind::Bitmap), 0);
}

// Every platform's decoder gives the same pixels: red in the low byte, alpha in the high
// byte, colours premultiplied by alpha.
TEST_F(Bitmaps, TheIconsPixelsArePremultipliedRgba) {
  KvBitmap* icon = bm->Load(Fn(std::string(KV_RES_DIR) + "/keelvane.tif"), 1.0);
  ASSERT_NE(icon, nullptr);
  auto pixel = [&](int x, int y) { return icon->rgba[static_cast<std::size_t>(y * 64 + x)]; };
  EXPECT_EQ(pixel(32, 32), 0xFFE67828u) << "opaque blue body";
  EXPECT_EQ(pixel(7, 32), 0xFFFFFFFFu) << "opaque white rim";
  EXPECT_EQ(pixel(34, 10), 0x9F9F9F9Fu) << "partly covered rim at the head's corner";
  EXPECT_EQ(pixel(57, 32), 0x60606060u) << "partly covered rim at the tip";
  EXPECT_EQ(pixel(58, 32), 0x00000000u) << "beyond the tip";
  bm->Free(icon);
}

TEST_F(Bitmaps, NameAloneIsLookedUpInTheLoadedResourceFolder) {
  KvResource* res = ResourceTable()->Load(Fn(KV_RES_DIR));
  ASSERT_NE(res, nullptr);
  KvBitmap* icon = bm->Load(Fn("keelvane.tif"), 1.0);
  EXPECT_NE(icon, nullptr);
  bm->Free(icon);
  ResourceTable()->Free(res);
}

TEST_F(Bitmaps, MissingOrBrokenFilesGiveNoBitmapQuietly) {
  std::filesystem::copy(KV_RES_DIR, dir / "res", std::filesystem::copy_options::recursive);
  std::filesystem::remove(dir / "res" / "keelvane.tif");
  KvResource* res = ResourceTable()->Load(Fn((dir / "res").string()));
  ASSERT_NE(res, nullptr) << "resources load without their icon";
  EXPECT_EQ(bm->Load(Fn("keelvane.tif"), 1.0), nullptr);
  ResourceTable()->Free(res);

  kvtest::WriteText(dir / "broken.tif", "II*\0 not really a tiff");
  kvtest::WriteBytes(dir / "cut.tif", {});
  EXPECT_EQ(bm->Load(InDir("broken.tif"), 1.0), nullptr);
  EXPECT_EQ(bm->Load(InDir("cut.tif"), 1.0), nullptr);
  EXPECT_EQ(bm->Load(InDir(""), 1.0), nullptr) << "a folder";
  EXPECT_EQ(bm->Load(nullptr, 1.0), nullptr);
  EXPECT_TRUE(HostErrors().empty());
  EXPECT_EQ(LiveAllocations(AllocKind::Bitmap), 0);
}

TEST_F(Bitmaps, AllocationFailureAndCopies) {
  const std::string icon = std::string(KV_RES_DIR) + "/keelvane.tif";
  FailNextAllocation(AllocKind::Bitmap);
  EXPECT_EQ(bm->Load(Fn(icon), 1.0), nullptr);
  KvBitmap* loaded = bm->Load(Fn(icon), 2.0);
  ASSERT_NE(loaded, nullptr);
  KvBitmap* copy = CopyBitmap(loaded);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->rgba, loaded->rgba);
  EXPECT_EQ(copy->pixelRatio, 2.0);
  EXPECT_EQ(LiveAllocations(AllocKind::Bitmap), 2);
  bm->Free(copy);
  bm->Free(loaded);
  EXPECT_EQ(LiveAllocations(AllocKind::Bitmap), 0);
}

}  // namespace
