// The editing tools in the desktop on the demo project: a figure digitized
// with clicks in the view, snapped onto the vertices of an imported figure,
// holds the same ore as that figure; a double click and the tools' modal
// pick answer the mouse and the keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#include <cmath>

#include "app/document.h"
#include "app/project_objects.h"
#include "graphics/scene_tree.h"
#include "qt_environment.h"
#include "scene/digitizer.h"
#include "test_files.h"
#include "ui/desktop_app.h"
#include "ui/main_frame.h"
#include "ui/quarlex_view.h"

namespace qx {
namespace {

TEST(DemoEdit, AFigureDigitizedOnAnImportedOneHoldsItsOre) {
  test::qtApp();
  test::clearProfile();
  if (!CWQuarlexView::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  test::TempDir dir;
  const std::filesystem::path project = test::copyDemoProject(dir.path());
  ASSERT_FALSE(project.empty()) << "QX_DEMO_PROJECT names the project the demo job saved";
  CWQuarlexApp app;
  app.setShowMaximised(false);
  ASSERT_TRUE(runStartup(app, {project.string()}));
  CMainFrame& frame = *app.frame();
  frame.resize(800, 600);
  QApplication::processEvents();
  ASSERT_NE(frame.view(), nullptr);
  CWQuarlexView& view = *frame.view();
  CWQuarlexDoc& doc = *app.document();
  const FigureSet& figures = doc.objects().figures;
  ASSERT_GT(figures.count(), 0);
  const Figure imported = figures.figures.front();
  ASSERT_GT(imported.oreTonnage, 0.0);
  const auto send = [&](QEvent::Type type, const DPoint3D& world, QPointF off = {}) {
    const auto px =
        app.sceneTree().computeCoordinates("?Picture", gfx::CoordSystem::World, world, gfx::CoordSystem::OuterPixels);
    ASSERT_TRUE(px);
    const QPointF at = QPointF(px->x, px->y) + off;
    QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &event);
  };

  // A pixel inside the figure from a vertex, towards the middle of its vertices.
  double mx = 0, my = 0;
  for (const DPoint3D& vertex : imported.outline) {
    mx += vertex.x / double(imported.outline.size());
    my += vertex.y / double(imported.outline.size());
  }
  const auto inward = [&](const DPoint3D& vertex) {
    const double dx = mx - vertex.x, dy = my - vertex.y, d = std::hypot(dx, dy);
    return QPointF(dx / d, -dy / d);
  };
  // A double click in figure selection shows the figure in the information window.
  frame.action(CommandId::SelectFigures)->trigger();
  send(QEvent::MouseButtonDblClick, imported.outline.front(), inward(imported.outline.front()));
  EXPECT_EQ(frame.picks().items().front(), (CInformationDlgDataItem{kInfoFigure, 0}));

  // The modal pick ends on a key without a point: nothing is modified.
  QTimer::singleShot(0, [&] {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
    QApplication::sendEvent(&view, &escape);
  });
  frame.action(CommandId::ModifyFigure)->trigger();
  EXPECT_FALSE(frame.pickActive());
  EXPECT_FALSE(doc.editTools().anyFlag());

  const QImage before = view.renderToImage(view.size());
  frame.action(CommandId::CreateFigure)->trigger();
  EXPECT_TRUE(frame.digitizeToolBar()->isVisibleTo(&frame));
  frame.editAction(EditCommand::StartDigitizing)->trigger();
  frame.snapAction(kSnapFigure)->trigger();
  EXPECT_TRUE(frame.snapAction(kSnapFigure)->isChecked());
  // A pixel inside the figure from each vertex: only the snap puts the points on the vertices.
  for (const DPoint3D& vertex : imported.outline) send(QEvent::MouseButtonPress, vertex, inward(vertex));
  ASSERT_EQ(doc.editTools().points().size(), imported.outline.size());
  EXPECT_TRUE(frame.editAction(EditCommand::FinishDigitizing)->isEnabled());
  // The name through the Figure Properties dialog.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>()->setText(QStringLiteral("DIGITIZED"));
    dialog->accept();
  });
  frame.editAction(EditCommand::FinishDigitizing)->trigger();
  const int made = figures.findByName("DIGITIZED");
  ASSERT_GE(made, 0);
  EXPECT_NEAR(figures.figures[std::size_t(made)].oreTonnage, imported.oreTonnage, 1e-6 * imported.oreTonnage);
  EXPECT_FALSE(frame.digitizeToolBar()->isVisibleTo(&frame));
  EXPECT_TRUE(doc.isModified());
  // The redrawn datasets keep their colours: a corner that shows
  // only the topography looks the same.
  const QPoint corner(view.width() - 20, 10);
  EXPECT_EQ(view.renderToImage(view.size()).pixel(corner), before.pixel(corner));
}

}  // namespace
}  // namespace qx
