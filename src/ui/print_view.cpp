#include "ui/print_view.h"

#include <QLocale>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/quarlex_view.h"

namespace qx {

void paintViewPage(QPainter& painter, const QRectF& page, const QImage& view, const QString& title, const QDate& date) {
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double line = metrics.height();
  painter.setPen(Qt::black);
  const QRectF header(page.left(), page.top(), page.width(), line);
  painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title);
  painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, QLocale().toString(date, QLocale::ShortFormat));
  const double below = line * 1.5;
  painter.drawLine(QPointF(page.left(), page.top() + line * 1.25), QPointF(page.right(), page.top() + line * 1.25));
  if (view.isNull()) return;
  const QRectF area(page.left(), page.top() + below, page.width(), page.height() - below);
  QSizeF size = QSizeF(view.size()).scaled(area.size(), Qt::KeepAspectRatio);
  const QRectF target(area.left() + (area.width() - size.width()) / 2, area.top(), size.width(), size.height());
  painter.drawImage(target, view);
}

ViewPrinter::ViewPrinter(QWidget* window)
    : QObject(window), window_(window), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setObjectName(QStringLiteral("ViewPrinter"));
  printer_->setPageOrientation(QPageLayout::Landscape);
}

ViewPrinter::~ViewPrinter() = default;

ViewPrinter& ViewPrinter::of(QWidget* window) {
  auto* found = window->findChild<ViewPrinter*>(QStringLiteral("ViewPrinter"), Qt::FindDirectChildrenOnly);
  return found != nullptr ? *found : *new ViewPrinter(window);
}

bool ViewPrinter::printPage(CWQuarlexView* view, const QString& title) {
  QPainter painter;
  if (!painter.begin(printer_.get())) return false;
  const QRectF page = printer_->pageLayout().paintRectPixels(printer_->resolution());
  const QRectF area(0, 0, page.width(), page.height());
  // The view drawn at the page's proportions, no bigger than the GL limits allow.
  QImage image;
  if (view != nullptr) {
    QSizeF size = area.size();
    size.scale(QSizeF(4096, 4096).boundedTo(size), Qt::KeepAspectRatio);
    image = view->renderToImage(size.toSize());
  }
  paintViewPage(painter, area, image, title, QDate::currentDate());
  return painter.end();
}

bool ViewPrinter::print(CWQuarlexView* view, const QString& title) {
  QPrintDialog dialog(printer_.get(), window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  return printPage(view, title);
}

bool ViewPrinter::preview(CWQuarlexView* view, const QString& title) {
  QPrintPreviewDialog dialog(printer_.get(), window_);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter*) { printPage(view, title); });
  return dialog.exec() == QDialog::Accepted;
}

bool ViewPrinter::setup() {
  QPageSetupDialog dialog(printer_.get(), window_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace qx
