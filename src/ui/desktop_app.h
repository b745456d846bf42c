#pragma once
// The desktop application: carries out the start-up steps, owns the project's
// objects, the document, the port and the main frame.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"

namespace qx {

struct ProjectObjects;
class CWQuarlexDoc;
class CMainFrame;
class QtUiPort;

class CWQuarlexApp : public StartupHost {
 public:
  CWQuarlexApp();
  ~CWQuarlexApp() override;

  void startGraphics() override;
  void enableControls() override;
  void loadProfile(const std::string& key, int recentFiles) override;
  void createDocumentTemplate() override;
  void registerFileTypes() override;
  bool processCommandLine(const std::vector<std::string>& args) override;
  void showMainWindow() override;

  CMainFrame* frame() const { return frame_.get(); }
  CWQuarlexDoc* document() const { return doc_.get(); }
  QtUiPort& port() { return *port_; }
  const gfx::SceneTree& sceneTree() const { return *sceneTree_; }
  // Show the main window maximised (false: normal size, for tests).
  void setShowMaximised(bool maximised) { showMaximised_ = maximised; }

 private:
  // Declared in construction order: the frame goes first, the scene tree last.
  // The scene tree is the application's until the scene model joins the
  // project's objects.
  std::unique_ptr<gfx::SceneTree> sceneTree_;
  std::unique_ptr<ProjectObjects> objects_;
  std::unique_ptr<QtUiPort> port_;
  std::unique_ptr<CWQuarlexDoc> doc_;
  std::unique_ptr<CMainFrame> frame_;
  int recentFiles_ = kRecentFileCount;
  bool showMaximised_ = true;
};

}  // namespace qx
