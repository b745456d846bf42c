#include "port/progress.h"

#include <algorithm>

namespace qx {

CProgressBar::CProgressBar(UiPort& port) : window_(port.openProgress(ProgressKind::Bar)) {
  window_->setRange(kLower, kUpper);
  window_->setStep(kStep);
  window_->setPos(pos_);
}

void CProgressBar::setTitle(std::string_view title) { window_->setTitle(title); }

void CProgressBar::setText(std::string_view text) {
  text_ = text;
  window_->setText(text_);
}

void CProgressBar::stepIt() {
  pos_ = std::min(kUpper, pos_ + kStep);
  window_->setPos(pos_);
}

CProgressTextDlg::CProgressTextDlg(UiPort& port) : window_(port.openProgress(ProgressKind::Text)) {}

void CProgressTextDlg::setTitle(std::string_view title) { window_->setTitle(title); }

void CProgressTextDlg::setText(std::string_view text) {
  text_ = text;
  window_->setText(text_);
}

}  // namespace qx
