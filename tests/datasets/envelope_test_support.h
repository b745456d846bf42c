#pragma once
// Shared helpers of the envelope tests: files in one temporary folder, removed when the program ends.
#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"

namespace qx::testing {

inline const test::TempDir& envelopeTempDir() {
  static const test::TempDir dir("qx_envelope_tests");
  return dir;
}

inline std::string tempPath(const std::string& name) { return (envelopeTempDir() / name).string(); }

inline std::string writeTemp(const std::string& name, const std::string& text) {
  return envelopeTempDir().write(name, text).string();
}

using test::readFile;

}  // namespace qx::testing
