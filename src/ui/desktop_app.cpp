#include "ui/desktop_app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>

#include "app/document.h"
#include "app/project_objects.h"
#include "graphics/scene_tree.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"

namespace qx {

CWQuarlexApp::CWQuarlexApp()
    : sceneTree_(std::make_unique<gfx::SceneTree>()),
      objects_(std::make_unique<ProjectObjects>()),
      port_(std::make_unique<QtUiPort>()) {}

CWQuarlexApp::~CWQuarlexApp() {
  // The frame's view is the document's; the frame goes before the document.
  frame_.reset();
  doc_.reset();
}

void CWQuarlexApp::startGraphics() {
  // No window exists yet: the view binds the picture segment to its window later.
  startSceneTree(*sceneTree_);
}

void CWQuarlexApp::enableControls() { QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false); }

void CWQuarlexApp::loadProfile(const std::string& key, int recentFiles) {
  QCoreApplication::setOrganizationName(QString::fromStdString(key));
  QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  recentFiles_ = recentFiles;
}

void CWQuarlexApp::createDocumentTemplate() {
  doc_ = std::make_unique<CWQuarlexDoc>(*objects_, *port_);
  doc_->setScene(sceneTree_.get());
  CMainFrame::Options options;
  options.recentFileCount = recentFiles_;
  frame_ = std::make_unique<CMainFrame>(*doc_, options);
  port_->setParentWidget(frame_.get());
}

void CWQuarlexApp::registerFileTypes() {
  // The desktop registers no file types with the system: projects are opened
  // from the command line or the File menu.
}

bool CWQuarlexApp::processCommandLine(const std::vector<std::string>& args) {
  doc_->onNewDocument();
  if (args.empty()) return true;
  // The document has shown why a project could not be opened; the start-up ends.
  return frame_->openProject(qs(args.front()));
}

void CWQuarlexApp::showMainWindow() {
  if (showMaximised_) {
    // Filling the screen first keeps the window large where no window manager maximises it.
    if (const QScreen* screen = frame_->screen()) frame_->setGeometry(screen->availableGeometry());
    frame_->showMaximized();
  } else {
    frame_->show();
  }
  frame_->setAcceptDrops(true);
}

}  // namespace qx
