#pragma once
// Number fields of the dialogs. Numbers are written and read in the C locale
// whatever the desktop's language, so "12.5" stays 12.5 on every machine.
#include <QString>
#include <optional>

class QLineEdit;

namespace qx {

class UiPort;

// As the dialogs show a double: up to 15 significant digits, "2", "0.25", "1e+37".
QString formatNumber(double value);
// A number typed into a field, blanks around it allowed; nullopt when it holds none.
std::optional<double> parseNumber(const QString& text);

// The message of a field that holds no number.
inline constexpr const char* kEnterNumberMessage = "Please enter a number.";

// Reads `field` into `target`. When it holds no number, a port is told (the
// field then gets the focus) and the result is false; without a port the
// target keeps its value.
bool storeNumber(QLineEdit* field, double& target, UiPort* port);

}  // namespace qx
