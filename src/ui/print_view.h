#pragma once
// Printing the 3D view: File > Print, Print Preview and Print Setup. A page is
// a header line (the project's title on the left, the date on the right) over
// the view as drawn, scaled to the rest of the page with its proportions kept.
#include <QDate>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;
class QWidget;

namespace qx {

class CWQuarlexView;

// Paints one page into `page` (device units of the painter).
void paintViewPage(QPainter& painter, const QRectF& page, const QImage& view, const QString& title, const QDate& date);

// The printer settings of a window, kept between Print Setup and Print.
class ViewPrinter : public QObject {
  Q_OBJECT

 public:
  explicit ViewPrinter(QWidget* window);
  ~ViewPrinter() override;
  // The window's printer, made on first use.
  static ViewPrinter& of(QWidget* window);

  QPrinter& printer() { return *printer_; }
  // Each asks with Qt's dialog; false when cancelled or nothing could be drawn.
  bool print(CWQuarlexView* view, const QString& title);
  bool preview(CWQuarlexView* view, const QString& title);
  bool setup();
  // Draws the page on the printer without asking.
  bool printPage(CWQuarlexView* view, const QString& title);

 private:
  QWidget* window_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace qx
