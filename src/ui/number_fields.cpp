#include "ui/number_fields.h"

#include <QLineEdit>
#include <QLocale>

#include "port/ui_port.h"

namespace qx {

QString formatNumber(double value) { return QLocale::c().toString(value, 'g', 15); }

std::optional<double> parseNumber(const QString& text) {
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok) return std::nullopt;
  return value;
}

bool storeNumber(QLineEdit* field, double& target, UiPort* port) {
  const std::optional<double> value = parseNumber(field->text());
  if (value) {
    target = *value;
    return true;
  }
  if (port == nullptr) return true;
  port->message(kEnterNumberMessage, MessageButtons::Ok, MessageIcon::Warning);
  field->setFocus();
  field->selectAll();
  return false;
}

}  // namespace qx
