#pragma once
// `quarlex check`: data checks over a project file, as text or as JSON.
#include <filesystem>
#include <iosfwd>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/data_checks.h"

namespace qx::cli {

nlohmann::ordered_json dataChecksJson(const std::vector<DataCheck>& checks);
// One section per check: "name (level): count", then up to ten items.
void printDataChecks(std::ostream& out, const std::vector<DataCheck>& checks);

// Opens the file and runs every check; returns 1 when a check at error level
// found something, 0 otherwise, and 2 when the file cannot be opened (one
// message on `err`).
int runCheck(const std::filesystem::path& file, bool json, double tolerance, std::ostream& out, std::ostream& err,
             CheckPercentiles percentiles = {});

}  // namespace qx::cli
