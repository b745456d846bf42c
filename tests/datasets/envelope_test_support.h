#pragma once
// Shared helpers of the envelope tests: temporary files named after the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_files.h"

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

using test::readFile;

}  // namespace qx::testing
