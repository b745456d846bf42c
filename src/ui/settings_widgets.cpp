#include "ui/settings_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "datasets/composite_envelope_page.h"
#include "project/calculation_pages.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "variables/variable_edit_dialog.h"

namespace qx {

namespace {

QTreeWidget* makeList(QWidget* parent, const std::vector<ListColumn>& columns) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  QStringList headers;
  for (const ListColumn& c : columns) headers << qs(c.title);
  list->setHeaderLabels(headers);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i)
    list->setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
  return list;
}

// Rewrites the list and selects `selected` (none when -1). The items stay
// when the number of lines does, since the list may be rewritten while it
// reports a click on one of them.
void fillList(QTreeWidget* list, const std::vector<std::vector<std::string>>& lines, int selected) {
  if (list->topLevelItemCount() != static_cast<int>(lines.size())) {
    list->clear();
    for (std::size_t i = 0; i < lines.size(); ++i) list->addTopLevelItem(new QTreeWidgetItem);
  }
  for (int r = 0; r < list->topLevelItemCount(); ++r) {
    QTreeWidgetItem* item = list->topLevelItem(r);
    const auto& line = lines[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(line.size()); ++c) item->setText(c, qs(line[static_cast<std::size_t>(c)]));
    item->setSelected(r == selected);
  }
}

int selectedRow(const QTreeWidget* list) {
  const QList<QTreeWidgetItem*> chosen = list->selectedItems();
  return chosen.isEmpty() ? -1 : list->indexOfTopLevelItem(chosen.front());
}

QPushButton* addButton(QLayout* layout, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  layout->addWidget(button);
  return button;
}

QComboBox* weightingChoice(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::string_view choice : kWeightingChoices) box->addItem(qs(choice));
  return box;
}

}  // namespace

void registerSettingsWidgets(WidgetRegistry& registry) {
  registry.add(CPropPageCalcGeneral::kKind, widgetFactory<CPropPageCalcGeneral, CalcGeneralWidget>());
  registry.add(CPropPageCalcVariables::kKind, widgetFactory<CPropPageCalcVariables, CalcVariablesWidget>());
  registry.add(CPropPageEnvelopeClipping::kKind, widgetFactory<CPropPageEnvelopeClipping, EnvelopeClippingWidget>());
  registry.add(CVariableEditDialog::kKind, widgetFactory<CVariableEditDialog, VariableEditWidget>());
  registry.add(CVariableLoadedDialog::kKind, widgetFactory<CVariableLoadedDialog, VariableLoadedWidget>());
  registry.add(CVariableCalculatedDialog::kKind, widgetFactory<CVariableCalculatedDialog, VariableCalculatedWidget>());
}

// ---- "General" ----

CalcGeneralWidget::CalcGeneralWidget(CPropPageCalcGeneral& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  using P = CPropPageCalcGeneral;
  // The spin box takes numbers beyond the limits so that the page's range
  // message, not the control, refuses them.
  sides_ = new QSpinBox(this);
  sides_->setRange(-99999, 99999);
  size_ = new QLineEdit(this);
  angle_ = new QLineEdit(this);
  auto* polygon = new QGroupBox(qs(P::kPolygonGroup), this);
  auto* form = new QFormLayout(polygon);
  form->addRow(qs(P::kSidesLabel), sides_);
  form->addRow(qs(P::kSizeLabel), size_);
  form->addRow(qs(P::kAngleLabel), angle_);
  auto* other = new QGroupBox(qs(P::kOtherGroup), this);
  auto* switches = new QVBoxLayout(other);
  dilution_ = new QCheckBox(qs(P::kDilutionLabel), other);
  overwrite_ = new QCheckBox(qs(P::kOverwriteLabel), other);
  switches->addWidget(dilution_);
  switches->addWidget(overwrite_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(polygon);
  layout->addWidget(other);
  layout->addStretch(1);
}

void CalcGeneralWidget::loadFromModel() {
  sides_->setValue(model_.sides);
  size_->setText(formatNumber(model_.polygonSize));
  angle_->setText(formatNumber(model_.firstVertexAngle));
  dilution_->setChecked(model_.useDilution);
  overwrite_->setChecked(model_.overwritePolygons);
}

bool CalcGeneralWidget::storeToModel(UiPort* port) {
  model_.sides = sides_->value();
  if (!storeNumber(size_, model_.polygonSize, port) || !storeNumber(angle_, model_.firstVertexAngle, port))
    return false;
  model_.useDilution = dilution_->isChecked();
  model_.overwritePolygons = overwrite_->isChecked();
  return true;
}

// ---- "Variables" ----

CalcVariablesWidget::CalcVariablesWidget(CPropPageCalcVariables& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  list_ = makeList(this, CPropPageCalcVariables::columns());
  variable_ = new QComboBox(this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Variable"), variable_);
  const char* labels[] = {"Min Cutoff", "Max Cutoff", "Default", "Missing"};
  for (int i = 0; i < 4; ++i) {
    fields_[i] = new QLineEdit(this);
    form->addRow(QString::fromLatin1(labels[i]), fields_[i]);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* update = addButton(buttons, "Update", this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!filling_ && selectedRow(list_) >= 0) choose(selectedRow(list_));
  });
  connect(variable_, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (!filling_) choose(row);
  });
  connect(update, &QPushButton::clicked, this, [this] {
    storeToModel(nullptr);
    model_.update();
    loadFromModel();
  });
}

void CalcVariablesWidget::choose(int row) {
  storeToModel(nullptr);
  model_.choose(row);
  loadFromModel();
}

void CalcVariablesWidget::loadFromModel() {
  filling_ = true;
  fillList(list_, model_.lines(), model_.chosen());
  variable_->clear();
  for (const auto& r : model_.rows()) variable_->addItem(qs(r.name));
  variable_->setCurrentIndex(model_.chosen());
  const double values[] = {model_.minCutoff, model_.maxCutoff, model_.defaultValue, model_.missingValue};
  for (int i = 0; i < 4; ++i) fields_[i]->setText(formatNumber(values[i]));
  filling_ = false;
}

bool CalcVariablesWidget::storeToModel(UiPort* port) {
  double* targets[] = {&model_.minCutoff, &model_.maxCutoff, &model_.defaultValue, &model_.missingValue};
  for (int i = 0; i < 4; ++i)
    if (!storeNumber(fields_[i], *targets[i], port)) return false;
  return true;
}

// ---- "Envelopes" ----

EnvelopeClippingWidget::EnvelopeClippingWidget(CPropPageEnvelopeClipping& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  using P = CPropPageEnvelopeClipping;
  list_ = makeList(this, {{P::kNameColumn, 120}, {P::kClipColumn, 170}, {P::kPriorityColumn, 60}});
  auto* clipping = new QGroupBox(QStringLiteral("Clipping Selection"), this);
  auto* clipButtons = new QVBoxLayout(clipping);
  QPushButton* select = addButton(clipButtons, "Select", clipping);
  QPushButton* deSelect = addButton(clipButtons, "De-Select", clipping);
  auto* priority = new QGroupBox(QStringLiteral("Envelope Priority"), this);
  auto* priorityButtons = new QVBoxLayout(priority);
  QPushButton* increase = addButton(priorityButtons, "Increase", priority);
  QPushButton* decrease = addButton(priorityButtons, "Decrease", priority);
  auto* side = new QVBoxLayout;
  side->addWidget(clipping);
  side->addWidget(priority);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(side);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!filling_) model_.selectLine(selectedRow(list_));
  });
  const auto bindButton = [this](QPushButton* button, auto action) {
    connect(button, &QPushButton::clicked, this, [this, action] {
      action(model_);
      loadFromModel();
    });
  };
  bindButton(select, [](P& m) { m.select(); });
  bindButton(deSelect, [](P& m) { m.deSelect(); });
  bindButton(increase, [](P& m) { m.increase(); });
  bindButton(decrease, [](P& m) { m.decrease(); });
}

void EnvelopeClippingWidget::loadFromModel() {
  filling_ = true;
  std::vector<std::vector<std::string>> lines;
  for (const auto& l : model_.lines()) lines.push_back({l.name, l.status, l.priority});
  fillList(list_, lines, model_.selectedLine());
  filling_ = false;
}

// ---- "Edit Variables" ----

VariableEditWidget::VariableEditWidget(CVariableEditDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  list_ = makeList(this, model_.columns());
  list_->setMinimumWidth(400);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  const auto bindButton = [this, buttons](const char* text, auto action) {
    connect(addButton(buttons, text, this), &QPushButton::clicked, this, [this, action] {
      if (action(model_, port_)) loadFromModel();
    });
  };
  bindButton("&Add", [](CVariableEditDialog& m, UiPort& p) { return m.add(p); });
  bindButton("&Edit", [](CVariableEditDialog& m, UiPort& p) { return m.edit(p); });
  bindButton("&Remove", [](CVariableEditDialog& m, UiPort& p) { return m.remove(p); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!filling_) model_.select(selectedRow(list_));
  });
}

void VariableEditWidget::loadFromModel() {
  filling_ = true;
  fillList(list_, model_.lines(), model_.selected());
  filling_ = false;
}

// ---- "Defined Variable Properties" ----

VariableLoadedWidget::VariableLoadedWidget(CVariableLoadedDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  name_ = new QLineEdit(this);
  name_->setMaxLength(kMaxVariableNameLength);
  default_ = new QLineEdit(this);
  missing_ = new QLineEdit(this);
  weighting_ = weightingChoice(this);
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Field Name"), name_);
  form->addRow(QStringLiteral("Default Value"), default_);
  form->addRow(QStringLiteral("Missing Value"), missing_);
  form->addRow(QStringLiteral("Weighting Type"), weighting_);
}

void VariableLoadedWidget::loadFromModel() {
  name_->setText(qs(model_.fieldName));
  default_->setText(formatNumber(model_.defaultValue));
  missing_->setText(formatNumber(model_.missingValue));
  if (model_.weightingType >= 0 && model_.weightingType < weighting_->count())
    weighting_->setCurrentIndex(model_.weightingType);
}

bool VariableLoadedWidget::storeToModel(UiPort* port) {
  model_.fieldName = name_->text().toStdString();
  if (!storeNumber(default_, model_.defaultValue, port) || !storeNumber(missing_, model_.missingValue, port))
    return false;
  model_.weightingType = weighting_->currentIndex();
  return true;
}

// ---- "Calculated Variable Properties" ----

VariableCalculatedWidget::VariableCalculatedWidget(CVariableCalculatedDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  name_ = new QLineEdit(this);
  name_->setMaxLength(kMaxVariableNameLength);
  formula_ = new QLineEdit(this);
  formula_->setReadOnly(true);
  formula_->setMinimumWidth(260);
  auto* enter = new QPushButton(QStringLiteral("Enter Formula"), this);
  enter->setEnabled(model_.enterFormulaEnabled());
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Field Name"), name_);
  auto* row = new QHBoxLayout;
  row->addWidget(formula_, 1);
  row->addWidget(enter);
  form->addRow(row);
  connect(enter, &QPushButton::clicked, this, [this, p = &port] {
    if (model_.enterFormula(*p)) formula_->setText(qs(model_.formula.formulaText));
  });
}

void VariableCalculatedWidget::loadFromModel() {
  name_->setText(qs(model_.fieldName));
  formula_->setText(qs(model_.formula.formulaText));
}

bool VariableCalculatedWidget::storeToModel(UiPort*) {
  model_.fieldName = name_->text().toStdString();
  return true;
}

}  // namespace qx
