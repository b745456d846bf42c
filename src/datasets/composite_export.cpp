#include "datasets/composite_export.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "io/column_pages.h"
#include "io/file.h"

#include "datasets/envelopes.h"
#include "port/dialog_model.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"

namespace qx {

namespace {

constexpr std::size_t kLineBlanks = 510;

// "%*.*lf" in the C locale, before the cut to the field's width.
std::string formatNumber(double value, int width, int decimals) {
  if (decimals < 0) decimals = 6;  // as a negative precision in printf
  decimals = std::min(decimals, 1000);
  std::string text(static_cast<std::size_t>(330 + decimals), '\0');
  const auto r = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
  text.resize(static_cast<std::size_t>(r.ptr - text.data()));
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

// "%-*.*s": left-aligned, padded or cut to the width.
std::string formatText(const std::string& text, int width) {
  std::string out = text.substr(0, static_cast<std::size_t>(std::max(width, 0)));
  out.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
  return out;
}

void place(std::string& line, std::size_t& end, const auto& field, const std::string& text) {
  if (field.position <= 0 || field.length <= 0) return;
  const auto first = static_cast<std::size_t>(field.position) - 1;
  const auto width = static_cast<std::size_t>(field.length);
  if (line.size() < first + width) line.resize(first + width, ' ');
  line.replace(first, std::min(width, text.size()), text, 0, std::min(width, text.size()));
  end = std::max(end, first + width);
}

}  // namespace

std::string compositesExportedText(long count) { return std::to_string(count) + " Composites Exported"; }

ColumnDescription compositeExportDescription(const CompositeSet& set, const QuarlexSettings& settings) {
  ColumnDescription d;
  for (std::size_t i = 0; i < CompositeSet::kFieldCount; ++i) {
    if (i == 3 && settings.projectType != kProject3D) continue;
    d.add(set.fieldNames[i], set.fieldPositions[i], set.fieldWidths[i], set.fieldDecimals[i]);
  }
  for (const auto& v : settings.loaded) d.add(v.name, v.compositePosition, v.compositeWidth, v.compositeDecimals);
  for (const auto& v : settings.calculated) d.add(v.name, v.compositePosition, v.compositeWidth, v.compositeDecimals);
  return d;
}

void applyCompositeExportDescription(const ColumnDescription& description, CompositeSet& set,
                                     QuarlexSettings& settings) {
  for (std::size_t i = 0; i < CompositeSet::kFieldCount; ++i) {
    if (const auto* f = description.field(set.fieldNames[i])) {
      set.fieldPositions[i] = f->position;
      set.fieldWidths[i] = f->length;
      set.fieldDecimals[i] = f->decimals;
    }
  }
  auto apply = [&](VariableInfo& v) {
    if (const auto* f = description.field(v.name)) {
      v.compositePosition = f->position;
      v.compositeWidth = f->length;
      v.compositeDecimals = f->decimals;
    }
  };
  for (auto& v : settings.loaded) apply(v);
  for (auto& v : settings.calculated) apply(v);
}

std::string compositeExportLine(const CComposite& c, const DPoint3D& position, const ColumnDescription& description,
                                bool withZ) {
  std::string line(kLineBlanks, ' ');
  std::size_t end = 0;
  const auto& f = description.fields;
  std::size_t k = 0;
  auto number = [&](double value) {
    if (k >= f.size()) return;
    place(line, end, f[k], formatNumber(value, f[k].length, f[k].decimals));
    ++k;
  };
  if (k < f.size()) {
    place(line, end, f[k], formatText(c.name, f[k].length));
    ++k;
  }
  number(position.x);
  number(position.y);
  if (withZ) number(position.z);
  for (double v : c.values) number(v);
  for (double v : c.calcValues) number(v);
  line.resize(end);
  return line;
}

int writeComposites(std::FILE* out, CompositeSet& set, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                    const EnvelopeLocator& locate, const ColumnDescription& description, bool rotate,
                    ProgressWindow* progress) {
  const bool withZ = settings.projectType == kProject3D;
  const long count = set.count();
  const long every = count / 50 + 1;
  int pos = 0;
  int written = 0;
  for (long i = 0; i < count; ++i) {
    const EnvelopeHit hit = set.findEnvelope(static_cast<int>(i), locate);
    const bool selected = hit.envelope >= 0 && hit.envelope < envelopes.count()
                              ? envelopes.envelopes[static_cast<std::size_t>(hit.envelope)].exportComposites == 1
                              : envelopes.exportOutside == 1;
    if (!selected) continue;
    if (progress != nullptr && i % every == 0) {
      progress->setPos(++pos);
      progress->setText(compositesExportedText(i));
    }
    const CComposite& c = set.composites[static_cast<std::size_t>(i)];
    DPoint3D p = c.position;
    if (rotate) set.exportRotation.rotate(p.x, p.y, p.z, p);
    const std::string line = compositeExportLine(c, p, description, withZ);
    std::fprintf(out, "%s\n", line.c_str());
    ++written;
  }
  return written;
}

int exportComposites(UiPort& port, CompositeSet& set, QuarlexSettings& settings, EnvelopeSet& envelopes,
                     const EnvelopeLocator& locate, const CompositeExportHooks& hooks) {
  // 1. The wizard: envelope selection, then the columns.
  ColumnDescription description = compositeExportDescription(set, settings);
  CAsciiFormatPage format(description);
  format.setRotationAllowed(true);
  std::unique_ptr<PageModel> envelopePage = hooks.makeEnvelopePage ? hooks.makeEnvelopePage() : nullptr;
  SheetModel sheet(std::string(kExportCompositesTitle), /*wizard=*/true);
  if (envelopePage) sheet.addPage(envelopePage.get());
  sheet.addPage(&format);
  format.setPlacement(envelopePage ? 1 : 0, envelopePage ? 2 : 1);
  if (!port.runSheet(sheet)) return -1;

  // 2. The rotation, on a copy.
  if (description.rotate && hooks.editRotation) {
    CParamsRotation rotation = set.exportRotation;
    if (!hooks.editRotation(port, rotation)) return -1;
    set.exportRotation = rotation;
  }

  // 3. The choices go back.
  if (envelopePage && hooks.applyEnvelopePage) hooks.applyEnvelopePage(*envelopePage);
  applyCompositeExportDescription(description, set, settings);

  // 4. The file.
  FileDialogSpec spec;
  spec.save = true;
  spec.title = kSaveCompositeTitle;
  spec.filter = kSaveCompositeFilter;
  spec.defaultExtension = "cmp";
  const std::optional<std::string> path = port.chooseFile(spec);
  if (!path) return -1;
  CFile out = openForWriting(*path);
  if (!out) return -1;

  // 5 to 9. The lines.
  int written = 0;
  {
    std::unique_ptr<ProgressWindow> progress = port.openProgress(ProgressKind::Bar);
    progress->setTitle(kCompositeSaveProgressTitle);
    progress->setRange(0, 52);
    progress->setStep(1);
    written =
        writeComposites(out.get(), set, settings, envelopes, locate, description, description.rotate, progress.get());
  }
  // A full disk shows in the stream's error flag or when the last bytes are
  // written at the close.
  const bool streamOk = std::ferror(out.get()) == 0;
  if (!out.close() || !streamOk) {
    port.message("The file " + *path + " could not be written.", MessageButtons::Ok, MessageIcon::Error);
    return kCompositeExportFailed;
  }
  return written;
}

}  // namespace qx
