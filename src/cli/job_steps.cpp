#include "cli/job_steps.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "app/document.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "datasets/color_table_page.h"
#include "datasets/composite_import.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/surface_import.h"
#include "engine/result_export.h"
#include "io/column_pages.h"
#include "plot/map_profiles_dialog.h"
#include "plot/section_plot.h"
#include "project/quarlex_settings.h"
#include "sections/rotation_dialog.h"

namespace qx::cli {

using json = nlohmann::json;

namespace {

// ---- reading ----

std::filesystem::path resolve(const std::filesystem::path& baseDir, const std::string& p) {
  const std::filesystem::path path(p);
  return path.is_absolute() ? path : baseDir / path;
}

std::filesystem::path inputFile(JobObject& o, const std::filesystem::path& baseDir) {
  if (!o.has("file")) throw JobError(o.keyPath("file"), "missing");
  const auto path = resolve(baseDir, *o.string("file"));
  if (!std::filesystem::is_regular_file(path)) throw JobError(o.keyPath("file"), "no file " + path.string());
  return path;
}

std::filesystem::path outputFile(JobObject& o, const std::filesystem::path& baseDir) {
  if (!o.has("file")) throw JobError(o.keyPath("file"), "missing");
  const std::string name = *o.string("file");
  if (name.empty()) throw JobError(o.keyPath("file"), "empty file name");
  const auto path = resolve(baseDir, name);
  const auto dir = path.parent_path();
  if (!dir.empty() && !std::filesystem::is_directory(dir))
    throw JobError(o.keyPath("file"), "no folder " + dir.string());
  return path;
}

int wholeNumber(const json& v, const std::string& path, int lo, int hi) {
  if (!v.is_number()) throw JobError(path, "expected a whole number");
  const double d = v.get<double>();
  if (d != static_cast<double>(static_cast<long long>(d)) || d < lo || d > hi)
    throw JobError(path, "expected a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
  return static_cast<int>(d);
}

// Reads each field of "columns" into a ColumnSpec named after it; `read`
// fills the rest from the value, `key` being the value's path for messages.
template <class Read>
std::vector<ColumnSpec> parseColumnsWith(JobObject& o, Read read) {
  std::vector<ColumnSpec> out;
  const json* c = o.find("columns");
  if (c == nullptr) return out;
  const std::string path = o.keyPath("columns");
  if (!c->is_object()) throw JobError(path, "expected an object of field names");
  for (auto it = c->begin(); it != c->end(); ++it) {
    ColumnSpec s;
    s.name = it.key();
    read(it.value(), path + "." + it.key(), s);
    out.push_back(s);
  }
  return out;
}

// "columns": {"X Coordinate": [16, 10], "Au": [46, 10, 3]}: first column
// (1-based), width, and for exports the decimals.
std::vector<ColumnSpec> parseColumns(JobObject& o, bool decimals) {
  return parseColumnsWith(o, [decimals](const json& v, const std::string& key, ColumnSpec& s) {
    const std::size_t want = decimals ? 3 : 2;
    if (!v.is_array() || v.size() < 2 || v.size() > want)
      throw JobError(key, decimals ? "expected [first column, width] or [first column, width, decimals]"
                                   : "expected [first column, width]");
    s.position = wholeNumber(v[0], key + "[0]", 0, 510);
    s.width = wholeNumber(v[1], key + "[1]", 0, 510);
    if (v.size() == 3) s.decimals = wholeNumber(v[2], key + "[2]", 0, 9);
  });
}

// "format": "delimited" (or "fixed", the default), "separator" (",", ";",
// "tab", "whitespace"; "," by default) and "header" (false by default).
std::optional<DelimitedFormat> parseFormat(JobObject& o) {
  const std::string format = o.string("format").value_or("fixed");
  if (format == "fixed") return std::nullopt;
  if (format != "delimited") throw JobError(o.keyPath("format"), "expected \"fixed\" or \"delimited\"");
  DelimitedFormat f;
  if (auto name = o.string("separator")) {
    const auto sep = separatorFromName(*name);
    if (!sep) throw JobError(o.keyPath("separator"), "expected \",\", \";\", \"tab\" or \"whitespace\"");
    f.separator = *sep;
  }
  f.header = o.boolean("header").value_or(false);
  return f;
}

// A delimited file's "columns": {"X Coordinate": "EAST", "Au": 5}: the
// column's name in the header line, or its number (1-based).
std::vector<ColumnSpec> parseDelimitedColumns(JobObject& o) {
  return parseColumnsWith(o, [](const json& v, const std::string& key, ColumnSpec& s) {
    if (v.is_string() && !v.get<std::string>().empty())
      s.header = v.get<std::string>();
    else if (v.is_number())
      s.position = wholeNumber(v, key, 1, 100000);
    else
      throw JobError(key, "expected a column name or number");
  });
}

std::optional<RotationSpec> parseRotation(JobObject& o) {
  if (!o.has("rotation")) return std::nullopt;
  JobObject r = o.object("rotation");
  RotationSpec s;
  auto angle = [&](const char* key) {
    const double v = r.number(key).value_or(0.0);
    if (v < CDialogRotationParams::kMinAngle || v > CDialogRotationParams::kMaxAngle)
      throw JobError(r.keyPath(key), "must lie between -360 and 360");
    return v;
  };
  s.theta = angle("theta");
  s.phi = angle("phi");
  s.psi = angle("psi");
  if (const json* c = r.find("centre")) {
    if (!c->is_array() || c->size() != 3 || !(*c)[0].is_number() || !(*c)[1].is_number() || !(*c)[2].is_number())
      throw JobError(r.keyPath("centre"), "expected [x, y, z]");
    s.centre = {(*c)[0].get<double>(), (*c)[1].get<double>(), (*c)[2].get<double>()};
  }
  s.inverse = r.boolean("inverse").value_or(false);
  r.finish();
  return s;
}

std::optional<ColorRef> colourKey(JobObject& o, const char* key) {
  auto text = o.string(key);
  if (!text) return std::nullopt;
  auto c = parseColour(*text);
  if (!c) throw JobError(o.keyPath(key), "expected a colour \"#rrggbb\", found \"" + *text + "\"");
  return c;
}

std::optional<std::vector<std::string>> nameList(JobObject& o, const char* key) {
  const json* v = o.find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_array()) throw JobError(o.keyPath(key), "expected a list of names");
  std::vector<std::string> names;
  for (std::size_t i = 0; i < v->size(); ++i) {
    if (!(*v)[i].is_string()) throw JobError(o.keyPath(key) + "[" + std::to_string(i) + "]", "expected a name");
    names.push_back((*v)[i].get<std::string>());
  }
  return names;
}

// The format of a file to read, the file (to read, or to write into an
// existing folder), the columns and the rotation, in that order.
void readFileStep(FileStep& s, JobObject& o, const std::filesystem::path& baseDir, bool output) {
  if (!output) s.delimited = parseFormat(o);
  s.file = output ? outputFile(o, baseDir) : inputFile(o, baseDir);
  s.columns = s.delimited ? parseDelimitedColumns(o) : parseColumns(o, output);
  s.rotation = parseRotation(o);
}

Step parseImportComposites(JobObject& o, const std::filesystem::path& baseDir) {
  ImportCompositesStep s;
  readFileStep(s, o, baseDir, false);
  s.append = o.boolean("append").value_or(false);
  return s;
}

Step parseImportEnvelopes(JobObject& o, const std::filesystem::path& baseDir) {
  ImportEnvelopesStep s;
  readFileStep(s, o, baseDir, false);
  s.merge = o.boolean("merge").value_or(false);
  if (const json* list = o.find("envelopes")) {
    if (!list->is_array()) throw JobError(o.keyPath("envelopes"), "expected a list");
    for (std::size_t i = 0; i < list->size(); ++i) {
      JobObject e((*list)[i], o.keyPath("envelopes") + "[" + std::to_string(i) + "]");
      EnvelopeNaming n;
      n.fileName = e.string("file_name").value_or("");
      n.name = e.string("name");
      n.colour = colourKey(e, "colour");
      if (auto d = e.number("density")) {
        if (*d < 0 || *d > 10000000) throw JobError(e.keyPath("density"), "must lie between 0 and 10000000");
        n.density = d;
      }
      e.finish();
      s.envelopes.push_back(n);
    }
  }
  return s;
}

Step parseImportSurface(JobObject& o, const std::filesystem::path& baseDir) {
  ImportSurfaceStep s;
  readFileStep(s, o, baseDir, false);
  if (!o.has("name")) throw JobError(o.keyPath("name"), "missing");
  s.name = *o.string("name");
  s.colour = colourKey(o, "colour").value_or(0);
  return s;
}

Step parseExportComposites(JobObject& o, const std::filesystem::path& baseDir) {
  ExportCompositesStep s;
  readFileStep(s, o, baseDir, true);
  s.envelopes = nameList(o, "envelopes");
  s.outside = o.boolean("outside");
  return s;
}

Step parseExportEnvelopes(JobObject& o, const std::filesystem::path& baseDir) {
  ExportEnvelopesStep s;
  s.file = outputFile(o, baseDir);
  s.columns = parseColumns(o, true);
  s.envelopes = nameList(o, "envelopes");
  return s;
}

Step parseColourTable(JobObject& o, const std::filesystem::path&) {
  ColourTableStep s;
  if (!o.has("table")) throw JobError(o.keyPath("table"), "missing");
  s.table = wholeNumber(*o.find("table"), o.keyPath("table"), 1, CColorTable::kTableCount) - 1;
  s.name = o.string("name");
  if (s.name && s.name->size() > 32) throw JobError(o.keyPath("name"), "at most 32 characters");
  s.current = o.boolean("current").value_or(true);
  if (o.has("bins") && o.has("expand")) throw JobError(o.keyPath("expand"), "give either \"bins\" or \"expand\"");
  if (const json* bins = o.find("bins")) {
    if (!bins->is_array() || bins->size() > CColorTable::kBinsPerTable)
      throw JobError(o.keyPath("bins"), "expected a list of at most 25 bins");
    std::vector<ColorBin> list;
    for (std::size_t i = 0; i < bins->size(); ++i) {
      JobObject b((*bins)[i], o.keyPath("bins") + "[" + std::to_string(i) + "]");
      ColorBin bin;
      if (!b.has("variable")) throw JobError(b.keyPath("variable"), "missing");
      bin.variableName = *b.string("variable");
      if (!b.has("low")) throw JobError(b.keyPath("low"), "missing");
      if (!b.has("high")) throw JobError(b.keyPath("high"), "missing");
      bin.low = *b.number("low");
      bin.high = *b.number("high");
      bin.colour = static_cast<std::int32_t>(colourKey(b, "colour").value_or(0));
      b.finish();
      list.push_back(bin);
    }
    s.bins = list;
  }
  if (o.has("expand")) {
    JobObject e = o.object("expand");
    ColourTableStep::Expand x;
    if (!e.has("variable")) throw JobError(e.keyPath("variable"), "missing");
    x.variable = *e.string("variable");
    if (!e.has("low")) throw JobError(e.keyPath("low"), "missing");
    if (!e.has("high")) throw JobError(e.keyPath("high"), "missing");
    x.low = *e.number("low");
    x.high = *e.number("high");
    if (!(x.high > x.low)) throw JobError(e.keyPath("high"), "must be above \"low\"");
    e.finish();
    s.expand = x;
  }
  return s;
}

Step parseCalculation(JobObject& o, const std::filesystem::path&) {
  CalculationStep s;
  if (const json* v = o.find("sides")) s.sides = wholeNumber(*v, o.keyPath("sides"), 3, 100);
  if (auto r = o.number("radius")) {
    if (*r < 0 || *r > settings_limits::kMaxPolygonSize)
      throw JobError(o.keyPath("radius"), "must lie between 0 and 1e+37");
    s.radius = r;
  }
  if (auto a = o.number("angle")) {
    if (*a < settings_limits::kMinFirstVertexAngle || *a > settings_limits::kMaxFirstVertexAngle)
      throw JobError(o.keyPath("angle"), "must lie between -180 and 360");
    s.angle = a;
  }
  s.dilution = o.boolean("dilution");
  s.overwrite = o.boolean("overwrite_polygons");
  s.outside = o.boolean("outside_composites");
  s.order = o.boolean("envelope_priority").value_or(false);
  if (const json* list = o.find("envelopes")) {
    if (!list->is_array()) throw JobError(o.keyPath("envelopes"), "expected a list");
    for (std::size_t i = 0; i < list->size(); ++i) {
      JobObject e((*list)[i], o.keyPath("envelopes") + "[" + std::to_string(i) + "]");
      CalculationStep::EnvelopeUse u;
      if (!e.has("name")) throw JobError(e.keyPath("name"), "missing");
      u.name = *e.string("name");
      u.clip = e.boolean("clip");
      u.useComposites = e.boolean("use_composites");
      e.finish();
      s.envelopes.push_back(u);
    }
  }
  if (const json* vars = o.find("variables")) {
    if (!vars->is_object()) throw JobError(o.keyPath("variables"), "expected an object of variable names");
    for (auto it = vars->begin(); it != vars->end(); ++it) {
      JobObject v(it.value(), o.keyPath("variables") + "." + it.key());
      CalculationStep::Cutoffs c;
      c.variable = it.key();
      c.minCutoff = v.number("min_cutoff");
      c.maxCutoff = v.number("max_cutoff");
      c.defaultValue = v.number("default");
      c.missingValue = v.number("missing");
      v.finish();
      s.variables.push_back(c);
    }
  }
  return s;
}

Step parseGenerate(JobObject&, const std::filesystem::path&) { return GenerateStep{}; }

Step parseImportFigures(JobObject& o, const std::filesystem::path& baseDir) {
  ImportFiguresStep s;
  readFileStep(s, o, baseDir, false);
  return s;
}

Step parseRecalculateFigures(JobObject&, const std::filesystem::path&) { return RecalculateFiguresStep{}; }

Step parseReport(JobObject& o, const std::filesystem::path& baseDir, bool figures) {
  ReportStep s;
  s.figures = figures;
  s.file = outputFile(o, baseDir);
  return s;
}

Step parseExportResults(JobObject& o, const std::filesystem::path& baseDir, bool figures) {
  ExportResultsStep s;
  s.figures = figures;
  readFileStep(s, o, baseDir, true);
  if (s.figures) s.figure = o.string("figure");
  return s;
}

// Every step a job may hold, with its reader; the reader leaves the keys it
// does not read for the caller's check.
struct StepKind {
  std::string_view name;
  Step (*parse)(JobObject& o, const std::filesystem::path& baseDir);
};
std::optional<DPoint3D> pointOf(JobObject& o, const char* key) {
  const json* v = o.find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_array() || v->size() != 3 || !(*v)[0].is_number() || !(*v)[1].is_number() || !(*v)[2].is_number())
    throw JobError(o.keyPath(key), "expected [east, north, elevation]");
  return DPoint3D{(*v)[0].get<double>(), (*v)[1].get<double>(), (*v)[2].get<double>()};
}

Step parseMapProfile(JobObject& o, const std::filesystem::path&) {
  MapProfileStep s;
  if (!o.has("name")) throw JobError(o.keyPath("name"), "missing");
  s.name = *o.string("name");
  s.copyOf = o.string("copy_of");
  s.renameTo = o.string("rename_to");
  s.scale = o.number("scale");
  s.characterHeight = o.number("character_height");
  if (const auto u = o.choice("units", {"imperial", "metric"})) s.units = *u == "metric" ? 1 : 0;
  s.composites = o.boolean("composites");
  s.polygons = o.boolean("polygons");
  s.figures = o.boolean("figures");
  s.envelopes = o.boolean("envelopes");
  s.legend = o.boolean("legend");
  s.frame = o.boolean("frame");
  s.northArrow = o.boolean("north_arrow");
  s.scaleRuler = o.boolean("scale_ruler");
  s.bearing = o.number("bearing");
  if (const auto f = o.number("frame_style")) s.frameStyle = static_cast<int>(*f);
  s.title = o.string("title");
  s.subTitles = nameList(o, "subtitles");
  if (s.subTitles && s.subTitles->size() > 4) throw JobError(o.keyPath("subtitles"), "at most four sub-titles");
  s.drawingNumber = o.string("drawing_number");
  s.boxMin = pointOf(o, "box_min");
  s.boxMax = pointOf(o, "box_max");
  if (s.boxMin.has_value() != s.boxMax.has_value()) throw JobError(o.path(), "box_min and box_max go together");
  s.limitComposites = o.boolean("limit_composites_by_envelope");
  s.textSize = o.number("composite_text_size");
  s.compositeLabels = nameList(o, "composite_labels");
  if (o.has("graduations")) {
    JobObject axes = o.object("graduations");
    const char* names[] = {"east", "north", "elevation"};
    for (std::size_t i = 0; i < 3; ++i) {
      if (!axes.has(names[i])) continue;
      JobObject a = axes.object(names[i]);
      MapGraduation g;
      const auto along = a.choice("along", {"horizontal", "vertical", "both"}).value_or("both");
      g.axis = along == "horizontal" ? 0 : along == "vertical" ? 1 : 2;
      g.interval = a.number("interval").value_or(0.0);
      g.value = a.number("value").value_or(0.0);
      g.positiveNotation = a.string("positive").value_or("");
      g.negativeNotation = a.string("negative").value_or("");
      a.finish();
      s.graduations[i] = g;
    }
    axes.finish();
  }
  return s;
}

Step parseGenerateMaps(JobObject& o, const std::filesystem::path& baseDir) {
  GenerateMapsStep s;
  const auto sections = nameList(o, "sections");
  if (!sections) throw JobError(o.keyPath("sections"), "missing");
  s.sections = *sections;
  if (!o.has("profile")) throw JobError(o.keyPath("profile"), "missing");
  s.profile = *o.string("profile");
  if (!o.has("folder")) throw JobError(o.keyPath("folder"), "missing");
  s.folder = resolve(baseDir, *o.string("folder"));
  if (!std::filesystem::is_directory(s.folder)) throw JobError(o.keyPath("folder"), "no folder " + s.folder.string());
  const auto kind = o.choice("kind", {"plt", "dxf", "pdf"}).value_or("plt");
  s.kind = kind == "plt" ? 0 : kind == "dxf" ? 1 : 2;
  s.worldCoordinates = o.boolean("world_coordinates").value_or(true);
  return s;
}

constexpr StepKind kStepKinds[] = {
    {"import_composites", parseImportComposites},
    {"import_envelopes", parseImportEnvelopes},
    {"import_surface", parseImportSurface},
    {"import_figures", parseImportFigures},
    {"export_composites", parseExportComposites},
    {"export_envelopes", parseExportEnvelopes},
    {"export_polygons", [](JobObject& o, const std::filesystem::path& d) { return parseExportResults(o, d, false); }},
    {"export_figures", [](JobObject& o, const std::filesystem::path& d) { return parseExportResults(o, d, true); }},
    {"colour_table", parseColourTable},
    {"calculation", parseCalculation},
    {"generate", parseGenerate},
    {"recalculate_figures", parseRecalculateFigures},
    {"report_polygons", [](JobObject& o, const std::filesystem::path& d) { return parseReport(o, d, false); }},
    {"report_figures", [](JobObject& o, const std::filesystem::path& d) { return parseReport(o, d, true); }},
    {"map_profile", parseMapProfile},
    {"generate_maps", parseGenerateMaps},
    {"properties", parsePropertiesStep},
    {"display", parseDisplayStep},
    {"edit_variables", parseEditVariables},
    {"grade_tonnage", parseGradeTonnage},
    {"declustering", parseDeclustering},
    {"create_figure", parseCreateFigure},
    {"create_envelope", parseCreateEnvelope},
    {"export_gis", parseExportGis},
};

std::string stepNames() {
  std::string names;
  for (const StepKind& k : kStepKinds) names += (names.empty() ? "" : ", ") + std::string(k.name);
  return names;
}

Step parseStep(const std::string& kind, JobObject o, const std::filesystem::path& baseDir) {
  for (const StepKind& k : kStepKinds) {
    if (k.name != kind) continue;
    Step step = k.parse(o, baseDir);
    o.finish();
    return step;
  }
  throw JobError(o.path(), "unknown step \"" + kind + "\" (steps: " + stepNames() + ")");
}

// ---- running ----

struct StepFailed {
  std::string message;
};

void applyColumns(ColumnDescription& d, const std::vector<ColumnSpec>& columns) {
  for (const auto& c : columns) {
    ColumnField* f = nullptr;
    for (auto& field : d.fields)
      if (field.name == c.name) f = &field;
    if (f == nullptr) {
      std::string names;
      for (const auto& field : d.fields) names += (names.empty() ? "\"" : ", \"") + field.name + "\"";
      throw StepFailed{"columns: no field \"" + c.name + "\" on the column page (fields: " + names + ")"};
    }
    f->position = c.position;
    f->length = c.width;
    f->header = c.header;
    if (c.decimals) f->decimals = *c.decimals;
  }
}

// The column page of an export: fields chosen one by one, as a person would.
void applyColumns(UiPort& port, CAsciiFormatPage& page, const std::vector<ColumnSpec>& columns) {
  const auto names = page.fieldNames();
  for (const auto& c : columns) {
    const auto it = std::find(names.begin(), names.end(), c.name);
    if (it == names.end()) {
      std::string list;
      for (const auto& n : names) list += (list.empty() ? "\"" : ", \"") + n + "\"";
      throw StepFailed{"columns: no field \"" + c.name + "\" on the column page (fields: " + list + ")"};
    }
    page.chooseField(static_cast<int>(it - names.begin()));
    if (!page.setValues(port, c.position, c.width, c.decimals.value_or(page.decimals())))
      throw StepFailed{"columns: the page refused the field \"" + c.name + "\""};
  }
}

bool answerRotation(DialogModel& model, const std::optional<RotationSpec>& rotation, UiPort& port) {
  auto* d = dynamic_cast<CDialogRotationParams*>(&model);
  if (d == nullptr || !rotation) return false;
  d->theta = rotation->theta;
  d->phi = rotation->phi;
  d->psi = rotation->psi;
  d->centre = rotation->centre;
  d->inverse = rotation->inverse;
  return d->onOk(port);
}

// Answers the import wizard: the columns, and the rotation switch. A
// delimited file takes only the fields the step names.
CliPort::SheetHandler importSheet(const FileStep& step) {
  return [&step](SheetModel& sheet) {
    auto* load = dynamic_cast<CFileLoadPropertySheet*>(&sheet);
    if (load == nullptr) return false;
    // The page's own switch: a fixed-column step finds the fixed columns
    // again after an earlier delimited import.
    load->firstPage().setDelimited(step.delimited.has_value());
    ColumnDescription& d = load->first();
    if (step.delimited) {
      d.delimited = step.delimited;
      for (auto& f : d.fields) f.position = f.length = 0, f.header.clear();
    }
    applyColumns(d, step.columns);
    d.rotate = step.rotation.has_value();
    return true;
  };
}

int envelopeIndex(const EnvelopeSet& set, const std::string& name) {
  const int i = set.findByName(name);
  if (i < 0) throw StepFailed{"no envelope is named \"" + name + "\""};
  return i;
}

int variableNumber(const QuarlexSettings& s, const std::string& name) {
  for (int k = 0; k < s.loadedCount(); ++k)
    if (s.loaded[static_cast<std::size_t>(k)].name == name) return k;
  throw StepFailed{"no loaded variable is named \"" + name + "\""};
}

// A step's own port state: handlers and answers for this step only.
struct PortScope {
  CliPort& port;
  ~PortScope() {
    port.setQuestionPolicy({});
    port.setFallbackDialog({});
    port.setFallbackSheet({});
    port.clearQueues();
  }
};

int runImportComposites(const ImportCompositesStep& s, CWQuarlexDoc& doc, CliPort& port) {
  port.queueFile(s.file.string());
  port.setFallbackSheet(importSheet(s));
  port.setFallbackDialog([&](DialogModel& m) { return answerRotation(m, s.rotation, port); });
  port.setQuestionPolicy([&](std::string_view text, MessageButtons) {
    if (text == kAppendCompositesQuestion) return s.append ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::No;
  });
  const int count = doc.onImportComposites().count;
  if (count <= 0) throw StepFailed{"no composites were read from " + s.file.string()};
  return count;
}

void runImportEnvelopes(const ImportEnvelopesStep& s, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port) {
  port.queueFile(s.file.string());
  port.setFallbackSheet(importSheet(s));
  port.setFallbackDialog([&](DialogModel& m) {
    if (m.kind() == CDialogRotationParams::kKind) return answerRotation(m, s.rotation, port);
    auto* d = dynamic_cast<CEnvelopePropertiesDialog*>(&m);
    if (d == nullptr) return false;
    for (const auto& n : s.envelopes) {
      if (n.fileName != d->name()) continue;
      if (n.name) d->setName(*n.name);
      if (n.colour) d->setColour(*n.colour);
      if (n.density) d->setDensity(*n.density);
    }
    if (!d->onOk(port)) throw StepFailed{"the envelope \"" + d->name() + "\" was refused"};
    return true;
  });
  port.setQuestionPolicy(
      [&](std::string_view, MessageButtons) { return s.merge ? MessageAnswer::Yes : MessageAnswer::No; });
  const int before = objects.envelopes.count();
  if (!doc.onImportEnvelopes()) throw StepFailed{"no envelopes were read from " + s.file.string()};
  (void)before;
}

void runImportSurface(const ImportSurfaceStep& s, CWQuarlexDoc& doc, CliPort& port) {
  port.queueFile(s.file.string());
  port.setFallbackSheet(importSheet(s));
  port.setFallbackDialog([&](DialogModel& m) {
    if (m.kind() == CDialogRotationParams::kKind) return answerRotation(m, s.rotation, port);
    auto* d = dynamic_cast<CSurfacePropertiesDialog*>(&m);
    if (d == nullptr) return false;
    d->setName(s.name);
    d->setColour(static_cast<std::int32_t>(s.colour));
    if (!d->onOk(port)) throw StepFailed{"the surface name \"" + s.name + "\" was refused"};
    return true;
  });
  if (!doc.onImportSurfaces()) throw StepFailed{"no surface was read from " + s.file.string()};
}

int runExportComposites(const ExportCompositesStep& s, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port) {
  EnvelopeSet& envelopes = objects.envelopes;
  if (s.envelopes) {
    for (auto& e : envelopes.envelopes) e.exportComposites = 0;
    for (const auto& name : *s.envelopes)
      envelopes.envelopes[static_cast<std::size_t>(envelopeIndex(envelopes, name))].exportComposites = 1;
  }
  if (s.outside) envelopes.exportOutside = *s.outside ? 1 : 0;
  port.queueFile(s.file.string());
  port.setFallbackSheet([&](SheetModel& sheet) {
    for (PageModel* page : sheet.pages())
      if (auto* format = dynamic_cast<CAsciiFormatPage*>(page)) {
        applyColumns(port, *format, s.columns);
        format->setRotate(s.rotation.has_value());
      }
    return true;
  });
  port.setFallbackDialog([&](DialogModel& m) { return answerRotation(m, s.rotation, port); });
  const CommandResult exported = doc.onExportComposites();
  const int written = exported ? exported.count : -1;
  if (written < 0) throw StepFailed{"could not write " + s.file.string()};
  return written;
}

void runExportEnvelopes(const ExportEnvelopesStep& s, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port) {
  EnvelopeSet& envelopes = objects.envelopes;
  if (s.envelopes) {
    for (auto& e : envelopes.envelopes) e.exportEnvelope = 0;
    for (const auto& name : *s.envelopes)
      envelopes.envelopes[static_cast<std::size_t>(envelopeIndex(envelopes, name))].exportEnvelope = 1;
  }
  port.queueFile(s.file.string());
  port.setFallbackSheet([&](SheetModel& sheet) {
    for (PageModel* page : sheet.pages())
      if (auto* format = dynamic_cast<CAsciiFormatPage*>(page)) applyColumns(port, *format, s.columns);
    return true;
  });
  if (!doc.onExportEnvelopes()) throw StepFailed{"could not write " + s.file.string()};
}

void runImportFigures(const ImportFiguresStep& s, CWQuarlexDoc& doc, CliPort& port) {
  port.queueFile(s.file.string());
  port.setFallbackSheet(importSheet(s));
  port.setFallbackDialog([&](DialogModel& m) { return answerRotation(m, s.rotation, port); });
  if (!doc.onImportFigures()) throw StepFailed{"no figures were added from " + s.file.string()};
}

void runRecalculateFigures(CWQuarlexDoc& doc, CliPort& port) {
  port.setQuestionPolicy([](std::string_view, MessageButtons) { return MessageAnswer::Ok; });
  if (!doc.onRecalculateFigures()) throw StepFailed{"the figures were not recalculated"};
}

void runReport(const ReportStep& s, CWQuarlexDoc& doc, CliPort& port) {
  port.queueFile(s.file.string());
  if (!(s.figures ? doc.onReportFigures() : doc.onReportPolygons()))
    throw StepFailed{"could not write " + s.file.string()};
}

void runExportResults(const ExportResultsStep& s, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port) {
  int single = -1;
  if (s.figure) {
    single = objects.figures.findByName(*s.figure);
    if (single < 0) throw StepFailed{"no figure is named \"" + *s.figure + "\""};
  }
  port.queueFile(s.file.string());
  port.setFallbackSheet([&](SheetModel& sheet) {
    for (PageModel* page : sheet.pages()) {
      if (auto* format = dynamic_cast<CAsciiFormatPage*>(page)) {
        applyColumns(port, *format, s.columns);
        format->setRotate(s.rotation.has_value());
      }
      if (auto* select = dynamic_cast<CPropPageSelectFigures*>(page)) {
        if (single >= 0) {
          select->setChoice(CPropPageSelectFigures::kSingle);
          select->setSingleFigure(single);
        } else {
          select->setChoice(CPropPageSelectFigures::kAll);
        }
      }
    }
    return true;
  });
  port.setFallbackDialog([&](DialogModel& m) { return answerRotation(m, s.rotation, port); });
  if (!(s.figures ? doc.onExportFigures() : doc.onExportPolygons()))
    throw StepFailed{"could not write " + s.file.string()};
}

void runColourTable(const ColourTableStep& s, ProjectObjects& objects, CliPort& port) {
  CColorTable& colours = objects.colorTable;
  if (s.name) colours.tableNames[static_cast<std::size_t>(s.table)] = *s.name;
  if (s.bins) {
    for (int b = 0; b < CColorTable::kBinsPerTable; ++b)
      colours.bin(s.table, b) =
          b < static_cast<int>(s.bins->size()) ? (*s.bins)[static_cast<std::size_t>(b)] : ColorBin{};
  }
  if (s.expand) {
    // As a person would on the page: bin 0 of the table, its variable and
    // range, then "Expand".
    const auto names = objects.settings.variableNames();
    const auto it = std::find(names.begin(), names.end(), s.expand->variable);
    if (it == names.end()) throw StepFailed{"expand: no variable is named \"" + s.expand->variable + "\""};
    COptionsSearchTable page(colours, names);
    while (page.shownTable() != s.table) page.nextTable();
    page.selectBin(0);
    page.chooseVariable(port, static_cast<int>(it - names.begin()));
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", s.expand->low);
    page.setMinimumText(text);
    std::snprintf(text, sizeof text, "%.17g", s.expand->high);
    page.setMaximumText(text);
    page.leaveMinimum(port);
    page.expand();
    page.apply();
  }
  if (s.current) colours.currentTable = s.table;
}

void runCalculation(const CalculationStep& s, ProjectObjects& objects) {
  QuarlexSettings& settings = objects.settings;
  if (s.sides) settings.sidesPerPolygon = *s.sides;
  if (s.radius) settings.defaultPolygonSize = *s.radius;
  if (s.angle) settings.firstVertexAngle = *s.angle;
  if (s.dilution) settings.useDilution = *s.dilution ? 1 : 0;
  if (s.overwrite) settings.overwriteExistingPolygons = *s.overwrite ? 1 : 0;
  EnvelopeSet& envelopes = objects.envelopes;
  for (const auto& u : s.envelopes) {
    Envelope& e = envelopes.envelopes[static_cast<std::size_t>(envelopeIndex(envelopes, u.name))];
    if (u.clip) e.clipPolygons = *u.clip ? 1 : 0;
    if (u.useComposites) e.useComposites = *u.useComposites ? 1 : 0;
  }
  if (s.order) {
    // The envelopes named first, in the job's order; the others after them.
    std::vector<Envelope> ordered;
    std::vector<bool> taken(envelopes.envelopes.size(), false);
    for (const auto& u : s.envelopes) {
      const auto i = static_cast<std::size_t>(envelopeIndex(envelopes, u.name));
      if (taken[i]) continue;
      taken[i] = true;
      ordered.push_back(envelopes.envelopes[i]);
    }
    for (std::size_t i = 0; i < envelopes.envelopes.size(); ++i)
      if (!taken[i]) ordered.push_back(envelopes.envelopes[i]);
    envelopes.envelopes = std::move(ordered);
  }
  if (envelopes.count() == 0) objects.composites.useOutside = 1;
  if (s.outside) objects.composites.useOutside = *s.outside ? 1 : 0;
  for (const auto& c : s.variables) {
    VariableInfo& v = settings.loaded[static_cast<std::size_t>(variableNumber(settings, c.variable))];
    if (c.minCutoff) v.minCutoff = *c.minCutoff;
    if (c.maxCutoff) v.maxCutoff = *c.maxCutoff;
    if (c.defaultValue) v.defaultValue = *c.defaultValue;
    if (c.missingValue) v.missingValue = *c.missingValue;
  }
  settings.buildDefaultPolygon();
}

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

int findProfile(const MapOutputData& data, const std::string& name) {
  for (int i = 0; i < data.count(); ++i)
    if (data.profiles[static_cast<std::size_t>(i)].name == name) return i;
  throw StepFailed{"no map profile is named \"" + name + "\""};
}

// The profile through the Map Profiles dialog's list edits and the sheet's pages.
void runMapProfile(const MapProfileStep& s, ProjectObjects& objects, CliPort& port) {
  MapOutputData& data = objects.mapOutput;
  int at = -1;
  if (s.copyOf) {
    data.copy(findProfile(data, *s.copyOf), s.name);
    at = data.count() - 1;
  } else if (s.renameTo) {
    at = findProfile(data, s.name);
    data.rename(at, *s.renameTo);
  } else {
    MapProfileDef p;
    p.name = s.name;
    data.add(p);
    at = data.count() - 1;
  }
  MapProfileContext context;
  context.variableNames = objects.settings.variableNames();
  for (const auto& e : objects.envelopes.envelopes) context.envelopeNames.push_back(e.name);
  for (const auto& n : objects.colorTable.tableNames) context.colourTableNames.push_back(n);
  CMapProfileSheet sheet(data.profiles[static_cast<std::size_t>(at)], context);
  MapProfileDef& p = sheet.profile;
  const auto flag = [](std::int32_t& v, const std::optional<bool>& b) {
    if (b) v = *b ? 1 : 0;
  };
  if (s.scale) p.mapScale = *s.scale;
  if (s.characterHeight) p.characterHeight = *s.characterHeight;
  if (s.units) p.unitSystem = *s.units;
  flag(p.plotComposites, s.composites);
  flag(p.plotPolygons, s.polygons);
  flag(p.plotFigures, s.figures);
  flag(p.plotEnvelopes, s.envelopes);
  flag(p.plotLegend, s.legend);
  flag(p.plotFrame, s.frame);
  flag(p.plotNorthArrow, s.northArrow);
  flag(p.plotScaleRuler, s.scaleRuler);
  if (s.bearing) p.northArrowBearing = *s.bearing;
  if (s.frameStyle) {
    if (*s.frameStyle < 0 || *s.frameStyle > 2) throw StepFailed{"frame_style: 0, 1 or 2"};
    p.frameStyle = *s.frameStyle;
  }
  if (s.title) p.mainTitle = *s.title;
  if (s.subTitles)
    for (std::size_t i = 0; i < s.subTitles->size(); ++i) p.subTitles[i] = (*s.subTitles)[i];
  if (s.drawingNumber) p.drawingNumber = *s.drawingNumber;
  if (s.boxMin) {
    p.extentMode = 1;
    p.boxMin = *s.boxMin;
    p.boxMax = *s.boxMax;
  }
  if (s.limitComposites) {
    p.doNotLimitComposites = *s.limitComposites ? 0 : 1;
    for (auto& f : p.envelopeFlags) f.plotComposites = 1;
  }
  if (s.textSize) p.compositeTextSize = *s.textSize;
  for (std::size_t i = 0; i < 3; ++i)
    if (s.graduations[i]) p.graduations[i] = *s.graduations[i];
  if (s.compositeLabels) {
    for (auto& l : p.compositeLabels) l.plot = 0;
    for (const auto& name : *s.compositeLabels) {
      auto it = std::find_if(p.compositeLabels.begin(), p.compositeLabels.end(),
                             [&](const auto& l) { return l.name == name; });
      if (it == p.compositeLabels.end()) throw StepFailed{"composite_labels: no field \"" + name + "\""};
      it->plot = 1;
    }
  }
  for (PageModel* page : sheet.pages())
    if (!page->onKillActive(port))
      throw StepFailed{page->title() + ": " +
                       (port.messages().empty() ? std::string("refused") : port.messages().back())};
  data.profiles[static_cast<std::size_t>(at)] = sheet.profile;
}

int runGenerateMaps(const GenerateMapsStep& s, ProjectObjects& objects, CliPort& port) {
  MapOutputData& data = objects.mapOutput;
  CDialogPlotMaps dialog(data, objects.sections);
  dialog.selected.clear();
  for (const auto& name : s.sections) {
    const auto it = std::find(dialog.sections.begin(), dialog.sections.end(), name);
    if (it == dialog.sections.end()) throw StepFailed{"no section \"" + name + "\" can be plotted"};
    dialog.selected.push_back(static_cast<int>(it - dialog.sections.begin()));
  }
  dialog.profile = findProfile(data, s.profile);
  dialog.directory = s.folder.string();
  dialog.outputKind = s.kind;
  dialog.worldCoordinates = s.worldCoordinates;
  dialog.onOk(port);
  const PlotProject project{objects.settings,  objects.composites, objects.colorTable, objects.sections,
                            objects.envelopes, objects.figures,    objects.polygons};
  const int written = generateMaps(data, project, port);
  if (written != static_cast<int>(s.sections.size())) throw StepFailed{"some plot files were not written"};
  return written;
}

const char* stepName(const Step& step) {
  static constexpr const char* kNames[] = {
      "import_composites", "import_envelopes",    "import_surface", "export_composites",
      "export_envelopes",  "colour_table",        "calculation",    "generate",
      "import_figures",    "recalculate_figures", "report",         "export",
      "map_profile",       "generate_maps",       "properties",     "display",
      "edit_variables",    "grade_tonnage",       "declustering",   "create_figure",
      "create_envelope",   "export_gis"};
  if (const auto* r = std::get_if<ReportStep>(&step)) return r->figures ? "report_figures" : "report_polygons";
  if (const auto* e = std::get_if<ExportResultsStep>(&step)) return e->figures ? "export_figures" : "export_polygons";
  return kNames[step.index()];
}

}  // namespace

std::optional<ColorRef> parseColour(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  unsigned v[3];
  for (int i = 0; i < 3; ++i) {
    unsigned x = 0;
    for (int k = 0; k < 2; ++k) {
      const char c = text[static_cast<std::size_t>(1 + 2 * i + k)];
      const int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (d < 0) return std::nullopt;
      x = x * 16 + static_cast<unsigned>(d);
    }
    v[i] = x;
  }
  return makeRgb(v[0], v[1], v[2]);
}

std::vector<Step> parseSteps(const json& steps, const std::string& path, const std::filesystem::path& baseDir) {
  if (!steps.is_array()) throw JobError(path, "expected a list of steps");
  std::vector<Step> out;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const std::string at = path + "[" + std::to_string(i) + "]";
    const json& s = steps[i];
    if (!s.is_object() || s.size() != 1)
      throw JobError(at, "expected an object with one key naming the step, such as {\"generate\": {}}");
    const std::string kind = s.begin().key();
    out.push_back(parseStep(kind, JobObject(s.begin().value(), at + "." + kind), baseDir));
  }
  return out;
}

bool runStep(const Step& step, int index, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port, std::ostream& out,
             std::ostream& err) {
  PortScope scope{port};
  const std::string label = "steps[" + std::to_string(index) + "] (" + stepName(step) + ")";
  try {
    std::visit(
        [&](const auto& s) {
          using T = std::decay_t<decltype(s)>;
          if constexpr (std::is_same_v<T, ImportCompositesStep>) {
            runImportComposites(s, doc, port);
            out << "Composites: " << objects.composites.count() << " after reading " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ImportEnvelopesStep>) {
            runImportEnvelopes(s, doc, objects, port);
            out << "Envelopes: " << objects.envelopes.count() << " after reading " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ImportSurfaceStep>) {
            runImportSurface(s, doc, port);
            out << "Surfaces: " << objects.surfaces.count() << " after reading " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ExportCompositesStep>) {
            const int n = runExportComposites(s, doc, objects, port);
            out << "Exported " << n << " composites to " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ExportEnvelopesStep>) {
            runExportEnvelopes(s, doc, objects, port);
            out << "Exported envelopes to " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ColourTableStep>) {
            runColourTable(s, objects, port);
          } else if constexpr (std::is_same_v<T, CalculationStep>) {
            runCalculation(s, objects);
          } else if constexpr (std::is_same_v<T, EditVariablesStep>) {
            if (auto failure = runEditVariables(s, doc, port); !failure.empty()) throw StepFailed{failure};
            out << "Variables: " << objects.settings.loadedCount() << " loaded, " << objects.settings.calculatedCount()
                << " calculated\n";
          } else if constexpr (std::is_same_v<T, ImportFiguresStep>) {
            runImportFigures(s, doc, port);
            out << "Figures: " << objects.figures.count() << " after reading " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, RecalculateFiguresStep>) {
            runRecalculateFigures(doc, port);
            double ore = 0.0, waste = 0.0;
            for (const auto& f : objects.figures.figures) {
              ore += f.oreTonnage;
              waste += f.wasteTonnage;
            }
            out << "Figures recalculated: " << objects.figures.count() << ", ore tonnage " << fixed(ore, 2)
                << ", waste tonnage " << fixed(waste, 2) << '\n';
          } else if constexpr (std::is_same_v<T, ReportStep>) {
            runReport(s, doc, port);
            out << (s.figures ? "Figure" : "Polygon") << " report: " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, ExportResultsStep>) {
            runExportResults(s, doc, objects, port);
            out << "Exported " << (s.figures ? "figures" : "polygons") << " to " << s.file.string() << '\n';
          } else if constexpr (std::is_same_v<T, MapProfileStep>) {
            runMapProfile(s, objects, port);
            out << "Map profiles: " << objects.mapOutput.count() << '\n';
          } else if constexpr (std::is_same_v<T, GenerateMapsStep>) {
            const int n = runGenerateMaps(s, objects, port);
            out << "Plotted " << n << " sections into " << s.folder.string() << '\n';
          } else if constexpr (std::is_same_v<T, PropertiesStep>) {
            runPropertiesStep(s, doc, port, out);
          } else if constexpr (std::is_same_v<T, DisplayStep>) {
            runDisplayStep(s, doc, port);
          } else if constexpr (std::is_same_v<T, GradeTonnageStep>) {
            runGradeTonnage(s, objects, out);
          } else if constexpr (std::is_same_v<T, DeclusteringStep>) {
            runDeclustering(s, objects, out);
          } else if constexpr (std::is_same_v<T, CreateFigureStep>) {
            runCreateFigure(s, doc, port, out);
          } else if constexpr (std::is_same_v<T, CreateEnvelopeStep>) {
            runCreateEnvelope(s, doc, port, out);
          } else if constexpr (std::is_same_v<T, ExportGisStep>) {
            runExportGis(s, objects, out);
          } else if constexpr (std::is_same_v<T, GenerateStep>) {
            if (!doc.onGeneratePolygons()) throw StepFailed{"the polygons were not generated"};
            const auto t = objects.polygons.totals();
            out << "Polygons: " << t.count << ", area " << fixed(t.area, 2) << ", volume " << fixed(t.volume, 2)
                << ", tonnage " << fixed(t.tonnage, 2) << '\n';
          }
        },
        step);
  } catch (const StepFailed& f) {
    err << "quarlex: " << label << ": " << f.message << '\n';
    return false;
  } catch (const PageRefused& e) {
    err << "quarlex: " << label << ": " << e.what() << '\n';
    return false;
  }
  return true;
}

}  // namespace qx::cli
