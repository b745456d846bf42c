#include "qt_environment.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include "app/startup.h"
#include "ui/main_frame.h"

namespace qx::test {

namespace {

int argc = 1;
char name[] = "qx_ui_test";
char* argv[] = {name, nullptr};
std::unique_ptr<QApplication> app;

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);
    qtApp();
    clearProfile();
  }
  void TearDown() override {
    clearProfile();
    app.reset();
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

}  // namespace qx::test
