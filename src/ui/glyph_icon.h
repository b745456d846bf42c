#pragma once
// Small tool-bar images drawn from a short label, so the bars need no image files.
#include <QColor>
#include <QIcon>
#include <QString>

namespace qx {

QIcon glyphIcon(const QString& glyph, const QColor& fill = QColor(0x3a, 0x5f, 0x8f));

}  // namespace qx
