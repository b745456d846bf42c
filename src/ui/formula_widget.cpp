#include "ui/formula_widget.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "variables/formula_dialog.h"

namespace qx {

namespace {

QListWidget* makeList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

// The list's selected row, -1 for none.
int selectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> items = list->selectedItems();
  return items.isEmpty() ? -1 : list->row(items.constFirst());
}

void selectRow(QListWidget* list, int row) {
  if (row >= 0 && row < list->count()) {
    list->setCurrentRow(row);
  } else {
    list->clearSelection();
    list->setCurrentRow(-1);
  }
}

}  // namespace

CFormulaWidget::CFormulaWidget(CFormulaDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  // The variables.
  auto* fieldBox = new QGroupBox(QStringLiteral("Field"), this);
  fields_ = makeList(fieldBox);
  fields_->setMinimumWidth(160);
  selectField_ = new QPushButton(QStringLiteral("Select"), fieldBox);
  auto* fieldLayout = new QVBoxLayout(fieldBox);
  fieldLayout->addWidget(fields_, 1);
  fieldLayout->addWidget(selectField_, 0, Qt::AlignRight);

  // A constant, and the special fields.
  auto* constantBox = new QGroupBox(QStringLiteral("Constant"), this);
  constant_ = new QLineEdit(constantBox);
  selectConstant_ = new QPushButton(QStringLiteral("Select"), constantBox);
  auto* constantLayout = new QHBoxLayout(constantBox);
  constantLayout->addWidget(constant_, 1);
  constantLayout->addWidget(selectConstant_);

  auto* specialBox = new QGroupBox(QStringLiteral("Special Fields"), this);
  specials_ = makeList(specialBox);
  for (std::string_view name : kSpecialFields) specials_->addItem(qs(name));
  specials_->setMaximumHeight(specials_->sizeHintForRow(0) * static_cast<int>(kSpecialFields.size()) +
                              2 * specials_->frameWidth() + 4);
  selectSpecial_ = new QPushButton(QStringLiteral("Select"), specialBox);
  auto* specialLayout = new QVBoxLayout(specialBox);
  specialLayout->addWidget(specials_);
  specialLayout->addWidget(selectSpecial_, 0, Qt::AlignRight);

  auto* middle = new QVBoxLayout;
  middle->addWidget(constantBox);
  middle->addWidget(specialBox);
  middle->addStretch(1);

  // The operators, four to a row, then DELETE.
  auto* operatorBox = new QGroupBox(QStringLiteral("Operators"), this);
  auto* grid = new QGridLayout(operatorBox);
  constexpr int kColumns = 4;
  int index = 0;
  for (const FormulaButton& button : kFormulaOperatorButtons) {
    auto* push = new QPushButton(qs(button.label), operatorBox);
    push->setAutoDefault(false);
    const std::string_view label = button.label;
    connect(push, &QPushButton::clicked, this, [this, label] {
      if (model_.pressOperator(label)) showFormula();
    });
    grid->addWidget(push, index / kColumns, index % kColumns);
    operators_.push_back(push);
    ++index;
  }
  delete_ = new QPushButton(QStringLiteral("DELETE"), operatorBox);
  grid->addWidget(delete_, index / kColumns + 1, 0, 1, kColumns);

  auto* row = new QHBoxLayout;
  row->addWidget(fieldBox, 1);
  row->addLayout(middle, 1);
  row->addWidget(operatorBox);

  formula_ = new QLineEdit(this);
  formula_->setReadOnly(true);
  formula_->setMinimumWidth(480);
  auto* formulaRow = new QHBoxLayout;
  formulaRow->addWidget(new QLabel(QStringLiteral("Formula"), this));
  formulaRow->addWidget(formula_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addLayout(formulaRow);

  for (QPushButton* button : {selectField_, selectConstant_, selectSpecial_, delete_}) button->setAutoDefault(false);

  // Selections go into the model at once; the buttons are the model's actions.
  connect(fields_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!filling_) model_.selectedField = selectedRow(fields_);
  });
  connect(specials_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!filling_) model_.selectedSpecial = selectedRow(specials_);
  });
  connect(selectField_, &QPushButton::clicked, this, [this] {
    if (model_.selectField(port_)) showFormula();
  });
  connect(selectConstant_, &QPushButton::clicked, this, &CFormulaWidget::onSelectConstant);
  connect(selectSpecial_, &QPushButton::clicked, this, [this] {
    if (model_.selectSpecial()) showFormula();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    model_.deleteLast();
    showFormula();
  });
}

QPushButton* CFormulaWidget::operatorButton(const QString& label) const {
  for (QPushButton* button : operators_) {
    if (button->text() == label) return button;
  }
  return nullptr;
}

void CFormulaWidget::loadFromModel() {
  filling_ = true;
  fields_->clear();
  for (const std::string& name : model_.fieldNames()) fields_->addItem(qs(name));
  selectRow(fields_, model_.selectedField);
  selectRow(specials_, model_.selectedSpecial);
  filling_ = false;
  constant_->setText(formatNumber(model_.constant));
  showFormula();
}

bool CFormulaWidget::storeToModel(UiPort* /*port*/) {
  model_.selectedField = selectedRow(fields_);
  model_.selectedSpecial = selectedRow(specials_);
  // The constant counts only when it is selected into the formula; an
  // unfinished one does not hold up OK.
  storeNumber(constant_, model_.constant, nullptr);
  return true;
}

void CFormulaWidget::onSelectConstant() {
  if (!storeNumber(constant_, model_.constant, &port_)) return;
  if (model_.selectConstant(port_)) showFormula();
}

void CFormulaWidget::showFormula() {
  formula_->setText(qs(model_.formulaText()));
  formula_->setCursorPosition(formula_->text().size());
}

}  // namespace qx
