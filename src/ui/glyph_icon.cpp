#include "ui/glyph_icon.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QXmlStreamReader>
#include <vector>

// The resources of a static library are registered by hand.
static void initIconResources() { Q_INIT_RESOURCE(icons); }

namespace qx {

namespace {

struct Style {
  QColor fill;  // invalid: none
  QColor stroke = Qt::black;
  double width = 1.0;
  Qt::PenCapStyle cap = Qt::FlatCap;
  Qt::PenJoinStyle join = Qt::MiterJoin;
};

QColor colourOf(QStringView text) {
  if (text == QLatin1String("none")) return {};
  return QColor::fromString(text);
}

Style styled(Style style, const QXmlStreamAttributes& a) {
  if (a.hasAttribute(QLatin1String("fill"))) style.fill = colourOf(a.value(QLatin1String("fill")));
  if (a.hasAttribute(QLatin1String("stroke"))) style.stroke = colourOf(a.value(QLatin1String("stroke")));
  if (a.hasAttribute(QLatin1String("stroke-width"))) style.width = a.value(QLatin1String("stroke-width")).toDouble();
  const QStringView cap = a.value(QLatin1String("stroke-linecap"));
  if (cap == QLatin1String("round")) style.cap = Qt::RoundCap;
  if (cap == QLatin1String("square")) style.cap = Qt::SquareCap;
  if (cap == QLatin1String("butt")) style.cap = Qt::FlatCap;
  const QStringView join = a.value(QLatin1String("stroke-linejoin"));
  if (join == QLatin1String("round")) style.join = Qt::RoundJoin;
  if (join == QLatin1String("bevel")) style.join = Qt::BevelJoin;
  if (join == QLatin1String("miter")) style.join = Qt::MiterJoin;
  return style;
}

// The numbers of a list ("1,2 -3.5e1"): signs and commas separate them too.
std::vector<double> numbersOf(QStringView text) {
  std::vector<double> numbers;
  qsizetype i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i].isSpace() || text[i] == QLatin1Char(','))) ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
    bool point = false;
    while (i < text.size()) {
      const QChar c = text[i];
      if (c.isDigit()) {
        ++i;
      } else if (c == QLatin1Char('.') && !point) {
        point = true;
        ++i;
      } else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && i > start) {
        ++i;
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
      } else {
        break;
      }
    }
    if (i == start) break;  // not a number: the list ends
    numbers.push_back(text.mid(start, i - start).toDouble());
  }
  return numbers;
}

// The path data of a <path>: the absolute and relative moves, lines, curves and closes.
QPainterPath pathOf(QStringView d) {
  QPainterPath path;
  QPointF here, start;
  qsizetype i = 0;
  while (i < d.size()) {
    const QChar command = d[i];
    if (!command.isLetter()) {
      ++i;
      continue;
    }
    qsizetype end = i + 1;
    while (end < d.size() && !(d[end].isLetter() && d[end] != QLatin1Char('e') && d[end] != QLatin1Char('E'))) ++end;
    const std::vector<double> n = numbersOf(d.mid(i + 1, end - i - 1));
    const bool relative = command.isLower();
    const auto at = [&](std::size_t k) { return QPointF(n[k], n[k + 1]) + (relative ? here : QPointF()); };
    switch (command.toUpper().toLatin1()) {
      case 'M':
        for (std::size_t k = 0; k + 1 < n.size(); k += 2) {
          const QPointF p = at(k);
          if (k == 0) {
            path.moveTo(p);
            start = p;
          } else {
            path.lineTo(p);  // pairs after the first are lines
          }
          here = p;
        }
        break;
      case 'L':
        for (std::size_t k = 0; k + 1 < n.size(); k += 2) path.lineTo(here = at(k));
        break;
      case 'H':
        for (const double x : n) path.lineTo(here = QPointF(relative ? here.x() + x : x, here.y()));
        break;
      case 'V':
        for (const double y : n) path.lineTo(here = QPointF(here.x(), relative ? here.y() + y : y));
        break;
      case 'Q':
        for (std::size_t k = 0; k + 3 < n.size(); k += 4) {
          const QPointF control = at(k), to = at(k + 2);
          path.quadTo(control, to);
          here = to;
        }
        break;
      case 'C':
        for (std::size_t k = 0; k + 5 < n.size(); k += 6) {
          const QPointF c1 = at(k), c2 = at(k + 2), to = at(k + 4);
          path.cubicTo(c1, c2, to);
          here = to;
        }
        break;
      case 'Z':
        path.closeSubpath();
        here = start;
        break;
      default: break;
    }
    i = end;
  }
  return path;
}

double number(const QXmlStreamAttributes& a, const char* name) { return a.value(QLatin1String(name)).toDouble(); }

QPolygonF pointsOf(const QXmlStreamAttributes& a) {
  const std::vector<double> n = numbersOf(a.value(QLatin1String("points")));
  QPolygonF polygon;
  for (std::size_t k = 0; k + 1 < n.size(); k += 2) polygon << QPointF(n[k], n[k + 1]);
  return polygon;
}

// The outline of a shape element; empty for elements that draw nothing.
QPainterPath shapeOf(QStringView element, const QXmlStreamAttributes& a) {
  QPainterPath path;
  if (element == QLatin1String("path")) return pathOf(a.value(QLatin1String("d")));
  if (element == QLatin1String("line")) {
    path.moveTo(number(a, "x1"), number(a, "y1"));
    path.lineTo(number(a, "x2"), number(a, "y2"));
  } else if (element == QLatin1String("polyline")) {
    path.addPolygon(pointsOf(a));
  } else if (element == QLatin1String("polygon")) {
    path.addPolygon(pointsOf(a));
    path.closeSubpath();
  } else if (element == QLatin1String("rect")) {
    const double r = number(a, "rx");
    path.addRoundedRect(QRectF(number(a, "x"), number(a, "y"), number(a, "width"), number(a, "height")), r, r);
  } else if (element == QLatin1String("circle")) {
    const double r = number(a, "r");
    path.addEllipse(QPointF(number(a, "cx"), number(a, "cy")), r, r);
  }
  return path;
}

}  // namespace

bool paintSvg(QPainter& painter, const QByteArray& svg, const QRectF& target) {
  QXmlStreamReader xml(svg);
  std::vector<Style> styles;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  bool scaled = false;
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::EndElement) {
      if (!styles.empty()) styles.pop_back();
      continue;
    }
    if (token != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView name = xml.name();
    styles.push_back(styled(styles.empty() ? Style{} : styles.back(), a));
    if (name == QLatin1String("svg")) {
      const std::vector<double> box = numbersOf(a.value(QLatin1String("viewBox")));
      if (box.size() != 4 || box[2] <= 0 || box[3] <= 0) break;
      painter.translate(target.topLeft());
      painter.scale(target.width() / box[2], target.height() / box[3]);
      painter.translate(-box[0], -box[1]);
      scaled = true;
      continue;
    }
    if (!scaled) break;
    const QPainterPath shape = shapeOf(name, a);
    if (shape.isEmpty()) continue;
    const Style& style = styles.back();
    painter.setBrush(style.fill.isValid() ? QBrush(style.fill) : QBrush(Qt::NoBrush));
    painter.setPen(style.stroke.isValid() && style.width > 0
                       ? QPen(style.stroke, style.width, Qt::SolidLine, style.cap, style.join)
                       : QPen(Qt::NoPen));
    painter.drawPath(shape);
  }
  painter.restore();
  return scaled && !xml.hasError();
}

QIcon svgIcon(const QString& name) {
  static const bool registered = (initIconResources(), true);
  (void)registered;
  QFile file(QStringLiteral(":/icons/%1.svg").arg(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray svg = file.readAll();
  QIcon icon;
  for (const int size : {16, 20, 24, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const bool drawn = paintSvg(painter, svg, QRectF(0, 0, size, size));
    painter.end();
    if (!drawn) return {};
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace qx
