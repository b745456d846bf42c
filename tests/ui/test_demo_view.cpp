// The demo project, as its job saved it, opened in the desktop on a real
// display: in the plan and an inclined section, a composite, a polygon and an
// envelope show where the scene's camera puts them, and the background where
// nothing is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <span>

#include "app/commands.h"
#include "app/document.h"
#include "app/project_objects.h"
#include "graphics/scene_tree.h"
#include "qt_environment.h"
#include "test_files.h"
#include "ui/desktop_app.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "ui/quarlex_view.h"

namespace qx {
namespace {

// True when a pixel within one of `at` differs between the two images.
bool differsNear(const QImage& a, const QImage& b, QPointF at) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = int(at.x()) + dx, y = int(at.y()) + dy;
      if (a.valid(x, y) && a.pixel(x, y) != b.pixel(x, y)) return true;
    }
  return false;
}

TEST(DemoView, PlanAndAnInclinedSectionShowTheDemoWhereTheCameraPutsIt) {
  test::qtApp();
  test::clearProfile();
  if (!CWQuarlexView::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  test::TempDir dir;
  const std::filesystem::path project = test::copyDemoProject(dir.path());
  ASSERT_FALSE(project.empty()) << "QX_DEMO_PROJECT names the project the demo job saved";
  CWQuarlexApp app;
  app.setShowMaximised(false);
  // A name relative to the working folder is kept as the full path.
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const bool started = runStartup(app, {"demo.qrx"});
  std::filesystem::current_path(here);
  ASSERT_TRUE(started);
  EXPECT_EQ(app.document()->pathName(), project.string());
  EXPECT_EQ(app.frame()->recentFiles(), QStringList({qs(project.string())}));
  EXPECT_EQ(app.frame()->windowTitle(), QStringLiteral("demo.qrx[*] - Quarlex"));
  CMainFrame& frame = *app.frame();
  frame.resize(800, 600);
  QApplication::processEvents();
  ASSERT_NE(frame.view(), nullptr);
  CWQuarlexView& view = *frame.view();
  const gfx::SceneTree& tree = app.sceneTree();
  const ProjectObjects& p = app.document()->objects();
  // The view comes back as the job left it, named in the Sections bar.
  EXPECT_EQ(frame.sectionCombo()->currentText(), QStringLiteral("PLAN"));

  // Where each dataset must show: a composite without a polygon of its own (no
  // prism hides its marker), a point of a polygon's top between its composite
  // and a corner, the middle of an envelope's first side.
  int lone = 0;
  while (lone < p.composites.count() && p.polygons.findByComposite(lone) >= 0) ++lone;
  ASSERT_LT(lone, p.composites.count());
  const CPolygon& poly = p.polygons.polygons.at(0);
  ASSERT_GE(poly.outlineCount(), 3);
  const DPoint3D owner = p.composites.composites.at(std::size_t(poly.compositeIndex)).position;
  const DPoint3D corner = poly.outline[0];
  const Contour& contour = p.envelopes.envelopes.at(0).contours.at(0);
  struct Expected {
    const char* what;
    DPoint3D world;
    CommandId shownBy;
  };
  const Expected expected[] = {
      {"a composite", p.composites.composites[std::size_t(lone)].position, CommandId::ViewComposites},
      {"a polygon's top",
       {owner.x + 0.6 * (corner.x - owner.x), owner.y + 0.6 * (corner.y - owner.y), corner.z},
       CommandId::ViewPolygons},
      {"an envelope's side",
       {(contour[0].x + contour[1].x) / 2, (contour[0].y + contour[1].y) / 2, (contour[0].z + contour[1].z) / 2},
       CommandId::ViewEnvelopes}};
  // Renders with these datasets shown and the others hidden.
  constexpr CommandId kSwitches[] = {CommandId::ViewComposites, CommandId::ViewPolygons, CommandId::ViewEnvelopes,
                                     CommandId::ViewFigures, CommandId::ViewSurfaces};
  const auto showing = [&](std::span<const CommandId> shown) {
    for (const CommandId id : kSwitches)
      if (frame.action(id)->isChecked() != (std::find(shown.begin(), shown.end(), id) != shown.end()))
        frame.action(id)->trigger();
    return view.renderToImage(view.size());
  };
  const auto pixel = [&](const DPoint3D& world) {
    const auto px = tree.computeCoordinates("?Picture", gfx::CoordSystem::World, world, gfx::CoordSystem::OuterPixels);
    EXPECT_TRUE(px);
    return px ? QPointF(px->x, px->y) : QPointF();
  };
  // The stored plan, then ORTHO-045 (azimuth 45, dip -25) from the Sections bar.
  for (const char* section : {"PLAN", "ORTHO-045"}) {
    const int index = frame.sectionCombo()->findText(QString::fromLatin1(section));
    ASSERT_GE(index, 0);
    Q_EMIT frame.sectionCombo()->activated(index);
    ASSERT_EQ(frame.sectionCombo()->currentText(), QString::fromLatin1(section));
    const QImage all = showing(kSwitches);
    ASSERT_FALSE(all.isNull());
    all.save(QStringLiteral("demo_view_%1.png").arg(QString::fromLatin1(section)));
    const QImage bare = showing({});
    const QRgb background = bare.pixel(bare.width() / 2, bare.height() / 2);
    for (const Expected& e : expected) {
      const QPointF at = pixel(e.world);
      EXPECT_TRUE(differsNear(showing({&e.shownBy, 1}), bare, at))
          << section << ": " << e.what << " at " << at.x() << "," << at.y();
    }
    // Just west of the data and the topography, the background.
    const DataExtents box = p.composites.extents();
    const double west = std::min(box.min.x, p.surfaces.extents().min.x) - 0.02 * (box.max.x - box.min.x);
    const QPointF nothing = pixel({west, (box.min.y + box.max.y) / 2, 0});
    EXPECT_EQ(all.pixel(nothing.toPoint()), background)
        << section << ": the background at " << nothing.x() << "," << nothing.y();
  }
  showing(kSwitches);
  // A turn of the wheel zooms in to 0.8 of the field; the view is saved with
  // the project and comes back with it.
  const float field = app.document()->objects().sections.current.fieldWidth;
  Q_EMIT view.wheelTurned(0.5, 0.5, 120);
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
  ASSERT_TRUE(app.document()->onSaveDocument(project.string()));
  ASSERT_TRUE(frame.openProject(QString::fromStdString(project.string())));
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
  EXPECT_EQ(frame.sectionCombo()->currentText(), QStringLiteral("ORTHO-045"));

  // Zoom Box: the rubber band follows a drag with the left button; Esc
  // takes it away and leaves the view as it was.
  const QPoint from(20, 20), to(200, 60), onEdge(110, 20);
  const QImage before = view.renderToImage(view.size());
  frame.action(CommandId::Zoom)->trigger();
  QMouseEvent press(QEvent::MouseButtonPress, from, view.mapToGlobal(QPointF(from)), Qt::LeftButton, Qt::LeftButton,
                    {});
  QMouseEvent drag(QEvent::MouseMove, to, view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&view, &press);
  QApplication::sendEvent(&view, &drag);
  EXPECT_TRUE(differsNear(view.renderToImage(view.size()), before, onEdge));
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
  QApplication::sendEvent(&view, &escape);
  EXPECT_FALSE(differsNear(view.renderToImage(view.size()), before, onEdge));
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
}

}  // namespace
}  // namespace qx
