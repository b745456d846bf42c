#include "plot/map_profiles_dialog.h"

#include "io/file.h"
#include "port/ui_port.h"

namespace qx {

namespace {

std::string trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

CMapProfileSheet::CMapProfileSheet(MapProfileDef profile, const MapProfileContext& context)
    : SheetModel(kTitle, false),
      profile(std::move(profile)),
      limits(this->profile, context.envelopeNames),
      composites(this->profile, MapLabelKind::Composites, context),
      polygons(this->profile, MapLabelKind::Polygons, context),
      figures(this->profile, MapLabelKind::Figures, context) {
  for (PageModel* page : std::initializer_list<PageModel*>{&presentation, &frame, &graduations, &limits, &composites,
                                                           &polygons, &figures})
    addPage(page);
}

bool CNameEntryDialog::onOk(UiPort&) {
  name = trimmed(name);
  return true;
}

std::vector<std::string> CMapProfilesDialog::lines() const {
  std::vector<std::string> out;
  for (const auto& p : data_.profiles) out.push_back(p.name);
  return out;
}

bool CMapProfilesDialog::askName(UiPort& port, std::string& name) {
  CNameEntryDialog dialog(kNamePrompt, name);
  if (!port.runDialog(dialog)) return false;
  name = dialog.name;
  return true;
}

bool CMapProfilesDialog::editProfile(UiPort& port, int index) {
  CMapProfileSheet sheet(data_.profiles[static_cast<std::size_t>(index)], context_);
  if (!port.runSheet(sheet)) return false;
  data_.profiles[static_cast<std::size_t>(index)] = std::move(sheet.profile);
  return true;
}

bool CMapProfilesDialog::add(UiPort& port) {
  std::string name;
  if (!askName(port, name)) return false;
  MapProfileDef profile;
  profile.name = name;
  data_.add(std::move(profile));
  selection = data_.count() - 1;
  editProfile(port, selection);
  return true;
}

bool CMapProfilesDialog::edit(UiPort& port) {
  if (selection < 0 || selection >= data_.count()) return false;
  return editProfile(port, selection);
}

bool CMapProfilesDialog::remove() {
  if (!data_.remove(selection)) return false;
  if (selection >= data_.count()) selection = data_.count() - 1;
  return true;
}

bool CMapProfilesDialog::rename(UiPort& port) {
  if (selection < 0 || selection >= data_.count()) return false;
  std::string name = data_.profiles[static_cast<std::size_t>(selection)].name;
  return askName(port, name) && data_.rename(selection, name);
}

bool CMapProfilesDialog::copy(UiPort& port) {
  if (selection < 0 || selection >= data_.count()) return false;
  std::string name = data_.profiles[static_cast<std::size_t>(selection)].name;
  return askName(port, name) && data_.copy(selection, name);
}

bool browsePatternFile(UiPort& port, std::string& patternFile) {
  FileDialogSpec spec;
  spec.title = "Open Style File";
  spec.filter = "Marneth Style Files (*.sty)|*.sty|All Files (*.*)|*.*||";
  spec.defaultExtension = "sty";
  spec.initialPath = patternFile;
  const auto path = port.chooseFile(spec);
  if (!path) return false;
  if (openForReading(*path)) {
    patternFile = *path;
  } else {
    port.message("Error opening file " + *path, MessageButtons::Ok, MessageIcon::Warning);
    patternFile.clear();
  }
  return true;
}

}  // namespace qx
