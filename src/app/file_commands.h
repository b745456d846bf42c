#pragma once
// The main window's rules without the window: the save-changes question
// before New, Open and exit, the name Save As proposes, the recent-file list
// (newest first, trimmed) and the dispatch of the menu commands to the
// document. Every question and file dialog goes through the document's port;
// the window keeps only the profile that stores the list and its own
// commands (Exit, About, the bars).
#include <functional>
#include <string>
#include <vector>

#include "app/command_result.h"
#include "app/commands.h"
#include "app/startup.h"

namespace qx {

class CWQuarlexDoc;

// The project files of the Open and Save As dialogs.
inline constexpr const char* kProjectFileFilter = "Quarlex Files (*.qrx)|*.qrx|All Files (*.*)|*.*||";
inline constexpr const char* kProjectFileExtension = "qrx";

// The recent-file list: newest first, each file once, at most `capacity`.
class RecentFileList {
 public:
  explicit RecentFileList(int capacity = kRecentFileCount) : capacity_(capacity) {}

  int capacity() const { return capacity_; }
  const std::vector<std::string>& files() const { return files_; }
  bool empty() const { return files_.empty(); }

  // The list as the profile held it, in its order: empty entries are
  // skipped and the list is cut at the capacity.
  void assign(const std::vector<std::string>& files);
  // Puts `path` first; an entry already listed moves up, the oldest beyond
  // the capacity leaves.
  void add(const std::string& path);
  // True when `path` was listed.
  bool remove(const std::string& path);

 private:
  int capacity_;
  std::vector<std::string> files_;
};

// The name Save As proposes: the project's file, or for a project without
// one its title cut before anything that would make it a path, without
// brackets and outer blanks, with the extension (empty when nothing of the
// title is left).
std::string proposedSaveName(const CWQuarlexDoc& doc);

// The folder of the project's file, absolute; empty for a project never saved.
std::string projectFolder(const CWQuarlexDoc& doc);

// Why a dropped file that is not a project was not opened.
std::string droppedFileMessage(const std::string& path);

// What became of a command given to `FileCommands::run`.
enum class CommandOutcome {
  Refused,  // not enabled in the project's state: nothing was done
  Done,     // carried out by the document
  Window,   // the window's own: Exit, About, the bars and the status bar
};

class FileCommands {
 public:
  // `recentChanged` is called after each change of the recent-file list (the
  // window stores it in the profile at once).
  FileCommands(CWQuarlexDoc& doc, RecentFileList& recent, std::function<void()> recentChanged = {});

  // "Save changes to <title>?" for a modified project: Yes saves, No goes on
  // without saving; false (Cancel, or a save that failed or was cancelled)
  // keeps the project. An unmodified project asks nothing.
  bool saveModified();
  // "&Save" (`choosePath` false: Save As only while the project has no path)
  // and "Save &As..." (`choosePath` true). The chosen file is made absolute
  // and goes first in the recent list. True when the project was saved.
  bool save(bool choosePath);
  // "&Open...": the question, the file dialog (starting in the project's
  // folder), then `openPath`.
  bool open();
  // Opens `path` (made absolute) and puts it first in the recent list; a
  // failed open leaves the project and the list as they were. Asks nothing
  // about the open project.
  bool openPath(const std::string& path);
  // The `index`th recent file (from 0), after the question; one that cannot
  // be opened leaves the list.
  bool openRecent(int index);
  // Files dropped on the window: the first project file (".qrx", in any
  // case) is opened after the question; without one, the first file is named
  // in a message saying why it was not opened. True when a project was opened.
  bool openDropped(const std::vector<std::string>& paths);
  // "&New": the question, then the project-setup wizard.
  bool newProject();

  // The command table's rule, and a recent file only while the list has one.
  bool isEnabled(CommandId id) const;
  // Asks the rule again (a shortcut may arrive while no menu was opened),
  // then carries the command out when it is the document's.
  CommandOutcome run(CommandId id);
  // What the document's command carried out by the last `run` returned
  // (Cancelled for the other commands).
  const CommandResult& lastResult() const { return lastResult_; }

 private:
  void recentChanged();

  CWQuarlexDoc& doc_;
  RecentFileList& recent_;
  std::function<void()> recentChanged_;
  CommandResult lastResult_ = CommandResult::cancelled();
};

}  // namespace qx
