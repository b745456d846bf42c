// The OpenGL view on a real display: it clears to its background, answers the
// document's notifications, and the application starts with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "app/document.h"
#include "app/project_objects.h"
#include "graphics/scene_tree.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/desktop_app.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_port.h"
#include "ui/quarlex_view.h"

namespace qx {
namespace {

TEST(QuarlexView, ClearsToTheBackground) {
  test::qtApp();
  if (!CWQuarlexView::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  QWidget window;
  auto* view = new CWQuarlexView(&window);
  view->resize(200, 150);
  window.resize(200, 150);
  window.show();
  QApplication::processEvents();
  const QImage image = view->grabFramebuffer();
  ASSERT_TRUE(view->isInitialised());
  ASSERT_FALSE(image.isNull());
  const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
  EXPECT_NEAR(centre.redF(), CWQuarlexView::kBackground[0], 0.01);
  EXPECT_NEAR(centre.greenF(), CWQuarlexView::kBackground[1], 0.01);
  EXPECT_NEAR(centre.blueF(), CWQuarlexView::kBackground[2], 0.01);
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

TEST(DesktopStartup, StartsWithAnEmptyProject) {
  test::qtApp();
  test::clearProfile();
  CWQuarlexApp app;
  app.setShowMaximised(false);
  ASSERT_TRUE(runStartup(app, {}));
  ASSERT_NE(app.frame(), nullptr);
  EXPECT_TRUE(app.frame()->isVisible());
  EXPECT_EQ(app.port().parentWidget(), app.frame());
  EXPECT_FALSE(app.document()->isModified());
  EXPECT_TRUE(app.document()->pathName().empty());
  EXPECT_EQ(app.frame()->windowTitle(), QStringLiteral("Untitled[*] - Quarlex"));
  EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Velmora Software"));
  // The scene tree was started before any window existed.
  EXPECT_EQ(app.sceneTree().expandPath("?Picture"), std::optional<std::string>("/null"));
}

TEST(DesktopStartup, OpensTheProjectNamedOnTheCommandLine) {
  test::qtApp();
  test::clearProfile();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    ProjectObjects objects;
    objects.settings.loaded.emplace_back("Au");
    test::ScriptedPort port;
    CWQuarlexDoc doc(objects, port);
    ASSERT_TRUE(doc.onSaveDocument(dir.filePath(QStringLiteral("pit.qrx")).toStdString()));
  }
  // A name relative to the working folder is kept as the full path.
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  CWQuarlexApp app;
  app.setShowMaximised(false);
  const bool started = runStartup(app, {"pit.qrx"});
  QDir::setCurrent(saved);
  ASSERT_TRUE(started);
  const QString path = QDir(dir.path()).absoluteFilePath(QStringLiteral("pit.qrx"));
  EXPECT_EQ(app.document()->pathName(), path.toStdString());
  ASSERT_EQ(app.document()->objects().settings.loaded.size(), 1u);
  EXPECT_EQ(app.document()->objects().settings.loaded.front().name, "Au");
  EXPECT_FALSE(app.document()->isModified());
  EXPECT_EQ(app.frame()->windowTitle(), QStringLiteral("pit.qrx[*] - Quarlex"));
  EXPECT_EQ(app.frame()->recentFiles(), QStringList({path}));
  // After the open the view's scene was rebuilt and fitted, and the view updated.
  if (app.frame()->view() != nullptr) {
    EXPECT_GE(app.frame()->view()->notificationCount(), 3);
  }
}

TEST(DesktopStartup, AProjectThatCannotBeOpenedEndsTheStartUp) {
  test::qtApp();
  test::clearProfile();
  CWQuarlexApp app;
  app.setShowMaximised(false);
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  EXPECT_FALSE(runStartup(app, {"/no/such/folder/pit.qrx"}));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("Unable to open the project /no/such/folder/pit.qrx")))
      << shown.toStdString();
  ASSERT_NE(app.frame(), nullptr);
  EXPECT_FALSE(app.frame()->isVisible());
  EXPECT_TRUE(app.document()->pathName().empty());
  EXPECT_TRUE(app.frame()->recentFiles().isEmpty());
}

}  // namespace
}  // namespace qx
