// A test fixture holding the engine on the fake OS layer, with a private temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/tvk_impl.h"
#include "support/fake_platform.h"

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = static_cast<TVK_Impl*>(TVK_Create(TVK_VERSION));
    auto platform = std::make_unique<FakePlatform>();
    fake = platform.get();
    engine->UsePlatform(std::move(platform));
    char tmpl[] = "/tmp/tvk_test_XXXXXX";
    dir = mkdtemp(tmpl);
  }
  void TearDown() override {
    if (engine) engine->Release();
    std::filesystem::remove_all(dir);
  }

  // Initiates the engine with a log in the temporary folder and no sound.
  bool Initiate() {
    engine->System_SetText(State_LogFile, Path("engine.log").c_str());
    engine->System_SetBool(State_UseSound, false);
    return engine->System_Initiate();
  }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  TVK_Impl* engine = nullptr;
  FakePlatform* fake = nullptr;
  std::string dir;
};
