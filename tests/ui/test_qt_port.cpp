// The desktop's port: filters, colours, progress windows, the wait cursor,
// and the dialogs, sheets and wizards that show the models.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include "app/document.h"
#include "app/project_setup.h"
#include "port/dialog_model.h"
#include "port/progress.h"
#include "project/model_parameters_page.h"
#include "project/quarlex_settings.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/data_fields_widget.h"
#include "ui/model_parameters_widget.h"
#include "ui/progress_dialogs.h"
#include "ui/qt_ui_port.h"
#include "ui/selection_pages_widgets.h"
#include "ui/settings_widgets.h"
#include "ui/sheet_dialogs.h"

namespace qx {
namespace {

TEST(QtFilter, PairsBecomeQtFiltersWithTheirPatterns) {
  EXPECT_EQ(toQtFilter("Composite Files (*.dat;*.cmp)|*.dat;*.cmp|All Files (*.*)|*.*||"),
            QStringLiteral("Composite Files (*.dat *.cmp);;All Files (*)"));
  EXPECT_EQ(toQtFilter("Quarlex Files (*.qrx)|*.qrx||"), QStringLiteral("Quarlex Files (*.qrx)"));
  // The pattern field decides, whatever the description says.
  EXPECT_EQ(toQtFilter("Outlines|*.dig;*.rsv|"), QStringLiteral("Outlines (*.dig *.rsv)"));
  EXPECT_EQ(toQtFilter(""), QString());
}

TEST(QtColour, RedIsTheLowestByte) {
  EXPECT_EQ(makeRgb(255, 128, 0), 0x000080FFu);
  EXPECT_EQ(toQColor(0x000080FFu), QColor(255, 128, 0));
  EXPECT_EQ(fromQColor(QColor(1, 2, 3)), 0x00030201u);
}

class QtPortTest : public ::testing::Test {
 protected:
  QtPortTest() { test::qtApp(); }
  QtUiPort port;
};

TEST_F(QtPortTest, FileDialogsStartInTheProjectsFolderThenInTheLastOneChosen) {
  QTemporaryDir project, other;
  std::string projectFolder = project.path().toStdString();
  const QString otherFile = other.filePath(QStringLiteral("x.dat"));
  EXPECT_EQ(port.startFolder(""), QDir::currentPath());
  port.setProjectFolder([&] { return projectFolder; });
  const std::pair<std::string, QString> cases[] = {
      {"", project.path()},
      {"report.rpt", project.path()},
      {"sub/x.dat", project.path()},
      {"/no/such/folder/x.dat", project.path()},
      {otherFile.toStdString(), other.path()},
      {other.path().toStdString(), other.path()},
  };
  for (const auto& [initial, folder] : cases) EXPECT_EQ(port.startFolder(initial), folder) << initial;

  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(otherFile);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  FileDialogSpec spec;
  spec.save = true;
  spec.initialPath = "report.rpt";
  EXPECT_EQ(port.chooseFile(spec), otherFile.toStdString());
  EXPECT_EQ(port.lastChosenFile(), otherFile.toStdString());
  EXPECT_EQ(port.startFolder("report.rpt"), other.path());
  // Another project starts in its own folder again.
  projectFolder = QDir::tempPath().toStdString();
  EXPECT_EQ(port.startFolder(""), QDir::tempPath());
}

TEST_F(QtPortTest, ProgressWindowsShowTheBarAndTheTextWindowHasNone) {
  {
    CProgressBar progress(port);
    CProgressDlg* dlg = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<CProgressDlg*>(w)) dlg = d;
    }
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    ASSERT_NE(dlg->bar(), nullptr);
    EXPECT_EQ(dlg->bar()->maximum(), 50);
    progress.setTitle("Loading Composites");
    progress.setText("Reading the file");
    progress.stepIt();
    progress.stepIt();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Loading Composites"));
    EXPECT_EQ(dlg->label()->text(), QStringLiteral("Reading the file"));
    EXPECT_EQ(dlg->bar()->value(), 20);
  }
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<CProgressDlg*>(w), nullptr);
  auto window = port.openProgress(ProgressKind::Text);
  auto* text = dynamic_cast<CProgressDlg*>(window.get());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->bar(), nullptr);
}

TEST_F(QtPortTest, WaitCursorNestsAndIsRestored) {
  {
    WaitCursor outer(port);
    { WaitCursor inner(port); }
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  port.endWaitCursor();  // unbalanced: ignored
  EXPECT_EQ(port.waitDepth(), 0);
}

TEST_F(QtPortTest, MessageBoxMapsButtonsAndAnswers) {
  QString shownText;
  QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shownText = box->text();
    shownIcon = box->icon();
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box->button(QMessageBox::No)->click();
  });
  const MessageAnswer answer = port.message("Save changes?\r\nNow", MessageButtons::YesNoCancel, MessageIcon::Warning);
  EXPECT_EQ(answer, MessageAnswer::No);
  EXPECT_EQ(shownText, QStringLiteral("Save changes?\nNow"));
  EXPECT_EQ(shownIcon, QMessageBox::Warning);
}

TEST_F(QtPortTest, ModelsWithoutAWidgetAreReportedNotRunSilently) {
  struct Unknown : DialogModel {
    std::string_view kind() const override { return "no_such_dialog"; }
    std::string title() const override { return "Mystery"; }
  } model;
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  EXPECT_FALSE(port.runDialog(model));
  EXPECT_EQ(shown, QStringLiteral("The window \"Mystery\" is not available in this version."));
}

TEST_F(QtPortTest, ProjectSetupBecomesAWizardOfTheTwoBoundPages) {
  QuarlexSettings settings;
  ProjectSetupSheet sheet(settings);
  std::unique_ptr<QDialog> dialog(port.makeSheet(sheet));
  auto* wizard = qobject_cast<CWizardDlg*>(dialog.get());
  ASSERT_NE(wizard, nullptr);
  ASSERT_EQ(wizard->pageIds().size(), 2);
  auto* first = qobject_cast<CModelWizardPage*>(wizard->page(wizard->pageIds()[0]));
  auto* second = qobject_cast<CModelWizardPage*>(wizard->page(wizard->pageIds()[1]));
  ASSERT_TRUE(first && second);
  EXPECT_NE(qobject_cast<CFieldNameEntryWidget*>(first->bound().widget), nullptr);
  EXPECT_NE(qobject_cast<CSpecGravPageWidget*>(second->bound().widget), nullptr);
  SheetModel settingsSheet("Project Settings", false);
  CSpecGravPage page;
  settingsSheet.addPage(&page);
  EXPECT_NE(qobject_cast<CPropertySheetDlg*>(std::unique_ptr<QDialog>(port.makeSheet(settingsSheet)).get()), nullptr);
}

// A page whose leaving can be refused; it and its widget log what they are asked.
struct LoggingPage : PageModel {
  LoggingPage(std::string n, std::vector<std::string>& l) : name(std::move(n)), log(l) {}
  std::string_view kind() const override { return "logging_page"; }
  std::string title() const override { return name; }
  void onSetActive() override { log.push_back(name + " active"); }
  bool onKillActive(UiPort&) override {
    log.push_back(name + " kill");
    return allowLeave;
  }
  std::string name;
  std::vector<std::string>& log;
  bool allowLeave = false;
};

struct LoggingWidget : ModelWidget {
  explicit LoggingWidget(LoggingPage& p) : page(p) {}
  void loadFromModel() override { page.log.push_back(page.name + " load"); }
  bool storeToModel(UiPort*) override {
    page.log.push_back(page.name + " store");
    return true;
  }
  LoggingPage& page;
};

class SheetFlowTest : public QtPortTest {
 protected:
  SheetFlowTest() {
    sheet.addPage(&first);
    sheet.addPage(&second);
  }
  std::vector<BoundPage> bind() { return {{&first, new LoggingWidget(first)}, {&second, new LoggingWidget(second)}}; }

  std::vector<std::string> log;
  LoggingPage first{"1", log};
  LoggingPage second{"2", log};
  SheetModel sheet{"Flow", true};
};

TEST_F(SheetFlowTest, WizardActivatesPagesAndARefusalKeepsThePage) {
  CWizardDlg wizard(sheet, bind(), port);
  wizard.show();
  QApplication::processEvents();
  wizard.next();  // refused
  EXPECT_EQ(wizard.currentId(), wizard.pageIds()[0]);
  first.allowLeave = true;
  wizard.next();
  EXPECT_EQ(wizard.currentId(), wizard.pageIds()[1]);
  wizard.back();  // Back keeps the controls without asking the page
  wizard.next();
  wizard.accept();  // Finish, refused by the last page
  EXPECT_EQ(log, (std::vector<std::string>{"1 active", "1 load", "1 store", "1 kill",  // Next, refused
                                           "1 store", "1 kill", "2 active", "2 load",  // Next
                                           "2 store", "1 active", "1 load",            // Back
                                           "1 store", "1 kill", "2 active", "2 load",  // Next
                                           "2 store", "2 kill"}));
  EXPECT_EQ(wizard.result(), 0);
  EXPECT_TRUE(wizard.isVisible());
}

TEST_F(SheetFlowTest, PropertySheetTabsAskThePageBeingLeft) {
  CPropertySheetDlg dialog(sheet, bind(), port);
  EXPECT_FALSE(dialog.setActivePage(1));
  EXPECT_EQ(dialog.activePage(), 0);
  first.allowLeave = true;
  EXPECT_TRUE(dialog.setActivePage(1));
  dialog.show();
  dialog.accept();  // OK: the active page refuses
  EXPECT_TRUE(dialog.isVisible());
  second.allowLeave = true;
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(log, (std::vector<std::string>{"1 active", "1 load", "1 store", "1 kill",    // tab 2, refused
                                           "1 store", "1 kill", "2 active", "2 load",    // tab 2
                                           "2 store", "2 kill", "2 store", "2 kill"}));  // OK twice
}

// The calculation settings and variable editing open through the desktop
// port, each page and dialog shown by its own widget.
TEST_F(QtPortTest, SettingsCommandsShowTheirWidgets) {
  ProjectObjects objects;
  objects.settings.loaded.emplace_back("Au");
  objects.settings.calculated.emplace_back("Au2");
  objects.envelopes.envelopes.emplace_back();
  CWQuarlexDoc doc(objects, port);
  auto activeDialog = [] { return QApplication::activeModalWidget(); };

  QTimer::singleShot(0, [&] {
    auto* sheet = qobject_cast<CPropertySheetDlg*>(activeDialog());
    ASSERT_NE(sheet, nullptr);
    const auto& pages = sheet->pages();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_NE(qobject_cast<CalcGeneralWidget*>(pages[0].widget), nullptr);
    EXPECT_NE(qobject_cast<CalcVariablesWidget*>(pages[1].widget), nullptr);
    EXPECT_NE(qobject_cast<EnvelopeClippingWidget*>(pages[2].widget), nullptr);
    EXPECT_NE(qobject_cast<CompositeEnvelopesWidget*>(pages[3].widget), nullptr);
    sheet->accept();
  });
  EXPECT_TRUE(doc.onCalculationSettings());

  for (VariableKind kind : {VariableKind::Loaded, VariableKind::Calculated}) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<CModelDialog*>(activeDialog());
      ASSERT_NE(dialog, nullptr);
      auto* list = qobject_cast<VariableEditWidget*>(dialog->modelWidget());
      ASSERT_NE(list, nullptr);
      list->findChild<QTreeWidget*>()->topLevelItem(0)->setSelected(true);
      QTimer::singleShot(0, [&] {
        auto* properties = qobject_cast<CModelDialog*>(activeDialog());
        ASSERT_NE(properties, nullptr);
        ModelWidget* w = properties->modelWidget();
        EXPECT_TRUE(kind == VariableKind::Loaded ? qobject_cast<VariableLoadedWidget*>(w) != nullptr
                                                 : qobject_cast<VariableCalculatedWidget*>(w) != nullptr);
        properties->findChild<QLineEdit*>()->setText(kind == VariableKind::Loaded ? QStringLiteral("Gold")
                                                                                  : QStringLiteral("Twice"));
        properties->accept();
      });
      for (auto* button : list->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("&Edit")) button->click();
      dialog->accept();
    });
    EXPECT_TRUE(doc.onEditVariables(kind));
  }
  EXPECT_EQ(objects.settings.variableNames(), (std::vector<std::string>{"Gold", "Twice"}));
}

}  // namespace
}  // namespace qx
