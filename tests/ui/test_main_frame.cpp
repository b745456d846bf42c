// The main frame's bindings: each control reflects the command table and the
// file commands (src/app, where their rules are tested), the title, the bars
// and the profile that keeps the recent-file list.
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
#include <algorithm>

#include "app/commands.h"
#include "app/document.h"
#include "app/project_objects.h"
#include "app/version.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/main_frame.h"

namespace qx {
namespace {

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
    frame = std::make_unique<CMainFrame>(doc, noOpenGL());
  }

  static CMainFrame::Options noOpenGL() {
    CMainFrame::Options options;
    options.useOpenGL = false;  // the offscreen platform: no view
    return options;
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
  test::ScriptedPort port;
  CWQuarlexDoc doc{objects, port};
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, EachMenuActionReflectsItsTableEntryAndTheFileCommandsEnabling) {
  const QList<QAction*> bar = frame->menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(menuTitles().size()));
  size_t total = 0;
  for (size_t m = 0; m < menuTitles().size(); ++m) {
    QMenu* menu = frame->menus()[m];
    EXPECT_EQ(bar[static_cast<qsizetype>(m)]->text().toStdString(), menuTitles()[m]);
    bool separator = false;
    auto entry = menuTable().begin();
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        separator = true;
        continue;
      }
      while (entry != menuTable().end() && entry->menu != menuTitles()[m]) ++entry;
      ASSERT_NE(entry, menuTable().end());
      const std::string text(entry->text);
      const size_t tab = text.find('\t');
      EXPECT_EQ(frame->action(entry->id), a) << text;
      EXPECT_EQ(a->text().toStdString(), text.substr(0, tab));
      EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText).toStdString(),
                tab == std::string::npos ? "" : text.substr(tab + 1));
      EXPECT_EQ(a->statusTip().toStdString(), entry->prompt) << text;
      EXPECT_EQ(a->isCheckable(), entry->checkable) << text;
      EXPECT_EQ(separator, entry->separatorBefore) << text;
      separator = false;
      ++entry;
      ++total;
    }
  }
  EXPECT_EQ(total, menuTable().size());

  // Enabled exactly as the file commands say, read again each time a menu opens.
  auto expectEnabling = [&](const char* state) {
    for (QMenu* menu : frame->menus()) Q_EMIT menu->aboutToShow();
    for (const MenuEntry& e : menuTable()) {
      if (!frame->action(e.id)->isVisible()) continue;  // "Recent File" gives its place to the list
      EXPECT_EQ(frame->action(e.id)->isEnabled(), frame->fileCommands().isEnabled(e.id)) << state << ": " << e.text;
    }
  };
  expectEnabling("empty");
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());
  addLoadedVariable("Au");  // no notification: only opening a menu reads the state again
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());
  frame->addRecentFile(QStringLiteral("/p/a.qrx"));
  expectEnabling("set up, a recent file");
  EXPECT_TRUE(frame->action(CommandId::EditProjectSettings)->isEnabled());
}

TEST_F(MainFrameTest, ActionsRunTheFileCommandsAndTheBarCommandsShowAndHideTheBars) {
  addLoadedVariable("Au");
  openMenuOf(CommandId::EditProjectSettings);
  port.answerSheet([](SheetModel&) { return true; });
  frame->action(CommandId::EditProjectSettings)->trigger();
  EXPECT_EQ(port.log().back(), "sheet: Project Settings");
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(port.allAnswersUsed());

  // A shortcut may arrive for a command whose rule no longer holds: nothing runs.
  objects.settings.loaded.clear();
  frame->action(CommandId::EditProjectSettings)->trigger();
  EXPECT_EQ(port.log().size(), 1u);
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());

  frame->show();
  QApplication::processEvents();
  const std::pair<CommandId, QWidget*> bars[] = {
      {CommandId::ViewFileToolBar, frame->fileToolBar()},
      {CommandId::ViewDigitizeToolBar, frame->digitizeToolBar()},
      {CommandId::ViewModifyToolBar, frame->modifyToolBar()},
      {CommandId::ViewSectionToolBar, frame->sectionViewToolBar()},
      {CommandId::ViewSectionBar, frame->sectionBar()},
      {CommandId::ViewStatusBar, frame->statusBar()},
  };
  for (const auto& [id, bar] : bars) {
    QAction* a = frame->action(id);
    openMenuOf(id);
    EXPECT_TRUE(a->isChecked());
    a->trigger();  // unchecks
    EXPECT_TRUE(bar->isHidden()) << findMenuEntry(id)->text;
    openMenuOf(id);
    EXPECT_FALSE(a->isChecked());
    a->trigger();
    EXPECT_FALSE(bar->isHidden());
  }
}

TEST_F(MainFrameTest, TitleFollowsTheDocument) {
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled[*] - Quarlex"));
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

TEST_F(MainFrameTest, BarsStatusPanesAndTheCentralWidget) {
  // The file bar shares the menu's actions; every other button is a placeholder, never enabled.
  const QList<QAction*> file = frame->fileToolBar()->actions();
  EXPECT_EQ(file, (QList<QAction*>{frame->action(CommandId::FileNew), frame->action(CommandId::FileOpen),
                                   frame->action(CommandId::FileSave), frame->action(CommandId::FilePrint)}));
  addLoadedVariable("Au");
  frame->updateCommandStates();
  for (QToolBar* bar : {frame->digitizeToolBar(), frame->modifyToolBar(), frame->sectionViewToolBar(),
                        frame->sectionBar(), frame->renderingBar()}) {
    for (QAction* a : bar->actions()) {
      if (auto* field = qobject_cast<QWidgetAction*>(a)) {  // a field, or the label before it
        const QWidget* w = field->defaultWidget();
        if (w != nullptr && !w->inherits("QLabel")) EXPECT_FALSE(w->isEnabled());
        continue;
      }
      const auto shared = std::find_if(menuTable().begin(), menuTable().end(),
                                       [&](const MenuEntry& e) { return frame->action(e.id) == a; });
      EXPECT_EQ(a->isEnabled(), shared != menuTable().end() && frame->fileCommands().isEnabled(shared->id))
          << a->text().toStdString();
    }
  }

  ASSERT_NE(frame->statusPane(kStatusPaneCount - 1), nullptr);
  EXPECT_EQ(frame->statusPane(kStatusPaneCount), nullptr);
  EXPECT_EQ(frame->statusPane(0)->text(), QString::fromLatin1(kInitialStatusText));
  frame->resize(1000, 600);
  frame->show();
  QApplication::processEvents();
  int others = 0;
  for (int i = 1; i < kStatusPaneCount; ++i) others += frame->statusPane(i)->width();
  EXPECT_GT(frame->statusPane(0)->width(), others);  // the first pane stretches
  EXPECT_LT(frame->statusPane(0)->x(), frame->statusPane(1)->x());

  // Without OpenGL the view is a message and the document has no view.
  EXPECT_EQ(frame->view(), nullptr);
  EXPECT_EQ(doc.view(), nullptr);
  ASSERT_NE(qobject_cast<QLabel*>(frame->centralWidget()), nullptr);
  EXPECT_EQ(CAboutDlg().versionLabel()->text().toStdString(), aboutText());
}

TEST_F(MainFrameTest, TheProfileKeepsTheRecentListAtOnceAndTheMenuShowsItBeforeExit) {
  openMenuOf(CommandId::FileMru);
  EXPECT_TRUE(frame->action(CommandId::FileMru)->isVisible());  // "Recent File" stands for an empty list
  for (const char* path : {"/p/a.qrx", "/p/b.qrx", "/p/c.qrx", "/p/d.qrx", "/p/e.qrx"})
    frame->addRecentFile(QString::fromLatin1(path));
  frame->removeRecentFile(QStringLiteral("/p/d.qrx"));
  const QStringList expected = {"/p/e.qrx", "/p/c.qrx", "/p/b.qrx"};
  EXPECT_EQ(frame->recentFiles(), expected);
  EXPECT_EQ(profileRecentFiles(), expected);  // kept at once, not only when the frame closes
  frame->modifyToolBar()->hide();
  frame->saveSettings();

  CMainFrame again(doc, noOpenGL());
  EXPECT_EQ(again.recentFiles(), expected);
  EXPECT_TRUE(again.modifyToolBar()->isHidden());
  EXPECT_FALSE(again.digitizeToolBar()->isHidden());
  QMenu* fileMenu = again.menus().front();
  Q_EMIT fileMenu->aboutToShow();
  Q_EMIT fileMenu->aboutToShow();  // built again, not twice
  EXPECT_FALSE(again.action(CommandId::FileMru)->isVisible());
  const QList<QAction*> actions = fileMenu->actions();
  const qsizetype mru = actions.indexOf(again.action(CommandId::FileMru));
  ASSERT_GE(mru, 3);
  QStringList shown;
  for (qsizetype i = mru - 3; i < mru; ++i) {
    shown << actions[i]->text();
    EXPECT_TRUE(actions[i]->isEnabled());
    EXPECT_EQ(actions[i]->statusTip(), again.action(CommandId::FileMru)->statusTip());
  }
  EXPECT_EQ(shown, QStringList({"&1 /p/e.qrx", "&2 /p/c.qrx", "&3 /p/b.qrx"}));
  EXPECT_TRUE(actions[mru - 4]->isSeparator());
}

// The project files through the frame: the file commands' questions and the
// document's open and save, with the recent-file list of the profile.
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

TEST_F(ProjectFileTest, SaveAndOpenThroughTheMenuFillTheProfilesList) {
  const std::string other = writeProject("other.qrx", "Pb");
  addLoadedVariable("Au");
  const std::string path = pathIn("pit.qrx");
  port.answerFile(path);
  frame->action(CommandId::FileSave)->trigger();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("pit.qrx[*] - Quarlex"));
  EXPECT_EQ(profileRecentFiles(), QStringList{QString::fromStdString(path)});

  port.answerFile(other);
  frame->action(CommandId::FileOpen)->trigger();
  EXPECT_EQ(loadedNames(), "Pb;");
  const QStringList both = {QString::fromStdString(other), QString::fromStdString(path)};
  EXPECT_EQ(profileRecentFiles(), both);

  // A recent file that cannot be opened leaves the profile's list too.
  QFile::remove(QString::fromStdString(path));
  recentEntry(QStringLiteral("&2 ") + QString::fromStdString(path))->trigger();
  EXPECT_EQ(profileRecentFiles(), QStringList{QString::fromStdString(other)});
  EXPECT_EQ(port.messages().size(), 1u);
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

TEST_F(ProjectFileTest, ClosingTheWindowAsksTheSaveChangesQuestion) {
  doc.setModifiedFlag(true);
  QCloseEvent kept;
  port.answerMessage(MessageAnswer::Cancel);
  QApplication::sendEvent(frame.get(), &kept);
  EXPECT_FALSE(kept.isAccepted());
  EXPECT_EQ(port.messages().back(), "Save changes to Untitled?");

  QCloseEvent closed;
  port.answerMessage(MessageAnswer::No);
  QApplication::sendEvent(frame.get(), &closed);
  EXPECT_TRUE(closed.isAccepted());
  EXPECT_TRUE(port.allAnswersUsed());
}

}  // namespace
}  // namespace qx
