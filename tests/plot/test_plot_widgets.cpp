// The plot dialogs on the desktop: each opened through the port and OK'd,
// what is typed reaching the models.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "plot/map_profiles_dialog.h"
#include "plot/section_plot.h"
#include "qt_environment.h"
#include "sections/sections.h"
#include "ui/plot_widgets.h"
#include "ui/qt_ui_port.h"

namespace qx {
namespace {

// Runs `step` on the modal dialog on top once the event loop turns.
void onTop(std::function<void(QDialog&)> step) {
  QTimer::singleShot(0, [step] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    step(*dialog);
  });
}

TEST(PlotWidgets, AddAProfileThroughTheThreeDialogsThenGenerateAsPdf) {
  test::qtApp();
  QtUiPort port;
  MapOutputData data;
  CMapProfilesDialog profiles(data);
  onTop([](QDialog& list) {
    onTop([](QDialog& name) {
      onTop([](QDialog& sheet) {
        sheet.findChild<MapPresentationWidget*>()->scale()->setText(QStringLiteral("2500"));
        sheet.accept();
      });
      name.findChild<QLineEdit*>()->setText(QStringLiteral("Pit"));
      name.accept();
    });
    list.findChild<MapProfilesWidget*>()->button(0)->click();
    list.accept();
  });
  ASSERT_TRUE(port.runDialog(profiles));
  ASSERT_EQ(data.count(), 1);
  EXPECT_EQ(data.profiles[0].name, "Pit");
  EXPECT_EQ(data.profiles[0].mapScale, 2500.0);

  SectionSet sections;
  sections.named.resize(1);
  sections.named[0].name = "PLAN";
  CDialogPlotMaps generate(data, sections);
  onTop([](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text(), QStringLiteral("Generate"));
    auto* widget = dialog.findChild<PlotMapsWidget*>();
    widget->kinds()->button(2)->click();
    widget->sections()->item(0)->setSelected(true);
    dialog.accept();
  });
  ASSERT_TRUE(port.runDialog(generate));
  EXPECT_EQ(data.outputKind, 2);
  EXPECT_EQ(data.sectionNames, std::vector<std::string>{"PLAN"});
}

}  // namespace
}  // namespace qx
