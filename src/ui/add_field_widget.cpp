#include "ui/add_field_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "variables/entry_dialogs.h"
#include "variables/variable_rules.h"

namespace qx {

CAddFieldEntryWidget::CAddFieldEntryWidget(CAddFieldEntry& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  name_ = new QLineEdit(this);
  name_->setMaxLength(kMaxVariableNameLength);
  default_ = new QLineEdit(this);
  missing_ = new QLineEdit(this);
  weighting_ = new QComboBox(this);
  for (std::string_view choice : kWeightingChoices) {
    weighting_->addItem(QString::fromUtf8(choice.data(), static_cast<qsizetype>(choice.size())));
  }
  calculate_ = new QCheckBox(QStringLiteral("Calculate Field Value"), this);
  formula_ = new QLineEdit(this);
  formula_->setReadOnly(true);
  formula_->setMinimumWidth(260);
  enterFormula_ = new QPushButton(QStringLiteral("Enter Formula"), this);

  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Field Name"), name_);
  form->addRow(QStringLiteral("Default Value"), default_);
  form->addRow(QStringLiteral("Missing Value"), missing_);
  form->addRow(QStringLiteral("Weighting Type"), weighting_);
  form->addRow(calculate_);
  auto* formulaRow = new QHBoxLayout;
  formulaRow->addWidget(formula_, 1);
  formulaRow->addWidget(enterFormula_);
  form->addRow(formulaRow);

  connect(calculate_, &QCheckBox::toggled, this, [this](bool on) {
    model_.calculateFieldValue = on;
    applyEnabling();
  });
  connect(enterFormula_, &QPushButton::clicked, this, &CAddFieldEntryWidget::onEnterFormula);
}

void CAddFieldEntryWidget::onEnterFormula() {
  if (!model_.enterFormula(port_)) return;
  // The accepted formula turns the switch on; the other fields keep what was typed.
  {
    const QSignalBlocker block(calculate_);
    calculate_->setChecked(model_.calculateFieldValue);
  }
  formula_->setText(qs(model_.formula.formulaText));
  applyEnabling();
}

void CAddFieldEntryWidget::loadFromModel() {
  name_->setText(qs(model_.fieldName));
  default_->setText(formatNumber(model_.defaultValue));
  missing_->setText(formatNumber(model_.missingValue));
  if (model_.weightingType >= 0 && model_.weightingType < weighting_->count()) {
    weighting_->setCurrentIndex(model_.weightingType);
  }
  {
    const QSignalBlocker block(calculate_);
    calculate_->setChecked(model_.calculateFieldValue);
  }
  formula_->setText(qs(model_.formula.formulaText));
  applyEnabling();
}

bool CAddFieldEntryWidget::storeToModel(UiPort* port) {
  model_.fieldName = name_->text().toStdString();
  if (!storeNumber(default_, model_.defaultValue, port)) return false;
  if (!storeNumber(missing_, model_.missingValue, port)) return false;
  model_.weightingType = weighting_->currentIndex();
  model_.calculateFieldValue = calculate_->isChecked();
  return true;
}

void CAddFieldEntryWidget::applyEnabling() {
  default_->setEnabled(model_.defaultValueEnabled());
  weighting_->setEnabled(model_.weightingTypeEnabled());
  missing_->setEnabled(model_.missingValueEnabled());
  formula_->setEnabled(model_.formulaBoxEnabled());
  enterFormula_->setEnabled(model_.enterFormulaEnabled());
}

}  // namespace qx
