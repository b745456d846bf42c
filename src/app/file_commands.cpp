#include "app/file_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/document.h"

namespace qx {

namespace {

std::string absolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

void RecentFileList::assign(const std::vector<std::string>& files) {
  files_.clear();
  for (const std::string& file : files) {
    if (static_cast<int>(files_.size()) >= capacity_) break;
    if (!file.empty()) files_.push_back(file);
  }
}

void RecentFileList::add(const std::string& path) {
  remove(path);
  files_.insert(files_.begin(), path);
  if (static_cast<int>(files_.size()) > capacity_) files_.resize(static_cast<size_t>(std::max(capacity_, 0)));
}

bool RecentFileList::remove(const std::string& path) {
  const auto end = std::remove(files_.begin(), files_.end(), path);
  const bool found = end != files_.end();
  files_.erase(end, files_.end());
  return found;
}

std::string proposedSaveName(const CWQuarlexDoc& doc) {
  if (!doc.pathName().empty()) return doc.pathName();
  const std::string name = doc.title().substr(0, doc.title().find_first_of(":/\\"));
  return name.empty() ? std::string() : name + "." + kProjectFileExtension;
}

FileCommands::FileCommands(CWQuarlexDoc& doc, RecentFileList& recent, std::function<void()> recentChanged)
    : doc_(doc), recent_(recent), recentChanged_(std::move(recentChanged)) {}

void FileCommands::recentChanged() {
  if (recentChanged_) recentChanged_();
}

bool FileCommands::saveModified() {
  if (!doc_.isModified()) return true;
  const MessageAnswer answer =
      doc_.port().message("Save changes to " + doc_.title() + "?", MessageButtons::YesNoCancel, MessageIcon::Warning);
  if (answer == MessageAnswer::Yes) return save(false);
  return answer == MessageAnswer::No;
}

bool FileCommands::save(bool choosePath) {
  std::string path = doc_.pathName();
  if (choosePath || path.empty()) {
    FileDialogSpec spec;
    spec.save = true;
    spec.title = "Save As";
    spec.filter = kProjectFileFilter;
    spec.defaultExtension = kProjectFileExtension;
    spec.initialPath = proposedSaveName(doc_);
    const std::optional<std::string> chosen = doc_.port().chooseFile(spec);
    if (!chosen) return false;
    path = absolutePath(*chosen);
  }
  if (!doc_.onSaveDocument(path)) return false;
  recent_.add(path);
  recentChanged();
  return true;
}

bool FileCommands::open() {
  if (!saveModified()) return false;
  FileDialogSpec spec;
  spec.title = "Open";
  spec.filter = kProjectFileFilter;
  spec.defaultExtension = kProjectFileExtension;
  if (!doc_.pathName().empty())
    spec.initialPath = std::filesystem::path(absolutePath(doc_.pathName())).parent_path().string();
  const std::optional<std::string> chosen = doc_.port().chooseFile(spec);
  return chosen && openPath(*chosen);
}

bool FileCommands::openPath(const std::string& path) {
  const std::string absolute = absolutePath(path);
  if (!doc_.onOpenDocument(absolute)) return false;
  recent_.add(absolute);
  recentChanged();
  return true;
}

bool FileCommands::openRecent(int index) {
  if (index < 0 || index >= static_cast<int>(recent_.files().size())) return false;
  const std::string path = recent_.files()[static_cast<size_t>(index)];
  if (!saveModified()) return false;
  if (openPath(path)) return true;
  if (recent_.remove(path)) recentChanged();
  return false;
}

bool FileCommands::newProject() { return saveModified() && doc_.onFileNew().ok(); }

bool FileCommands::isEnabled(CommandId id) const {
  if (!qx::isEnabled(id, doc_.commandContext())) return false;
  return id != CommandId::FileMru || !recent_.empty();
}

CommandOutcome FileCommands::run(CommandId id) {
  if (!isEnabled(id)) return CommandOutcome::Refused;
  switch (id) {
    case CommandId::FileNew: newProject(); break;
    case CommandId::FileOpen: open(); break;
    case CommandId::FileSave: save(false); break;
    case CommandId::FileSaveAs: save(true); break;
    case CommandId::FileMru: openRecent(0); break;
    case CommandId::ImportComposites: doc_.onImportComposites(); break;
    case CommandId::ImportEnvelopes: doc_.onImportEnvelopes(); break;
    case CommandId::ImportSurfaces: doc_.onImportSurfaces(); break;
    case CommandId::ImportFigures: doc_.onImportFigures(); break;
    case CommandId::ExportFigures: doc_.onExportFigures(); break;
    case CommandId::ExportPolygons: doc_.onExportPolygons(); break;
    case CommandId::RecalculateFigures: doc_.onRecalculateFigures(); break;
    case CommandId::ReportFigures: doc_.onReportFigures(); break;
    case CommandId::ReportPolygons: doc_.onReportPolygons(); break;
    case CommandId::MapProfiles: doc_.onMapProfiles(); break;
    case CommandId::GenerateMaps: doc_.onGenerateMaps(); break;
    case CommandId::ExportComposites: doc_.onExportComposites(); break;
    case CommandId::ExportEnvelopes: doc_.onExportEnvelopes(); break;
    case CommandId::EditProjectSettings: doc_.onEditProjectSettings(); break;
    case CommandId::GeneratePolygons: doc_.onGeneratePolygons(); break;
    case CommandId::ClearPolygons: doc_.onClearPolygons(); break;
    default: return CommandOutcome::Window;
  }
  return CommandOutcome::Done;
}

}  // namespace qx
