#include "datasets/surface_import.h"

#include "variables/variable_rules.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "datasets/outline_reader.h"
#include "io/column_pages.h"
#include "io/columns.h"
#include "io/file.h"
#include "io/line_reader.h"
#include "port/ui_port.h"
#include "sections/rotation_dialog.h"

namespace qx {

DPoint3D parseSurfaceLine(std::string_view line, const SurfaceFileLayout& layout) {
  return {numberAt(line, layout.positions[0], layout.widths[0]), numberAt(line, layout.positions[1], layout.widths[1]),
          numberAt(line, layout.positions[2], layout.widths[2])};
}

std::vector<DPoint3D> readSurfaceRecords(ByteSource& source, const SurfaceFileLayout& layout,
                                         const std::function<void(long)>& progress, NumberFault* fault, TextFault* text,
                                         DelimitedReport* report) {
  std::vector<DPoint3D> records;
  const auto add = [&](const DPoint3D& p, long line) {
    records.push_back(p);
    if (fault != nullptr)
      if (std::string what = unusableCoordinate(p); !what.empty()) fault->note(line, std::move(what));
    if (progress && records.size() % 100 == 0) progress(static_cast<long>(records.size()));
  };
  TextFault found;
  bool nothing = false;  // a delimited file of which no line could be read
  if (layout.delimited) {
    std::vector<DelimitedColumn> columns = layout.columns;
    columns.resize(SurfaceSet::kFieldCount);
    DelimitedReader reader(source, *layout.delimited, std::move(columns));
    while (reader.next()) add({reader.number(0), reader.number(1), reader.number(2)}, reader.line());
    found = textFault(reader.lines());
    nothing = !reader.report().fatal.empty();
    if (report != nullptr) *report = reader.report();
  } else {
    LineReader reader(source, LineReader::kBufferSize);
    while (reader.readLine()) {
      if (reader.nulLine() > 0) break;  // not a text file: read no further
      add(parseSurfaceLine(reader.line(), layout), static_cast<long>(reader.lineCount()));
    }
    found = textFault(reader);
  }
  if (found || nothing) {
    if (text != nullptr) *text = found;
    return {};
  }
  return records;
}

std::string pointsLoadedText(long count) { return std::to_string(count) + " Points Loaded"; }

CSurfacePropertiesDialog::CSurfacePropertiesDialog(const SurfaceSet& set, int edited, std::string name,
                                                   std::int32_t colour)
    : set_(&set), edited_(edited), colour_(colour) {
  setName(name);
}

void CSurfacePropertiesDialog::setName(std::string_view name) { name_ = std::string(name.substr(0, kMaxName)); }

void CSurfacePropertiesDialog::selectColour(UiPort& port) {
  if (const auto c = port.chooseColour(static_cast<ColorRef>(colour_))) colour_ = static_cast<std::int32_t>(*c);
}

bool CSurfacePropertiesDialog::onOk(UiPort& port) {
  name_ = trimName(name_);
  if (name_.empty()) {
    port.message(kBlankName, MessageButtons::Ok, MessageIcon::Information);
    return false;
  }
  for (int i = 0; i < set_->count(); ++i) {
    if (i != edited_ && set_->surfaces[static_cast<std::size_t>(i)].name == name_) {
      port.message(kNameInUse, MessageButtons::Ok, MessageIcon::Information);
      return false;
    }
  }
  return true;
}

int loadSurface(SurfaceSet& set, UiPort& port, std::string& lastPath, DelimitedChoice* format) {
  // 1. The file and its preview.
  FileDialogSpec spec;
  spec.title = kOpenSurfaceTitle;
  spec.filter = kSurfaceFileFilter;
  spec.initialPath = lastPath;
  const std::optional<std::string> path = port.chooseFile(spec);
  if (!path) return 0;
  lastPath = *path;
  std::vector<std::string> preview;
  {
    CFile f = openForReading(*path);
    if (!f) return 0;
    FileSource source(f.get());
    preview = readPreviewLines(source);
  }

  // 2. The column description, and the rotation when asked for. Everything
  // is edited on copies until the points are in.
  CFileLoadPropertySheet sheet{std::string(kLoadSurfacesTitle)};
  for (int i = 0; i < SurfaceSet::kFieldCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    sheet.first().add(set.fieldNames[k], set.fieldPositions[k], set.fieldWidths[k], set.fieldDecimals[k]);
  }
  proposeColumns(sheet.first(), preview);
  sheet.firstPage().setPreviewLines(preview);
  if (format != nullptr) sheet.firstPage().recall(*format);
  sheet.firstPage().setRotationAllowed(true);
  if (!port.runSheet(sheet)) return 0;
  if (format != nullptr) *format = sheet.firstPage().choice();

  // A delimited file's column names and numbers are not fixed columns: the set keeps its own.
  SurfaceFileLayout layout = SurfaceFileLayout::of(set);
  if (sheet.first().delimited) {
    layout.delimited = sheet.first().delimited;
    layout.columns =
        delimitedColumns(sheet.first(), std::vector<std::string>(set.fieldNames.begin(), set.fieldNames.end()));
  }
  for (int i = 0; i < SurfaceSet::kFieldCount && !layout.delimited; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (const ColumnField* f = sheet.first().field(set.fieldNames[k])) {
      layout.positions[k] = f->position;
      layout.widths[k] = f->length;
    }
  }
  CParamsRotation rotation = set.importRotation;
  if (sheet.first().rotate) {
    CDialogRotationParams dialog(rotation);
    if (!port.runDialog(dialog)) return 0;
  }

  // 3. Name and colour: whichever button closes the dialog, what it shows is taken.
  CSurfacePropertiesDialog properties(set, -1, std::string(), 0);
  port.runDialog(properties);
  Surface surface;
  surface.name = trimName(properties.name());
  surface.colour = properties.colour();

  // 4-5. The points.
  std::vector<DPoint3D> records;
  NumberFault fault;
  TextFault text;
  DelimitedReport report;
  {
    const std::unique_ptr<ProgressWindow> progress = port.openProgress(ProgressKind::Text);
    progress->setTitle(kLoadingSurfaceTitle);
    WaitCursor wait(port);
    CFile f = openForReading(*path);
    if (!f) return 0;
    FileSource source(f.get());
    records = readSurfaceRecords(
        source, layout, [&](long n) { progress->setText(pointsLoadedText(n)); }, &fault, &text, &report);
  }
  if (text || fault) {
    port.message(text ? textFaultMessage(*path, text) : numberFaultMessage(*path, fault), MessageButtons::Ok,
                 MessageIcon::Error);
    return 0;
  }
  if (!reportDelimitedRead(port, *path, report)) return 0;

  const bool rotate = rotation.isActive();
  DPoint3D lo = set.minCorner, hi = set.maxCorner;
  surface.points.reserve(records.size());
  for (const DPoint3D& r : records) {
    DPoint3D p = r;
    if (rotate) rotation.rotate(r.x, r.y, r.z, p);
    const FPoint3D q{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    surface.points.push_back(q);
    lo = {std::min(lo.x, double(q.x)), std::min(lo.y, double(q.y)), std::min(lo.z, double(q.z))};
    hi = {std::max(hi.x, double(q.x)), std::max(hi.y, double(q.y)), std::max(hi.z, double(q.z))};
  }
  surface.pointCount = static_cast<std::int32_t>(surface.points.size());

  // 6. Commit.
  set.fieldPositions = layout.positions;
  set.fieldWidths = layout.widths;
  set.importRotation = rotation;
  set.minCorner = lo;
  set.maxCorner = hi;
  set.surfaces.push_back(std::move(surface));
  return 1;
}

}  // namespace qx
