#pragma once
// The desktop's user-interface port: message boxes, file dialogs, the colour
// chooser, the folder browser, the wait cursor and progress windows, and the
// dialogs, sheets and wizards that show the core's dialog models.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "port/ui_port.h"
#include "ui/model_widget.h"

class QColor;

namespace qx {

// "Composite Files (*.dat;*.cmp)|*.dat;*.cmp|All Files (*.*)|*.*||" becomes
// "Composite Files (*.dat *.cmp);;All Files (*)": each description keeps its
// name, its patterns come from the pattern field, "*.*" matches every file.
QString toQtFilter(std::string_view filter);

// Colours: red in the lowest byte on our side.
QColor toQColor(ColorRef colour);
ColorRef fromQColor(const QColor& colour);

// Message texts use "\r\n" line ends; the boxes want "\n".
QString messageText(std::string_view text);

class QtUiPort : public UiPort {
 public:
  QtUiPort();

  // The window that owns the dialogs (the main frame once it exists).
  void setParentWidget(QWidget* parent) { parent_ = parent; }
  QWidget* parentWidget() const { return parent_; }
  WidgetRegistry& registry() { return registry_; }
  const WidgetRegistry& registry() const { return registry_; }
  int waitDepth() const { return waitDepth_; }

  // Where the file dialogs start when the command names no folder of its
  // own: the folder last chosen in one while the project stayed in its
  // folder, else the project's folder (asked of `projectFolder` each time;
  // empty for a project never saved), else the process's working folder.
  void setProjectFolder(std::function<std::string()> projectFolder) { projectFolder_ = std::move(projectFolder); }
  // The folder a file dialog asked for `initialPath` shows, and the file it
  // proposes there: a path whose folder exists is kept; a bare name, a
  // relative path or one whose folder is gone starts in the folder above.
  QString startFolder(std::string_view initialPath) const;
  // The file chosen in the last file dialog; the frame clears it before a command.
  const std::string& lastChosenFile() const { return lastChosen_; }
  void forgetChosenFile() { lastChosen_.clear(); }

  MessageAnswer message(std::string_view text, MessageButtons buttons = MessageButtons::Ok,
                        MessageIcon icon = MessageIcon::Information) override;
  std::optional<std::string> chooseFile(const FileDialogSpec& spec) override;
  bool runDialog(DialogModel& model) override;
  bool runSheet(SheetModel& sheet) override;
  std::optional<ColorRef> chooseColour(ColorRef initial) override;
  std::optional<std::string> browseFolder(std::string_view title, std::string_view initial) override;
  void beginWaitCursor() override;
  void endWaitCursor() override;
  std::unique_ptr<ProgressWindow> openProgress(ProgressKind kind) override;

  // The dialog that runDialog() and runSheet() would run, not yet shown;
  // nullptr (after telling the user) when a model has no widget.
  QDialog* makeDialog(DialogModel& model);
  QDialog* makeSheet(SheetModel& sheet);

 private:
  void reportMissingWidget(std::string_view title);
  std::string currentProjectFolder() const { return projectFolder_ ? projectFolder_() : std::string(); }

  QPointer<QWidget> parent_;
  std::function<std::string()> projectFolder_;
  std::string lastFolder_;         // the folder of the last file or folder chosen
  std::string lastFolderProject_;  // the project's folder when it was chosen
  std::string lastChosen_;
  WidgetRegistry registry_;
  int waitDepth_ = 0;
};

// The caption of the desktop's message boxes.
inline constexpr const char* kMessageCaption = "wQuarlex";

}  // namespace qx
