// The three property sheets of the Options menu as the desktop shows them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QTimer>
#include <functional>

#include "app/document.h"
#include "qt_environment.h"
#include "ui/property_widgets.h"
#include "ui/qt_ui_port.h"
#include "ui/sheet_dialogs.h"

namespace qx {
namespace {

// Runs `command`; the sheet it opens is handed to `check` and accepted.
void acceptSheet(const std::function<CommandResult()>& command, const std::function<void(CPropertySheetDlg&)>& check) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* sheet = qobject_cast<CPropertySheetDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(sheet, nullptr);
    seen = true;
    check(*sheet);
    sheet->accept();
  });
  EXPECT_TRUE(command());
  EXPECT_TRUE(seen);
}

template <typename W>
W* widget(CPropertySheetDlg& sheet, int page) {
  auto* w = qobject_cast<W*>(sheet.pages().at(static_cast<std::size_t>(page)).widget);
  EXPECT_NE(w, nullptr) << page;
  return w;
}

TEST(PropertySheetWidgets, EachSheetOpensWithItsPagesAndItsOkWritesBack) {
  test::qtApp();
  ProjectObjects objects;
  objects.settings.loaded.emplace_back("Au");
  objects.composites.composites.resize(1);
  objects.envelopes.envelopes.resize(1);
  objects.envelopes.envelopes[0].name = "E";
  objects.surfaces.surfaces.resize(1);
  objects.figures.figures.resize(1);
  objects.figures.figures[0].name = "B1";
  QtUiPort port;
  CWQuarlexDoc doc(objects, port);

  acceptSheet([&] { return doc.onDisplayProperties(); },
              [](CPropertySheetDlg& sheet) {
                ASSERT_EQ(sheet.pages().size(), 2u);
                widget<ColourTableWidget>(sheet, 0);
                ASSERT_TRUE(sheet.setActivePage(1));
                widget<ReferenceGridWidget>(sheet, 1)->findChildren<QCheckBox*>().at(0)->setChecked(true);  // the grid
              });
  EXPECT_EQ(objects.sceneModel.gridShown, 1);

  acceptSheet([&] { return doc.onEnvelopeCompositeSurfaceProperties(); },
              [](CPropertySheetDlg& sheet) {
                ASSERT_EQ(sheet.pages().size(), 3u);
                auto* envelopes = widget<ItemPropertiesWidget>(sheet, 0);
                EXPECT_EQ(envelopes->list()->item(0)->text(), QStringLiteral("E"));
                envelopes->visible()->setChecked(false);
                widget<CompositesPropertyWidget>(sheet, 1);
                EXPECT_EQ(widget<ItemPropertiesWidget>(sheet, 2)->density(), nullptr);
              });
  EXPECT_EQ(objects.envelopes.envelopes[0].visible, 0);

  acceptSheet([&] { return doc.onFigurePolygonProperties(); },
              [](CPropertySheetDlg& sheet) {
                ASSERT_EQ(sheet.pages().size(), 2u);
                auto* figures = widget<ItemPropertiesWidget>(sheet, 0);
                EXPECT_TRUE(figures->dilution()->isChecked());
                figures->dilution()->setChecked(false);
                ASSERT_TRUE(sheet.setActivePage(1));
                auto* spin = widget<PolygonsPropertyWidget>(sheet, 1)->exaggeration();
                spin->stepBy(1);
                spin->stepBy(1);
              });
  EXPECT_EQ(objects.figures.dilution, 1);
  EXPECT_EQ(objects.polygons.displayThicknessFactor, 5.0);
  EXPECT_TRUE(doc.isModified());
}

}  // namespace
}  // namespace qx
