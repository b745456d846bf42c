#pragma once
// Shared helpers of the envelope tests: temporary files and scripted answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qx::testing {

inline std::string tempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const auto dir = std::filesystem::temp_directory_path() / "qx_envelope_tests";
  std::filesystem::create_directories(dir);
  return (dir / (std::string(info->test_suite_name()) + "_" + info->name() + "_" + name)).string();
}

inline std::string writeTemp(const std::string& name, const std::string& text) {
  const std::string path = tempPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qx::testing
