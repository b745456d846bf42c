#include "cli/job.h"

#include "variables/formula_compiler.h"

#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/document.h"
#include "app/startup.h"
#include "cli/cli_port.h"
#include "graphics/scene_tree.h"
#include "variables/variable_rules.h"

namespace qx::cli {

using nlohmann::json;

namespace {

std::string typeName(const json& v) {
  if (v.is_object()) return "an object";
  if (v.is_array()) return "a list";
  if (v.is_string()) return "a text";
  if (v.is_boolean()) return "true or false";
  if (v.is_number()) return "a number";
  return "null";
}

std::string joinChoices(const std::vector<std::string>& choices) {
  std::string s;
  for (size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) s += i + 1 == choices.size() ? " or " : ", ";
    s += "\"" + choices[i] + "\"";
  }
  return s;
}

}  // namespace

JobObject::JobObject(const json& value, std::string path) : value_(value), path_(std::move(path)) {
  if (!value_.is_object()) throw JobError(path_, "expected an object, found " + typeName(value_));
}

std::string JobObject::keyPath(std::string_view key) const {
  return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
}

bool JobObject::has(std::string_view key) const { return value_.contains(std::string(key)); }

const json* JobObject::find(std::string_view key) {
  auto it = value_.find(std::string(key));
  if (it == value_.end()) return nullptr;
  read_.emplace_back(key);
  return &*it;
}

const json& JobObject::require(std::string_view key) {
  const json* v = find(key);
  if (v == nullptr) throw JobError(keyPath(key), "missing");
  return *v;
}

JobObject JobObject::object(std::string_view key) { return JobObject(require(key), keyPath(key)); }

std::optional<double> JobObject::number(std::string_view key) {
  const json* v = find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_number()) throw JobError(keyPath(key), "expected a number, found " + typeName(*v));
  const double d = v->get<double>();
  if (!std::isfinite(d)) throw JobError(keyPath(key), "expected a finite number");
  return d;
}

std::optional<std::string> JobObject::string(std::string_view key) {
  const json* v = find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_string()) throw JobError(keyPath(key), "expected a text, found " + typeName(*v));
  return v->get<std::string>();
}

std::optional<bool> JobObject::boolean(std::string_view key) {
  const json* v = find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_boolean()) throw JobError(keyPath(key), "expected true or false, found " + typeName(*v));
  return v->get<bool>();
}

std::optional<std::string> JobObject::choice(std::string_view key, const std::vector<std::string>& choices) {
  auto s = string(key);
  if (!s) return s;
  for (const auto& c : choices)
    if (c == *s) return s;
  throw JobError(keyPath(key), "\"" + *s + "\" is not one of " + joinChoices(choices));
}

void JobObject::finish() const {
  for (auto it = value_.begin(); it != value_.end(); ++it) {
    if (std::find(read_.begin(), read_.end(), it.key()) == read_.end())
      throw JobError(keyPath(it.key()), "unknown key");
  }
}

namespace {

constexpr double kMaxThickness = 1e37;

double checkedRange(JobObject& o, std::string_view key, double fallback, double lo, double hi) {
  auto v = o.number(key);
  if (!v) return fallback;
  if (*v < lo || *v > hi) {
    std::ostringstream s;
    s << "must lie between " << formatGeneral(lo) << " and " << formatGeneral(hi) << ", found " << formatGeneral(*v);
    throw JobError(o.keyPath(key), s.str());
  }
  return *v;
}

VariableInfo parseLoadedVariable(JobObject o, const std::vector<std::string>& namesSoFar) {
  const std::string rawName = o.string("name").value_or("");
  if (!o.has("name")) throw JobError(o.keyPath("name"), "missing");
  if (auto refusal = validateVariableName(rawName, "", namesSoFar))
    throw JobError(o.keyPath("name"), std::string(*refusal));
  VariableInfo v(trimName(rawName));
  v.defaultValue = o.number("default").value_or(0.0);
  v.missingValue = o.number("missing").value_or(0.0);
  v.minCutoff = o.number("min_cutoff").value_or(0.0);
  v.maxCutoff = o.number("max_cutoff").value_or(0.0);
  if (auto w = o.choice("weighting", {"tonnage", "volume", "surface"})) {
    v.weightingType = *w == "tonnage" ? kWeightTonnage : *w == "volume" ? kWeightVolume : kWeightSurface;
  }
  o.finish();
  return v;
}

// A calculated variable: its name, its formula as the formula box shows it
// (reverse Polish tokens over the variables defined before it) and its
// weighting.
VariableInfoCalc parseCalculatedVariable(JobObject& o, const std::vector<std::string>& namesSoFar) {
  if (!o.has("name")) throw JobError(o.keyPath("name"), "missing");
  const std::string rawName = *o.string("name");
  if (auto refusal = validateVariableName(rawName, "", namesSoFar))
    throw JobError(o.keyPath("name"), std::string(*refusal));
  VariableInfoCalc v(trimName(rawName));
  if (!o.has("formula")) throw JobError(o.keyPath("formula"), "missing");
  const std::string text = *o.string("formula");
  std::string bad;
  const auto code = formulaCodeFromText(text, namesSoFar, &bad);
  if (!code) throw JobError(o.keyPath("formula"), bad);
  const FormulaCompileResult compiled = compileFormula(*code);
  if (!compiled.ok() || misplacedSpecialField(*code) >= 0)
    throw JobError(o.keyPath("formula"), "\"" + text + "\" does not compile (reverse Polish: \"Au ENTER Ag +\")");
  v.formulaCode = *code;
  v.formulaText = formulaTextFromCode(*code, namesSoFar);
  v.compiled = compiled.block;
  v.defaultValue = o.number("default").value_or(0.0);
  if (auto w = o.choice("weighting", {"tonnage", "volume", "surface"}))
    v.weightingType = *w == "tonnage" ? kWeightTonnage : *w == "volume" ? kWeightVolume : kWeightSurface;
  o.finish();
  return v;
}

// The index of a variable named in the model parameters, in combined numbering.
int variableIndex(JobObject& o, std::string_view key, const std::vector<std::string>& names) {
  const std::string name = *o.string(key);
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  throw JobError(o.keyPath(key), "no variable is named \"" + name + "\"");
}

void parseModel(JobObject o, const std::vector<std::string>& names, CSpecGravPage& p) {
  p.defaultSG = checkedRange(o, "default_sg", p.defaultSG, 0.0, 1e11);
  p.defaultWasteSG = checkedRange(o, "default_waste_sg", p.defaultWasteSG, 0.0, 1e10);
  if (o.has("sg_variable")) {
    p.useVariableSG = 1;
    p.sgVariable = variableIndex(o, "sg_variable", names);
  }
  const std::string recovery = o.choice("recovery", {"none", "fixed", "variable"}).value_or("none");
  p.recoveryMode = recovery == "none" ? 0 : recovery == "fixed" ? 1 : 2;
  if (o.has("fixed_recovery") && p.recoveryMode != 1)
    throw JobError(o.keyPath("fixed_recovery"), "only used with \"recovery\": \"fixed\"");
  if (o.has("recovery_variable") && p.recoveryMode != 2)
    throw JobError(o.keyPath("recovery_variable"), "only used with \"recovery\": \"variable\"");
  if (p.recoveryMode == 1) {
    if (!o.has("fixed_recovery")) throw JobError(o.keyPath("fixed_recovery"), "missing (\"recovery\" is \"fixed\")");
    p.fixedRecovery = checkedRange(o, "fixed_recovery", 1.0, 0.0, 1.0);
  }
  if (p.recoveryMode == 2) {
    if (!o.has("recovery_variable"))
      throw JobError(o.keyPath("recovery_variable"), "missing (\"recovery\" is \"variable\")");
    p.recoveryVariable = variableIndex(o, "recovery_variable", names);
  }
  // Thickness: a fixed value, or a variable. Without either, a fixed 10.
  if (o.has("fixed_thickness") && o.has("thickness_variable"))
    throw JobError(o.keyPath("thickness_variable"), "give either \"fixed_thickness\" or \"thickness_variable\"");
  if (o.has("thickness_variable")) {
    p.useFixedThickness = 0;
    p.thicknessVariable = variableIndex(o, "thickness_variable", names);
  } else {
    p.useFixedThickness = 1;
    p.fixedThickness = checkedRange(o, "fixed_thickness", p.fixedThickness, 0.0, kMaxThickness);
  }
  p.wasteThickness = checkedRange(o, "waste_thickness", p.wasteThickness, 0.0, kMaxThickness);
  p.projectType = o.choice("project_type", {"2D", "3D"}).value_or("2D") == "3D" ? 1 : 0;
  o.finish();
}

NewProjectJob parseNewProject(JobObject o) {
  NewProjectJob job;
  QuarlexSettings defaults;
  ProjectSetupSheet sheet(defaults);
  job.values = sheet.values();

  const json& vars = o.require("variables");
  if (!vars.is_array()) throw JobError(o.keyPath("variables"), "expected a list, found " + typeName(vars));
  if (vars.empty()) throw JobError(o.keyPath("variables"), std::string(varmsg::kNoLoadedField));
  std::vector<std::string> names;
  for (size_t i = 0; i < vars.size(); ++i) {
    const std::string path = o.keyPath("variables") + "[" + std::to_string(i) + "]";
    job.values.loaded.push_back(parseLoadedVariable(JobObject(vars[i], path), names));
    names.push_back(job.values.loaded.back().name);
  }
  if (const json* calc = o.find("calculated")) {
    if (!calc->is_array()) throw JobError(o.keyPath("calculated"), "expected a list, found " + typeName(*calc));
    for (size_t i = 0; i < calc->size(); ++i) {
      JobObject c((*calc)[i], o.keyPath("calculated") + "[" + std::to_string(i) + "]");
      job.values.calculated.push_back(parseCalculatedVariable(c, names));
      names.push_back(job.values.calculated.back().name);
    }
  }
  if (o.has("model")) {
    parseModel(o.object("model"), names, job.values.parameters);
  } else {
    job.values.parameters.useFixedThickness = 1;
  }
  o.finish();
  return job;
}

std::filesystem::path resolvePath(const std::filesystem::path& baseDir, const std::string& p) {
  const std::filesystem::path path(p);
  return path.is_absolute() ? path : baseDir / path;
}

}  // namespace

Job parseJob(const json& root, const std::filesystem::path& baseDir) {
  Job job;
  job.baseDir = baseDir;
  JobObject top(root, "");
  JobObject project = top.object("project");
  if (project.has("new") == project.has("open")) throw JobError("project", "give either \"new\" or \"open\"");
  if (project.has("new")) {
    job.newProject = parseNewProject(project.object("new"));
  } else {
    job.openProject = resolvePath(baseDir, *project.string("open"));
    if (!std::filesystem::is_regular_file(*job.openProject))
      throw JobError("project.open", "no project file " + job.openProject->string());
  }
  project.finish();
  if (const json* steps = top.find("steps")) job.steps = parseSteps(*steps, "steps", baseDir);
  if (auto save = top.string("save")) {
    if (save->empty()) throw JobError("save", "empty file name");
    job.save = resolvePath(baseDir, *save);
    const auto dir = job.save->parent_path();
    if (!dir.empty() && !std::filesystem::is_directory(dir)) throw JobError("save", "no folder " + dir.string());
  }
  top.finish();
  return job;
}

Job loadJob(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw JobError("", "cannot read the job file " + file.string());
  json root;
  try {
    root = json::parse(in);
  } catch (const json::parse_error& e) {
    throw JobError("", std::string("the job file is not valid JSON: ") + e.what());
  }
  return parseJob(root, file.has_parent_path() ? file.parent_path() : std::filesystem::path("."));
}

namespace {

void printSummary(std::ostream& out, const ProjectObjects& objects) {
  const QuarlexSettings& s = objects.settings;
  out << "Project: " << (s.projectType == 1 ? "3D" : "2D") << ", " << s.loaded.size() << " loaded and "
      << s.calculated.size() << " calculated variables\n";
  for (const auto& v : s.loaded) {
    out << "  " << v.name << "  default " << formatFixed(v.defaultValue, 4) << "  missing "
        << formatFixed(v.missingValue, 4) << "  weighting " << weightingTypeName(v.weightingType) << '\n';
  }
  auto nameOf = [&](int n) {
    const auto names = s.variableNames();
    return n >= 0 && n < static_cast<int>(names.size()) ? names[n] : std::string("none");
  };
  out << "Specific gravity: default " << formatFixed(s.defaultSG, 4) << ", waste " << formatFixed(s.defaultWasteSG, 4)
      << ", variable " << nameOf(s.findSGVariable()) << '\n';
  out << "Recovery: "
      << (s.recoveryMode == 0   ? "none (100%)"
          : s.recoveryMode == 1 ? "fixed "
                                : "variable ")
      << (s.recoveryMode == 1   ? formatFixed(s.fixedRecovery, 4)
          : s.recoveryMode == 2 ? nameOf(s.findRecoveryVariable())
                                : "")
      << '\n';
  out << "Thickness: ";
  if (s.useFixedThickness)
    out << "fixed " << formatFixed(s.fixedThickness, 4);
  else
    out << "variable " << nameOf(s.findThicknessVariable());
  out << ", waste " << formatFixed(s.wasteThickness, 4) << '\n';
}

}  // namespace

int runJobFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err, bool terminal) {
  Job job;
  try {
    job = loadJob(file);
  } catch (const JobError& e) {
    err << "quarlex: bad job " << file.string() << ": " << e.what() << '\n';
    return 2;
  }
  CliPort port(err, terminal);
  ProjectObjects objects;
  CWQuarlexDoc doc(objects, port);
  // The scene is built as the desktop builds it, so that the imports fit the
  // stored view to the data and the saved project opens on them.
  gfx::SceneTree scene;
  startSceneTree(scene);
  doc.setScene(&scene);
  if (job.newProject) doc.setUpProject(job.newProject->values);
  if (job.openProject && !doc.onOpenDocument(job.openProject->string())) return 1;
  for (std::size_t i = 0; i < job.steps.size(); ++i)
    if (!runStep(job.steps[i], static_cast<int>(i), doc, objects, port, out, err)) return 1;
  if (job.save) {
    if (!doc.onSaveDocument(job.save->string())) return 1;
  }
  printSummary(out, objects);
  if (job.save) out << "Saved: " << job.save->string() << '\n';
  return 0;
}

}  // namespace qx::cli
