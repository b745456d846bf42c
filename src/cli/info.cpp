#include "cli/info.h"

#include <ostream>
#include <sstream>

#include "app/document.h"
#include "cli/cli_port.h"
#include "io/text_encoding.h"
#include "variables/variable_rules.h"

namespace qx::cli {

using nlohmann::ordered_json;

namespace {

const char* recoveryName(int mode) {
  switch (mode) {
    case 0: return "none";
    case 1: return "fixed";
    case 2: return "variable";
  }
  return "unknown";
}

std::string weightingName(int w) {
  const std::string_view n = weightingTypeName(w);
  return n.empty() ? "unknown" : std::string(n);
}

ordered_json variableJson(const VariableInfo& v) {
  ordered_json j;
  j["name"] = displayText(v.name);
  j["default"] = v.defaultValue;
  j["missing"] = v.missingValue;
  j["weighting"] = weightingName(v.weightingType);
  j["min_cutoff"] = v.minCutoff;
  j["max_cutoff"] = v.maxCutoff;
  return j;
}

std::string nameOrNone(const QuarlexSettings& s, int n) {
  return n >= 0 && n < s.variableCount() ? displayText(s.variable(n).name) : std::string("none");
}

}  // namespace

ordered_json projectInfo(const ProjectObjects& o) {
  const QuarlexSettings& s = o.settings;
  ordered_json j;
  j["version"] = s.fileVersion;
  j["project_type"] = s.projectType == 1 ? "3D" : "2D";
  ordered_json loaded = ordered_json::array();
  for (const auto& v : s.loaded) loaded.push_back(variableJson(v));
  j["variables"] = loaded;
  ordered_json calculated = ordered_json::array();
  for (const auto& v : s.calculated) {
    ordered_json c;
    c["name"] = displayText(v.name);
    c["default"] = v.defaultValue;
    c["formula"] = displayText(v.formulaText);
    c["compiled"] = v.compiled.status == 0;
    calculated.push_back(c);
  }
  j["calculated"] = calculated;
  ordered_json m;
  m["default_sg"] = s.defaultSG;
  m["default_waste_sg"] = s.defaultWasteSG;
  m["sg_variable"] = s.useVariableSG ? nameOrNone(s, s.findSGVariable()) : "none";
  m["recovery"] = recoveryName(s.recoveryMode);
  m["recovery_variable"] = nameOrNone(s, s.findRecoveryVariable());
  m["fixed_thickness"] = static_cast<bool>(s.useFixedThickness);
  m["thickness"] = s.fixedThickness;
  m["thickness_variable"] = nameOrNone(s, s.findThicknessVariable());
  m["waste_thickness"] = s.wasteThickness;
  j["model"] = m;
  ordered_json p;
  p["sides"] = s.sidesPerPolygon;
  p["size"] = s.defaultPolygonSize;
  p["first_vertex_angle"] = s.firstVertexAngle;
  p["use_dilution"] = static_cast<bool>(s.useDilution);
  p["overwrite_existing_polygons"] = static_cast<bool>(s.overwriteExistingPolygons);
  j["polygon_settings"] = p;
  ordered_json counts;
  counts["composites"] = o.composites.count();
  counts["envelopes"] = o.envelopes.count();
  counts["surfaces"] = o.surfaces.count();
  counts["figures"] = o.figures.count();
  counts["polygons"] = o.polygons.count();
  counts["sections"] = o.sections.count();
  counts["map_profiles"] = o.mapOutput.count();
  j["counts"] = counts;
  ordered_json envelopes = ordered_json::array();
  for (const auto& e : o.envelopes.envelopes) {
    ordered_json env;
    env["name"] = displayText(e.name);
    env["contours"] = e.contours.size();
    std::size_t points = 0;
    for (const auto& c : e.contours) points += c.size();
    env["points"] = points;
    env["density"] = e.density;
    env["clip_polygons"] = e.clipPolygons != 0;
    env["use_composites"] = e.useComposites != 0;
    envelopes.push_back(env);
  }
  j["envelopes"] = envelopes;
  ordered_json surfaces = ordered_json::array();
  for (const auto& sf : o.surfaces.surfaces) {
    ordered_json surface;
    surface["name"] = displayText(sf.name);
    surface["points"] = sf.points.size();
    surfaces.push_back(surface);
  }
  j["surfaces"] = surfaces;
  const CPolygonSet::Totals t = o.polygons.totals();
  ordered_json poly;
  poly["count"] = t.count;
  poly["area"] = t.area;
  poly["volume"] = t.volume;
  poly["tonnage"] = t.tonnage;
  j["polygons"] = poly;
  std::vector<std::string> names = s.variableNames();
  for (auto& n : names) n = displayText(n);
  ordered_json figures = ordered_json::array();
  for (const auto& f : o.figures.figures) {
    ordered_json fig;
    fig["name"] = displayText(f.name);
    fig["area"] = f.area;
    fig["ore_tonnage"] = f.oreTonnage;
    fig["waste_tonnage"] = f.wasteTonnage;
    fig["ore_fraction"] = f.oreFraction;
    ordered_json grades;
    for (std::size_t k = 0; k < names.size(); ++k)
      grades[names[k]] = figureVariableValue(f, static_cast<int>(k), s.loadedCount());
    fig["grades"] = grades;
    figures.push_back(fig);
  }
  j["figures"] = figures;
  // Over all figures: ore and waste tonnage, grades weighted by ore tonnage.
  ordered_json totals;
  double ore = 0.0, waste = 0.0;
  std::vector<double> weighted(names.size(), 0.0);
  for (const auto& f : o.figures.figures) {
    ore += f.oreTonnage;
    waste += f.wasteTonnage;
    for (std::size_t k = 0; k < names.size(); ++k)
      weighted[k] += f.oreTonnage * figureVariableValue(f, static_cast<int>(k), s.loadedCount());
  }
  totals["ore_tonnage"] = ore;
  totals["waste_tonnage"] = waste;
  ordered_json grades;
  for (std::size_t k = 0; k < names.size(); ++k) grades[names[k]] = ore > 0.0 ? weighted[k] / ore : 0.0;
  totals["grades"] = grades;
  j["figure_totals"] = totals;
  return j;
}

void printProjectInfo(std::ostream& out, const ProjectObjects& o) {
  const ordered_json j = projectInfo(o);
  const QuarlexSettings& s = o.settings;
  out << "Version: " << s.fileVersion << "\n";
  out << "Project type: " << j["project_type"].get<std::string>() << "\n";
  out << "Loaded variables: " << s.loadedCount() << "\n";
  for (const auto& v : s.loaded) {
    out << "  " << displayText(v.name) << "  default " << formatFixed(v.defaultValue, 4) << "  missing "
        << formatFixed(v.missingValue, 4) << "  weighting " << weightingName(v.weightingType) << "\n";
  }
  out << "Calculated variables: " << s.calculatedCount() << "\n";
  for (const auto& v : s.calculated) {
    out << "  " << displayText(v.name) << " = " << displayText(v.formulaText)
        << (v.compiled.status == 0 ? "" : "  (does not compile)") << "\n";
  }
  out << "Specific gravity: default " << formatFixed(s.defaultSG, 4) << ", waste " << formatFixed(s.defaultWasteSG, 4)
      << ", variable " << j["model"]["sg_variable"].get<std::string>() << "\n";
  out << "Recovery: " << recoveryName(s.recoveryMode);
  if (s.recoveryMode == 1) out << " " << formatFixed(s.fixedRecovery, 4);
  if (s.recoveryMode == 2) out << " " << nameOrNone(s, s.findRecoveryVariable());
  out << "\n";
  out << "Thickness: ";
  if (s.useFixedThickness)
    out << "fixed " << formatFixed(s.fixedThickness, 4);
  else
    out << "variable " << nameOrNone(s, s.findThicknessVariable());
  out << ", waste " << formatFixed(s.wasteThickness, 4) << "\n";
  out << "Default polygons: " << s.sidesPerPolygon << " sides, size " << formatFixed(s.defaultPolygonSize, 4)
      << ", first vertex at " << formatFixed(s.firstVertexAngle, 4) << " degrees\n";
  out << "Dilution: " << (s.useDilution ? "yes" : "no")
      << ", overwrite existing polygons: " << (s.overwriteExistingPolygons ? "yes" : "no") << "\n";
  const auto& c = j["counts"];
  out << "Composites: " << c["composites"].get<int>() << "\n";
  out << "Envelopes: " << c["envelopes"].get<int>() << "\n";
  for (const auto& e : j["envelopes"])
    out << "  " << e["name"].get<std::string>() << "  " << e["contours"].get<std::size_t>() << " contours, "
        << e["points"].get<std::size_t>() << " points, density " << formatFixed(e["density"].get<double>(), 4)
        << (e["clip_polygons"].get<bool>() ? ", clips polygons" : "")
        << (e["use_composites"].get<bool>() ? "" : ", composites not used") << "\n";
  out << "Surfaces: " << c["surfaces"].get<int>() << "\n";
  for (const auto& sf : j["surfaces"])
    out << "  " << sf["name"].get<std::string>() << "  " << sf["points"].get<std::size_t>() << " points\n";
  out << "Figures: " << c["figures"].get<int>() << "\n";
  if (c["figures"].get<int>() > 0) {
    const auto& t = j["figure_totals"];
    out << "Figure totals: ore " << formatFixed(t["ore_tonnage"].get<double>(), 2) << " t, waste "
        << formatFixed(t["waste_tonnage"].get<double>(), 2) << " t";
    for (auto it = t["grades"].begin(); it != t["grades"].end(); ++it)
      out << ", " << it.key() << " " << formatFixed(it.value().get<double>(), 4);
    out << "\n";
  }
  for (const auto& f : j["figures"]) {
    out << "  " << f["name"].get<std::string>() << "  area " << formatFixed(f["area"].get<double>(), 2) << ", ore "
        << formatFixed(f["ore_tonnage"].get<double>(), 2) << " t, waste "
        << formatFixed(f["waste_tonnage"].get<double>(), 2) << " t, ore "
        << formatFixed(f["ore_fraction"].get<double>(), 2) << " %";
    for (auto it = f["grades"].begin(); it != f["grades"].end(); ++it)
      out << ", " << it.key() << " " << formatFixed(it.value().get<double>(), 4);
    out << "\n";
  }
  out << "Polygons: " << c["polygons"].get<int>();
  if (c["polygons"].get<int>() > 0)
    out << ", area " << formatFixed(j["polygons"]["area"].get<double>(), 2) << ", volume "
        << formatFixed(j["polygons"]["volume"].get<double>(), 2) << ", tonnage "
        << formatFixed(j["polygons"]["tonnage"].get<double>(), 2);
  out << "\n";
  out << "Sections: " << c["sections"].get<int>() << "\n";
  out << "Map profiles: " << c["map_profiles"].get<int>() << "\n";
}

int runInfo(const std::filesystem::path& file, bool json, std::ostream& out, std::ostream& err) {
  CliPort port(err, false);
  port.setQuiet(true);
  ProjectObjects objects;
  CWQuarlexDoc doc(objects, port);
  if (!doc.onOpenDocument(file.string())) {
    err << "quarlex: "
        << CliPort::oneLine(port.messages().empty() ? "cannot open " + file.string() : port.messages().back()) << "\n";
    return 1;
  }
  if (json) {
    // Names are shown as characters already; anything else that is not UTF-8
    // becomes U+FFFD rather than an error.
    out << projectInfo(objects).dump(2, ' ', false, ordered_json::error_handler_t::replace) << "\n";
  } else {
    printProjectInfo(out, objects);
  }
  return 0;
}

}  // namespace qx::cli
