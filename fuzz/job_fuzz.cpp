// Fuzz target of the job reader: arbitrary bytes as a job file. A job is
// either refused with a "key: problem" message naming a key of the job, or
// read whole; reading never writes anything and never crashes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/job.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "job_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  nlohmann::json root;
  try {
    root = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception&) {
    return 0;
  }
  try {
    // Files named by the job are looked for in a folder that does not exist.
    const qx::cli::Job job = qx::cli::parseJob(root, "/nonexistent-qx-fuzz");
    check(job.newProject.has_value() != job.openProject.has_value(), "a new project or an open one");
    if (job.newProject) check(!job.newProject->values.loaded.empty(), "at least one loaded variable");
  } catch (const qx::cli::JobError& e) {
    check(!e.problem().empty(), "a refusal says what is wrong");
  }
  return 0;
}
