#include "app/file_commands.h"

#include <algorithm>
#include <cctype>
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
  // A new project's title is bracketed ("[Untitled]"): the brackets are not part of its name.
  std::string name;
  for (const char c : doc.title().substr(0, doc.title().find_first_of(":/\\")))
    if (c != '[' && c != ']') name += c;
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  name = name.substr(first, name.find_last_not_of(' ') - first + 1);
  return name + "." + kProjectFileExtension;
}

std::string projectFolder(const CWQuarlexDoc& doc) {
  if (doc.pathName().empty()) return {};
  return std::filesystem::path(absolutePath(doc.pathName())).parent_path().string();
}

std::string droppedFileMessage(const std::string& path) {
  return path + " was not opened: only project files (*.qrx) are opened by dropping them on the window.\n" +
         "Data files are read with the Import commands of the File menu.";
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
  spec.initialPath = projectFolder(doc_);
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

bool FileCommands::openDropped(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == std::string(".") + kProjectFileExtension) return saveModified() && openPath(path);
  }
  if (!paths.empty()) doc_.port().message(droppedFileMessage(paths.front()), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

bool FileCommands::newProject() { return saveModified() && doc_.onFileNew().ok(); }

bool FileCommands::isEnabled(CommandId id) const {
  if (!qx::isEnabled(id, doc_.commandContext())) return false;
  return id != CommandId::FileMru || !recent_.empty();
}

CommandOutcome FileCommands::run(CommandId id) {
  lastResult_ = CommandResult::cancelled();
  if (!isEnabled(id)) return CommandOutcome::Refused;
  CommandResult& r = lastResult_;
  switch (id) {
    case CommandId::FileNew: newProject(); break;
    case CommandId::FileOpen: open(); break;
    case CommandId::FileSave: save(false); break;
    case CommandId::FileSaveAs: save(true); break;
    case CommandId::FileMru: openRecent(0); break;
    case CommandId::ImportComposites: r = doc_.onImportComposites(); break;
    case CommandId::ImportEnvelopes: r = doc_.onImportEnvelopes(); break;
    case CommandId::ImportSurfaces: r = doc_.onImportSurfaces(); break;
    case CommandId::ImportFigures: r = doc_.onImportFigures(); break;
    case CommandId::ExportFigures: r = doc_.onExportFigures(); break;
    case CommandId::ExportPolygons: r = doc_.onExportPolygons(); break;
    case CommandId::ExportGis: r = doc_.onExportGis(); break;
    case CommandId::RecalculateFigures: r = doc_.onRecalculateFigures(); break;
    case CommandId::ReportFigures: r = doc_.onReportFigures(); break;
    case CommandId::ReportPolygons: r = doc_.onReportPolygons(); break;
    case CommandId::ReportGradeTonnage: r = doc_.onGradeTonnage(); break;
    case CommandId::ReportDeclustering: r = doc_.onDeclustering(); break;
    case CommandId::ReportCheckData: r = doc_.onCheckData(); break;
    case CommandId::MapProfiles: r = doc_.onMapProfiles(); break;
    case CommandId::GenerateMaps: r = doc_.onGenerateMaps(); break;
    case CommandId::ExportComposites: r = doc_.onExportComposites(); break;
    case CommandId::ExportEnvelopes: r = doc_.onExportEnvelopes(); break;
    case CommandId::EditProjectSettings: r = doc_.onEditProjectSettings(); break;
    case CommandId::GeneratePolygons: r = doc_.onGeneratePolygons(); break;
    case CommandId::ClearPolygons: r = doc_.onClearPolygons(); break;
    default: return CommandOutcome::Window;
  }
  return CommandOutcome::Done;
}

}  // namespace qx
