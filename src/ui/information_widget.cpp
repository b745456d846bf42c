#include "ui/information_widget.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace qx {

CInformationDlg::CInformationDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Information"));
  setModal(false);
  list_ = new QListWidget(this);
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));  // the lines' columns line up
  list_->setMinimumSize(480, 260);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(list_);
}

void CInformationDlg::showLines(const std::vector<std::string>& lines) {
  list_->clear();
  for (const std::string& line : lines) list_->addItem(qs(line));
}

void CInformationDlg::selectLastLine() {
  if (list_->count() == 0) return;
  list_->setCurrentRow(list_->count() - 1);
  list_->scrollToBottom();
}

void CInformationDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  emit visibilityChanged(true);
}

void CInformationDlg::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  emit visibilityChanged(false);
}

}  // namespace qx
