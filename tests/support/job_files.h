#pragma once
// Small data files for the jobs of the command-line tests.
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

#include "cli/job.h"
#include "test_files.h"

namespace qx::test {

// Composites on a 10 m grid: name 1-15, X 16-25, Y 26-35, Z 36-45, Au 46-55.
// `extra` lines go in after the first composite.
inline std::string compositeFile(const std::string& extra = "") {
  std::string text;
  char line[128];
  for (int n = 0; n < 20; ++n) {
    std::snprintf(line, sizeof line, "%-15s%10.2f%10.2f%10.2f%10.3f\n", ("DH" + std::to_string(n)).c_str(),
                  1000.0 + 10.0 * (n % 5), 2000.0 + 10.0 * (n / 5), 100.0, 0.5 * (n + 1));
    text += line;
    if (n == 0) text += extra;
  }
  return text;
}

// A header "1" with the name in columns 3-12 and the rectangle's corners as
// points "2" with X in columns 11-20 and Y in 21-30.
inline std::string outline(const char* name, double x0, double y0, double x1, double y1) {
  std::string text = std::string("1 ") + name + "\n";
  char line[64];
  for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}) {
    std::snprintf(line, sizeof line, "%-10s%10.2f%10.2f\n", "2", x, y);
    text += line;
  }
  return text;
}

// What a run gave: the exit code, the output and the messages.
struct Outcome {
  int code = 0;
  std::string out, err;
};

// Saves the job as job.json in `dir` and runs it.
inline Outcome runJob(const std::filesystem::path& dir, const std::string& job) {
  writeText(dir / "job.json", job);
  std::ostringstream out, err;
  const int code = cli::runJobFile(dir / "job.json", out, err, false);
  return {code, out.str(), err.str()};
}

}  // namespace qx::test
