#include "qt_environment.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/startup.h"
#include "ui/main_frame.h"

namespace qx::test {

namespace {

int argc = 1;
char name[] = "qx_ui_test";
char* argv[] = {name, nullptr};
std::unique_ptr<QApplication> app;
std::unique_ptr<QTemporaryDir> profileFolder;

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);
    // Each test program keeps its profile in a folder of its own: ctest runs
    // them side by side, and one clearing the shared profile while another
    // reads it back loses the other's recent files.
    profileFolder = std::make_unique<QTemporaryDir>();
    if (profileFolder->isValid()) {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profileFolder->path());
      QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profileFolder->path());
    }
    qtApp();
    clearProfile();
  }
  void TearDown() override {
    clearProfile();
    app.reset();
    profileFolder.reset();
  }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QApplication& qtApp() {
  if (!app) app = std::make_unique<QApplication>(argc, argv);
  return *app;
}

void clearProfile() {
  QSettings settings(QString::fromLatin1(kProfileKey), QString::fromLatin1(kApplicationName));
  settings.clear();
  settings.sync();
}

std::filesystem::path copyDemoProject(const std::filesystem::path& dir) {
  const char* demo = std::getenv("QX_DEMO_PROJECT");
  if (demo == nullptr) return {};
  std::filesystem::copy_file(demo, dir / "demo.qrx");
  return dir / "demo.qrx";
}

}  // namespace qx::test
