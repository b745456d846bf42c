#include "ui/edit_widgets.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "datasets/composite_modify_dialog.h"
#include "datasets/envelope_dialogs.h"
#include "engine/figure_dialogs.h"
#include "scene/digitizer.h"
#include "scene/edit_tools.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"

namespace qx {

CompositeModifyWidget::CompositeModifyWidget(CDialogCompositeModify& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  rows_ = new QTreeWidget(this);
  rows_->setRootIsDecorated(false);
  rows_->setSelectionMode(QAbstractItemView::SingleSelection);
  QStringList headers;
  for (const auto& [title, width] : CDialogCompositeModify::columns()) headers << qs(title);
  rows_->setHeaderLabels(headers);
  int column = 0;
  for (const auto& [title, width] : CDialogCompositeModify::columns()) rows_->setColumnWidth(column++, width);
  rows_->setMinimumSize(220, 200);
  label_ = new QLabel(this);
  edit_ = new QLineEdit(this);
  set_ = new QPushButton(QStringLiteral("Set"), this);
  delete_ = new QPushButton(QStringLiteral("Delete"), this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(rows_, 0, 0, 1, 3);
  layout->addWidget(label_, 1, 0, 1, 3);
  layout->addWidget(edit_, 2, 0, 1, 2);
  layout->addWidget(set_, 2, 2);
  layout->addWidget(delete_, 3, 2);
  connect(rows_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (filling_) return;
    model_.selectRow(item == nullptr ? -1 : rows_->indexOfTopLevelItem(item));
    label_->setText(qs(model_.label()));
    edit_->setText(qs(model_.editText()));
    set_->setEnabled(model_.selectedRow() >= 0);
  });
  connect(set_, &QPushButton::clicked, this, [this] {
    model_.setEditText(edit_->text().toStdString());
    if (model_.set()) showRows();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (!model_.onDelete(port_)) return;
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(QDialog::Accepted);
  });
}

void CompositeModifyWidget::showRows() {
  filling_ = true;
  rows_->clear();
  for (const CDialogCompositeModify::Row& row : model_.rows())
    rows_->addTopLevelItem(new QTreeWidgetItem(QStringList{qs(row.property), qs(row.value)}));
  if (model_.selectedRow() >= 0) rows_->setCurrentItem(rows_->topLevelItem(model_.selectedRow()));
  filling_ = false;
  label_->setText(qs(model_.label()));
  edit_->setText(qs(model_.editText()));
  set_->setEnabled(model_.selectedRow() >= 0);
}

void CompositeModifyWidget::loadFromModel() { showRows(); }

bool CompositeModifyWidget::storeToModel(UiPort*) {
  model_.setEditText(edit_->text().toStdString());
  return true;
}

CreateEnvelopeWidget::CreateEnvelopeWidget(CCreateEnvelopeDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  name_ = new QComboBox(this);
  name_->setEditable(true);
  name_->setInsertPolicy(QComboBox::NoInsert);
  density_ = new QLineEdit(this);
  swatch_ = new QLabel(this);
  swatch_->setMinimumSize(48, 20);
  swatch_->setAutoFillBackground(true);
  auto* colour = new QPushButton(QStringLiteral("Select Colour..."), this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Envelope Name :"), this), 0, 0);
  layout->addWidget(name_, 0, 1, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Density in Envelope:"), this), 1, 0);
  layout->addWidget(density_, 1, 1, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Envelope Colour :"), this), 2, 0);
  layout->addWidget(swatch_, 2, 1);
  layout->addWidget(colour, 2, 2);
  connect(colour, &QPushButton::clicked, this, [this] {
    model_.chooseColour(port_);
    showColour();
  });
}

void CreateEnvelopeWidget::showColour() {
  QPalette palette = swatch_->palette();
  palette.setColor(QPalette::Window, toQColor(model_.colour()));
  swatch_->setPalette(palette);
}

void CreateEnvelopeWidget::loadFromModel() {
  name_->clear();
  for (const std::string& name : model_.envelopeNames()) name_->addItem(qs(name));
  name_->setEditText(qs(model_.name()));
  density_->setText(formatNumber(model_.density()));
  showColour();
}

bool CreateEnvelopeWidget::storeToModel(UiPort* port) {
  double density = model_.density();
  if (!storeNumber(density_, density, port)) return false;
  model_.setDensity(density);
  model_.setName(name_->currentText().toStdString());
  return true;
}

FigurePropertiesWidget::FigurePropertiesWidget(CFigurePropertiesDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kFigureNameMaxLength));
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(qs(CFigurePropertiesDialog::kNameLabel), this), 0, 0);
  layout->addWidget(name_, 0, 1);
}

void FigurePropertiesWidget::loadFromModel() { name_->setText(qs(model_.name())); }

bool FigurePropertiesWidget::storeToModel(UiPort*) {
  model_.setName(name_->text().toStdString());
  return true;
}

TargetAreaWidget::TargetAreaWidget(CTargetAreaDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  area_ = new QLineEdit(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(area_, 0, 0);
}

void TargetAreaWidget::loadFromModel() { area_->setText(qs(model_.text)); }

bool TargetAreaWidget::storeToModel(UiPort*) {
  model_.text = area_->text().toStdString();
  return true;
}

RetagContourWidget::RetagContourWidget(CRetagContourDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  names_ = new QListWidget(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(qs(CRetagContourDialog::kPrompt), this), 0, 0);
  layout->addWidget(names_, 1, 0);
}

void RetagContourWidget::loadFromModel() {
  names_->clear();
  for (const std::string& name : model_.names) names_->addItem(qs(name));
  names_->setCurrentRow(model_.selected);
}

bool RetagContourWidget::storeToModel(UiPort*) {
  if (names_->currentRow() >= 0) model_.selected = names_->currentRow();
  return true;
}

SnapCoordinateWidget::SnapCoordinateWidget(CSnapCoordDlg& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  x_ = new QLineEdit(this);
  y_ = new QLineEdit(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(qs(CSnapCoordDlg::kXLabel), this), 0, 0);
  layout->addWidget(x_, 0, 1);
  layout->addWidget(new QLabel(qs(CSnapCoordDlg::kYLabel), this), 1, 0);
  layout->addWidget(y_, 1, 1);
}

void SnapCoordinateWidget::loadFromModel() {
  x_->setText(formatNumber(model_.x));
  y_->setText(formatNumber(model_.y));
}

// Both or neither: a field without a number leaves the point as it was.
bool SnapCoordinateWidget::storeToModel(UiPort* port) {
  double x = model_.x, y = model_.y;
  if (!storeNumber(x_, x, port) || !storeNumber(y_, y, port)) return false;
  model_.x = x;
  model_.y = y;
  return true;
}

void registerEditWidgets(WidgetRegistry& registry) {
  registry.add(CTargetAreaDialog::kKind, widgetFactory<CTargetAreaDialog, TargetAreaWidget>());
  registry.add(CRetagContourDialog::kKind, widgetFactory<CRetagContourDialog, RetagContourWidget>());
  registry.add(CSnapCoordDlg::kKind, widgetFactory<CSnapCoordDlg, SnapCoordinateWidget>());
  registry.add(CDialogCompositeModify::kKind, widgetFactory<CDialogCompositeModify, CompositeModifyWidget>());
  registry.add(CCreateEnvelopeDialog::kKind, widgetFactory<CCreateEnvelopeDialog, CreateEnvelopeWidget>());
  registry.add(CFigurePropertiesDialog::kKind, widgetFactory<CFigurePropertiesDialog, FigurePropertiesWidget>());
}

}  // namespace qx
