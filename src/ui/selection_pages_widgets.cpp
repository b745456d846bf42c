#include "ui/selection_pages_widgets.h"
#include "ui/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "datasets/composite_envelope_page.h"
#include "datasets/envelope_export.h"
#include "engine/result_export.h"

namespace qx {

CompositeEnvelopesWidget::CompositeEnvelopesWidget(CPropPageCompositeEnvelopes& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels({qs(CPropPageCompositeEnvelopes::kNameColumn), qs(CPropPageCompositeEnvelopes::kUseColumn)});
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  select_ = new QPushButton(QStringLiteral("Select"), this);
  deSelect_ = new QPushButton(QStringLiteral("De-Select"), this);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(select_);
  buttons->addWidget(deSelect_);
  buttons->addStretch(1);
  outside_ = new QCheckBox(qs(CPropPageCompositeEnvelopes::kOutsideSwitch), this);
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addWidget(outside_);

  // The selected line, not the current one: the list makes its first line
  // current when it takes the focus, and that is no choice of the user's.
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    const QList<QTreeWidgetItem*> chosen = list_->selectedItems();
    model_.selectLine(chosen.isEmpty() ? -1 : list_->indexOfTopLevelItem(chosen.front()));
  });
  connect(select_, &QPushButton::clicked, this, [this] {
    model_.select();
    showLines();
  });
  connect(deSelect_, &QPushButton::clicked, this, [this] {
    model_.deSelect();
    showLines();
  });
  connect(outside_, &QCheckBox::toggled, this, [this](bool on) { model_.setOutside(on); });
}

void CompositeEnvelopesWidget::showLines() {
  filling_ = true;
  list_->clear();
  for (const CPropPageCompositeEnvelopes::Line& line : model_.lines())
    list_->addTopLevelItem(new QTreeWidgetItem({qs(line.name), qs(line.status)}));
  if (model_.selectedLine() >= 0) list_->topLevelItem(model_.selectedLine())->setSelected(true);
  filling_ = false;
}

void CompositeEnvelopesWidget::loadFromModel() {
  showLines();
  const QSignalBlocker block(outside_);
  outside_->setChecked(model_.outside());
}

bool CompositeEnvelopesWidget::storeToModel(UiPort*) {
  model_.setOutside(outside_->isChecked());
  return true;
}

SelectFiguresWidget::SelectFiguresWidget(CPropPageSelectFigures& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* box = new QGroupBox(qs(CPropPageSelectFigures::kHeading), this);
  choices_ = new QButtonGroup(this);
  const std::string_view labels[] = {CPropPageSelectFigures::kAllLabel, CPropPageSelectFigures::kSingleLabel,
                                     CPropPageSelectFigures::kGroupLabel};
  auto* grid = new QGridLayout(box);
  for (int c = 0; c < 3; ++c) {
    auto* button = new QRadioButton(qs(labels[c]), box);
    choices_->addButton(button, c);
    grid->addWidget(button, c, 0);
  }
  single_ = new QComboBox(box);
  group_ = new QListWidget(box);
  grid->addWidget(single_, 1, 1);
  grid->addWidget(group_, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);

  connect(choices_, &QButtonGroup::idToggled, this, [this](int choice, bool on) {
    if (!on) return;
    model_.setChoice(static_cast<CPropPageSelectFigures::Choice>(choice));
    applyEnabling();
  });
  connect(single_, &QComboBox::currentIndexChanged, this, [this](int index) { model_.setSingleFigure(index); });
  connect(group_, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { model_.setInGroup(group_->row(item), item->checkState() == Qt::Checked); });
}

QRadioButton* SelectFiguresWidget::choiceButton(int choice) const {
  return qobject_cast<QRadioButton*>(choices_->button(choice));
}

void SelectFiguresWidget::applyEnabling() {
  single_->setEnabled(model_.choice() == CPropPageSelectFigures::kSingle);
  group_->setEnabled(model_.choice() == CPropPageSelectFigures::kGroup);
}

void SelectFiguresWidget::loadFromModel() {
  const QSignalBlocker blockChoices(choices_), blockSingle(single_), blockGroup(group_);
  if (QAbstractButton* button = choices_->button(model_.choice())) button->setChecked(true);
  single_->clear();
  group_->clear();
  const std::vector<std::string>& names = model_.names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const QString name = qs(names[i]);
    single_->addItem(name);
    auto* item = new QListWidgetItem(name, group_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(model_.inGroup(static_cast<int>(i)) ? Qt::Checked : Qt::Unchecked);
  }
  single_->setCurrentIndex(model_.singleFigure());
  applyEnabling();
}

bool SelectFiguresWidget::storeToModel(UiPort*) { return true; }  // every control writes through at once

ExportEnvelopesWidget::ExportEnvelopesWidget(CPropPageExportEnvelopes& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  list_ = new QListWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const int row = list_->row(item);
    if (row >= 0 && row < model_.count()) model_.setExportEnvelope(row, item->checkState() == Qt::Checked);
  });
}

void ExportEnvelopesWidget::loadFromModel() {
  const QSignalBlocker block(list_);
  list_->clear();
  for (int i = 0; i < model_.count(); ++i) {
    auto* item = new QListWidgetItem(qs(model_.names()[static_cast<std::size_t>(i)]), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(model_.exportEnvelope(i) ? Qt::Checked : Qt::Unchecked);
  }
}

bool ExportEnvelopesWidget::storeToModel(UiPort*) { return true; }  // every tick writes through at once

}  // namespace qx
