// A module loaded from its file into a fresh stand-in host and started in the host's
// order, with one document: the set-up every suite that drives a module through its entry
// point shares. Base is the suite's GoogleTest base (::testing::Test or TestWithParam).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host.h"

namespace kvtest {

template <typename Base>
class StartedModule : public Base {
 protected:
  // The module file to load.
  virtual std::string ModulePath() const = 0;

  void SetUp() override {
    kvhost::ResetHost();
    std::string error;
    module = kvhost::Module::Load(ModulePath(), &error);
    ASSERT_NE(module, nullptr) << error;
    ASSERT_TRUE(module->Start());
    doc = kvhost::NewDocument();
  }
  void TearDown() override {
    if (doc != nullptr) kvhost::FreeDocument(doc);
    module.reset();
    kvhost::ResetHost();
  }

  std::unique_ptr<kvhost::Module> module;
  KvDocument* doc = nullptr;
};

}  // namespace kvtest
