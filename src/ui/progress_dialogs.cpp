#include "ui/progress_dialogs.h"

#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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
  // The operation runs on this thread: let the window paint before it goes
  // on. With a Cancel button the window is modal, so only its own button
  // takes a click.
  QCoreApplication::processEvents(cancel_ != nullptr ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void CProgressDlg::enableCancel() {
  if (cancel_ != nullptr) return;
  cancel_ = new QPushButton(tr("Cancel"), this);
  layout()->addWidget(cancel_);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    cancelled_ = true;
    cancel_->setEnabled(false);
  });
  hide();
  setWindowModality(Qt::ApplicationModal);
  show();
  repaintNow();
}

bool CProgressDlg::cancelRequested() {
  if (cancel_ != nullptr) repaintNow();
  return cancelled_;
}

void CProgressDlg::setTitle(std::string_view title) {
  setWindowTitle(qs(title));
  repaintNow();
}

void CProgressDlg::setText(std::string_view text) {
  label_->setText(qs(text));
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
