#include "ui/sheet_dialogs.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "port/dialog_model.h"
#include "ui/model_widget.h"
#include "ui/qt_text.h"

namespace qx {

namespace {

QDialogButtonBox* okCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CModelDialog::CModelDialog(DialogModel& model, ModelWidget* widget, UiPort& port, QWidget* parent)
    : QDialog(parent), model_(model), widget_(widget), port_(port) {
  setWindowTitle(qs(model.title()));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(widget_);
  layout->addWidget(okCancelButtons(this));
  widget_->loadFromModel();
}

void CModelDialog::accept() {
  if (!widget_->storeToModel(&port_)) return;
  if (!model_.onOk(port_)) return;
  QDialog::accept();
}

CPropertySheetDlg::CPropertySheetDlg(SheetModel& sheet, std::vector<BoundPage> pages, UiPort& port, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), port_(port) {
  setWindowTitle(qs(sheet.title()));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  switching_ = true;
  for (const BoundPage& page : pages_) tabs_->addTab(page.widget, qs(page.model->title()));
  switching_ = false;
  layout->addWidget(tabs_);
  layout->addWidget(okCancelButtons(this));
  connect(tabs_, &QTabWidget::currentChanged, this, &CPropertySheetDlg::onTabChanged);
  if (!pages_.empty()) activate(0);
}

bool CPropertySheetDlg::leave(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return true;
  const BoundPage& page = pages_[static_cast<size_t>(index)];
  return page.widget->storeToModel(&port_) && page.model->onKillActive(port_);
}

void CPropertySheetDlg::activate(int index) {
  active_ = index;
  const BoundPage& page = pages_[static_cast<size_t>(index)];
  page.model->onSetActive();
  page.widget->loadFromModel();
}

void CPropertySheetDlg::onTabChanged(int index) {
  if (switching_ || index == active_) return;
  if (!leave(active_)) {
    switching_ = true;
    tabs_->setCurrentIndex(active_);
    switching_ = false;
    return;
  }
  activate(index);
}

bool CPropertySheetDlg::setActivePage(int index) {
  tabs_->setCurrentIndex(index);
  return active_ == index;
}

void CPropertySheetDlg::accept() {
  if (!leave(active_)) return;
  QDialog::accept();
}

CModelWizardPage::CModelWizardPage(BoundPage page, UiPort& port, QWidget* parent)
    : QWizardPage(parent), page_(page), port_(port) {
  setTitle(qs(page_.model->title()));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(page_.widget);
}

bool CModelWizardPage::validatePage() { return page_.widget->storeToModel(&port_) && page_.model->onKillActive(port_); }

void CModelWizardPage::cleanupPage() { page_.widget->storeToModel(nullptr); }

CWizardDlg::CWizardDlg(SheetModel& sheet, std::vector<BoundPage> pages, UiPort& port, QWidget* parent)
    : QWizard(parent) {
  setWindowTitle(qs(sheet.title()));
  setWizardStyle(QWizard::ClassicStyle);
  setOption(QWizard::NoBackButtonOnStartPage, false);
  for (const BoundPage& page : pages) addPage(new CModelWizardPage(page, port, this));
  connect(this, &QWizard::currentIdChanged, this, &CWizardDlg::onPageShown);
}

void CWizardDlg::onPageShown(int id) {
  auto* page = qobject_cast<CModelWizardPage*>(this->page(id));
  if (page == nullptr) return;
  page->bound().model->onSetActive();
  page->bound().widget->loadFromModel();
}

}  // namespace qx
