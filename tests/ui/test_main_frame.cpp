// The main frame's bindings: the menu built from the command table, the
// enabling read from the document, the title, the bars and the profile.
#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QWidgetAction>

#include "app/commands.h"
#include "app/document.h"
#include "app/project_objects.h"
#include "app/version.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/main_frame.h"

namespace qx {
namespace {

// The scripted port, also keeping what each file dialog was asked with.
class FileRecordingPort : public test::ScriptedPort {
 public:
  std::optional<std::string> chooseFile(const FileDialogSpec& spec) override {
    specs.push_back(spec);
    return ScriptedPort::chooseFile(spec);
  }
  std::vector<FileDialogSpec> specs;
};

// The recent-file list as the profile holds it.
QStringList profileRecentFiles() {
  QSettings profile(QString::fromLatin1(kProfileKey), QString::fromLatin1(kApplicationName));
  QStringList files;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const QString path = profile.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    if (!path.isEmpty()) files << path;
  }
  return files;
}

class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest() {
    test::qtApp();
    test::clearProfile();
    CMainFrame::Options options;
    options.useOpenGL = false;  // the offscreen platform: no view
    frame = std::make_unique<CMainFrame>(doc, options);
  }

  // The menu's entries without the separators, and whether a separator stands before each.
  static std::vector<std::pair<QAction*, bool>> entries(const QMenu* menu) {
    std::vector<std::pair<QAction*, bool>> result;
    bool separator = false;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        separator = true;
        continue;
      }
      result.emplace_back(a, separator);
      separator = false;
    }
    return result;
  }

  QMenu* menuOf(CommandId id) const {
    const MenuEntry* entry = findMenuEntry(id);
    for (QMenu* menu : frame->menus()) {
      if (menu->title().toStdString() == entry->menu) return menu;
    }
    return nullptr;
  }

  // Opening the menu is what recomputes its entries.
  void openMenuOf(CommandId id) { Q_EMIT menuOf(id)->aboutToShow(); }

  void addLoadedVariable(const std::string& name) { objects.settings.loaded.emplace_back(name); }

  ProjectObjects objects;
  FileRecordingPort port;
  CWQuarlexDoc doc{objects, port};
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, MenuBarHoldsTheTableMenusInOrder) {
  const auto titles = menuTitles();
  const QList<QAction*> bar = frame->menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(titles.size()));
  for (size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(bar[static_cast<qsizetype>(i)]->text().toStdString(), titles[i]);
  }
  EXPECT_EQ(bar.front()->text(), QStringLiteral("&File"));
  EXPECT_EQ(bar.back()->text(), QStringLiteral("&Help"));
}

TEST_F(MainFrameTest, EveryMenuListsItsEntriesInTableOrderWithPromptsAndAccelerators) {
  size_t total = 0;
  for (QMenu* menu : frame->menus()) {
    std::vector<const MenuEntry*> expected;
    for (const MenuEntry& e : menuTable()) {
      if (e.menu == menu->title().toStdString()) expected.push_back(&e);
    }
    const auto shown = entries(menu);
    ASSERT_EQ(shown.size(), expected.size()) << menu->title().toStdString();
    for (size_t i = 0; i < shown.size(); ++i) {
      const MenuEntry& e = *expected[i];
      QAction* a = shown[i].first;
      const std::string text(e.text);
      const size_t tab = text.find('\t');
      EXPECT_EQ(a->text().toStdString(), text.substr(0, tab));
      EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText).toStdString(),
                tab == std::string::npos ? "" : text.substr(tab + 1));
      EXPECT_EQ(a->statusTip().toStdString(), e.prompt) << text;
      EXPECT_EQ(a->isCheckable(), e.checkable) << text;
      EXPECT_EQ(shown[i].second, e.separatorBefore) << text;
      EXPECT_EQ(frame->action(e.id), a) << text;
    }
    total += shown.size();
  }
  EXPECT_EQ(total, menuTable().size());
  // Spot checks against the texts themselves, not only the table.
  EXPECT_EQ(frame->action(CommandId::FileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(frame->action(CommandId::ImportComposites)->statusTip(), QStringLiteral("Load a set of composite data"));
  EXPECT_EQ(frame->action(CommandId::EnvelopeCompositeSurfaceProperties)->text(),
            QStringLiteral("&Envelope, Composite && Surface Properties..."));
}

TEST_F(MainFrameTest, CommandsNotCarriedOutYetAreDisabledEvenWhenTheirRuleHolds) {
  addLoadedVariable("Au");
  for (QMenu* menu : frame->menus()) Q_EMIT menu->aboutToShow();
  // Set up, so the rule of these holds; they are still not implemented.
  for (CommandId id : {CommandId::CreateFigure, CommandId::DisplayProperties, CommandId::FilePrint,
                       CommandId::SelectComposites, CommandId::ViewInformationDialog}) {
    EXPECT_FALSE(frame->action(id)->isEnabled()) << findMenuEntry(id)->text;
  }
  // Figures can be imported once the project is set up.
  EXPECT_TRUE(frame->action(CommandId::ImportFigures)->isEnabled());
  for (CommandId id : {CommandId::FileNew, CommandId::FileOpen, CommandId::FileSave, CommandId::FileSaveAs,
                       CommandId::FileExit, CommandId::AppAbout}) {
    EXPECT_TRUE(frame->action(id)->isEnabled()) << findMenuEntry(id)->text;
  }
  // Every enabled entry is one this build carries out.
  for (const MenuEntry& e : menuTable()) {
    if (frame->action(e.id)->isEnabled()) {
      EXPECT_TRUE(isImplemented(e.id)) << e.text;
    }
  }
}

TEST_F(MainFrameTest, ProjectSettingsFollowTheLoadedVariablesWhenTheMenuOpens) {
  openMenuOf(CommandId::EditProjectSettings);
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());

  addLoadedVariable("Cu");  // no notification: only opening the menu reads the state again
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());
  openMenuOf(CommandId::EditProjectSettings);
  EXPECT_TRUE(frame->action(CommandId::EditProjectSettings)->isEnabled());

  objects.settings.loaded.clear();
  openMenuOf(CommandId::EditProjectSettings);
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());
}

TEST_F(MainFrameTest, CommandsRunTheDocumentsHandlers) {
  port.answerSheet([](SheetModel& sheet) {
    EXPECT_TRUE(sheet.isWizard());
    return false;
  });
  frame->action(CommandId::FileNew)->trigger();
  ASSERT_FALSE(port.log().empty());
  EXPECT_EQ(port.log().back(), "wizard: Project Setup");

  addLoadedVariable("Au");
  openMenuOf(CommandId::EditProjectSettings);
  port.answerSheet([](SheetModel& sheet) {
    EXPECT_FALSE(sheet.isWizard());
    return true;
  });
  frame->action(CommandId::EditProjectSettings)->trigger();
  EXPECT_EQ(port.log().back(), "sheet: Project Settings");
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(port.allAnswersUsed());

  // The three imports, each cancelled at its file dialog.
  openMenuOf(CommandId::ImportComposites);
  for (CommandId id : {CommandId::ImportComposites, CommandId::ImportEnvelopes, CommandId::ImportSurfaces}) {
    ASSERT_TRUE(frame->action(id)->isEnabled()) << findMenuEntry(id)->text;
    port.answerFile(std::nullopt);
    frame->action(id)->trigger();
  }
  ASSERT_EQ(port.specs.size(), 3u);
  EXPECT_EQ(port.specs[0].title, "Open Composite Datafile");
  EXPECT_EQ(port.specs[1].title, "Open Envelope Datafile");
  EXPECT_EQ(port.specs[2].title, "Open Surface Datafile");
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(MainFrameTest, TitleFollowsTheDocument) {
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled[*] - Quarlex"));
  EXPECT_FALSE(frame->isWindowModified());

  doc.setTitle("Pit North");
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Pit North[*] - Quarlex"));
  doc.setModifiedFlag(true);
  EXPECT_TRUE(frame->isWindowModified());
  doc.setModifiedFlag(false);
  EXPECT_FALSE(frame->isWindowModified());

  // A "[*]" of the title itself is not taken for the marker.
  doc.setTitle("a[*]b");
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("a[*][*]b[*] - Quarlex"));
}

TEST_F(MainFrameTest, StatusBarHasFivePanesTheFirstStretchingWithTheInitialText) {
  ASSERT_NE(frame->statusPane(kStatusPaneCount - 1), nullptr);
  EXPECT_EQ(frame->statusPane(kStatusPaneCount), nullptr);
  EXPECT_EQ(frame->statusPane(0)->text(), QStringLiteral("X=00000.00  Y=00000.00  Z=00000.00"));
  for (int i = 1; i < kStatusPaneCount; ++i) EXPECT_TRUE(frame->statusPane(i)->text().isEmpty());
  frame->resize(1000, 600);
  frame->show();
  QApplication::processEvents();
  int others = 0;
  for (int i = 1; i < kStatusPaneCount; ++i) others += frame->statusPane(i)->width();
  EXPECT_GT(frame->statusPane(0)->width(), others);
  EXPECT_LT(frame->statusPane(0)->x(), frame->statusPane(1)->x());
}

TEST_F(MainFrameTest, ViewMenuShowsAndHidesTheBarsWithCheckMarks) {
  frame->show();
  QApplication::processEvents();
  const std::pair<CommandId, QToolBar*> bars[] = {
      {CommandId::ViewFileToolBar, frame->fileToolBar()},
      {CommandId::ViewDigitizeToolBar, frame->digitizeToolBar()},
      {CommandId::ViewModifyToolBar, frame->modifyToolBar()},
      {CommandId::ViewSectionToolBar, frame->sectionViewToolBar()},
      {CommandId::ViewSectionBar, frame->sectionBar()},
  };
  for (const auto& [id, bar] : bars) {
    QAction* a = frame->action(id);
    openMenuOf(id);
    EXPECT_TRUE(a->isEnabled());
    EXPECT_TRUE(a->isChecked());
    a->trigger();  // unchecks
    EXPECT_TRUE(bar->isHidden()) << findMenuEntry(id)->text;
    openMenuOf(id);
    EXPECT_FALSE(a->isChecked());
    a->trigger();
    EXPECT_FALSE(bar->isHidden());
  }
  frame->action(CommandId::ViewStatusBar)->trigger();
  EXPECT_TRUE(frame->statusBar()->isHidden());
  openMenuOf(CommandId::ViewStatusBar);
  EXPECT_FALSE(frame->action(CommandId::ViewStatusBar)->isChecked());
}

TEST_F(MainFrameTest, ToolBarsHoldTheirButtonsAndOnlyImplementedOnesEnable) {
  const QList<QAction*> file = frame->fileToolBar()->actions();
  ASSERT_EQ(file.size(), 4);
  EXPECT_EQ(file[0], frame->action(CommandId::FileNew));
  EXPECT_EQ(file[1], frame->action(CommandId::FileOpen));
  EXPECT_EQ(file[2], frame->action(CommandId::FileSave));
  EXPECT_EQ(file[3], frame->action(CommandId::FilePrint));
  EXPECT_TRUE(file[0]->isEnabled());
  EXPECT_TRUE(file[1]->isEnabled());
  EXPECT_TRUE(file[2]->isEnabled());
  EXPECT_FALSE(file[3]->isEnabled());

  addLoadedVariable("Au");
  frame->updateCommandStates();
  for (QToolBar* bar : {frame->digitizeToolBar(), frame->modifyToolBar(), frame->sectionViewToolBar(),
                        frame->sectionBar(), frame->renderingBar()}) {
    for (QAction* a : bar->actions()) {
      if (qobject_cast<QWidgetAction*>(a) != nullptr) continue;  // the fields, checked below
      EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    for (QWidget* w : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (w->inherits("QLineEdit") || w->inherits("QComboBox")) {
        EXPECT_FALSE(w->isEnabled());
      }
    }
  }
  EXPECT_EQ(frame->digitizeToolBar()->actions().size(), 12);  // eleven buttons and the snap distance field
  EXPECT_EQ(frame->modifyToolBar()->actions().size(), 12);
}

TEST_F(MainFrameTest, WithoutOpenGLTheViewIsAMessageAndTheDocumentHasNoView) {
  EXPECT_EQ(frame->view(), nullptr);
  EXPECT_EQ(doc.view(), nullptr);
  auto* message = qobject_cast<QLabel*>(frame->centralWidget());
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->text().contains(QStringLiteral("OpenGL")));
}

TEST_F(MainFrameTest, AboutBoxShowsTheVersionLine) {
  CAboutDlg about;
  EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Marneth Version 1.14"));
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About wQuarlex"));
}

TEST_F(MainFrameTest, RecentFilesKeepFourNewestFirstAcrossSessions) {
  openMenuOf(CommandId::FileMru);
  EXPECT_FALSE(frame->action(CommandId::FileMru)->isEnabled());  // "Recent File" with an empty list

  for (const char* path : {"/p/a.qrx", "/p/b.qrx", "/p/c.qrx", "/p/d.qrx", "/p/e.qrx", "/p/c.qrx"}) {
    frame->addRecentFile(QString::fromLatin1(path));
  }
  const QStringList expected = {"/p/c.qrx", "/p/e.qrx", "/p/d.qrx", "/p/b.qrx"};
  EXPECT_EQ(frame->recentFiles(), expected);
  frame->modifyToolBar()->hide();
  frame->saveSettings();

  CMainFrame::Options options;
  options.useOpenGL = false;
  CMainFrame again(doc, options);
  EXPECT_EQ(again.recentFiles(), expected);
  EXPECT_TRUE(again.modifyToolBar()->isHidden());
  EXPECT_FALSE(again.digitizeToolBar()->isHidden());
  Q_EMIT again.menus().front()->aboutToShow();
  EXPECT_FALSE(again.action(CommandId::FileMru)->isVisible());  // the entries stand in its place
  QStringList shown;
  for (QAction* a : again.menus().front()->actions()) {
    if (a->text().startsWith(QLatin1Char('&')) && a->text().at(1).isDigit()) {
      shown << a->text();
      EXPECT_TRUE(a->isEnabled());
      EXPECT_EQ(a->statusTip(), QStringLiteral("Open this document"));
    }
  }
  EXPECT_EQ(shown, QStringList({"&1 /p/c.qrx", "&2 /p/e.qrx", "&3 /p/d.qrx", "&4 /p/b.qrx"}));
  // They stand just before the separator of "E&xit".
  const QList<QAction*> file = again.menus().front()->actions();
  const qsizetype exit = file.indexOf(again.action(CommandId::FileExit));
  ASSERT_GE(exit, 2);
  EXPECT_TRUE(file[exit - 1]->isSeparator());
  EXPECT_EQ(file[exit - 2], again.action(CommandId::FileMru));
  EXPECT_EQ(file[exit - 3]->text(), QStringLiteral("&4 /p/b.qrx"));
}

// The project files through the frame: the questions, the file dialogs (the
// port's), the document's open and save, the title and the recent-file list.
class ProjectFileTest : public MainFrameTest {
 protected:
  ProjectFileTest() { EXPECT_TRUE(dir.isValid()); }

  std::string pathIn(const char* name) const { return dir.filePath(QLatin1String(name)).toStdString(); }

  // A project file holding the loaded variable `variable`, written by another document.
  std::string writeProject(const char* name, const char* variable) const {
    ProjectObjects other;
    other.settings.loaded.emplace_back(variable);
    test::ScriptedPort otherPort;
    CWQuarlexDoc otherDoc(other, otherPort);
    const std::string path = pathIn(name);
    EXPECT_TRUE(otherDoc.onSaveDocument(path));
    return path;
  }

  std::string loadedNames() const {
    std::string names;
    for (const VariableInfo& v : objects.settings.loaded) names += v.name + ";";
    return names;
  }

  bool fileDialogAsked(const char* kind) const {
    for (const std::string& line : port.log()) {
      if (line.rfind(kind, 0) == 0) return true;
    }
    return false;
  }

  QAction* recentEntry(const QString& text) const {
    Q_EMIT frame->menus().front()->aboutToShow();
    for (QAction* a : frame->menus().front()->actions()) {
      if (a->text() == text) return a;
    }
    return nullptr;
  }

  QTemporaryDir dir;
};

TEST_F(ProjectFileTest, SaveWithoutAPathIsSaveAsAndTheProjectFollowsTheFile) {
  addLoadedVariable("Au");
  doc.setModifiedFlag(true);
  const std::string path = pathIn("pit.qrx");
  port.answerFile(path);
  frame->action(CommandId::FileSave)->trigger();

  ASSERT_EQ(port.specs.size(), 1u);
  EXPECT_TRUE(port.specs[0].save);
  EXPECT_EQ(port.specs[0].filter, "Quarlex Files (*.qrx)|*.qrx|All Files (*.*)|*.*||");
  EXPECT_EQ(port.specs[0].defaultExtension, "qrx");
  EXPECT_EQ(port.specs[0].initialPath, "Untitled.qrx");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
  EXPECT_EQ(doc.pathName(), path);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("pit.qrx[*] - Quarlex"));
  EXPECT_FALSE(frame->isWindowModified());
  const QStringList recent = {QString::fromStdString(path)};
  EXPECT_EQ(frame->recentFiles(), recent);
  EXPECT_EQ(profileRecentFiles(), recent);  // kept at once, not only when the frame closes

  // With a path, Save asks nothing.
  doc.setModifiedFlag(true);
  frame->action(CommandId::FileSave)->trigger();
  EXPECT_EQ(port.specs.size(), 1u);
  EXPECT_FALSE(doc.isModified());

  // Save As proposes the project's file; a cancelled dialog changes nothing.
  doc.setModifiedFlag(true);
  port.answerFile(std::nullopt);
  frame->action(CommandId::FileSaveAs)->trigger();
  ASSERT_EQ(port.specs.size(), 2u);
  EXPECT_TRUE(port.specs[1].save);
  EXPECT_EQ(port.specs[1].initialPath, path);
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(doc.pathName(), path);

  // Save As to another file: the project, the title and the list follow it.
  const std::string copy = pathIn("copy.qrx");
  port.answerFile(copy);
  frame->action(CommandId::FileSaveAs)->trigger();
  EXPECT_EQ(doc.pathName(), copy);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("copy.qrx[*] - Quarlex"));
  EXPECT_EQ(frame->recentFiles(), QStringList({QString::fromStdString(copy), QString::fromStdString(path)}));
  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, OpenReadsTheChosenProjectAndPutsItFirstInTheRecentList) {
  const std::string first = writeProject("first.qrx", "Zn");
  const std::string second = writeProject("second.qrx", "Pb");
  frame->addRecentFile(QString::fromStdString(first));

  port.answerFile(second);
  frame->action(CommandId::FileOpen)->trigger();
  ASSERT_EQ(port.specs.size(), 1u);
  EXPECT_FALSE(port.specs[0].save);
  EXPECT_EQ(port.specs[0].filter, "Quarlex Files (*.qrx)|*.qrx|All Files (*.*)|*.*||");
  EXPECT_EQ(loadedNames(), "Pb;");
  EXPECT_EQ(doc.pathName(), second);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("second.qrx[*] - Quarlex"));
  EXPECT_FALSE(frame->isWindowModified());
  const QStringList recent = {QString::fromStdString(second), QString::fromStdString(first)};
  EXPECT_EQ(frame->recentFiles(), recent);
  EXPECT_EQ(profileRecentFiles(), recent);

  // The opened project sets the enabling: it has a loaded variable.
  Q_EMIT menuOf(CommandId::EditProjectSettings)->aboutToShow();
  EXPECT_TRUE(frame->action(CommandId::EditProjectSettings)->isEnabled());

  // A cancelled file dialog opens nothing.
  port.answerFile(std::nullopt);
  frame->action(CommandId::FileOpen)->trigger();
  EXPECT_EQ(port.specs.size(), 2u);
  EXPECT_EQ(port.specs[1].initialPath, dir.path().toStdString());  // starts in the project's folder
  EXPECT_EQ(doc.pathName(), second);
  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, AFailedOpenKeepsTheProjectItsTitleAndPath) {
  const std::string good = writeProject("good.qrx", "Au");
  ASSERT_TRUE(frame->openProject(QString::fromStdString(good)));
  const std::string broken = pathIn("broken.qrx");
  {
    QFile file(QString::fromStdString(broken));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a project");
  }
  port.answerFile(broken);
  frame->action(CommandId::FileOpen)->trigger();

  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages().front().rfind("Unable to open the project " + broken, 0), 0u) << port.messages().front();
  EXPECT_EQ(doc.pathName(), good);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("good.qrx[*] - Quarlex"));
  EXPECT_EQ(loadedNames(), "Au;");
  EXPECT_EQ(frame->recentFiles(), QStringList({QString::fromStdString(good)}));  // the broken file is not listed
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, ARecentFileThatCannotBeOpenedLeavesTheList) {
  const std::string good = writeProject("good.qrx", "Ag");
  const QString missing = dir.filePath(QStringLiteral("gone.qrx"));
  frame->addRecentFile(missing);
  frame->addRecentFile(QString::fromStdString(good));

  QAction* gone = recentEntry(QStringLiteral("&2 ") + missing);
  ASSERT_NE(gone, nullptr);
  gone->trigger();
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages().front().rfind("Unable to open the project " + missing.toStdString(), 0), 0u);
  EXPECT_EQ(frame->recentFiles(), QStringList({QString::fromStdString(good)}));
  EXPECT_EQ(profileRecentFiles(), QStringList({QString::fromStdString(good)}));
  EXPECT_TRUE(doc.pathName().empty());

  QAction* entry = recentEntry(QStringLiteral("&1 ") + QString::fromStdString(good));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(recentEntry(QStringLiteral("&2 ") + missing), nullptr);
  entry->trigger();
  EXPECT_EQ(doc.pathName(), good);
  EXPECT_EQ(loadedNames(), "Ag;");
  EXPECT_TRUE(port.specs.empty());  // a recent file needs no file dialog
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, OpeningAsksToSaveAModifiedProjectAndCancelKeepsIt) {
  const std::string other = writeProject("other.qrx", "Cu");
  addLoadedVariable("Au");
  doc.setTitle("Pit");
  doc.setModifiedFlag(true);

  // Cancel: no file dialog, the project stays as it is.
  port.answerMessage(MessageAnswer::Cancel);
  frame->action(CommandId::FileOpen)->trigger();
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages().front(), "Save changes to Pit?");
  EXPECT_FALSE(fileDialogAsked("file open"));
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(loadedNames(), "Au;");

  // Yes, then Save As cancelled: the open stops there.
  port.answerMessage(MessageAnswer::Yes);
  port.answerFile(std::nullopt);
  frame->action(CommandId::FileOpen)->trigger();
  EXPECT_TRUE(fileDialogAsked("file save"));
  EXPECT_FALSE(fileDialogAsked("file open"));
  EXPECT_TRUE(doc.isModified());

  // A recent file asks the same question first.
  frame->addRecentFile(QString::fromStdString(other));
  port.answerMessage(MessageAnswer::Cancel);
  recentEntry(QStringLiteral("&1 ") + QString::fromStdString(other))->trigger();
  EXPECT_EQ(port.messages().back(), "Save changes to Pit?");
  EXPECT_EQ(loadedNames(), "Au;");

  // No: the other project is opened without saving this one.
  port.answerMessage(MessageAnswer::No);
  port.answerFile(other);
  frame->action(CommandId::FileOpen)->trigger();
  EXPECT_EQ(loadedNames(), "Cu;");
  EXPECT_FALSE(doc.isModified());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, NewAsksToSaveAModifiedProjectFirst) {
  doc.setModifiedFlag(true);
  port.answerMessage(MessageAnswer::Cancel);
  frame->action(CommandId::FileNew)->trigger();
  EXPECT_EQ(port.messages().back(), "Save changes to Untitled?");
  EXPECT_EQ(port.log().back().find("wizard"), std::string::npos);

  // Yes saves first, then the wizard runs.
  const std::string path = pathIn("before-new.qrx");
  port.answerMessage(MessageAnswer::Yes);
  port.answerFile(path);
  port.answerSheet([](SheetModel&) { return false; });
  frame->action(CommandId::FileNew)->trigger();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
  EXPECT_EQ(port.log().back(), "wizard: Project Setup");

  // Unmodified: straight to the wizard.
  port.clearLog();
  port.answerSheet([](SheetModel&) { return false; });
  frame->action(CommandId::FileNew)->trigger();
  EXPECT_TRUE(port.messages().empty());
  EXPECT_EQ(port.log().back(), "wizard: Project Setup");
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ProjectFileTest, ExitAsksToSaveAModifiedProject) {
  doc.setModifiedFlag(true);
  QCloseEvent cancelled;
  port.answerMessage(MessageAnswer::Cancel);
  QApplication::sendEvent(frame.get(), &cancelled);
  EXPECT_FALSE(cancelled.isAccepted());
  EXPECT_EQ(port.messages().back(), "Save changes to Untitled?");

  // Yes with a cancelled Save As keeps the window.
  QCloseEvent cancelledSave;
  port.answerMessage(MessageAnswer::Yes);
  port.answerFile(std::nullopt);
  QApplication::sendEvent(frame.get(), &cancelledSave);
  EXPECT_FALSE(cancelledSave.isAccepted());

  // Yes with a save that fails keeps it too; the document said why.
  QCloseEvent failedSave;
  port.answerMessage(MessageAnswer::Yes);
  port.answerFile(pathIn("no-such-folder/pit.qrx"));
  QApplication::sendEvent(frame.get(), &failedSave);
  EXPECT_FALSE(failedSave.isAccepted());
  EXPECT_EQ(port.messages().back().rfind("Unable to save the project", 0), 0u) << port.messages().back();
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(frame->recentFiles().isEmpty());

  // Yes with a save that works closes.
  QCloseEvent saved;
  port.answerMessage(MessageAnswer::Yes);
  port.answerFile(pathIn("pit.qrx"));
  QApplication::sendEvent(frame.get(), &saved);
  EXPECT_TRUE(saved.isAccepted());
  EXPECT_FALSE(doc.isModified());

  doc.setModifiedFlag(true);
  QCloseEvent no;
  port.answerMessage(MessageAnswer::No);
  QApplication::sendEvent(frame.get(), &no);
  EXPECT_TRUE(no.isAccepted());
  EXPECT_TRUE(doc.isModified());  // closed without saving

  doc.setModifiedFlag(false);
  port.clearLog();
  QCloseEvent clean;
  QApplication::sendEvent(frame.get(), &clean);
  EXPECT_TRUE(clean.isAccepted());
  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(port.allAnswersUsed());
}

}  // namespace
}  // namespace qx
