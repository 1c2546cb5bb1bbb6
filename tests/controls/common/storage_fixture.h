#pragma once
// A fresh configuration folder (XDG_CONFIG_HOME) and registry store per test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/storage/registry.h"

class StorageTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/dtu-common-XXXXXX";
    Dir = mkdtemp(tmpl);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    HadXdg = old != nullptr;
    if (old) OldXdg = old;
    setenv("XDG_CONFIG_HOME", Dir.c_str(), 1);
    SetRegistryStorePathOverride(Dir + "/registry");
  }
  void TearDown() override {
    SetRegistryStorePathOverride("");
    if (HadXdg) setenv("XDG_CONFIG_HOME", OldXdg.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Dir;
  std::string OldXdg;
  bool HadXdg = false;
};
