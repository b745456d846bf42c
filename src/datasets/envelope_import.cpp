// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
#include "io/columns.h"
#include "io/file.h"
#include "io/line_reader.h"
//
#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_import.h"
#include "datasets/envelopes.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "sections/rotation_dialog.h"

namespace qx {

namespace {

OutlineLayout layoutOf(const EnvelopeSet& set, bool is3D) {
  OutlineLayout l;
  auto take = [&](const char* name, int& position, int& width) {
    if (const auto* f = set.field(name)) {
      position = f->position;
      width = f->length;
    } else {
      position = 0;
      width = 0;
    }
  };
  take(EnvelopeSet::kNameField, l.namePosition, l.nameWidth);
  take(EnvelopeSet::kXField, l.xPosition, l.xWidth);
  take(EnvelopeSet::kYField, l.yPosition, l.yWidth);
  take(EnvelopeSet::kZField, l.zPosition, l.zWidth);
  if (!is3D) l.zWidth = 0;
  return l;
}

}  // namespace

bool runRotationDialog(UiPort& port, CParamsRotation& rotation) {
  CDialogRotationParams dialog(rotation);
  return port.runDialog(dialog);
}

OutlineNameMap nameEnvelopes(UiPort& port, EnvelopeSet& set, const std::vector<std::string>& fileNames,
                             bool fileHasNames, double defaultDensity) {
  OutlineNameMap map;
  const std::vector<std::string> asked = fileHasNames ? fileNames : std::vector<std::string>{std::string()};
  for (const auto& fileName : asked) {
    CEnvelopePropertiesDialog dialog(&set);
    dialog.setName(fileName);
    dialog.setDensity(defaultDensity);
    dialog.setColour(makeRgb(0, 0, 0));
    port.runDialog(dialog);  // whichever button closed it, the values shown are taken
    const std::string finalName = trimBlanks(dialog.name());
    const int existing = set.findByName(finalName);
    if (dialog.merge() && existing >= 0) {
      set.envelopes[static_cast<std::size_t>(existing)].density = dialog.density();
      set.envelopes[static_cast<std::size_t>(existing)].colour = static_cast<std::int32_t>(dialog.colour());
    } else {
      Envelope env;
      env.name = finalName;
      env.density = dialog.density();
      env.colour = static_cast<std::int32_t>(dialog.colour());
      set.envelopes.push_back(std::move(env));
    }
    map.fileNames.push_back(fileName);
    map.finalNames.push_back(finalName);
  }
  return map;
}

int addOutlineContours(EnvelopeSet& set, const OutlineFileRecords& records, const OutlineNameMap& names,
                       const std::function<void(std::size_t)>& onHeader) {
  const bool rotate = set.importRotation.isActive();
  int current = 0;
  int added = 0;
  std::size_t headers = 0;
  for (const auto& rec : records.contours) {
    ++headers;
    if (onHeader) onHeader(headers);
    if (const int byName = set.findByName(rec.name); byName >= 0 && !rec.name.empty()) current = byName;
    bool mapped = false;
    for (std::size_t k = 0; k < names.fileNames.size(); ++k) {
      if (names.fileNames[k] != rec.name) continue;
      if (const int e = set.findByName(names.finalNames[k]); e >= 0) {
        current = e;
        mapped = true;
      }
      break;
    }
    if (rec.name.empty() && !mapped) current = set.count() - 1;
    if (rec.points.empty() || current < 0 || current >= set.count()) continue;

    Contour contour;
    contour.reserve(rec.points.size());
    for (const auto& p : rec.points) {
      DPoint3D q = p;
      if (rotate) set.importRotation.rotate(p.x, p.y, p.z, q);
      contour.push_back(q);
      widenBox(set.minCorner, set.maxCorner, q);
    }
    Envelope& env = set.envelopes[static_cast<std::size_t>(current)];
    env.contours.push_back(std::move(contour));
    env.contourCount = static_cast<std::int32_t>(env.contours.size());
    env.recomputeBoundingBox();
    ++added;
  }
  return added;
}

EnvelopeLoadResult loadEnvelopes(UiPort& port, EnvelopeSet& set, QuarlexSettings& settings,
                                 const RotationEditor& editRotation) {
  const bool is3D = settings.projectType == kProject3D;

  // 1. The file, and the preview of its first lines.
  FileDialogSpec spec;
  spec.title = kOpenEnvelopeTitle;
  spec.filter = kEnvelopeFilter;
  spec.initialPath = settings.lastEnvelopeFile;
  const auto path = port.chooseFile(spec);
  if (!path) return EnvelopeLoadResult::Cancelled;
  settings.lastEnvelopeFile = *path;
  std::vector<std::string> preview;
  {
    CFile file = openForReading(*path);
    if (!file) return EnvelopeLoadResult::Cancelled;
    FileSource source(file.get());
    preview = readPreviewLines(source);
  }

  // 2. The column description, then the optional rotation.
  CFileLoadPropertySheet sheet(kLoadEnvelopesTitle);
  ColumnDescription& description = sheet.first();
  for (const auto& f : set.fields) {
    if (!is3D && f.name == EnvelopeSet::kZField) continue;
    description.add(f.name, f.position, f.length);
  }
  sheet.firstPage().setPreviewLines(preview);
  sheet.firstPage().recall(settings.envelopeFormat);
  sheet.firstPage().setRotationAllowed(true);
  if (!port.runSheet(sheet)) return EnvelopeLoadResult::Cancelled;
  settings.envelopeFormat = sheet.firstPage().choice();
  if (description.rotate) {
    CParamsRotation edited = set.importRotation;
    const bool ok = editRotation ? editRotation(port, edited) : runRotationDialog(port, edited);
    if (!ok) return EnvelopeLoadResult::Cancelled;
    set.importRotation = edited;
  }
  // A delimited file's column names and numbers are not fixed columns: the set keeps its own.
  for (auto& f : set.fields) {
    if (const auto* chosen = description.field(f.name); chosen != nullptr && !description.delimited) {
      f.position = chosen->position;
      f.length = chosen->length;
    }
  }

  OutlineLayout layout = layoutOf(set, is3D);
  if (description.delimited) {
    layout.delimited = description.delimited;
    layout.columns = delimitedColumns(description, {EnvelopeSet::kNameField, EnvelopeSet::kXField, EnvelopeSet::kYField,
                                                    is3D ? EnvelopeSet::kZField : ""});
  }
  OutlineFileRecords records;
  {
    CFile file = openForReading(*path);
    if (!file) return EnvelopeLoadResult::Cancelled;
    FileSource source(file.get());
    records = parseOutline(source, layout);
  }
  if (records.text || records.fault) {
    port.message(records.text ? textFaultMessage(*path, records.text) : numberFaultMessage(*path, records.fault),
                 MessageButtons::Ok, MessageIcon::Error);
    return EnvelopeLoadResult::Cancelled;
  }
  if (!reportDelimitedRead(port, *path, records.delimited)) return EnvelopeLoadResult::Cancelled;

  // 3. One properties dialog per name.
  const std::size_t before = set.envelopes.size();
  const bool hasNames = layout.hasNames();
  const OutlineNameMap names = nameEnvelopes(port, set, distinctOutlineNames(records), hasNames, settings.defaultSG);

  // 4. The contours.
  {
    WaitCursor wait(port);
    auto progress = port.openProgress(ProgressKind::Text);
    progress->setTitle(kLoadingEnvelopeTitle);
    char text[64];
    addOutlineContours(set, records, names, [&](std::size_t headers) {
      std::snprintf(text, sizeof text, "%zu Contours Loaded", headers);
      progress->setText(text);
    });
  }

  // 5. No header line: the envelopes named above go again.
  if (records.contours.empty()) {
    port.message(kNoEnvelopesFound, MessageButtons::Ok, MessageIcon::Warning);
    set.envelopes.resize(before);
    return EnvelopeLoadResult::NoEnvelopes;
  }

  // 6. Repeated points.
  set.removeRepeatedPoints(settings.defaultPolygonSize);
  for (auto& env : set.envelopes) env.recomputeBoundingBox();
  return EnvelopeLoadResult::Loaded;
}

}  // namespace qx
