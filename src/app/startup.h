#pragma once
// The start-up sequence of the desktop application, in its order. The host
// (the Qt application) carries out each step; this keeps the order in one
// place and testable without a window.
#include <string>
#include <vector>

namespace qx {

namespace gfx {
class SceneTree;
}

inline constexpr const char* kProfileKey = "Velmora Software";
inline constexpr int kRecentFileCount = 4;

class StartupHost {
 public:
  virtual ~StartupHost() = default;
  // 1. Start the scene tree before any window exists.
  virtual void startGraphics() = 0;
  // 2. Controls of the platform.
  virtual void enableControls() = 0;
  // 3. The application profile and its recent-file list.
  virtual void loadProfile(const std::string& key, int recentFiles) = 0;
  // 4. The document, frame and view.
  virtual void createDocumentTemplate() = 0;
  // 5. File types of the desktop.
  virtual void registerFileTypes() = 0;
  // 6. A new empty project, or the project named on the command line. False ends the start-up.
  virtual bool processCommandLine(const std::vector<std::string>& args) = 0;
  // 7. Show the main window maximised, accepting dropped files.
  virtual void showMainWindow() = 0;
};

// Runs the seven steps in order; false when the command line could not be processed.
bool runStartup(StartupHost& host, const std::vector<std::string>& args);

// Step 1 on a scene tree, before any window exists: "?Picture" stands for
// "/null", the system options are set and "?Picture" is deleted, until the
// view binds it to its window.
void startSceneTree(gfx::SceneTree& tree);

}  // namespace qx
