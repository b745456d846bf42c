// The desktop's port: filters, colours, progress windows, the wait cursor,
// and the dialogs, sheets and wizards that show the models.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

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
  const ColorRef orange = makeRgb(255, 128, 0);
  EXPECT_EQ(orange, 0x000080FFu);
  const QColor c = toQColor(orange);
  EXPECT_EQ(c.red(), 255);
  EXPECT_EQ(c.green(), 128);
  EXPECT_EQ(c.blue(), 0);
  EXPECT_EQ(fromQColor(QColor(1, 2, 3)), 0x00030201u);
  EXPECT_EQ(fromQColor(toQColor(0x00123456u)), 0x00123456u);
}

TEST(QtMessage, LineEndsBecomeNewlines) {
  EXPECT_EQ(messageText("That variable has formula(s) dependent upon it.\r\nPlease edit"),
            QStringLiteral("That variable has formula(s) dependent upon it.\nPlease edit"));
}

class QtPortTest : public ::testing::Test {
 protected:
  QtPortTest() { test::qtApp(); }
  QtUiPort port;
};

TEST_F(QtPortTest, ProgressBarWindowShowsTheBarAndItsText) {
  {
    CProgressBar progress(port);
    auto windows = QApplication::topLevelWidgets();
    CProgressDlg* dlg = nullptr;
    for (QWidget* w : windows) {
      if (auto* d = qobject_cast<CProgressDlg*>(w)) dlg = d;
    }
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    ASSERT_NE(dlg->bar(), nullptr);
    EXPECT_EQ(dlg->bar()->minimum(), 0);
    EXPECT_EQ(dlg->bar()->maximum(), 50);
    progress.setTitle("Loading Composites");
    progress.setText("Reading the file");
    progress.stepIt();
    progress.stepIt();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Loading Composites"));
    EXPECT_EQ(dlg->label()->text(), QStringLiteral("Reading the file"));
    EXPECT_EQ(dlg->bar()->value(), 20);
    EXPECT_EQ(dlg->step(), 10);
  }
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<CProgressDlg*>(w), nullptr);
}

TEST_F(QtPortTest, ProgressTextWindowHasNoBar) {
  auto window = port.openProgress(ProgressKind::Text);
  auto* dlg = dynamic_cast<CProgressDlg*>(window.get());
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->bar(), nullptr);
  window->setText("Generating polygons");
  EXPECT_EQ(dlg->label()->text(), QStringLiteral("Generating polygons"));
}

TEST_F(QtPortTest, WaitCursorNestsAndIsRestored) {
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  {
    WaitCursor outer(port);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      WaitCursor inner(port);
      EXPECT_EQ(port.waitDepth(), 2);
    }
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
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
  EXPECT_EQ(wizard->windowTitle().toStdString(), sheet.title());
  ASSERT_EQ(wizard->pageIds().size(), 2);
  auto* first = qobject_cast<CModelWizardPage*>(wizard->page(wizard->pageIds()[0]));
  auto* second = qobject_cast<CModelWizardPage*>(wizard->page(wizard->pageIds()[1]));
  ASSERT_TRUE(first && second);
  EXPECT_NE(qobject_cast<CFieldNameEntryWidget*>(first->bound().widget), nullptr);
  EXPECT_NE(qobject_cast<CSpecGravPageWidget*>(second->bound().widget), nullptr);
  EXPECT_EQ(first->title().toStdString(), sheet.pages()[0]->title());

  SheetModel settingsSheet("Project Settings", false);
  CSpecGravPage page;
  settingsSheet.addPage(&page);
  std::unique_ptr<QDialog> sheetDialog(port.makeSheet(settingsSheet));
  EXPECT_NE(qobject_cast<CPropertySheetDlg*>(sheetDialog.get()), nullptr);
  EXPECT_EQ(sheetDialog->windowTitle(), QStringLiteral("Project Settings"));
}

// A page whose leaving can be refused, counting the calls.
class CountingPage : public PageModel {
 public:
  explicit CountingPage(std::string title) : title_(std::move(title)) {}
  std::string_view kind() const override { return "counting_page"; }
  std::string title() const override { return title_; }
  void onSetActive() override { ++activations; }
  bool onKillActive(UiPort&) override {
    ++kills;
    return allowLeave;
  }
  int activations = 0;
  int kills = 0;
  int loads = 0;
  int stores = 0;
  bool allowLeave = false;

 private:
  std::string title_;
};

class CountingWidget : public ModelWidget {
 public:
  explicit CountingWidget(CountingPage& page) : page_(page) {}
  void loadFromModel() override { ++page_.loads; }
  bool storeToModel(UiPort*) override {
    ++page_.stores;
    return true;
  }

 private:
  CountingPage& page_;
};

class SheetFlowTest : public QtPortTest {
 protected:
  SheetFlowTest() : first("First"), second("Second") {
    sheet.addPage(&first);
    sheet.addPage(&second);
  }
  std::vector<BoundPage> bind() { return {{&first, new CountingWidget(first)}, {&second, new CountingWidget(second)}}; }

  CountingPage first;
  CountingPage second;
  SheetModel sheet{"Flow", true};
};

TEST_F(SheetFlowTest, WizardActivatesPagesAndARefusalKeepsThePage) {
  CWizardDlg wizard(sheet, bind(), port);
  wizard.show();
  QApplication::processEvents();
  EXPECT_EQ(wizard.currentId(), wizard.pageIds()[0]);
  EXPECT_EQ(first.activations, 1);
  EXPECT_EQ(first.loads, 1);

  wizard.next();  // refused
  EXPECT_EQ(first.kills, 1);
  EXPECT_EQ(first.stores, 1);
  EXPECT_EQ(wizard.currentId(), wizard.pageIds()[0]);
  EXPECT_EQ(second.activations, 0);

  first.allowLeave = true;
  wizard.next();
  EXPECT_EQ(wizard.currentId(), wizard.pageIds()[1]);
  EXPECT_EQ(second.activations, 1);
  EXPECT_EQ(second.loads, 1);

  wizard.back();  // Back keeps the controls without asking the page
  EXPECT_EQ(second.kills, 0);
  EXPECT_EQ(second.stores, 1);
  EXPECT_EQ(first.activations, 2);

  wizard.next();
  second.allowLeave = false;
  wizard.accept();  // Finish, refused by the last page
  EXPECT_EQ(second.kills, 1);
  EXPECT_EQ(wizard.result(), 0);
  EXPECT_TRUE(wizard.isVisible());
}

TEST_F(SheetFlowTest, PropertySheetTabsAskThePageBeingLeft) {
  CPropertySheetDlg dialog(sheet, bind(), port);
  EXPECT_EQ(dialog.activePage(), 0);
  EXPECT_EQ(first.activations, 1);

  EXPECT_FALSE(dialog.setActivePage(1));
  EXPECT_EQ(dialog.activePage(), 0);
  EXPECT_EQ(first.kills, 1);
  EXPECT_EQ(second.activations, 0);

  first.allowLeave = true;
  EXPECT_TRUE(dialog.setActivePage(1));
  EXPECT_EQ(second.activations, 1);
  EXPECT_EQ(second.loads, 1);

  dialog.show();
  dialog.accept();  // OK: the active page refuses
  EXPECT_TRUE(dialog.isVisible());
  second.allowLeave = true;
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(second.kills, 2);
}

}  // namespace
}  // namespace qx
