// The OpenGL view on a real display: what it draws of a scene tree, what it
// rebuilds, the mouse it reports, the document's notifications, and the
// application starting with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "app/document.h"
#include "app/project_objects.h"
#include "graphics/scene_tree.h"
#include "qt_environment.h"
#include "scene/polygons_drawing.h"
#include "scripted_port.h"
#include "test_files.h"
#include "ui/desktop_app.h"
#include "ui/gl_renderer.h"
#include "ui/main_frame.h"
#include "ui/print_view.h"
#include "ui/qt_ui_port.h"
#include "ui/quarlex_view.h"

namespace qx {
namespace {

// A shown view of 200 x 200 with an OpenGL context, or nullptr (the test skips).
CWQuarlexView* shownView(QWidget& window) {
  test::qtApp();
  if (!CWQuarlexView::openGLAvailable()) return nullptr;
  auto* view = new CWQuarlexView(&window);
  view->resize(200, 200);
  window.resize(200, 200);
  window.show();
  QApplication::processEvents();
  return view;
}

// "?Picture" including "?Model", seen orthographically over a field of 100.
void startPicture(gfx::SceneTree& tree, DPoint3D eye, DPoint3D up = {0, 1, 0}) {
  tree.defineAlias("?Picture", "/driver/view");
  tree.defineAlias("?Model", "/model");
  tree.openSegment("?Picture");
  tree.setCameraPosition(eye);
  tree.setCameraUpVector(up);
  tree.setCameraField(100, 100);
  tree.setCameraProjection("orthographic");
  tree.setWindowSize(200, 200);
  tree.includeSegment("?Model");
  tree.closeSegment();
}

QPointF pixelOf(const gfx::SceneTree& tree, DPoint3D world) {
  const auto px = tree.computeCoordinates("?Picture", gfx::CoordSystem::World, world, gfx::CoordSystem::OuterPixels);
  return px ? QPointF(px->x, px->y) : QPointF(-1, -1);
}

QColor rgb(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b)); }

void expectColor(const QImage& image, QPointF at, const QColor& want, const char* what) {
  const QColor got = image.pixelColor(int(std::floor(at.x())), int(std::floor(at.y())));
  EXPECT_TRUE(std::abs(got.red() - want.red()) <= 3 && std::abs(got.green() - want.green()) <= 3 &&
              std::abs(got.blue() - want.blue()) <= 3)
      << what << " at " << at.x() << "," << at.y() << ": got " << got.name().toStdString() << ", want "
      << want.name().toStdString();
}

TEST(QuarlexView, WithoutAProjectClearsToTheBackgroundAndTellsHowToBegin) {
  QWidget window;
  CWQuarlexView* view = shownView(window);
  if (view == nullptr) GTEST_SKIP() << "no OpenGL on this display";
  ASSERT_TRUE(view->isInitialised());
  ASSERT_EQ(view->failure(), QString()) << "this display offers no OpenGL 3.3 core context";
  const QImage image = view->grabFramebuffer();
  image.save(QStringLiteral("view_empty.png"));
  expectColor(image, {2, 2}, rgb(0.10, 0.12, 0.16), "background");
  int lit = 0;  // the hint's one line across the middle
  for (int x = 0; x < image.width(); ++x) lit += image.pixelColor(x, image.height() / 2).lightness() > 128;
  EXPECT_GT(lit, 3);
  EXPECT_STREQ(CWQuarlexView::kEmptyHint, "File > New or File > Open, or drop a .qrx file here");
}

TEST(QuarlexView, DrawsEachKindWhereTheCameraPutsItAndRebuildsOnlyWhatChanged) {
  QWidget window;
  CWQuarlexView* view = shownView(window);
  if (view == nullptr) GTEST_SKIP() << "no OpenGL on this display";
  gfx::SceneTree tree;
  startPicture(tree, {0, 0, 100});
  tree.openSegment("?Model/Composites");
  tree.setColor("markers=red");
  tree.setMarkerSymbol("[*]");
  tree.openSegment("Bin0");  // takes its colour from above
  tree.insertMarker({-30, 20, 0});
  tree.closeSegment();
  tree.closeSegment();
  const DPoint3D quad[] = {{10, -30, 0}, {30, -30, 0}, {30, -10, 0}, {10, -10, 0}};
  const int face[] = {4, 0, 1, 2, 3};
  tree.openSegment("?Model/Polygons/Polygon0");  // unlit: its own colour
  tree.setColor("faces=blue");
  tree.setVisibility("faces=on, edges=off, lights=off");
  tree.insertShell(quad, face);
  tree.closeSegment();
  // Lit faces in each shading: ambient 0.1 + 0.8 from the light on a face toward the viewer.
  const std::pair<const char*, DPoint3D> lit[] = {
      {"no lighting", {-20, -20, 0}}, {"lighting=gouraud", {-20, 0, 0}}, {"lighting=phong", {-40, -20, 0}}};
  tree.openSegment("?Model/Polygons/Lit");
  tree.setColor("faces=(R=0 G=1 B=0), ambient=(R=0.1 G=0.1 B=0.1)");
  tree.setVisibility("faces=on, edges=off, lights=on");
  tree.insertDistantLight({0, 0.6, 0.8});
  for (const auto& [option, c] : lit) {
    const DPoint3D square[] = {
        {c.x - 8, c.y - 8, 0}, {c.x + 8, c.y - 8, 0}, {c.x + 8, c.y + 8, 0}, {c.x - 8, c.y + 8, 0}};
    tree.openSegment(option);
    tree.setRenderingOptions(option);
    tree.insertShell(square, face);
    tree.closeSegment();
  }
  tree.closeSegment();
  const DPoint3D left[] = {{10, 10, 0}, {30, 10, 0}, {30, 30, 0}, {10, 30, 0}};
  tree.openSegment("?Model/Surfaces/Surface0");  // half transmitted over white
  tree.setVisibility("lights=off");
  tree.setColor("faces=red");
  tree.setColor("faces=(transmission=(R=0.5 G=0.5 B=0.5))");
  tree.insertShell(left, face);
  tree.closeSegment();
  const DPoint3D envelope[] = {{-40, 40, 0}, {40, 40, 0}};
  tree.openSegment("?Model/Envelopes/Envelope0");
  tree.setColor("lines=(R=0 G=0.5 B=0)");
  tree.setLineWeight(3);
  tree.insertPolyline(envelope);
  tree.insertText({0, -45, 0}, "Au");
  tree.closeSegment();
  // A row of symbols, 16 pixels (size 1) unless said, centred on pixel centres; with
  // each a pixel offset that must be inked and one that must stay white.
  struct Symbol {
    const char* symbol;
    double size;
    QPointF ink, clear;
  };
  const Symbol symbols[] = {{"+", 1, {0, -6}, {5, 5}},    {"*", 1, {4, 4}, {2, 6}},     {"(.)", 1, {2, 2}, {5, 0}},
                            {"()", 1, {7, 0}, {0, 0}},    {"/*\\", 1, {0, 4}, {6, -6}}, {"<*>", 1, {3, 3}, {6, 5}},
                            {"[*]", 0.5, {3, 3}, {5, 5}}, {".", 1, {0, 0}, {1, 1}}};
  for (int i = 0; i < 8; ++i) {
    tree.openSegment("?Model/Symbols/" + std::to_string(i));
    tree.setVisibility("cutting planes=off");
    tree.setMarkerSymbol(symbols[i].symbol);
    tree.setMarkerSize(symbols[i].size);
    tree.insertMarker({-44.75 + 12 * i, 46.75, 0});
    tree.closeSegment();
  }
  tree.openSegment("?Model/CuttingPlanes");
  tree.insertCuttingPlane(1, 0, 0, -35);  // cuts x > 35
  tree.closeSegment();
  tree.openSegment("?Model/IconXYZ");  // behind the blue face, yet drawn over it
  tree.setVisibility("cutting planes=off");
  tree.setColor("lines=black");
  tree.insertLine({20.25, -40, -10}, {20.25, 0, -10});
  tree.closeSegment();
  view->setSceneTree(&tree);

  const QImage image = view->renderToImage(QSize(200, 200));
  ASSERT_FALSE(image.isNull());
  image.save(QStringLiteral("view_scene.png"));  // in the build folder, for a look
  const auto at = [&](DPoint3D world) { return pixelOf(tree, world); };
  const QPointF marker = at({-30, 20, 0});
  expectColor(image, marker + QPointF(6, 6), rgb(1, 0, 0), "corner of the square marker");
  expectColor(image, marker + QPointF(10, 10), rgb(1, 1, 1), "beyond the marker");
  for (int i = 0; i < 8; ++i) {
    const QPointF centre = at({-44.75 + 12 * i, 46.75, 0});
    expectColor(image, centre + symbols[i].ink, rgb(0, 0, 0), symbols[i].symbol);
    expectColor(image, centre + symbols[i].clear, rgb(1, 1, 1), symbols[i].symbol);
  }
  expectColor(image, at({25, -25, 0}), rgb(0, 0, 1), "unlit face");
  expectColor(image, at({20.25, -25, 0}), rgb(0, 0, 0), "icon line over the face");
  for (const auto& [option, c] : lit) expectColor(image, at(c), rgb(0, 0.9, 0), option);
  expectColor(image, at({20, 20, 0}), rgb(1, 0.5, 0.5), "transmitted face");
  expectColor(image, at({0, 40, 0}) + QPointF(0, 1), rgb(0, 0.5, 0), "weighted envelope line");
  expectColor(image, at({38, 40, 0}), rgb(1, 1, 1), "the line beyond the cutting plane");
  expectColor(image, at({0, 0, 0}), rgb(1, 1, 1), "nothing");
  ASSERT_EQ(view->renderer()->labels().size(), 1u);
  EXPECT_EQ(view->renderer()->labels()[0].at, at({0, -45, 0}));

  // A colour of one dataset rebuilds that one segment; a camera move rebuilds nothing.
  tree.openSegment("?Model/Composites");
  tree.setColor("markers=blue");
  tree.closeSegment();
  const QImage again = view->renderToImage(QSize(200, 200));
  expectColor(again, marker, rgb(0, 0, 1), "recoloured marker");
  expectColor(again, at({38, 40, 0}), rgb(1, 1, 1), "still cut");  // planes and lights of the datasets passed over
  expectColor(again, at(lit[0].second), rgb(0, 0.9, 0), "still lit");
  EXPECT_EQ(view->renderer()->stats().groupsUploaded, 1);
  EXPECT_EQ(view->renderer()->stats().segmentsRebuilt, 1);
  EXPECT_EQ(view->renderer()->stats().segmentsReached, 10);  // the unchanged datasets' insides passed over
  tree.openSegment("?Picture");
  tree.setCameraTarget({10, 0, 0});
  tree.closeSegment();
  view->renderToImage(QSize(200, 200));
  EXPECT_FALSE(view->renderer()->stats().treeWalked);
}

TEST(QuarlexView, ClosedShellsHideWhatIsInsideAndTinyOnesLeaveAPointOfTheirColour) {
  QWidget window;
  CWQuarlexView* view = shownView(window);
  if (view == nullptr) GTEST_SKIP() << "no OpenGL on this display";
  gfx::SceneTree tree;
  startPicture(tree, {0, -100, 0}, {0, 0, 1});  // from the side
  const auto prism = [&](const char* name, double x, double radius, const char* colour) {
    std::vector<DPoint3D> outline;  // as high as wide, centred on z = 0
    for (int k = 0; k <= 20; ++k)
      outline.push_back({x + radius * std::cos(k * 0.1 * M_PI), radius * std::sin(k * 0.1 * M_PI), radius / 2});
    const PrismShell shell = polygonPrism(outline, radius);
    tree.openSegment(std::string("?Model/Polygons/") + name);
    tree.setColor(std::string("edges=black, faces=") + colour);
    tree.setVisibility("lights=off");
    tree.insertShell(std::span<const DPoint3D>(shell.points), shell.faces);
    tree.closeSegment();
  };
  prism("Big", -20, 20, "red");
  prism("Tiny", 30, 0.6, "blue");  // under 3 pixels wide
  tree.openSegment("?Model/Composites");
  tree.setColor("markers=green");
  tree.setMarkerSymbol("[*]");
  tree.insertMarker({-20, 0, 0});  // inside the big prism
  tree.closeSegment();
  view->setSceneTree(&tree);
  const QImage image = view->renderToImage(QSize(200, 200));
  image.save(QStringLiteral("view_prisms.png"));
  const auto at = [&](DPoint3D world) { return pixelOf(tree, world); };
  // A rectangle from the side, its front faces over the marker inside.
  for (DPoint3D p : {DPoint3D{-20, 0, 0}, DPoint3D{-37, 0, 8}, DPoint3D{-3, 0, -8}})
    expectColor(image, at(p), rgb(1, 0, 0), "side of the prism");
  for (DPoint3D p : {DPoint3D{-20, 0, 12}, DPoint3D{-20, 0, -12}, DPoint3D{-42, 0, 0}})
    expectColor(image, at(p), rgb(1, 1, 1), "beyond the prism");
  expectColor(image, at({30, 0, 0}), rgb(0, 0, 1), "the tiny prism's point");
  EXPECT_EQ(view->renderer()->stats().shellPoints, 1);
}

TEST(QuarlexView, BlendsTransparentFacesFromTheFarthestToTheNearest) {
  QWidget window;
  CWQuarlexView* view = shownView(window);
  if (view == nullptr) GTEST_SKIP() << "no OpenGL on this display";
  // Two half-transparent squares in one segment, blue at y = -10 inserted
  // before red at y = 10: the nearer one's colour must lie over the other's
  // from either side.
  for (const double side : {-1.0, 1.0}) {
    gfx::SceneTree tree;
    startPicture(tree, {0, 100 * side, 0}, {0, 0, 1});
    tree.openSegment("?Model/Surfaces");
    tree.setColor("edges=black, faces=(transmission=(R=0.5 G=0.5 B=0.5))");
    tree.setVisibility("lights=off, edges=off");
    for (const auto& [y, colour] : {std::pair{-10.0, "blue"}, std::pair{10.0, "red"}}) {
      const DPoint3D square[] = {{-20, y, -20}, {20, y, -20}, {20, y, 20}, {-20, y, 20}};
      tree.openSegment(colour);
      tree.setColor(std::string("faces=") + colour);
      tree.insertShell(std::span<const DPoint3D>(square), std::vector<int>{4, 0, 1, 2, 3});
      tree.closeSegment();
    }
    tree.closeSegment();
    view->setSceneTree(&tree);
    const QImage image = view->renderToImage(QSize(200, 200));
    // Over white: the far one at half, then the near one at half.
    expectColor(image, pixelOf(tree, {0, 0, 0}), side < 0 ? rgb(0.5, 0.25, 0.75) : rgb(0.75, 0.25, 0.5),
                side < 0 ? "blue nearer" : "red nearer");
  }
}

TEST(QuarlexView, ReportsTheMouseInLocalWindowUnits) {
  QWidget window;
  CWQuarlexView* view = shownView(window);
  if (view == nullptr) GTEST_SKIP() << "no OpenGL on this display";
  std::vector<std::string> heard;
  const auto say = [&](const char* what, double x, double y, int n) {
    heard.push_back(QString::asprintf("%s %.2f %.2f %d", what, x, y, n).toStdString());
  };
  QObject::connect(view, &CWQuarlexView::mousePressedAt, [&](double x, double y, int b) { say("press", x, y, b); });
  QObject::connect(view, &CWQuarlexView::mouseReleasedAt, [&](double x, double y, int b) { say("release", x, y, b); });
  QObject::connect(view, &CWQuarlexView::mouseMovedTo, [&](double x, double y) { say("move", x, y, 0); });
  QObject::connect(view, &CWQuarlexView::mouseDoubleClickedAt, [&](double x, double y) { say("double", x, y, 0); });
  QObject::connect(view, &CWQuarlexView::wheelTurned, [&](double x, double y, int d) { say("wheel", x, y, d); });
  QObject::connect(view, &CWQuarlexView::viewResized, [&](int w, int h) { say("size", w, h, 0); });
  QObject::connect(view, &CWQuarlexView::escapePressed, [&] { say("escape", 0, 0, 0); });
  const QPointF p(50, 150);
  QMouseEvent press(QEvent::MouseButtonPress, p, view->mapToGlobal(p), Qt::RightButton, Qt::RightButton, {});
  QMouseEvent move(QEvent::MouseMove, QPointF(200, 0), view->mapToGlobal(QPointF(200, 0)), Qt::NoButton, {}, {});
  QMouseEvent release(QEvent::MouseButtonRelease, p, view->mapToGlobal(p), Qt::RightButton, {}, {});
  QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)),
                    Qt::LeftButton, Qt::LeftButton, {});
  QWheelEvent wheel(p, view->mapToGlobal(p), {}, QPoint(0, -120), {}, {}, Qt::NoScrollPhase, false);
  QKeyEvent other(QEvent::KeyPress, Qt::Key_A, {}), escape(QEvent::KeyPress, Qt::Key_Escape, {});
  for (QEvent* e : std::initializer_list<QEvent*>{&press, &move, &release, &twice, &wheel, &other, &escape})
    QApplication::sendEvent(view, e);
  view->resize(300, 120);
  EXPECT_EQ(heard, (std::vector<std::string>{"press -0.50 -0.50 2", "move 1.00 1.00 0", "release -0.50 -0.50 2",
                                             "double 0.00 0.00 0", "wheel -0.50 -0.50 -120", "escape 0.00 0.00 0",
                                             "size 300.00 120.00 0"}));
}

TEST(ViewPrinting, APageIsTheHeaderLineOverTheViewKeepingItsProportions) {
  test::qtApp();
  QImage page(400, 300, QImage::Format_RGB32);
  page.fill(Qt::white);
  QImage view(100, 50, QImage::Format_RGB32);
  view.fill(Qt::red);
  QPainter painter(&page);
  const double line = QFontMetricsF(painter.font(), &page).height();
  paintViewPage(painter, QRectF(0, 0, 400, 300), view, QStringLiteral("Pit"), QDate(2026, 3, 1));
  painter.end();
  int inked = 0;  // the title at the left of the header, the date at its right
  for (int x = 0; x < 400; ++x) inked += (x < 100 || x > 300) && page.pixelColor(x, int(line / 2)).lightness() < 128;
  EXPECT_GT(inked, 4);
  const double top = line * 1.5;  // the view: 400 wide, so 200 high, right under the header
  expectColor(page, {2, top + 2}, rgb(1, 0, 0), "the view's top left");
  expectColor(page, {397, top + 197}, rgb(1, 0, 0), "the view's bottom right");
  expectColor(page, {200, top + 203}, rgb(1, 1, 1), "below the view");
  // Printed without a view (no OpenGL): the header alone, into a PDF file.
  test::TempDir dir;
  QWidget window;
  ViewPrinter& printer = ViewPrinter::of(&window);
  EXPECT_EQ(&ViewPrinter::of(&window), &printer);
  printer.printer().setOutputFileName(QString::fromStdString((dir.path() / "page.pdf").string()));
  ASSERT_TRUE(printer.printPage(nullptr, QStringLiteral("Pit")));
  EXPECT_EQ(test::readFile(dir.path() / "page.pdf").substr(0, 5), "%PDF-");
}

TEST(QuarlexView, FrameGivesTheDocumentItsViewWhichHearsTheNotifications) {
  test::qtApp();
  if (!CWQuarlexView::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  ProjectObjects objects;
  test::ScriptedPort port;
  CWQuarlexDoc doc(objects, port);
  {
    CMainFrame frame(doc);
    ASSERT_NE(frame.view(), nullptr);
    EXPECT_EQ(doc.view(), frame.view());
    EXPECT_EQ(frame.centralWidget(), frame.view());
    objects.settings.loaded.emplace_back("Au");
    port.answerSheet([](SheetModel&) { return true; });
    ASSERT_TRUE(doc.onEditProjectSettings());
    EXPECT_GE(frame.view()->notificationCount(), 2);  // display changed, update
  }
  EXPECT_EQ(doc.view(), nullptr);  // the frame took its view away with it
}

TEST(DesktopStartup, StartsWithAnEmptyProjectOrStopsOnOneThatCannotBeOpened) {
  test::qtApp();
  test::clearProfile();
  CWQuarlexApp app;
  app.setShowMaximised(false);
  ASSERT_TRUE(runStartup(app, {}));
  ASSERT_NE(app.frame(), nullptr);
  EXPECT_TRUE(app.frame()->isVisible());
  EXPECT_EQ(app.port().parentWidget(), app.frame());
  EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Velmora Software"));
  // The scene tree was started before any window existed.
  EXPECT_EQ(app.sceneTree().expandPath("?Picture"), std::optional<std::string>("/null"));
  // A project that cannot be opened ends the start-up before the window shows.
  CWQuarlexApp failing;
  failing.setShowMaximised(false);
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  EXPECT_FALSE(runStartup(failing, {"/no/such/folder/pit.qrx"}));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("Unable to open the project /no/such/folder/pit.qrx")))
      << shown.toStdString();
  ASSERT_NE(failing.frame(), nullptr);
  EXPECT_FALSE(failing.frame()->isVisible());
}

}  // namespace
}  // namespace qx
