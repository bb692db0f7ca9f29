#include "web_assets.h"

namespace kvtool {

// Defined in the source generated from web/ (embed_web.cmake).
extern const WebAsset kWebAssets[];
extern const std::size_t kWebAssetCount;

const WebAsset* FindWebAsset(std::string_view path) {
  if (path == "/") path = "/index.html";
  for (std::size_t i = 0; i < kWebAssetCount; ++i) {
    if (path == kWebAssets[i].path) return &kWebAssets[i];
  }
  return nullptr;
}

}  // namespace kvtool
