#pragma once
// The tool-bar and window images: small SVG drawings of our own, kept as
// resources under ":/icons/" (src/ui/icons). Qt's SVG module is not needed:
// the drawings use a small subset that paintSvg draws with QPainter.
#include <QByteArray>
#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

namespace qx {

// The drawing ":/icons/<name>.svg" at 16, 20, 24 and 32 pixels (disabled
// buttons grey it as Qt does); a null icon when there is no such drawing.
QIcon svgIcon(const QString& name);

// Draws an SVG document into `target`, its view box scaled to fit. The
// subset: <svg> (viewBox, and the style attributes inherited from it), <g>,
// <path> (M, L, H, V, Q, C, Z and their relative forms), <line>,
// <polyline>, <polygon>, <rect> (with rx), <circle>; the attributes fill,
// stroke, stroke-width, stroke-linecap and stroke-linejoin. Other elements
// and attributes are ignored. False when the text is not well-formed XML or
// has no view box.
bool paintSvg(QPainter& painter, const QByteArray& svg, const QRectF& target);

}  // namespace qx
