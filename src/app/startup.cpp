#include "app/startup.h"

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

}  // namespace qx
