// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
#include "io/columns.h"
#include "io/file.h"
//
#include "datasets/envelope_export.h"
#include "datasets/envelopes.h"
#include "datasets/outline_reader.h"

#include <cstdio>
#include <memory>

#include "port/ui_port.h"

namespace qx {

namespace {

OutlineOutputField outputField(const EnvelopeSet& set, const char* name) {
  OutlineOutputField out;
  if (const auto* f = set.field(name)) out = {f->position, f->length, f->decimals};
  return out;
}

class ExportEnvelopesSheet : public SheetModel {
 public:
  ExportEnvelopesSheet(const EnvelopeSet& set, bool is3D)
      : SheetModel(kExportEnvelopesTitle, true), switches_(set), format_(description_, true) {
    for (const char* name : {EnvelopeSet::kXField, EnvelopeSet::kYField, EnvelopeSet::kZField}) {
      if (!is3D && std::string_view(name) == EnvelopeSet::kZField) continue;
      if (const auto* f = set.field(name)) description_.add(f->name, f->position, f->length, f->decimals);
    }
    switches_.onSetActive();
    format_.setPlacement(1, 2);
    addPage(&switches_);
    addPage(&format_);
  }
  CPropPageExportEnvelopes& switches() { return switches_; }
  const ColumnDescription& description() const { return description_; }

 private:
  CPropPageExportEnvelopes switches_;
  ColumnDescription description_;
  CAsciiFormatPage format_;
};

}  // namespace

CPropPageExportEnvelopes::CPropPageExportEnvelopes(const EnvelopeSet& set) {
  for (const auto& e : set.envelopes) {
    names_.push_back(e.name);
    switches_.push_back(e.exportEnvelope != 0);
  }
}

void CPropPageExportEnvelopes::apply(EnvelopeSet& set) const {
  for (std::size_t i = 0; i < switches_.size() && i < set.envelopes.size(); ++i)
    set.envelopes[i].exportEnvelope = switches_[i] ? 1 : 0;
}

std::string formatOutlineFile(const EnvelopeSet& set, bool is3D, ProgressWindow* progress) {
  const OutlineOutputField fx = outputField(set, EnvelopeSet::kXField);
  const OutlineOutputField fy = outputField(set, EnvelopeSet::kYField);
  const OutlineOutputField fz = outputField(set, EnvelopeSet::kZField);
  std::string out;
  char text[96];
  for (const auto& env : set.envelopes) {
    if (env.exportEnvelope == 0) continue;
    if (progress != nullptr) {
      progress->setText("Saving Envelope " + env.name);
      progress->setRange(0, env.contourCount);
    }
    for (std::size_t c = 0; c < env.contours.size(); ++c) {
      out += outlineHeaderLine(static_cast<unsigned>(c), env.name);
      if (progress != nullptr) {
        progress->setPos(static_cast<int>(c) + 1);
        std::snprintf(text, sizeof text, "%zu Contours Saved", c + 1);
        progress->setText(text);
      }
      for (const auto& p : env.contours[c]) {
        std::vector<std::pair<OutlineOutputField, double>> values{{fx, p.x}, {fy, p.y}};
        if (is3D) values.push_back({fz, p.z});
        out += outlinePointLine(values);
      }
    }
  }
  return out;
}

bool exportEnvelopes(UiPort& port, EnvelopeSet& set, bool is3D) {
  ExportEnvelopesSheet sheet(set, is3D);
  if (!port.runSheet(sheet)) return false;
  sheet.switches().apply(set);
  for (auto& f : set.fields) {
    if (f.name == EnvelopeSet::kNameField) continue;
    if (const auto* chosen = sheet.description().field(f.name)) {
      f.position = chosen->position;
      f.length = chosen->length;
      f.decimals = chosen->decimals;
    }
  }

  FileDialogSpec spec;
  spec.save = true;
  spec.title = kSaveEnvelopeTitle;
  spec.defaultExtension = "dig";
  spec.filter = "Envelope Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||";
  const auto path = port.chooseFile(spec);
  if (!path) return false;
  CFile file = openForWriting(*path);
  if (!file) return false;

  std::string text;
  {
    auto progress = port.openProgress(ProgressKind::Bar);
    progress->setTitle(kEnvelopeSaveProgressTitle);
    text = formatOutlineFile(set, is3D, progress.get());
  }
  return writeAndClose(file, text);
}

}  // namespace qx
