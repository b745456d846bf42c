#pragma once
// A project file written by another document, holding one loaded variable.
#include <gtest/gtest.h>

#include <string>

#include "app/document.h"
#include "scripted_port.h"

namespace qx::test {

inline std::string writeProject(const std::string& path, const char* variable) {
  ProjectObjects objects;
  objects.settings.loaded.emplace_back(variable);
  ScriptedPort port;
  CWQuarlexDoc doc(objects, port);
  EXPECT_TRUE(doc.onSaveDocument(path));
  return path;
}

}  // namespace qx::test
