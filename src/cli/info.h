#pragma once
// `quarlex info`: what a project file holds, as text or as JSON.
#include <filesystem>
#include <iosfwd>

#include <nlohmann/json.hpp>

#include "app/project_objects.h"

namespace qx::cli {

// The project's contents: version word, variables with their formulas,
// settings, and the count of every dataset.
nlohmann::ordered_json projectInfo(const ProjectObjects& objects);
void printProjectInfo(std::ostream& out, const ProjectObjects& objects);

// Opens the file and prints its information; returns the exit code (0, or 1
// when the file cannot be opened, with one message on `err`).
int runInfo(const std::filesystem::path& file, bool json, std::ostream& out, std::ostream& err);

}  // namespace qx::cli
