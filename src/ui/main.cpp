// wquarlex: the desktop application.
#include <QApplication>
#include <string>
#include <vector>

#include "app/startup.h"
#include "ui/desktop_app.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  qx::CWQuarlexApp quarlex;
  if (!qx::runStartup(quarlex, args)) return 1;
  return app.exec();
}
