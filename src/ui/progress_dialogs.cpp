#include "ui/progress_dialogs.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace qx {

CProgressDlg::CProgressDlg(ProgressKind kind, QWidget* parent) : QDialog(parent) {
  setModal(false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  if (kind == ProgressKind::Bar) {
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(300);
    layout->addWidget(bar_);
  }
  label_ = new QLabel(this);
  label_->setMinimumWidth(300);
  layout->addWidget(label_);
  show();
  repaintNow();
}

void CProgressDlg::repaintNow() {
  // The operation runs on this thread: let the window paint before it goes on.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CProgressDlg::setTitle(std::string_view title) {
  setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  repaintNow();
}

void CProgressDlg::setText(std::string_view text) {
  label_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  repaintNow();
}

void CProgressDlg::setRange(int lower, int upper) {
  if (bar_ != nullptr) bar_->setRange(lower, upper);
  repaintNow();
}

void CProgressDlg::setStep(int step) { step_ = step; }

void CProgressDlg::setPos(int pos) {
  if (bar_ != nullptr) bar_->setValue(pos);
  repaintNow();
}

}  // namespace qx
