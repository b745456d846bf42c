// The main frame's bindings: the menu built from the command table, the
// enabling read from the document, the title, the bars and the profile.
#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
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
  test::ScriptedPort port;
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
  for (CommandId id :
       {CommandId::ImportComposites, CommandId::CreateFigure, CommandId::DisplayProperties, CommandId::FileOpen,
        CommandId::FileSave, CommandId::FilePrint, CommandId::SelectComposites, CommandId::ViewInformationDialog}) {
    EXPECT_FALSE(frame->action(id)->isEnabled()) << findMenuEntry(id)->text;
  }
  EXPECT_TRUE(frame->action(CommandId::FileNew)->isEnabled());
  EXPECT_TRUE(frame->action(CommandId::AppAbout)->isEnabled());
  // Every enabled entry is one this build carries out.
  for (const MenuEntry& e : menuTable()) {
    if (frame->action(e.id)->isEnabled()) EXPECT_TRUE(isImplemented(e.id)) << e.text;
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
  EXPECT_FALSE(file[1]->isEnabled());

  addLoadedVariable("Au");
  frame->updateCommandStates();
  for (QToolBar* bar : {frame->digitizeToolBar(), frame->modifyToolBar(), frame->sectionViewToolBar(),
                        frame->sectionBar(), frame->renderingBar()}) {
    for (QAction* a : bar->actions()) {
      if (qobject_cast<QWidgetAction*>(a) != nullptr) continue;  // the fields, checked below
      EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    for (QWidget* w : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (w->inherits("QLineEdit") || w->inherits("QComboBox")) EXPECT_FALSE(w->isEnabled());
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

TEST_F(MainFrameTest, ExitAsksToSaveAModifiedProject) {
  doc.setModifiedFlag(true);
  QCloseEvent cancelled;
  port.answerMessage(MessageAnswer::Cancel);
  QApplication::sendEvent(frame.get(), &cancelled);
  EXPECT_FALSE(cancelled.isAccepted());
  EXPECT_EQ(port.messages().back(), "Save changes to Untitled?");

  // Saving is not carried out yet: the project stays open and the user is told.
  QCloseEvent yes;
  port.answerMessage(MessageAnswer::Yes);
  QApplication::sendEvent(frame.get(), &yes);
  EXPECT_FALSE(yes.isAccepted());
  EXPECT_EQ(port.messages().back(), "Saving projects is not available yet: the project stays open.");

  QCloseEvent no;
  port.answerMessage(MessageAnswer::No);
  QApplication::sendEvent(frame.get(), &no);
  EXPECT_TRUE(no.isAccepted());

  doc.setModifiedFlag(false);
  port.clearLog();
  QCloseEvent clean;
  QApplication::sendEvent(frame.get(), &clean);
  EXPECT_TRUE(clean.isAccepted());
  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(port.allAnswersUsed());
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

}  // namespace
}  // namespace qx
