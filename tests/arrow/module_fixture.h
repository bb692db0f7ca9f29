// The real arrow module loaded into the stand-in host, as tests of the module drive it.
// Parameterised over the two platform flavours of the module, which share every behaviour
// but their entry constants.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "description/okeelvane.h"
#include "host.h"
#include "local_files.h"
#include "started_module.h"

namespace kvtest {

struct Flavour {
  const char* name;
  const char* modulePath;
  std::int32_t minHostApiVersion;
};

inline const Flavour kWindows{"Windows", KEELVANE_MODULE_WIN, 2024900};
inline const Flavour kMacOS{"macOS", KEELVANE_MODULE_MAC, 2025200};

inline void PrintTo(const Flavour& flavour, std::ostream* os) { *os << flavour.name; }

inline std::string FlavourName(const ::testing::TestParamInfo<Flavour>& info) {
  return info.param.name;
}

// Typed reads of a node's live parameters; a missing or other-typed value fails the test.
inline double Float(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<double>(*v)) << "float parameter " << id;
  return v && std::holds_alternative<double>(*v) ? std::get<double>(*v) : -12345.0;
}
inline std::int32_t Int(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<std::int32_t>(*v)) << "int32 parameter " << id;
  return v && std::holds_alternative<std::int32_t>(*v) ? std::get<std::int32_t>(*v) : -12345;
}
inline bool Bool(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<bool>(*v)) << "bool parameter " << id;
  return v && std::holds_alternative<bool>(*v) && std::get<bool>(*v);
}
inline std::string Text(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<std::string>(*v)) << "string parameter " << id;
  return v && std::holds_alternative<std::string>(*v) ? std::get<std::string>(*v) : "";
}
inline bool Has(KvNode* node, std::int32_t id) {
  return kvhost::GetParameter(kvhost::Container(node), id).has_value();
}

// A copy of a built plug-in folder in a new scratch folder, so that a test can take parts
// away (the resources, the icon, the presets folder) or add files. Removed with the
// object.
class PluginFolderCopy {
 public:
  struct Options {
    bool withResources = true;
    bool withIcon = true;
    bool withPresets = true;
  };
  PluginFolderCopy(const Flavour& flavour, Options options)
      : root_("plugin"), folder_(root_ / "keelvane") {
    namespace fs = std::filesystem;
    const fs::path source = fs::path(flavour.modulePath).parent_path();
    fs::create_directories(folder_);
    fs::copy_file(flavour.modulePath, folder_ / fs::path(flavour.modulePath).filename());
    if (options.withResources) {
      fs::copy(source / "res", folder_ / "res", fs::copy_options::recursive);
      if (!options.withIcon) fs::remove(folder_ / "res" / "keelvane.tif");
    }
    if (options.withPresets) fs::create_directories(folder_ / "presets");
    modulePath_ = (folder_ / fs::path(flavour.modulePath).filename()).string();
  }

  const std::filesystem::path& Folder() const { return folder_; }
  const std::string& ModulePath() const { return modulePath_; }

 private:
  kvhost::ScratchFolder root_;
  std::filesystem::path folder_;
  std::string modulePath_;
};

// The flavour's module started, and one document. The host is reset around every test.
class ModuleTest : public StartedModule<::testing::TestWithParam<Flavour>> {
 protected:
  std::string ModulePath() const override { return GetParam().modulePath; }

  // An arrow created from the menu, as the user does.
  KvNode* NewArrow() {
    KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
    EXPECT_NE(arrow, nullptr);
    return arrow;
  }

  // The folder that holds the module (its presets/ folder is beside it).
  std::filesystem::path PluginFolder() const {
    return std::filesystem::path(GetParam().modulePath).parent_path();
  }
};

#define KV_INSTANTIATE_FLAVOURS(Suite) \
  INSTANTIATE_TEST_SUITE_P(Flavours, Suite, ::testing::Values(kvtest::kWindows, kvtest::kMacOS), \
                           kvtest::FlavourName)

}  // namespace kvtest
