#include "engine/result_export.h"
#include "io/file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

#include "datasets/composites.h"
#include "datasets/outline_reader.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "sections/rotation_dialog.h"
#include "variables/formula_evaluator.h"

namespace qx {

namespace {

constexpr std::int32_t kDefaultDecimals = 2;

// "%*.*lf" in the C locale, before the cut to the column's width.
std::string formatNumber(double value, int width, int decimals) {
  decimals = std::clamp(decimals, 0, 40);
  char digits[400];
  const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  std::string text(digits, r.ec == std::errc() ? r.ptr : digits);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

// Copies the first `column.length` characters of `text` into the line at the
// column's position; `end` follows the right-most column written.
void place(std::string& line, std::size_t& end, const ColumnField& column, std::string_view text) {
  if (column.position <= 0 || column.length <= 0) return;
  const auto first = static_cast<std::size_t>(column.position) - 1;
  const auto width = static_cast<std::size_t>(column.length);
  if (line.size() < first + width) line.resize(first + width, ' ');
  const std::size_t n = std::min(width, text.size());
  line.replace(first, n, text.substr(0, n));
  end = std::max(end, first + width);
}

ColumnField columnOf(const std::vector<ColumnField>& columns, std::string_view name) {
  for (const auto& c : columns)
    if (c.name == name) return c;
  return {std::string(name), 0, 0, kDefaultDecimals};
}

void setColumn(std::vector<ColumnField>& columns, const ColumnField& chosen) {
  for (auto& c : columns)
    if (c.name == chosen.name) {
      c.position = chosen.position;
      c.length = chosen.length;
      c.decimals = chosen.decimals;
      return;
    }
  columns.push_back(chosen);
}

bool is3D(const QuarlexSettings& settings) { return settings.projectType == kProject3D; }

// The fixed names of one export, in page order.
std::vector<std::string_view> fixedNames(std::span<const std::string_view> valueColumns, bool withZ) {
  std::vector<std::string_view> names{kColumnName, kColumnX, kColumnY};
  if (withZ) names.push_back(kColumnZ);
  names.insert(names.end(), valueColumns.begin(), valueColumns.end());
  return names;
}

enum class VariableFile { Polygon, Figure };

ColumnField variableColumn(const VariableInfo& v, VariableFile file) {
  if (file == VariableFile::Polygon) return {v.name, v.polygonPosition, v.polygonWidth, v.polygonDecimals};
  return {v.name, v.figurePosition, v.figureWidth, v.figureDecimals};
}

void setVariableColumn(VariableInfo& v, const ColumnField& f, VariableFile file) {
  if (file == VariableFile::Polygon) {
    v.polygonPosition = f.position;
    v.polygonWidth = f.length;
    v.polygonDecimals = f.decimals;
  } else {
    v.figurePosition = f.position;
    v.figureWidth = f.length;
    v.figureDecimals = f.decimals;
  }
}

ColumnDescription describe(const std::vector<ColumnField>& setColumns, std::span<const std::string_view> valueColumns,
                           const QuarlexSettings& settings, VariableFile file) {
  ColumnDescription d;
  for (std::string_view name : fixedNames(valueColumns, is3D(settings))) d.fields.push_back(columnOf(setColumns, name));
  for (int n = 0; n < settings.variableCount(); ++n) d.fields.push_back(variableColumn(settings.variable(n), file));
  return d;
}

void apply(const ColumnDescription& d, std::vector<ColumnField>& setColumns,
           std::span<const std::string_view> valueColumns, QuarlexSettings& settings, VariableFile file) {
  const auto names = fixedNames(valueColumns, is3D(settings));
  std::size_t k = 0;
  for (std::string_view name : names) {
    if (k >= d.fields.size()) return;
    ColumnField f = d.fields[k++];
    f.name = std::string(name);
    setColumn(setColumns, f);
  }
  for (int n = 0; n < settings.variableCount() && k < d.fields.size(); ++n)
    setVariableColumn(settings.variable(n), d.fields[k++], file);
}

// The columns a header line writes after the name, and those a vertex line
// writes, as the stored description gives them.
struct ExportColumns {
  ColumnField name;
  std::vector<ColumnField> values;              // the set's value columns, then the variables
  std::vector<OutlineOutputField> coordinates;  // X, Y and, in 3D, Z
};

ExportColumns exportColumns(const ColumnDescription& d, bool withZ) {
  ExportColumns out;
  const std::size_t coordinateCount = withZ ? 3 : 2;
  out.name = d.fields.at(0);
  for (std::size_t i = 1; i <= coordinateCount; ++i) {
    const ColumnField& f = d.fields.at(i);
    out.coordinates.push_back({f.position, f.length, f.decimals});
  }
  out.values.assign(d.fields.begin() + static_cast<std::ptrdiff_t>(1 + coordinateCount), d.fields.end());
  return out;
}

void appendVertexLines(std::string& out, const std::vector<DPoint3D>& points, std::size_t count,
                       const std::vector<OutlineOutputField>& coordinates, CParamsRotation* rotation) {
  std::vector<std::pair<OutlineOutputField, double>> values(coordinates.size());
  for (std::size_t i = 0; i < count; ++i) {
    DPoint3D p = points[i];
    if (rotation != nullptr) rotation->rotate(p.x, p.y, p.z, p);
    const double xyz[3] = {p.x, p.y, p.z};
    for (std::size_t k = 0; k < coordinates.size(); ++k) values[k] = {coordinates[k], xyz[k]};
    out += outlinePointLine(values);
  }
}

ResultExportOutcome writeFile(UiPort& port, std::string_view filter, const std::function<std::string()>& makeText) {
  FileDialogSpec spec;
  spec.save = true;
  spec.title = std::string(kSaveResultDatafileTitle);
  spec.defaultExtension = std::string(kResultDatafileExtension);
  spec.filter = std::string(filter);
  const auto path = port.chooseFile(spec);
  if (!path) return ResultExportOutcome::ColumnsKept;
  CFile file = openForWriting(*path);
  if (!file) return ResultExportOutcome::FileError;
  return writeAndClose(file, makeText()) ? ResultExportOutcome::Written : ResultExportOutcome::FileError;
}

bool editExportRotation(UiPort& port, CParamsRotation& rotation) {
  CDialogRotationParams dialog(rotation);
  return port.runDialog(dialog);
}

class ExportPolygonsSheet : public SheetModel {
 public:
  ExportPolygonsSheet(const CPolygonSet& set, const QuarlexSettings& settings)
      : SheetModel(std::string(kExportPolygonsTitle), true),
        description_(polygonExportDescription(set, settings)),
        format_(description_, true) {
    format_.setRotationAllowed(true);
    format_.setPlacement(0, 1);
    addPage(&format_);
  }
  const ColumnDescription& description() const { return description_; }

 private:
  ColumnDescription description_;
  CAsciiFormatPage format_;
};

class ExportFiguresSheet : public SheetModel {
 public:
  ExportFiguresSheet(const FigureSet& set, const QuarlexSettings& settings)
      : SheetModel(std::string(kExportFiguresTitle), true),
        selection_(set),
        description_(figureExportDescription(set, settings)),
        format_(description_, true) {
    format_.setRotationAllowed(true);
    format_.setPlacement(1, 2);
    addPage(&selection_);
    addPage(&format_);
  }
  const CPropPageSelectFigures& selection() const { return selection_; }
  const ColumnDescription& description() const { return description_; }

 private:
  CPropPageSelectFigures selection_;
  ColumnDescription description_;
  CAsciiFormatPage format_;
};

}  // namespace

std::string resultHeaderLine(const ColumnField& nameColumn, std::string_view name,
                             std::span<const ColumnField> valueColumns, std::span<const double> values) {
  std::string line(kResultHeaderBlanks, ' ');
  std::size_t end = 0;
  if (nameColumn.length > 0) {
    std::string text(name.substr(0, std::min(name.size(), static_cast<std::size_t>(nameColumn.length))));
    text.resize(static_cast<std::size_t>(nameColumn.length), ' ');
    place(line, end, nameColumn, text);
  }
  const std::size_t n = std::min(valueColumns.size(), values.size());
  for (std::size_t k = 0; k < n; ++k) {
    const ColumnField& c = valueColumns[k];
    if (c.length <= 0) continue;
    place(line, end, c, formatNumber(values[k], c.length, c.decimals));
  }
  line.resize(std::max<std::size_t>(end, 1));
  line[0] = '1';
  line += '\n';
  return line;
}

ColumnDescription polygonExportDescription(const CPolygonSet& set, const QuarlexSettings& settings) {
  return describe(set.columns, kPolygonValueColumns, settings, VariableFile::Polygon);
}

ColumnDescription figureExportDescription(const FigureSet& set, const QuarlexSettings& settings) {
  return describe(set.columns, kFigureValueColumns, settings, VariableFile::Figure);
}

void applyPolygonExportDescription(const ColumnDescription& description, CPolygonSet& set, QuarlexSettings& settings) {
  apply(description, set.columns, kPolygonValueColumns, settings, VariableFile::Polygon);
}

void applyFigureExportDescription(const ColumnDescription& description, FigureSet& set, QuarlexSettings& settings) {
  apply(description, set.columns, kFigureValueColumns, settings, VariableFile::Figure);
}

std::string polygonExportText(const CPolygonSet& set, const CompositeSet& composites, const QuarlexSettings& settings,
                              bool rotate) {
  const bool withZ = is3D(settings);
  const ExportColumns columns = exportColumns(polygonExportDescription(set, settings), withZ);
  CParamsRotation rotation = set.exportRotation;
  const std::size_t loaded = static_cast<std::size_t>(settings.loadedCount());
  std::vector<double> values(std::size(kPolygonValueColumns) + static_cast<std::size_t>(settings.variableCount()));
  const std::span<double> variables(values.begin() + static_cast<std::ptrdiff_t>(std::size(kPolygonValueColumns)),
                                    values.end());
  std::string out;
  for (const CPolygon& p : set.polygons) {
    const bool known = p.compositeIndex >= 0 && p.compositeIndex < static_cast<int>(composites.composites.size());
    const CComposite* c = known ? &composites.composites[static_cast<std::size_t>(p.compositeIndex)] : nullptr;
    values[0] = p.area;
    values[1] = p.thickness;
    values[2] = p.volume;
    values[3] = p.tonnage;
    std::fill(variables.begin(), variables.end(), 0.0);
    if (c != nullptr) {
      std::copy_n(c->values.begin(), std::min(loaded, c->values.size()), variables.begin());
      // The composite's calculated values (surface, volume and tonnage 1).
      evaluateCalculatedVariables(settings.calculated, variables, settings.loadedCount(), SpecialQuantities{});
    }
    out += resultHeaderLine(columns.name, c != nullptr ? std::string_view(c->name) : "", columns.values, values);
    appendVertexLines(out, p.outline, p.outline.size(), columns.coordinates, rotate ? &rotation : nullptr);
  }
  return out;
}

std::string figureExportText(const FigureSet& set, std::span<const int> figures, const QuarlexSettings& settings,
                             bool rotate) {
  const bool withZ = is3D(settings);
  const ExportColumns columns = exportColumns(figureExportDescription(set, settings), withZ);
  CParamsRotation rotation = set.exportRotation;
  const std::size_t fixed = std::size(kFigureValueColumns);
  std::vector<double> values(fixed + static_cast<std::size_t>(settings.variableCount()));
  std::string out;
  for (int index : figures) {
    if (index < 0 || index >= set.count()) continue;
    const Figure& f = set.figures[static_cast<std::size_t>(index)];
    values[0] = f.area;
    values[1] = f.thickness;
    values[2] = f.volume;
    values[3] = f.oreTonnage;
    values[4] = f.wasteTonnage;
    values[5] = f.oreFraction;
    for (int n = 0; n < settings.variableCount(); ++n)
      values[fixed + static_cast<std::size_t>(n)] = figureVariableValue(f, n, settings.loadedCount());
    out += resultHeaderLine(columns.name, f.name, columns.values, values);
    const std::size_t count = std::min(f.outline.size(), static_cast<std::size_t>(std::max(f.pointCount, 0)));
    appendVertexLines(out, f.outline, count, columns.coordinates, rotate ? &rotation : nullptr);
  }
  return out;
}

// ---- the figure selection page ----

CPropPageSelectFigures::CPropPageSelectFigures(const FigureSet& set) {
  for (const auto& f : set.figures) names_.push_back(f.name);
  group_.assign(names_.size(), false);
  single_ = names_.empty() ? -1 : 0;
}

void CPropPageSelectFigures::setSingleFigure(int index) {
  if (index >= 0 && index < static_cast<int>(names_.size())) single_ = index;
}

bool CPropPageSelectFigures::inGroup(int index) const {
  return index >= 0 && index < static_cast<int>(group_.size()) && group_[static_cast<std::size_t>(index)];
}

void CPropPageSelectFigures::setInGroup(int index, bool on) {
  if (index >= 0 && index < static_cast<int>(group_.size())) group_[static_cast<std::size_t>(index)] = on;
}

bool CPropPageSelectFigures::onKillActive(UiPort& port) {
  if (choice_ == kGroup && std::find(group_.begin(), group_.end(), true) == group_.end()) {
    port.message(kEmptyGroupMessage, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return true;
}

std::vector<int> CPropPageSelectFigures::selectedFigures() const {
  std::vector<int> out;
  const int n = static_cast<int>(names_.size());
  switch (choice_) {
    case kAll:
      for (int i = 0; i < n; ++i) out.push_back(i);
      break;
    case kSingle:
      if (single_ >= 0 && single_ < n) out.push_back(single_);
      break;
    case kGroup:
      for (int i = 0; i < n; ++i)
        if (group_[static_cast<std::size_t>(i)]) out.push_back(i);
      break;
  }
  return out;
}

// ---- the commands ----

ResultExportOutcome exportPolygons(UiPort& port, CPolygonSet& set, const CompositeSet& composites,
                                   QuarlexSettings& settings) {
  ExportPolygonsSheet sheet(set, settings);
  if (!port.runSheet(sheet)) return ResultExportOutcome::Cancelled;
  applyPolygonExportDescription(sheet.description(), set, settings);
  const bool rotate = sheet.description().rotate;
  if (rotate && !editExportRotation(port, set.exportRotation)) return ResultExportOutcome::ColumnsKept;
  return writeFile(port, kPolygonDatafileFilter, [&] { return polygonExportText(set, composites, settings, rotate); });
}

ResultExportOutcome exportFigures(UiPort& port, FigureSet& set, QuarlexSettings& settings) {
  ExportFiguresSheet sheet(set, settings);
  if (!port.runSheet(sheet)) return ResultExportOutcome::Cancelled;
  applyFigureExportDescription(sheet.description(), set, settings);
  const std::vector<int> chosen = sheet.selection().selectedFigures();
  const bool rotate = sheet.description().rotate;
  if (rotate && !editExportRotation(port, set.exportRotation)) return ResultExportOutcome::ColumnsKept;
  return writeFile(port, kFigureDatafileFilter, [&] { return figureExportText(set, chosen, settings, rotate); });
}

}  // namespace qx
