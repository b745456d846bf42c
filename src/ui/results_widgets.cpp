#include "ui/results_widgets.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/results_dialogs.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"

namespace qx {

namespace {

QListWidget* checkList(const std::vector<std::string>& names, const std::vector<bool>& ticked, QWidget* parent) {
  auto* list = new QListWidget(parent);
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto* item = new QListWidgetItem(qs(names[i]), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(i < ticked.size() && ticked[i] ? Qt::Checked : Qt::Unchecked);
  }
  return list;
}

std::vector<bool> ticks(const QListWidget* list) {
  std::vector<bool> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->checkState() == Qt::Checked);
  return out;
}

void setTicks(QListWidget* list, const std::vector<bool>& ticked) {
  for (int i = 0; i < list->count(); ++i) {
    const auto n = static_cast<std::size_t>(i);
    list->item(i)->setCheckState(n < ticked.size() && ticked[n] ? Qt::Checked : Qt::Unchecked);
  }
}

}  // namespace

void registerResultsWidgets(WidgetRegistry& registry) {
  registry.add(GradeTonnageDialog::kKind, widgetFactory<GradeTonnageDialog, GradeTonnageWidget>());
  registry.add(DeclusteringDialog::kKind, widgetFactory<DeclusteringDialog, DeclusteringWidget>());
  registry.add(CheckDataDialog::kKind, widgetFactory<CheckDataDialog, CheckDataWidget>());
  registry.add(ResultsDialog::kKind, widgetFactory<ResultsDialog, ResultsWidget>());
}

GradeTonnageWidget::GradeTonnageWidget(GradeTonnageDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* form = new QFormLayout(this);
  variable_ = new QComboBox(this);
  for (const auto& name : model_.variableNames) variable_->addItem(qs(name));
  form->addRow(qs("&Variable:"), variable_);
  steps_ = new QRadioButton(qs("Regular &steps"), this);
  form->addRow(steps_);
  first_ = new QLineEdit(this);
  step_ = new QLineEdit(this);
  count_ = new QSpinBox(this);
  count_->setRange(1, 10000);
  form->addRow(qs("&First cut-off:"), first_);
  form->addRow(qs("S&tep:"), step_);
  form->addRow(qs("&Count:"), count_);
  list_ = new QRadioButton(qs("&List of cut-offs"), this);
  form->addRow(list_);
  cutoffs_ = new QLineEdit(this);
  form->addRow(qs("C&ut-offs:"), cutoffs_);
  envelopes_ = checkList(model_.envelopeNames, model_.envelopes, this);
  envelopes_->setEnabled(!model_.envelopeNames.empty());
  form->addRow(qs("Only in the &envelopes:"), envelopes_);
  figures_ = checkList(model_.figureNames, model_.figures, this);
  figures_->setEnabled(!model_.figureNames.empty());
  form->addRow(qs("Only in the &figures:"), figures_);
  connect(list_, &QRadioButton::toggled, this, [this] { updateEnabled(); });
}

void GradeTonnageWidget::updateEnabled() {
  const bool list = list_->isChecked();
  cutoffs_->setEnabled(list);
  for (QWidget* w : {static_cast<QWidget*>(first_), static_cast<QWidget*>(step_), static_cast<QWidget*>(count_)})
    w->setEnabled(!list);
}

void GradeTonnageWidget::loadFromModel() {
  variable_->setCurrentIndex(model_.variable);
  (model_.useList ? list_ : steps_)->setChecked(true);
  first_->setText(formatNumber(model_.first));
  step_->setText(formatNumber(model_.step));
  count_->setValue(model_.count);
  cutoffs_->setText(qs(model_.cutoffList));
  setTicks(envelopes_, model_.envelopes);
  setTicks(figures_, model_.figures);
  updateEnabled();
}

bool GradeTonnageWidget::storeToModel(UiPort* port) {
  model_.variable = variable_->currentIndex();
  model_.useList = list_->isChecked();
  model_.cutoffList = cutoffs_->text().toStdString();
  model_.count = count_->value();
  model_.envelopes = ticks(envelopes_);
  model_.figures = ticks(figures_);
  if (model_.useList) return true;
  return storeNumber(first_, model_.first, port) && storeNumber(step_, model_.step, port);
}

DeclusteringWidget::DeclusteringWidget(DeclusteringDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* form = new QFormLayout(this);
  variables_ = checkList(model_.variableNames, model_.chosen, this);
  form->addRow(qs("&Variables (the histogram shows the first):"), variables_);
  bins_ = new QSpinBox(this);
  bins_->setRange(1, 1000);
  form->addRow(qs("Histogram &bins:"), bins_);
}

void DeclusteringWidget::loadFromModel() {
  setTicks(variables_, model_.chosen);
  bins_->setValue(model_.bins);
}

bool DeclusteringWidget::storeToModel(UiPort*) {
  model_.chosen = ticks(variables_);
  model_.bins = bins_->value();
  return true;
}

CheckDataWidget::CheckDataWidget(CheckDataDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  auto* form = new QFormLayout(this);
  tolerance_ = new QLineEdit(this);
  form->addRow(qs("Near-duplicate &tolerance:"), tolerance_);
  low_ = new QLineEdit(this);
  form->addRow(qs("List values below the &percentile:"), low_);
  high_ = new QLineEdit(this);
  form->addRow(qs("List values above the p&ercentile:"), high_);
}

void CheckDataWidget::loadFromModel() {
  tolerance_->setText(formatNumber(model_.tolerance));
  low_->setText(formatNumber(model_.percentiles.low));
  high_->setText(formatNumber(model_.percentiles.high));
}

bool CheckDataWidget::storeToModel(UiPort* port) {
  return storeNumber(tolerance_, model_.tolerance, port) && storeNumber(low_, model_.percentiles.low, port) &&
         storeNumber(high_, model_.percentiles.high, port);
}

ResultsWidget::ResultsWidget(ResultsDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  auto* layout = new QVBoxLayout(this);
  if (model_.hasChart()) {
    chart_ = new QLabel(this);
    QImage image;
    const auto& png = model_.chartPng();
    if (image.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"))
      chart_->setPixmap(QPixmap::fromImage(image));
    else
      chart_->setText(qs("The chart could not be drawn."));
    layout->addWidget(chart_);
  }
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setMinimumWidth(600);
  text_->setMinimumHeight(160);
  layout->addWidget(text_);
  auto* row = new QHBoxLayout;
  save_ = new QPushButton(qs("&Save..."), this);
  row->addWidget(save_);
  row->addStretch();
  layout->addLayout(row);
  connect(save_, &QPushButton::clicked, this, [this] { model_.save(port_); });
}

void ResultsWidget::loadFromModel() {
  text_->setPlainText(qs(model_.text()));
  // Nothing to accept: the dialog's OK and Cancel become one Close.
  if (auto* buttons = window()->findChild<QDialogButtonBox*>(); buttons != nullptr && buttons->parent() != this)
    buttons->setStandardButtons(QDialogButtonBox::Close);
}

}  // namespace qx
