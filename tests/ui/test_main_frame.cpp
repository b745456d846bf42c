// The main frame's bindings: each control reflects the command table and the
// file commands (src/app, where their rules are tested), the title, the bars
// and the profile that keeps the recent-file list.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
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
#include "saved_project.h"
#include "scripted_port.h"
#include "ui/glyph_icon.h"
#include "ui/information_widget.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "variables/variable_edit_dialog.h"

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

  // Opening the menus is what recomputes their entries.
  void openMenus() {
    for (QMenu* menu : frame->menus()) Q_EMIT menu->aboutToShow();
  }
  void addLoadedVariable(const std::string& name) { objects.settings.loaded.emplace_back(name); }
  std::string pathIn(const char* name) const { return dir.filePath(QLatin1String(name)).toStdString(); }

  ProjectObjects objects;
  test::ScriptedPort port;
  CWQuarlexDoc doc{objects, port};
  std::unique_ptr<CMainFrame> frame;
  QTemporaryDir dir;
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
    openMenus();
    for (const MenuEntry& e : menuTable()) {
      if (!frame->action(e.id)->isVisible()) continue;  // "Recent File" gives its place to the list
      EXPECT_EQ(frame->action(e.id)->isEnabled(), frame->fileCommands().isEnabled(e.id)) << state << ": " << e.text;
    }
  };
  expectEnabling("empty");
  addLoadedVariable("Au");  // no notification: only opening a menu reads the state again
  EXPECT_FALSE(frame->action(CommandId::EditProjectSettings)->isEnabled());
  frame->addRecentFile(QStringLiteral("/p/a.qrx"));
  expectEnabling("set up, a recent file");
  EXPECT_TRUE(frame->action(CommandId::EditProjectSettings)->isEnabled());
}

TEST_F(MainFrameTest, ActionsRunTheFileCommandsAndTheBarCommandsShowAndHideTheBars) {
  addLoadedVariable("Au");
  openMenus();
  port.answerSheet([](SheetModel&) { return true; });
  frame->action(CommandId::EditProjectSettings)->trigger();
  EXPECT_EQ(port.log().back(), "sheet: Project Settings");
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(port.allAnswersUsed());

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
    openMenus();
    EXPECT_TRUE(a->isChecked());
    a->trigger();  // unchecks
    EXPECT_TRUE(bar->isHidden()) << findMenuEntry(id)->text;
    openMenus();
    EXPECT_FALSE(a->isChecked());
    a->trigger();
    EXPECT_FALSE(bar->isHidden());
  }
}

TEST_F(MainFrameTest, APickShowsTheInformationWindowWithItsLineLastAndTheMenuHidesIt) {
  objects.envelopes.envelopes.emplace_back().name = "Waste";
  objects.envelopes.envelopes.emplace_back().name = "Ore";
  frame->showPicked(3, 0);  // surfaces are not shown
  EXPECT_EQ(frame->informationDialog(), nullptr);
  frame->showPicked(2, 1002);
  CInformationDlg* info = frame->informationDialog();
  ASSERT_NE(info, nullptr);
  EXPECT_FALSE(info->isHidden());
  EXPECT_EQ(info->list()->item(0)->text(), QStringLiteral("Envelope: \"Ore\""));
  EXPECT_EQ(info->list()->currentRow(), 1);
  QAction* toggle = frame->action(CommandId::ViewInformationDialog);
  EXPECT_TRUE(toggle->isChecked());
  toggle->trigger();
  EXPECT_TRUE(info->isHidden());
  EXPECT_FALSE(toggle->isChecked());
}

TEST_F(MainFrameTest, TitleFollowsTheDocument) {
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled[*] - Quarlex"));
  doc.setModifiedFlag(true);
  EXPECT_TRUE(frame->isWindowModified());
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
        if (w != nullptr && !w->inherits("QLabel")) {
          EXPECT_FALSE(w->isEnabled());
        }
        continue;
      }
      const auto shared = std::find_if(menuTable().begin(), menuTable().end(),
                                       [&](const MenuEntry& e) { return frame->action(e.id) == a; });
      EXPECT_EQ(a->isEnabled(), shared != menuTable().end() && frame->fileCommands().isEnabled(shared->id))
          << a->text().toStdString();
    }
  }

  EXPECT_EQ(frame->statusPane(0)->text(), QString::fromLatin1(kInitialStatusText));
  // Without OpenGL the view is a message and the document has no view.
  EXPECT_EQ(doc.view(), nullptr);
  ASSERT_NE(qobject_cast<QLabel*>(frame->centralWidget()), nullptr);
  EXPECT_EQ(CAboutDlg().versionLabel()->text().toStdString(), aboutText());
}

TEST_F(MainFrameTest, TheSettingsCommandsReachTheDocument) {
  addLoadedVariable("Au");
  objects.composites.composites.emplace_back();
  openMenus();
  port.answerSheet([](SheetModel& sheet) { return sheet.title() == "Calculation Settings"; });
  frame->action(CommandId::CalculationSettings)->trigger();
  for (auto [id, kind] : {std::pair{CommandId::EditDefinedVariables, VariableKind::Loaded},
                          std::pair{CommandId::EditCalculatedVariables, VariableKind::Calculated}}) {
    port.answerDialog([kind = kind](DialogModel& m) {
      EXPECT_EQ(dynamic_cast<CVariableEditDialog&>(m).variableKind(), kind);
      return false;
    });
    frame->action(id)->trigger();
  }
  EXPECT_TRUE(port.allAnswersUsed());
  EXPECT_TRUE(doc.isModified());
}

TEST_F(MainFrameTest, TheProfileKeepsTheRecentListAtOnceAndTheMenuShowsItBeforeExit) {
  openMenus();
  EXPECT_TRUE(frame->action(CommandId::FileMru)->isVisible());  // "Recent File" stands for an empty list
  for (const char* path : {"/p/a.qrx", "/p/b.qrx", "/p/c.qrx", "/p/d.qrx", "/p/e.qrx"})
    frame->addRecentFile(QString::fromLatin1(path));
  frame->removeRecentFile(QStringLiteral("/p/d.qrx"));
  const QStringList expected = {"/p/e.qrx", "/p/c.qrx", "/p/b.qrx"};
  EXPECT_EQ(frame->recentFiles(), expected);
  EXPECT_EQ(profileRecentFiles(), expected);  // kept at once, not only when the frame closes
  frame->modifyToolBar()->hide();
  // The imports' file formats come back in the next run.
  DelimitedChoice envelopes{true, {Separator::Semicolon, true}, {{"Envelope Name", 3, 0, 0, "LENS"}}};
  doc.objects().settings.envelopeFormat = envelopes;
  frame->saveSettings();
  doc.objects().settings.envelopeFormat = {};

  CMainFrame again(doc, noOpenGL());
  EXPECT_EQ(doc.objects().settings.envelopeFormat, envelopes);
  EXPECT_EQ(doc.objects().settings.compositeFormat, DelimitedChoice{});
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
  }
  EXPECT_EQ(shown, QStringList({"&1 /p/e.qrx", "&2 /p/c.qrx", "&3 /p/b.qrx"}));
  EXPECT_TRUE(actions[mru - 4]->isSeparator());
}

TEST_F(MainFrameTest, SaveAndOpenThroughTheMenuFillTheProfilesList) {
  const std::string other = test::writeProject(pathIn("other.qrx"), "Pb");
  addLoadedVariable("Au");
  const std::string path = pathIn("pit.qrx");
  port.answerFile(path);
  frame->action(CommandId::FileSave)->trigger();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("pit.qrx[*] - Quarlex"));
  EXPECT_EQ(profileRecentFiles(), QStringList{QString::fromStdString(path)});

  port.answerFile(other);
  frame->action(CommandId::FileOpen)->trigger();
  EXPECT_EQ(objects.settings.loaded.at(0).name, "Pb");

  // A recent file that cannot be opened leaves the profile's list too.
  QFile::remove(QString::fromStdString(path));
  openMenus();
  const QString gone = QStringLiteral("&2 ") + QString::fromStdString(path);
  for (QAction* a : frame->menus().front()->actions())
    if (a->text() == gone) a->trigger();
  EXPECT_EQ(profileRecentFiles(), QStringList{QString::fromStdString(other)});
  EXPECT_EQ(port.messages().size(), 1u);
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(MainFrameTest, ClosingTheWindowAsksTheSaveChangesQuestion) {
  doc.setModifiedFlag(true);
  QCloseEvent kept;
  port.answerMessage(MessageAnswer::Cancel);
  QApplication::sendEvent(frame.get(), &kept);
  EXPECT_FALSE(kept.isAccepted());

  QCloseEvent closed;
  port.answerMessage(MessageAnswer::No);
  QApplication::sendEvent(frame.get(), &closed);
  EXPECT_TRUE(closed.isAccepted());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(MainFrameTest, ADroppedProjectOpensAndADroppedDataFileIsRefusedWithTheReason) {
  const std::string project = test::writeProject(pathIn("pit.QRX"), "Cu");
  const std::string data = pathIn("holes.dat");
  const auto drop = [this](const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(qs(p));
    mime.setUrls(urls);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(frame.get())->event(&event);  // straight to the window, without a drag in progress
  };
  drop({data, project});
  EXPECT_EQ(doc.pathName(), project);
  EXPECT_EQ(objects.settings.loaded.at(0).name, "Cu");
  drop({data});
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages()[0], data +
                                    " was not opened: only project files (*.qrx) are opened by dropping them on "
                                    "the window.\nData files are read with the Import commands of the File menu.");
  EXPECT_EQ(doc.pathName(), project);
}

TEST_F(MainFrameTest, EveryToolBarButtonHasItsDrawingAndItsPromptAsTip) {
  for (QToolBar* bar :
       {frame->fileToolBar(), frame->digitizeToolBar(), frame->modifyToolBar(), frame->sectionViewToolBar()}) {
    for (QAction* a : bar->actions()) {
      if (qobject_cast<QWidgetAction*>(a) != nullptr) continue;
      EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
      EXPECT_EQ(a->toolTip(), a->statusTip()) << a->text().toStdString();
    }
  }
  EXPECT_TRUE(svgIcon(QStringLiteral("no_such_drawing")).isNull());
}

TEST(SvgPainter, TheSubsetOfTheDrawingsFillsWhereItShould) {
  // Each drawing fills the left half of a 4 x 4 view box drawn into 8 x 8 pixels.
  const char* drawings[] = {
      R"(<svg viewBox="0 0 4 4" stroke="none" fill="#ff0000"><rect x="0" y="0" width="2" height="4"/></svg>)",
      R"(<svg viewBox="0 0 4 4"><g fill="#ff0000"><path d="M-2 0h4v4H-2z" stroke="none"/></g></svg>)",
      R"(<svg viewBox="10 10 4 4"><polygon points="10,10 12,10 12,14 10,14" fill="#f00" stroke="none"/></svg>)",
      R"(<svg viewBox="0 0 4 4"><path d="M0,0L2,0 2,4 0,4Z" fill="#ff0000" stroke="#ff0000" stroke-width="0"/></svg>)",
  };
  for (const char* svg : drawings) {
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    EXPECT_TRUE(paintSvg(painter, QByteArray(svg), QRectF(0, 0, 8, 8))) << svg;
    painter.end();
    EXPECT_EQ(image.pixelColor(1, 6), QColor(255, 0, 0)) << svg;
    EXPECT_EQ(image.pixelColor(6, 1).alpha(), 0) << svg;
  }
  QImage image(8, 8, QImage::Format_ARGB32);
  QPainter painter(&image);
  EXPECT_FALSE(paintSvg(painter, "<svg><rect width='2' height='2'/></svg>", QRectF(0, 0, 8, 8))) << "no view box";
}

}  // namespace
}  // namespace qx
