#pragma once
// The main window: the menu built from the command table, the tool bars and
// dialog bars, the status bar, and the project's view. Every enabling rule is
// the command table's; the frame only asks.
#include <QDialog>
#include <QMainWindow>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/file_commands.h"
#include "app/information.h"
#include "app/startup.h"
#include "graphics/scene_tree.h"
#include "scene/edit_tools.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QSettings;
class QToolBar;

namespace qx {

class CInformationDlg;
class CWQuarlexDoc;
class CWQuarlexView;
class Digitizer;
class ViewController;

// The application's name in the profile and in the About box's title.
inline constexpr const char* kApplicationName = "wQuarlex";
// The frame title follows the document: "<title> - Quarlex".
inline constexpr const char* kFrameTitleSuffix = " - Quarlex";
// The first status pane before the cursor moves over a project.
inline constexpr const char* kInitialStatusText = "X=00000.00  Y=00000.00  Z=00000.00";
inline constexpr int kStatusPaneCount = 5;

// The About box: the program's name and version line.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  QLabel* versionLabel() const { return version_; }

 private:
  QLabel* version_ = nullptr;
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  struct Options {
    bool useOpenGL = true;                   // false: show the no-OpenGL message instead of the view
    int recentFileCount = kRecentFileCount;  // entries of the recent-file list
  };

  CMainFrame(CWQuarlexDoc& doc, Options options, QWidget* parent = nullptr);
  explicit CMainFrame(CWQuarlexDoc& doc, QWidget* parent = nullptr) : CMainFrame(doc, Options{}, parent) {}
  ~CMainFrame() override;

  // The action of a command of the menu table; nullptr for an unknown command.
  QAction* action(CommandId id) const;
  // The top-level menus, in the table's order.
  const std::vector<QMenu*>& menus() const { return menus_; }
  // The tool bars and dialog bars, in their order of creation.
  QToolBar* fileToolBar() const { return fileBar_; }
  QToolBar* digitizeToolBar() const { return digitizeBar_; }
  QToolBar* modifyToolBar() const { return modifyBar_; }
  QToolBar* sectionViewToolBar() const { return sectionViewBar_; }
  QToolBar* sectionBar() const { return sectionBar_; }
  QToolBar* renderingBar() const { return renderingBar_; }
  QLabel* statusPane(int index) const;
  // The view, or nullptr when no OpenGL context can be made.
  CWQuarlexView* view() const { return view_; }
  // What the view does with the mouse and the view commands; nullptr when
  // the document has no scene.
  ViewController* viewController() const { return controller_.get(); }
  // The section selector and the polygons' two controls.
  QComboBox* sectionCombo() const { return sectionCombo_; }
  QComboBox* renderingCombo() const { return renderingCombo_; }
  QComboBox* exaggerationCombo() const { return exaggerationCombo_; }

  // ---- the editing tools ----
  // A button of the digitize or modify bar, or nullptr.
  QAction* editAction(EditCommand command) const;
  // The snap buttons: modes 1..6, then kSnapMiddleButton and kSnapDistanceButton.
  static constexpr int kSnapMiddleButton = 7;
  static constexpr int kSnapDistanceButton = 8;
  QAction* snapAction(int button) const;
  QLineEdit* snapDistanceField() const { return snapDistance_; }
  // What turns clicks into points; nullptr when the document has no scene.
  Digitizer* digitizer() const { return digitizer_.get(); }
  // Carries out a tool command through the document, then shows what it did.
  void runEditCommand(EditCommand command);
  // The modal pick of the tools: waits for the next left press in the view
  // (Esc or any other key ends it without one), then picks there in `mode`.
  std::optional<gfx::Key> waitForPick(int mode);
  bool pickActive() const { return pickActive_; }

  // Enabling and check marks of every command, from the document's state.
  void updateCommandStates();
  // "<title> - Quarlex", with Qt's modified marker while the project is modified.
  void updateTitle();

  // The project files: the rules are the file commands' (questions and file
  // dialogs through the document's port); the frame keeps the recent-file
  // list in the profile.
  FileCommands& fileCommands() { return files_; }
  // Opens `path` and puts it first in the recent-file list (the command line).
  bool openProject(const QString& path);

  // The recent-file list of the application profile, newest first.
  QStringList recentFiles() const;
  void addRecentFile(const QString& path);
  void removeRecentFile(const QString& path);
  // Writes the recent-file list and the state of the bars into the profile.
  void saveSettings() const;

  // A pick in the view: the item of `selectionMode` (0 composites, 1 figures,
  // 2 envelopes, 4 polygons) with the picked item's key joins the history of
  // the "Information" window, which is shown (made first when absent) with
  // the pick on its last line. Other modes change nothing.
  void showPicked(int selectionMode, int key);
  // "&Information Dialog": shows the window (made first when absent) and
  // brings it to the front, or hides it.
  void toggleInformation();
  // The window, or nullptr before it was first shown.
  CInformationDlg* informationDialog() const { return info_; }
  const CInformationDlgDataList& picks() const { return picks_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Project files dropped on the window are opened; anything else is refused with a message.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  void buildToolBars();
  void buildStatusBar();
  void buildCentralWidget(bool useOpenGL);
  void loadSettings();
  void rebuildRecentFileEntries();
  void saveRecentFiles(QSettings& settings) const;
  void recentFilesChanged();
  void onCommand(CommandId id, bool checked);
  // The view's commands; false for a command that is not one.
  bool runViewCommand(CommandId id);
  void connectView();
  void buildEditBars();
  // The left button in the view while a tool is active: a digitized point.
  void digitizeClick(double x, double y);
  void snapCoordinate();
  // After a tool changed something: bars, prompt, the line to the cursor.
  void editStateChanged();
  void updateEditActions();
  void drawEditBand();
  void updateBars();
  // After a change of the scene: the view repaints, the commands follow.
  void sceneChanged();
  bool isChecked(CommandId id) const;
  QToolBar* barOf(CommandId id) const;
  QAction* placeholder(QToolBar* bar, const QString& glyph, const QString& text);
  // What the command just run did, in the status bar.
  void showCommandMessage(CommandId id);
  // The window's lines again from the history and the project, while it is shown.
  void refreshInformation();
  // A composite went: its picks and its polygon's go from the history.
  void compositeRemoved(int index);

  CWQuarlexDoc& doc_;
  Options options_;
  std::map<CommandId, QAction*> actions_;
  std::vector<QMenu*> menus_;
  QMenu* fileMenu_ = nullptr;
  std::vector<QAction*> recentActions_;
  RecentFileList recent_;
  FileCommands files_;
  QToolBar* fileBar_ = nullptr;
  QToolBar* digitizeBar_ = nullptr;
  QToolBar* modifyBar_ = nullptr;
  QToolBar* sectionViewBar_ = nullptr;
  QToolBar* sectionBar_ = nullptr;
  QToolBar* renderingBar_ = nullptr;
  std::vector<QLabel*> statusPanes_;
  QComboBox* sectionCombo_ = nullptr;
  QComboBox* renderingCombo_ = nullptr;
  QComboBox* exaggerationCombo_ = nullptr;
  CWQuarlexView* view_ = nullptr;
  std::unique_ptr<ViewController> controller_;
  std::unique_ptr<Digitizer> digitizer_;
  std::map<EditCommand, QAction*> editActions_;
  std::map<int, QAction*> snapActions_;
  QLineEdit* snapDistance_ = nullptr;
  bool digitizeBarWanted_ = false;
  bool modifyBarWanted_ = false;
  bool pickActive_ = false;
  CInformationDlgDataList picks_;
  CInformationDlg* info_ = nullptr;
};

}  // namespace qx
