// A project made by a job, opened in the desktop on a real display: the plan
// and an inclined section, rendered, show a composite, a polygon and the
// envelope where the scene's camera puts them, and the background elsewhere.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <sstream>

#include "app/commands.h"
#include "app/document.h"
#include "app/project_objects.h"
#include "cli/job.h"
#include "graphics/scene_tree.h"
#include "job_files.h"
#include "qt_environment.h"
#include "test_files.h"
#include "ui/desktop_app.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "ui/quarlex_view.h"

namespace qx {
namespace {

// 20 composites on a 10 m grid from (1000, 2000), all in one red bin; the
// green envelope "ORE" over (992, 1992)-(1017, 2017) holds four of them, whose
// polygons (squares of 10 m, 2 m thick, drawn unshaded) are all there is.
std::filesystem::path makeProject(const test::TempDir& dir) {
  test::writeText(dir / "c.dat", test::compositeFile());
  test::writeText(dir / "e.dig", test::outline("ORE", 992, 1992, 1017, 2017));
  test::writeText(dir / "job.json", R"({
    "project": {"new": {"variables": [{"name": "Au"}], "model": {"fixed_thickness": 2}}},
    "steps": [
      {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
      {"import_envelopes": {"file": "e.dig", "columns": {"Envelope Name": [3, 10], "X Coordinate": [11, 10],
                            "Y Coordinate": [21, 10]}, "envelopes": [{"file_name": "ORE", "colour": "#00ff00"}]}},
      {"colour_table": {"table": 1, "bins": [{"variable": "Au", "low": 0, "high": 100, "colour": "#ff0000"}]}},
      {"calculation": {"sides": 4, "radius": 5}},
      {"generate": {}},
      {"display": {"polygon_rendering": 1}}],
    "save": "p.qrx"})");
  std::ostringstream out, err;
  EXPECT_EQ(cli::runJobFile(dir / "job.json", out, err, false), 0) << err.str();
  return dir / "p.qrx";
}

// True when a pixel within one of `at` has the colour.
bool inkedNear(const QImage& image, QPointF at, QColor want) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (image.valid(int(at.x()) + dx, int(at.y()) + dy) &&
          image.pixelColor(int(at.x()) + dx, int(at.y()) + dy) == want)
        return true;
  return false;
}

TEST(DemoView, PlanAndAnInclinedSectionShowTheProjectWhereTheCameraPutsIt) {
  test::qtApp();
  test::clearProfile();
  if (!CWQuarlexView::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  test::TempDir dir;
  const std::filesystem::path project = makeProject(dir);
  CWQuarlexApp app;
  app.setShowMaximised(false);
  // A name relative to the working folder is kept as the full path.
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const bool started = runStartup(app, {"p.qrx"});
  std::filesystem::current_path(here);
  ASSERT_TRUE(started);
  EXPECT_EQ(app.document()->pathName(), project.string());
  EXPECT_EQ(app.frame()->recentFiles(), QStringList({qs(project.string())}));
  EXPECT_EQ(app.frame()->windowTitle(), QStringLiteral("p.qrx[*] - Quarlex"));
  CMainFrame& frame = *app.frame();
  frame.resize(640, 520);
  QApplication::processEvents();
  ASSERT_NE(frame.view(), nullptr);
  CWQuarlexView& view = *frame.view();
  const gfx::SceneTree& tree = app.sceneTree();
  struct Expected {
    const char* what;
    DPoint3D world;
    QColor colour;
  };
  const Expected expected[] = {{"a composite outside the envelope", {1030, 2020, 0}, QColor(255, 0, 0)},
                               {"the top of a polygon", {1003, 2003, 2}, QColor(255, 0, 0)},
                               {"the envelope's west side", {992, 2005, 0}, QColor(0, 255, 0)},
                               {"nothing", {1040, 1993, 0}, QColor(255, 255, 255)}};
  // The stored plan, then ORTHO-045 (azimuth 45, dip -25) from the Sections bar.
  for (const char* section : {"PLAN", "ORTHO-045"}) {
    if (std::string_view(section) != "PLAN") {
      const int index = frame.sectionCombo()->findText(QString::fromLatin1(section));
      ASSERT_GE(index, 0);
      Q_EMIT frame.sectionCombo()->activated(index);
      ASSERT_EQ(frame.sectionCombo()->currentText(), QString::fromLatin1(section));
    }
    const QImage image = view.renderToImage(view.size());
    ASSERT_FALSE(image.isNull());
    image.save(QStringLiteral("demo_view_%1.png").arg(QString::fromLatin1(section)));
    for (const Expected& e : expected) {
      const auto px =
          tree.computeCoordinates("?Picture", gfx::CoordSystem::World, e.world, gfx::CoordSystem::OuterPixels);
      ASSERT_TRUE(px) << e.what;
      EXPECT_TRUE(inkedNear(image, {px->x, px->y}, e.colour))
          << section << ": " << e.what << " at pixel " << px->x << "," << px->y << " is "
          << image.pixelColor(int(px->x), int(px->y)).name().toStdString() << ", not " << e.colour.name().toStdString();
    }
  }
  // A turn of the wheel zooms in to 0.8 of the field; the view is saved with
  // the project and comes back with it.
  const float field = app.document()->objects().sections.current.fieldWidth;
  Q_EMIT view.wheelTurned(0.5, 0.5, 120);
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
  ASSERT_TRUE(app.document()->onSaveDocument(project.string()));
  ASSERT_TRUE(frame.openProject(QString::fromStdString(project.string())));
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
  EXPECT_EQ(frame.sectionCombo()->currentText(), QStringLiteral("ORTHO-045"));

  // Zoom Box: the red rubber band follows a drag with the left button; Esc
  // takes it away and leaves the view as it was.
  const QPoint from(20, 20), to(200, 60), onEdge(110, 20);
  const QColor before = view.renderToImage(view.size()).pixelColor(onEdge);
  ASSERT_NE(before, QColor(255, 0, 0));
  frame.action(CommandId::Zoom)->trigger();
  QMouseEvent press(QEvent::MouseButtonPress, from, view.mapToGlobal(QPointF(from)), Qt::LeftButton, Qt::LeftButton,
                    {});
  QMouseEvent drag(QEvent::MouseMove, to, view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&view, &press);
  QApplication::sendEvent(&view, &drag);
  EXPECT_TRUE(inkedNear(view.renderToImage(view.size()), onEdge, QColor(255, 0, 0)));
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
  QApplication::sendEvent(&view, &escape);
  EXPECT_EQ(view.renderToImage(view.size()).pixelColor(onEdge), before);
  EXPECT_FLOAT_EQ(app.document()->objects().sections.current.fieldWidth, field * 0.8f);
}

}  // namespace
}  // namespace qx
