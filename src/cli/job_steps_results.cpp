// The "grade_tonnage" step: the tonnage, average grade and metal above each
// cut-off of a variable, as a CSV table and a chart; the "declustering"
// step: the composites' area weights and the statistics they give.
#include <cmath>
#include <fstream>
#include <ostream>

#include "app/project_objects.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "cli/job_steps.h"
#include "engine/declustering.h"
#include "engine/grade_tonnage.h"
#include "plot/cairo_plot.h"
#include "plot/chart.h"

namespace qx::cli {

namespace {

std::optional<std::filesystem::path> outputKey(JobObject& o, const char* key, const std::filesystem::path& baseDir) {
  const auto name = o.string(key);
  if (!name) return std::nullopt;
  if (name->empty()) throw JobError(o.keyPath(key), "empty file name");
  std::filesystem::path path(*name);
  if (!path.is_absolute()) path = baseDir / path;
  const auto dir = path.parent_path();
  if (!dir.empty() && !std::filesystem::is_directory(dir)) throw JobError(o.keyPath(key), "no folder " + dir.string());
  return path;
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (!file.flush()) throw PageRefused("could not write " + path.string());
}

}  // namespace

Step parseGradeTonnage(JobObject& o, const std::filesystem::path& baseDir) {
  GradeTonnageStep s;
  if (!o.has("variable")) throw JobError(o.keyPath("variable"), "missing");
  s.variable = *o.string("variable");
  if (const nlohmann::json* list = o.find("cutoffs")) {
    if (o.has("from") || o.has("to") || o.has("step"))
      throw JobError(o.keyPath("cutoffs"), "give either \"cutoffs\" or \"from\", \"to\" and \"step\"");
    if (!list->is_array() || list->empty()) throw JobError(o.keyPath("cutoffs"), "expected a list of numbers");
    for (const auto& v : *list) {
      if (!v.is_number()) throw JobError(o.keyPath("cutoffs"), "expected a list of numbers");
      s.cutoffs.push_back(v.get<double>());
    }
  } else {
    const auto from = o.number("from"), to = o.number("to"), step = o.number("step");
    if (!from || !to || !step) throw JobError(o.keyPath("cutoffs"), "missing (or \"from\", \"to\" and \"step\")");
    s.cutoffs = cutoffSteps(*from, *to, *step);
    if (s.cutoffs.empty() || s.cutoffs.size() > 10000)
      throw JobError(o.keyPath("step"),
                     "expected a step above 0 giving at most 10000 cut-offs from \"from\" to \"to\"");
  }
  for (const auto& [key, names] : {std::pair{"envelopes", &s.envelopes}, std::pair{"figures", &s.figures}}) {
    const nlohmann::json* list = o.find(key);
    if (list == nullptr) continue;
    if (!list->is_array() || list->empty()) throw JobError(o.keyPath(key), "expected a list of names");
    names->emplace();
    for (const auto& v : *list) {
      if (!v.is_string()) throw JobError(o.keyPath(key), "expected a list of names");
      (*names)->push_back(v.get<std::string>());
    }
  }
  s.csv = outputKey(o, "csv", baseDir);
  s.chart = outputKey(o, "chart", baseDir);
  if (!s.csv && !s.chart) throw JobError(o.keyPath("csv"), "missing (give \"csv\", \"chart\" or both)");
  PageFormat format;
  if (s.chart && !pageFormatOf(s.chart->string(), format))
    throw JobError(o.keyPath("chart"), "expected a .pdf, .svg or .png file");
  return s;
}

void runGradeTonnage(const GradeTonnageStep& s, const ProjectObjects& objects, std::ostream& out) {
  const int variable = objects.settings.findVariable(s.variable);
  if (variable < 0) throw PageRefused("no variable is named \"" + s.variable + "\"");
  std::vector<int> envelopes;
  for (const auto& name : s.envelopes.value_or(std::vector<std::string>{})) {
    const int e = objects.envelopes.findByName(name);
    if (e < 0) throw PageRefused("no envelope is named \"" + name + "\"");
    envelopes.push_back(e);
  }
  std::vector<std::vector<DPoint3D>> figures;
  for (const auto& name : s.figures.value_or(std::vector<std::string>{})) {
    const int f = objects.figures.findByName(name);
    if (f < 0) throw PageRefused("no figure is named \"" + name + "\"");
    figures.push_back(objects.figures.figures[static_cast<std::size_t>(f)].outline);
  }
  const auto rows =
      gradeTonnage(objects.polygons, objects.composites, objects.settings, variable, s.cutoffs, envelopes, figures);
  if (s.csv) writeFile(*s.csv, gradeTonnageCsv(rows));
  if (s.chart) {
    if (auto message = writeGradeTonnageChart(rows, s.variable, s.chart->string()); !message.empty())
      throw PageRefused(message);
  }
  out << "Grade-tonnage of " << s.variable << ": " << rows.size() << " cut-offs";
  if (s.csv) out << ", " << s.csv->string();
  if (s.chart) out << ", " << s.chart->string();
  out << '\n';
}

Step parseDeclustering(JobObject& o, const std::filesystem::path& baseDir) {
  DeclusteringStep s;
  if (const nlohmann::json* list = o.find("variables")) {
    if (!list->is_array() || list->empty()) throw JobError(o.keyPath("variables"), "expected a list of names");
    s.variables.emplace();
    for (const auto& v : *list) {
      if (!v.is_string()) throw JobError(o.keyPath("variables"), "expected a list of names");
      s.variables->push_back(v.get<std::string>());
    }
  }
  if (const auto bins = o.number("bins")) {
    if (!(*bins >= 1 && *bins <= 1000) || *bins != std::floor(*bins))
      throw JobError(o.keyPath("bins"), "expected a whole number from 1 to 1000");
    s.bins = static_cast<int>(*bins);
  }
  s.csv = outputKey(o, "csv", baseDir);
  s.weights = outputKey(o, "weights", baseDir);
  s.chart = outputKey(o, "chart", baseDir);
  if (!s.csv && !s.weights && !s.chart)
    throw JobError(o.keyPath("csv"), "missing (give \"csv\", \"weights\", \"chart\" or more)");
  PageFormat format;
  if (s.chart && !pageFormatOf(s.chart->string(), format))
    throw JobError(o.keyPath("chart"), "expected a .pdf, .svg or .png file");
  return s;
}

void runDeclustering(const DeclusteringStep& s, const ProjectObjects& objects, std::ostream& out) {
  std::vector<int> variables;
  if (s.variables) {
    for (const std::string& name : *s.variables) {
      const int v = objects.settings.findVariable(name);
      if (v < 0) throw PageRefused("no variable is named \"" + name + "\"");
      variables.push_back(v);
    }
  } else {
    for (int v = 0; v < objects.settings.variableCount(); ++v) variables.push_back(v);
  }
  if (variables.empty()) throw PageRefused("the project has no variables");
  const DeclusteringWeights weights = declusteringWeights(objects.polygons, objects.composites);
  if (s.csv)
    writeFile(*s.csv, declusteringCsv(declusteringStats(objects.composites, objects.settings, weights, variables)));
  if (s.weights) writeFile(*s.weights, declusteringWeightsCsv(objects.composites, weights));
  if (s.chart) {
    const auto histogram =
        declusteringHistogram(objects.composites, objects.settings, weights, variables.front(), s.bins);
    const std::string name = objects.settings.variable(variables.front()).name;
    if (auto message = writeDeclusteringHistogram(histogram, name, s.chart->string()); !message.empty())
      throw PageRefused(message);
  }
  out << "Declustering: " << objects.composites.count() << " composites, " << weights.withoutPolygon
      << " without polygon, " << variables.size() << " variables";
  for (const auto* file : {&s.csv, &s.weights, &s.chart})
    if (*file) out << ", " << (*file)->string();
  out << '\n';
}

}  // namespace qx::cli
