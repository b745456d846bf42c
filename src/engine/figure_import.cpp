// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
#include "io/columns.h"
#include "io/file.h"
#include "io/line_reader.h"
//
#include "engine/figure_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "datasets/envelope_import.h"
#include "datasets/outline_reader.h"
#include "engine/figure_calculation.h"
#include "engine/figure_dialogs.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "variables/variable_rules.h"

namespace qx {

namespace {

// The figure columns by name, in the order the set lists them.
constexpr const char* kNameField = "Name";
constexpr const char* kXField = "X Coordinate";
constexpr const char* kYField = "Y Coordinate";
constexpr const char* kZField = "Z Coordinate";
constexpr const char* kAreaField = "Surface Area";
constexpr const char* kThicknessField = "Thickness";
constexpr const char* kVolumeField = "Volume";
constexpr const char* kOreTonnageField = "Ore Tonnage";
constexpr const char* kWasteTonnageField = "Waste Tonnage";
constexpr const char* kCoverageField = "Coverage (% Ore)";

// A header value: -1 when the file does not carry the column.
double headerValue(std::string_view line, const FigureFileField& f) {
  return f.width > 0 ? numberAt(line, f.position, f.width) : -1.0;
}

FigureFileLayout layoutOf(const FigureSet& set, const QuarlexSettings& settings, bool is3D) {
  FigureFileLayout l;
  auto take = [&](const char* name, FigureFileField& field) {
    const auto it =
        std::find_if(set.columns.begin(), set.columns.end(), [&](const ColumnField& c) { return c.name == name; });
    field = it != set.columns.end() ? FigureFileField{it->position, it->length} : FigureFileField{};
  };
  take(kNameField, l.name);
  take(kXField, l.x);
  take(kYField, l.y);
  take(kZField, l.z);
  take(kAreaField, l.area);
  take(kThicknessField, l.thickness);
  take(kVolumeField, l.volume);
  take(kOreTonnageField, l.oreTonnage);
  take(kWasteTonnageField, l.wasteTonnage);
  take(kCoverageField, l.coverage);
  if (!is3D) l.z = {};
  for (const auto& v : settings.loaded) l.variables.push_back({v.figurePosition, v.figureWidth});
  return l;
}

}  // namespace

std::string duplicateFigureMessage(std::string_view name) {
  return "File error.  Figure " + std::string(name) + " is duplicated.\nAborting figure load";
}

std::string fewPointsMessage(int count) {
  return "There were " + std::to_string(count) +
         " m_aFigures with less than 3 distinct contour points.\nThese figures have not been loaded.";
}

std::string figuresLoadedText(long count) { return std::to_string(count) + " Figures Loaded"; }

std::vector<FigureFileRecord> parseFigureFile(ByteSource& source, const FigureFileLayout& layout, NumberFault* fault,
                                              TextFault* text, DelimitedReport* report) {
  std::vector<FigureFileRecord> out;
  // The checks of a new record's header values and of each point, the same
  // for both kinds of file.
  const auto header = [&](FigureFileRecord rec, long line) {
    if (fault != nullptr) {
      const double values[] = {rec.area, rec.thickness, rec.volume, rec.oreTonnage, rec.wasteTonnage, rec.oreFraction};
      for (const double v : values)
        if (!valueInRange(v)) fault->note(line, formatGeneral(v));
      for (const double v : rec.values)
        if (!valueInRange(v)) fault->note(line, formatGeneral(v));
    }
    out.push_back(std::move(rec));
  };
  const auto point = [&](const DPoint3D& p, long line) {
    if (fault != nullptr)
      if (std::string what = unusableCoordinate(p); !what.empty()) fault->note(line, std::move(what));
    out.back().points.push_back(p);
  };
  TextFault found;
  bool nothing = false;  // a delimited file of which no line could be read
  if (layout.delimited) {
    // A header value in a column the file does not carry is -1, as in a fixed-column file.
    const auto value = [&](const DelimitedReader& r, std::size_t i) {
      const bool given =
          i < layout.columns.size() && (!layout.columns[i].header.empty() || layout.columns[i].number > 0);
      return given ? r.number(i) : -1.0;
    };
    std::vector<DelimitedColumn> columns = layout.columns;
    columns.resize(std::max<std::size_t>(columns.size(), 10));
    const DelimitedReport read = readDelimitedOutline(
        source, *layout.delimited, columns,
        [&](const DelimitedReader& r) {
          FigureFileRecord rec;
          rec.name = trimBlanks(r.text(0));
          double* fields[] = {&rec.area,       &rec.thickness,    &rec.volume,
                              &rec.oreTonnage, &rec.wasteTonnage, &rec.oreFraction};
          for (std::size_t k = 0; k < 6; ++k) *fields[k] = value(r, 4 + k);
          for (std::size_t k = 10; k < columns.size(); ++k) rec.values.push_back(value(r, k));
          header(std::move(rec), r.line());
        },
        point, found);
    if (report != nullptr) *report = read;
    nothing = !read.fatal.empty();
  } else {
    LineReader reader(source);
    while (reader.readLine()) {
      if (reader.nulLine() > 0) break;  // not a text file: read no further
      const std::string_view line = reader.line();
      const char type = characterAt(line, 1);
      const auto lineNumber = static_cast<long>(reader.lineCount());
      if (type == '1') {
        FigureFileRecord rec;
        if (layout.name.width > 0) rec.name = trimBlanks(textAt(line, layout.name.position, layout.name.width));
        rec.area = headerValue(line, layout.area);
        rec.thickness = headerValue(line, layout.thickness);
        rec.volume = headerValue(line, layout.volume);
        rec.oreTonnage = headerValue(line, layout.oreTonnage);
        rec.wasteTonnage = headerValue(line, layout.wasteTonnage);
        rec.oreFraction = headerValue(line, layout.coverage);
        rec.values.reserve(layout.variables.size());
        for (const auto& v : layout.variables) rec.values.push_back(headerValue(line, v));
        header(std::move(rec), lineNumber);
      } else if (type == '2' && !out.empty()) {
        DPoint3D p;
        p.x = numberAt(line, layout.x.position, layout.x.width);
        p.y = numberAt(line, layout.y.position, layout.y.width);
        p.z = layout.z.width > 0 ? numberAt(line, layout.z.position, layout.z.width) : 0.0;
        point(p, lineNumber);
      }
    }
    found = textFault(reader);
  }
  if (found || nothing) {
    if (text != nullptr) *text = found;
    return {};
  }
  return out;
}

FigureAddResult addFigureRecords(FigureSet& set, const std::vector<FigureFileRecord>& records,
                                 const QuarlexSettings& settings, const std::function<void(long)>& onFigure) {
  FigureAddResult result;
  const std::size_t before = set.figures.size();

  // First pass: the names. A name already in the set, or earlier in the file,
  // stops the load; the figures appended so far go again.
  for (const auto& rec : records) {
    if (set.findByName(rec.name) >= 0) {
      set.figures.resize(before);
      result.duplicate = true;
      result.duplicateName = rec.name;
      return result;
    }
    Figure f;
    f.name = rec.name;
    set.figures.push_back(std::move(f));
  }

  // Second pass: the header values and the points.
  CParamsRotation& rotation = set.importRotation;
  const bool rotate = rotation.isActive();
  long loaded = 0;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const FigureFileRecord& rec = records[k];
    Figure& f = set.figures[before + k];
    f.area = rec.area;
    f.thickness = rec.thickness;
    f.volume = rec.volume;
    f.oreTonnage = rec.oreTonnage;
    f.wasteTonnage = rec.wasteTonnage;
    f.oreFraction = rec.oreFraction;
    f.loadedValues = rec.values;
    f.outline.reserve(rec.points.size());
    for (const auto& p : rec.points) {
      DPoint3D q = p;
      if (rotate) rotation.rotate(p.x, p.y, p.z, q);
      f.outline.push_back(q);
      widenBox(f.minCorner, f.maxCorner, q);
    }
    ++loaded;
    if (onFigure) onFigure(loaded);
  }

  // Repeated vertices, from the last new figure to the first; two points or
  // fewer do not make a figure.
  for (std::size_t k = set.figures.size(); k-- > before;) {
    Figure& f = set.figures[k];
    f.removeRepeatedVertices(settings.defaultPolygonSize);
    if (f.outline.size() <= 2) {
      set.figures.erase(set.figures.begin() + static_cast<std::ptrdiff_t>(k));
      ++result.rejected;
    }
  }

  const int loadedCount = settings.loadedCount();
  const int thicknessVariable = settings.findThicknessVariable();
  for (std::size_t k = before; k < set.figures.size(); ++k) {
    Figure& f = set.figures[k];
    f.pointCount = static_cast<std::int32_t>(f.outline.size());
    f.recomputeBoundingBox();
    if (f.area == -1.0) f.computeArea();
    if (f.thickness == -1.0)
      f.thickness =
          thicknessVariable >= 0 ? figureVariableValue(f, thicknessVariable, loadedCount) : settings.fixedThickness;
  }
  result.added = static_cast<int>(set.figures.size() - before);
  return result;
}

FigureLoadOutcome loadFigures(UiPort& port, FigureSet& set, QuarlexSettings& settings,
                              const FigureRotationEditor& editRotation) {
  FigureLoadOutcome outcome;
  const bool is3D = settings.projectType == kProject3D;

  // 1. The file, and the preview of its first lines.
  FileDialogSpec spec;
  spec.title = kOpenFigureTitle;
  spec.filter = kFigureFilter;
  spec.initialPath = settings.lastFigureFile;
  const auto path = port.chooseFile(spec);
  if (!path) return outcome;
  settings.lastFigureFile = *path;
  std::vector<std::string> preview;
  {
    CFile file = openForReading(*path);
    if (!file) return outcome;
    FileSource source(file.get());
    preview = readPreviewLines(source);
  }

  // The wizard: the figure columns, then one per loaded variable.
  CFileLoadPropertySheet sheet(kLoadFiguresTitle);
  ColumnDescription& description = sheet.first();
  for (const auto& c : set.columns) {
    if (!is3D && c.name == kZField) continue;
    description.add(c.name, c.position, c.length);
  }
  for (const auto& v : settings.loaded) description.add(v.name, v.figurePosition, v.figureWidth);
  sheet.firstPage().setPreviewLines(preview);
  sheet.firstPage().recall(settings.figureFormat);
  sheet.firstPage().setRotationAllowed(true);
  if (!port.runSheet(sheet)) return outcome;
  settings.figureFormat = sheet.firstPage().choice();
  if (description.rotate) {
    CParamsRotation edited = set.importRotation;
    const bool ok = editRotation ? editRotation(port, edited) : runRotationDialog(port, edited);
    if (!ok) return outcome;
    set.importRotation = edited;
  }
  // The choices go back: the figure columns by name, the variables by their
  // place behind them (a variable may bear a figure column's name). A
  // delimited file's column names and numbers are not fixed columns: they
  // make the layout and the set keeps its own.
  FigureFileLayout layout = layoutOf(set, settings, is3D);
  if (description.delimited) {
    layout.delimited = description.delimited;
    std::vector<std::string> names{kNameField,         kXField,         kYField,      is3D ? kZField : "",
                                   kAreaField,         kThicknessField, kVolumeField, kOreTonnageField,
                                   kWasteTonnageField, kCoverageField};
    layout.columns = delimitedColumns(description, names);
    const std::size_t figureColumns = description.fields.size() - settings.loaded.size();
    for (std::size_t j = figureColumns; j < description.fields.size(); ++j) {
      const ColumnField& f = description.fields[j];
      layout.columns.push_back({f.name, f.header, f.position, true});
    }
  }
  for (auto& c : set.columns) {
    if (description.delimited) break;
    if (!is3D && c.name == kZField) continue;
    if (const auto* chosen = description.field(c.name)) {
      c.position = chosen->position;
      c.length = chosen->length;
    }
  }
  const std::size_t figureColumns = description.fields.size() - settings.loaded.size();
  for (std::size_t j = 0; j < settings.loaded.size() && !description.delimited; ++j) {
    const ColumnField& chosen = description.fields[figureColumns + j];
    settings.loaded[j].figurePosition = chosen.position;
    settings.loaded[j].figureWidth = chosen.length;
  }

  std::vector<FigureFileRecord> records;
  NumberFault fault;
  TextFault text;
  DelimitedReport report;
  {
    CFile file = openForReading(*path);
    if (!file) return outcome;
    FileSource source(file.get());
    if (!layout.delimited) layout = layoutOf(set, settings, is3D);
    records = parseFigureFile(source, layout, &fault, &text, &report);
  }
  if (text || fault) {
    port.message(text ? textFaultMessage(*path, text) : numberFaultMessage(*path, fault), MessageButtons::Ok,
                 MessageIcon::Error);
    return outcome;
  }
  if (!reportDelimitedRead(port, *path, report)) return outcome;

  // 2-6. The two passes, with the progress window.
  FigureAddResult added;
  {
    auto progress = port.openProgress(ProgressKind::Text);
    progress->setTitle(kLoadingFiguresTitle);
    added = addFigureRecords(set, records, settings, [&](long n) { progress->setText(figuresLoadedText(n)); });
  }
  if (added.duplicate) {
    port.message(duplicateFigureMessage(added.duplicateName), MessageButtons::Ok, MessageIcon::Error);
    outcome.result = FigureLoadResult::Duplicate;
    return outcome;
  }
  if (added.rejected > 0) port.message(fewPointsMessage(added.rejected), MessageButtons::Ok, MessageIcon::Warning);
  set.recomputeBoundingBox();
  outcome.added = added.added;
  outcome.rejected = added.rejected;
  outcome.result = added.added > 0 ? FigureLoadResult::Loaded : FigureLoadResult::Empty;
  return outcome;
}

DPoint3D outlineNormal(const std::vector<DPoint3D>& outline) {
  if (outline.empty()) return {};
  double nx = 0.0, ny = 0.0, nz = 0.0;
  const DPoint3D o = outline.front();
  const std::size_t n = outline.size();
  for (std::size_t i = 0; i < n; ++i) {
    const DPoint3D a = outline[i] - o;
    const DPoint3D b = outline[(i + 1) % n] - o;
    nx += a.y * b.z - a.z * b.y;
    ny += a.z * b.x - a.x * b.z;
    nz += a.x * b.y - a.y * b.x;
  }
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (len == 0.0) return {};
  return {nx / len, ny / len, nz / len};
}

int createFigureFromLine(UiPort& port, FigureSet& set, std::vector<DPoint3D> points, const DPoint3D& viewDirection,
                         const CPolygonSet& polygons, const CompositeSet& composites, const QuarlexSettings& settings) {
  CFigurePropertiesDialog dialog(&set);
  if (!port.runDialog(dialog)) return -1;

  if (points.size() > 1 && points.back() == points.front()) points.pop_back();
  const DPoint3D n = outlineNormal(points);
  if (n.x * viewDirection.x + n.y * viewDirection.y + n.z * viewDirection.z > 0.0)
    std::reverse(points.begin(), points.end());

  Figure f;
  f.name = dialog.name();
  f.outline = std::move(points);
  f.pointCount = static_cast<std::int32_t>(f.outline.size());
  f.recomputeBoundingBox();
  set.figures.push_back(std::move(f));
  const int index = set.count() - 1;
  if (polygons.count() == 0) port.message(kNoPolygonsForNewFigure, MessageButtons::Ok, MessageIcon::Warning);
  calculateFigure(set, index, FigureCalculationInputs{polygons, composites, settings});
  set.recomputeBoundingBox();
  return index;
}

}  // namespace qx
