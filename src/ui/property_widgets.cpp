#include "ui/property_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <type_traits>

#include "datasets/bin_visibility_dialog.h"
#include "datasets/color_table_page.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/surfaces.h"
#include "engine/figure_dialogs.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"

namespace qx {

namespace {

void showSwatch(QLabel* swatch, ColorRef colour) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, toQColor(colour));
  swatch->setPalette(palette);
}

QLabel* makeSwatch(QWidget* parent) {
  auto* swatch = new QLabel(parent);
  swatch->setMinimumSize(48, 20);
  swatch->setAutoFillBackground(true);
  return swatch;
}

QComboBox* renderingChoice(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const std::string_view method : kRenderingMethods) box->addItem(qs(method));
  return box;
}

QPushButton* button(const char* text, QWidget* parent) { return new QPushButton(QString::fromLatin1(text), parent); }

// The selected row of a list, -1 for none.
int selectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> chosen = list->selectedItems();
  return chosen.isEmpty() ? -1 : list->row(chosen.front());
}

void fillList(QListWidget* list, const std::vector<std::string>& lines, int selected) {
  const QSignalBlocker block(list);
  list->clear();
  for (const std::string& line : lines) list->addItem(qs(line));
  if (selected >= 0 && selected < list->count()) list->item(selected)->setSelected(true);
}

}  // namespace

ItemPropertiesWidget::ItemPropertiesWidget(ItemPropertiesPage& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent),
      model_(model),
      envelopes_(dynamic_cast<CEnvelopesPropertyPage*>(&model)),
      figures_(dynamic_cast<CFiguresPropertyPage*>(&model)),
      port_(port) {
  const QString noun = figures_ != nullptr     ? QStringLiteral("Figure")
                       : envelopes_ != nullptr ? QStringLiteral("Envelope")
                                               : QStringLiteral("Surface");
  list_ = new QListWidget(this);
  rename_ = button("Rename", this);
  delete_ = button("Delete", this);
  visible_ = new QCheckBox(noun + QStringLiteral(" Visible"), this);
  rendering_ = renderingChoice(this);
  auto* fields = new QGridLayout;
  int row = 0;
  fields->addWidget(rename_, row, 0);
  fields->addWidget(delete_, row++, 1);
  fields->addWidget(visible_, row++, 0, 1, 2);
  if (figures_ == nullptr) {
    swatch_ = makeSwatch(this);
    colour_ = button("Select Colour...", this);
    fields->addWidget(swatch_, row, 0);
    fields->addWidget(colour_, row++, 1);
    transparency_ = new QSlider(Qt::Horizontal, this);
    transparency_->setRange(0, 100);
    transparency_->setSingleStep(10);
    transparency_->setPageStep(10);
    transparency_->setTickInterval(10);
    transparency_->setTickPosition(QSlider::TicksBelow);
    auto* slider = new QHBoxLayout;
    slider->addWidget(new QLabel(QStringLiteral("0 %"), this));
    slider->addWidget(transparency_, 1);
    slider->addWidget(new QLabel(QStringLiteral("100%"), this));
    fields->addWidget(new QLabel(QStringLiteral("Transparency"), this), row++, 0, 1, 2);
    fields->addLayout(slider, row++, 0, 1, 2);
    connect(colour_, &QPushButton::clicked, this, [this] {
      model_.selectColour(port_);
      showItem();
    });
    connect(transparency_, &QSlider::valueChanged, this, [this](int v) {
      if (!filling_) model_.setTransparency(v);
    });
  }
  fields->addWidget(new QLabel(QStringLiteral("Rendering Method"), this), row++, 0, 1, 2);
  fields->addWidget(rendering_, row++, 0, 1, 2);
  if (envelopes_ != nullptr) {
    density_ = new QLineEdit(this);
    fields->addWidget(new QLabel(QStringLiteral("Density in Envelope"), this), row++, 0, 1, 2);
    fields->addWidget(density_, row++, 0, 1, 2);
  }
  fields->setRowStretch(row, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(list_, 1);
  top->addLayout(fields);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  if (figures_ != nullptr) {
    dilution_ = new QCheckBox(qs(CFiguresPropertyPage::kDilution), this);
    editValue_ = button("Edit Figure Values", this);
    recalculate_ = button("Recalculate Values", this);
    values_ = new QTreeWidget(this);
    values_->setRootIsDecorated(false);
    values_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    values_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(editValue_);
    buttons->addWidget(recalculate_);
    buttons->addStretch(1);
    layout->addWidget(dilution_);
    layout->addLayout(buttons);
    layout->addWidget(values_, 1);
    connect(dilution_, &QCheckBox::toggled, this, [this](bool on) { figures_->dilution = on; });
    connect(editValue_, &QPushButton::clicked, this, [this] {
      const QList<QTreeWidgetItem*> chosen = values_->selectedItems();
      if (!chosen.isEmpty() && figures_->editValue(port_, values_->indexOfTopLevelItem(chosen.front()))) showItem();
    });
    connect(recalculate_, &QPushButton::clicked, this, [this] {
      figures_->recalculateSelected();
      showItem();
    });
  }
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    storeToModel(nullptr);
    model_.select(selectedRow(list_));
    showItem();
  });
  connect(rename_, &QPushButton::clicked, this, [this] {
    if (model_.rename(port_)) showList();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (model_.remove(port_)) showList();
  });
  connect(visible_, &QCheckBox::toggled, this, [this](bool on) {
    if (ItemProperties* item = model_.current(); item != nullptr && !filling_) item->visible = on;
  });
  connect(rendering_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (ItemProperties* item = model_.current(); item != nullptr && !filling_ && i >= 0) item->renderingMethod = i;
  });
}

void ItemPropertiesWidget::showList() {
  filling_ = true;
  std::vector<std::string> names;
  for (const ItemProperties& item : model_.items()) names.push_back(item.name);
  fillList(list_, names, model_.selected());
  filling_ = false;
  showItem();
}

void ItemPropertiesWidget::showItem() {
  filling_ = true;
  const ItemProperties* item = model_.current();
  for (QWidget* w : std::initializer_list<QWidget*>{rename_, delete_, visible_, rendering_, colour_, transparency_,
                                                    density_, editValue_, recalculate_})
    if (w != nullptr) w->setEnabled(item != nullptr);
  if (item != nullptr) {
    visible_->setChecked(item->visible);
    rendering_->setCurrentIndex(item->renderingMethod);
    if (swatch_ != nullptr) showSwatch(swatch_, item->colour);
    if (transparency_ != nullptr) transparency_->setValue(item->transparency);
    if (density_ != nullptr) density_->setText(formatNumber(item->density));
  }
  if (figures_ != nullptr) {
    dilution_->setChecked(figures_->dilution);
    values_->clear();
    for (const auto& line : figures_->valueLines())
      values_->addTopLevelItem(new QTreeWidgetItem({qs(line.name), qs(line.value)}));
  }
  filling_ = false;
}

void ItemPropertiesWidget::loadFromModel() { showList(); }

bool ItemPropertiesWidget::storeToModel(UiPort* port) {
  ItemProperties* item = model_.current();
  if (density_ == nullptr || item == nullptr) return true;
  return storeNumber(density_, item->density, port);
}

CompositesPropertyWidget::CompositesPropertyWidget(CCompositesPropertyPage& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  symbol_ = new QComboBox(this);
  for (const std::string_view s : CCompositesPropertyPage::kSymbols) symbol_->addItem(qs(s));
  size_ = new QComboBox(this);
  for (const std::string_view s : CCompositesPropertyPage::kSizes) size_->addItem(qs(s));
  list_ = new QListWidget(this);
  toggle_ = new QPushButton(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Marker Style"), this), 0, 0);
  layout->addWidget(symbol_, 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Marker Size"), this), 1, 0);
  layout->addWidget(size_, 1, 1);
  layout->addWidget(list_, 2, 0, 1, 2);
  layout->addWidget(toggle_, 3, 0, 1, 2);
  connect(symbol_, &QComboBox::currentIndexChanged, this, [this](int i) { model_.markerSymbol = i; });
  connect(size_, &QComboBox::currentIndexChanged, this, [this](int i) { model_.markerSize = i; });
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    model_.select(selectedRow(list_));
    toggle_->setText(qs(model_.buttonText()));
  });
  connect(toggle_, &QPushButton::clicked, this, [this] {
    model_.toggle();
    toggle_->setText(qs(model_.buttonText()));
  });
}

void CompositesPropertyWidget::loadFromModel() {
  const QSignalBlocker a(symbol_), b(size_);
  symbol_->setCurrentIndex(std::clamp(model_.markerSymbol, 0, static_cast<int>(symbol_->count()) - 1));
  size_->setCurrentIndex(std::clamp(model_.markerSize, 0, static_cast<int>(size_->count()) - 1));
  fillList(list_, model_.lines(), model_.selected());
  toggle_->setText(qs(model_.buttonText()));
}

bool CompositesPropertyWidget::storeToModel(UiPort*) { return true; }

ExaggerationSpinBox::ExaggerationSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
  setRange(0.0, 10.0);
  setDecimals(2);
}

void ExaggerationSpinBox::stepBy(int steps) { setValue(CPolygonsPropertyPage::stepExaggeration(value(), steps)); }

QAbstractSpinBox::StepEnabled ExaggerationSpinBox::stepEnabled() const {
  StepEnabled e = StepNone;
  if (value() < maximum()) e |= StepUpEnabled;
  if (value() > minimum()) e |= StepDownEnabled;
  return e;
}

PolygonsPropertyWidget::PolygonsPropertyWidget(CPolygonsPropertyPage& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  visible_ = new QCheckBox(QStringLiteral("Polygons Visible"), this);
  rendering_ = renderingChoice(this);
  exaggeration_ = new ExaggerationSpinBox(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(visible_, 0, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Rendering Method"), this), 1, 0);
  layout->addWidget(rendering_, 1, 1);
  layout->addWidget(new QLabel(QStringLiteral("Vertical Exaggeration"), this), 2, 0);
  layout->addWidget(exaggeration_, 2, 1);
  layout->setRowStretch(3, 1);
}

void PolygonsPropertyWidget::loadFromModel() {
  visible_->setChecked(model_.visible);
  rendering_->setCurrentIndex(model_.renderingMethod);
  exaggeration_->setValue(model_.exaggeration);
}

bool PolygonsPropertyWidget::storeToModel(UiPort*) {
  model_.visible = visible_->isChecked();
  model_.renderingMethod = rendering_->currentIndex();
  model_.exaggeration = exaggeration_->value();
  return true;
}

ColourTableWidget::ColourTableWidget(COptionsSearchTable& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  auto* previous = button("<< Previous LUT", this);
  auto* next = button("Next LUT >>", this);
  name_ = new QLineEdit(this);
  name_->setMaxLength(32);
  bins_ = new QListWidget(this);
  variables_ = new QListWidget(this);
  minimum_ = new QLineEdit(this);
  maximum_ = new QLineEdit(this);
  swatch_ = makeSwatch(this);
  symbol_ = new QLineEdit(this);
  symbol_->setMaxLength(1);
  auto* colour = button("Select Color...", this);
  auto* clearSelected = button("Clear Selected", this);
  auto* clearAll = button("Clear All", this);
  auto* expand = button("Expand", this);
  auto* advanced = button("Advanced", this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(previous, 0, 0);
  layout->addWidget(name_, 0, 1, 1, 2);
  layout->addWidget(next, 0, 3);
  layout->addWidget(bins_, 1, 0, 8, 2);
  layout->addWidget(new QLabel(QStringLiteral("Apply Color On"), this), 1, 2, 1, 2);
  layout->addWidget(variables_, 2, 2, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Minimum"), this), 3, 2);
  layout->addWidget(minimum_, 3, 3);
  layout->addWidget(new QLabel(QStringLiteral("Maximum"), this), 4, 2);
  layout->addWidget(maximum_, 4, 3);
  layout->addWidget(new QLabel(QStringLiteral("Color"), this), 5, 2);
  layout->addWidget(swatch_, 5, 3);
  layout->addWidget(colour, 6, 3);
  layout->addWidget(new QLabel(QStringLiteral("Symbol (Map Plotting)"), this), 7, 2);
  layout->addWidget(symbol_, 7, 3);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {clearSelected, clearAll, expand, advanced}) buttons->addWidget(b);
  layout->addLayout(buttons, 9, 0, 1, 4);

  connect(previous, &QPushButton::clicked, this, [this] {
    model_.previousTable();
    showTable();
  });
  connect(next, &QPushButton::clicked, this, [this] {
    model_.nextTable();
    showTable();
  });
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.setTableName(t.toStdString()); });
  connect(bins_, &QListWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    model_.selectBin(selectedRow(bins_));
    showBin();
  });
  connect(variables_, &QListWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    model_.chooseVariable(port_, selectedRow(variables_));
    showTable();
  });
  const auto leave = [this] {
    if (filling_) return;
    model_.setMinimumText(minimum_->text().toStdString());
    model_.setMaximumText(maximum_->text().toStdString());
    if (model_.updateSelectedBin(port_)) showTable();
  };
  connect(minimum_, &QLineEdit::editingFinished, this, leave);
  connect(maximum_, &QLineEdit::editingFinished, this, leave);
  connect(colour, &QPushButton::clicked, this, [this] {
    model_.selectColour(port_);
    showBin();
  });
  connect(symbol_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.setSymbol(t.toStdString()); });
  connect(clearSelected, &QPushButton::clicked, this, [this] {
    model_.clearSelected();
    showTable();
  });
  connect(clearAll, &QPushButton::clicked, this, [this] {
    model_.clearAll();
    showTable();
  });
  connect(expand, &QPushButton::clicked, this, [this] {
    model_.expand();
    showTable();
  });
  connect(advanced, &QPushButton::clicked, this, [this] {
    model_.setTableName(name_->text().toStdString());
    model_.advanced(port_);
  });
}

void ColourTableWidget::showTable() {
  filling_ = true;
  name_->setText(qs(model_.tableName()));
  fillList(bins_, model_.binLines(), model_.selectedBin());
  fillList(variables_, model_.variableNames(), model_.selectedVariable());
  filling_ = false;
  showBin();
}

void ColourTableWidget::showBin() {
  filling_ = true;
  minimum_->setText(qs(model_.minimumText()));
  maximum_->setText(qs(model_.maximumText()));
  showSwatch(swatch_, model_.colour());
  symbol_->setText(qs(model_.symbol()));
  fillList(variables_, model_.variableNames(), model_.selectedVariable());
  filling_ = false;
}

void ColourTableWidget::loadFromModel() { showTable(); }

bool ColourTableWidget::storeToModel(UiPort*) {
  model_.setTableName(name_->text().toStdString());
  return true;
}

BinVisibilityWidget::BinVisibilityWidget(CBinVisDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  visible_ = new QListWidget(this);
  hidden_ = new QListWidget(this);
  auto* hide = button("Hide >>", this);
  auto* hideAll = button("Hide All >>", this);
  auto* show = button("<< Show", this);
  auto* showAll = button("<< Show All", this);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {hide, hideAll, show, showAll}) buttons->addWidget(b);
  buttons->addStretch(1);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Visible Bins"), this), 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Non-Visible Bins"), this), 0, 2);
  layout->addWidget(visible_, 1, 0);
  layout->addLayout(buttons, 1, 1);
  layout->addWidget(hidden_, 1, 2);
  connect(hide, &QPushButton::clicked, this, [this] {
    model_.hide(selectedRow(visible_));
    loadFromModel();
  });
  connect(show, &QPushButton::clicked, this, [this] {
    model_.show(selectedRow(hidden_));
    loadFromModel();
  });
  connect(hideAll, &QPushButton::clicked, this, [this] {
    model_.hideAll();
    loadFromModel();
  });
  connect(showAll, &QPushButton::clicked, this, [this] {
    model_.showAll();
    loadFromModel();
  });
}

void BinVisibilityWidget::loadFromModel() {
  fillList(visible_, model_.visible(), -1);
  fillList(hidden_, model_.hidden(), -1);
}

bool BinVisibilityWidget::storeToModel(UiPort*) { return true; }

ReferenceGridWidget::ReferenceGridWidget(CReferenceGridPage& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* layout = new QGridLayout(this);
  const char* axes[] = {"X", "Y", "Z"};
  layout->addWidget(new QLabel(QStringLiteral("Origin"), this), 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Spacing"), this), 0, 2);
  for (int i = 0; i < 3; ++i) {
    origin_[i] = new QLineEdit(this);
    spacing_[i] = new QLineEdit(this);
    layout->addWidget(new QLabel(QString::fromLatin1(axes[i]), this), i + 1, 0);
    layout->addWidget(origin_[i], i + 1, 1);
    layout->addWidget(spacing_[i], i + 1, 2);
  }
  grid_ = new QCheckBox(QStringLiteral("Show Reference Grid"), this);
  layout->addWidget(grid_, 4, 0, 1, 3);
  for (int i = 0; i < 3; ++i) {
    planes_[i] = new QCheckBox(qs(CReferenceGridPage::kPlanes[static_cast<std::size_t>(i)]), this);
    layout->addWidget(planes_[i], 5, i);
  }
  axisIcon_ = new QCheckBox(QStringLiteral("Show Axis Icon"), this);
  layout->addWidget(axisIcon_, 6, 0, 1, 3);
  layout->addWidget(new QLabel(QStringLiteral("Visible Datasets"), this), 7, 0, 1, 3);
  for (int i = 0; i < 5; ++i) {
    datasets_[i] = new QCheckBox(qs(CReferenceGridPage::kDatasets[static_cast<std::size_t>(i)]), this);
    layout->addWidget(datasets_[i], 8 + i / 3, i % 3);
  }
  layout->setRowStretch(10, 1);
}

void ReferenceGridWidget::loadFromModel() {
  for (std::size_t i = 0; i < 3; ++i) {
    origin_[i]->setText(formatNumber(model_.origin[i]));
    spacing_[i]->setText(formatNumber(model_.spacing[i]));
    planes_[i]->setChecked(model_.planes[i]);
  }
  grid_->setChecked(model_.gridShown);
  axisIcon_->setChecked(model_.axisIcon);
  for (std::size_t i = 0; i < 5; ++i) datasets_[i]->setChecked(model_.datasets[i]);
}

bool ReferenceGridWidget::storeToModel(UiPort* port) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (!storeNumber(origin_[i], model_.origin[i], port) || !storeNumber(spacing_[i], model_.spacing[i], port))
      return false;
    model_.planes[i] = planes_[i]->isChecked();
  }
  model_.gridShown = grid_->isChecked();
  model_.axisIcon = axisIcon_->isChecked();
  for (std::size_t i = 0; i < 5; ++i) model_.datasets[i] = datasets_[i]->isChecked();
  return true;
}

ItemNameWidget::ItemNameWidget(CItemNameDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kEnvelopeNameMaxLength));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("New Name:"), this));
  layout->addWidget(name_);
}

void ItemNameWidget::loadFromModel() { name_->setText(qs(model_.name())); }

bool ItemNameWidget::storeToModel(UiPort*) {
  model_.setName(name_->text().toStdString());
  return true;
}

ModifyValuesWidget::ModifyValuesWidget(CModifyValuesDialog& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  currentLabel_ = new QLabel(this);
  newLabel_ = new QLabel(this);
  current_ = new QLineEdit(this);
  current_->setReadOnly(true);
  new_ = new QLineEdit(this);
  auto* layout = new QGridLayout(this);
  layout->addWidget(currentLabel_, 0, 0);
  layout->addWidget(current_, 0, 1);
  layout->addWidget(newLabel_, 1, 0);
  layout->addWidget(new_, 1, 1);
}

void ModifyValuesWidget::loadFromModel() {
  currentLabel_->setText(qs(model_.currentLabel()));
  newLabel_->setText(qs(model_.newLabel()));
  current_->setText(qs(model_.currentText()));
  new_->setText(qs(model_.newText()));
}

bool ModifyValuesWidget::storeToModel(UiPort*) {
  model_.setNewText(new_->text().toStdString());
  return true;
}

void registerPropertyWidgets(WidgetRegistry& registry) {
  const auto items = widgetFactory<ItemPropertiesPage, ItemPropertiesWidget>();
  registry.add(CEnvelopesPropertyPage::kKind, items);
  registry.add(CSurfacesPropertyPage::kKind, items);
  registry.add(CFiguresPropertyPage::kKind, items);
  registry.add(CCompositesPropertyPage::kKind, widgetFactory<CCompositesPropertyPage, CompositesPropertyWidget>());
  registry.add(CPolygonsPropertyPage::kKind, widgetFactory<CPolygonsPropertyPage, PolygonsPropertyWidget>());
  registry.add(COptionsSearchTable::kKind, widgetFactory<COptionsSearchTable, ColourTableWidget>());
  registry.add(CBinVisDialog::kKind, widgetFactory<CBinVisDialog, BinVisibilityWidget>());
  registry.add(CReferenceGridPage::kKind, widgetFactory<CReferenceGridPage, ReferenceGridWidget>());
  registry.add(CItemNameDialog::kKind, widgetFactory<CItemNameDialog, ItemNameWidget>());
  registry.add(CModifyValuesDialog::kKind, widgetFactory<CModifyValuesDialog, ModifyValuesWidget>());
}

}  // namespace qx
