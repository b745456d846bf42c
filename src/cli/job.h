#pragma once
// Jobs of the command-line tool: a JSON file that names the project (a new one
// with its variables and model parameters, or an existing one), and what to do
// with it. The whole job is checked before anything runs, so a bad job writes
// nothing.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/project_setup.h"
#include "cli/job_steps.h"

namespace qx::cli {

// A job that cannot run: the key (a path such as "project.new.variables[1].name")
// and what is wrong with it.
class JobError : public std::runtime_error {
 public:
  JobError(std::string key, std::string problem)
      : std::runtime_error(key.empty() ? problem : key + ": " + problem),
        key_(std::move(key)),
        problem_(std::move(problem)) {}
  const std::string& key() const { return key_; }
  const std::string& problem() const { return problem_; }

 private:
  std::string key_;
  std::string problem_;
};

// Reads one JSON object, remembering its path for messages and which keys were
// read, so that a key nobody reads is reported instead of ignored.
class JobObject {
 public:
  JobObject(const nlohmann::json& value, std::string path);
  const std::string& path() const { return path_; }
  std::string keyPath(std::string_view key) const;
  bool has(std::string_view key) const;
  const nlohmann::json* find(std::string_view key);
  const nlohmann::json& require(std::string_view key);
  JobObject object(std::string_view key);
  std::optional<double> number(std::string_view key);
  std::optional<std::string> string(std::string_view key);
  std::optional<bool> boolean(std::string_view key);
  // One of the choices, as written in the job.
  std::optional<std::string> choice(std::string_view key, const std::vector<std::string>& choices);
  // Fails on the first key that was not read.
  void finish() const;

 private:
  const nlohmann::json& value_;
  std::string path_;
  std::vector<std::string> read_;
};

// A new project as a job describes it.
struct NewProjectJob {
  ProjectSetupValues values;
};

struct Job {
  std::filesystem::path baseDir;  // relative paths in the job are taken from here
  std::optional<NewProjectJob> newProject;
  std::optional<std::filesystem::path> openProject;  // an existing project instead
  std::vector<Step> steps;                           // in order, after the project is set up or opened
  std::optional<std::filesystem::path> save;         // where to save the project at the end
};

// Parses and checks the whole job. Throws JobError.
Job parseJob(const nlohmann::json& root, const std::filesystem::path& baseDir);
Job loadJob(const std::filesystem::path& file);

// Runs a job; returns the exit code: 0 done, 1 failed while running, 2 bad job.
// Messages go to `err`, the summary to `out`.
int runJobFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace qx::cli
