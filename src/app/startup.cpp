#include "app/startup.h"

#include "graphics/scene_tree.h"

namespace qx {

bool runStartup(StartupHost& host, const std::vector<std::string>& args) {
  host.startGraphics();
  host.enableControls();
  host.loadProfile(kProfileKey, kRecentFileCount);
  host.createDocumentTemplate();
  host.registerFileTypes();
  if (!host.processCommandLine(args)) return false;
  host.showMainWindow();
  return true;
}

void startSceneTree(gfx::SceneTree& tree) {
  tree.defineAlias("?Picture", "/null");
  tree.defineSystemOptions("no warnings, no errors, no info");
  tree.deleteSegment("?Picture");
}

}  // namespace qx
