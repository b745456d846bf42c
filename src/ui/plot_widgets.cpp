#include "ui/plot_widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "plot/map_profiles_dialog.h"
#include "plot/section_plot.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"

namespace qx {

namespace {

void fill(QComboBox* box, const std::vector<std::string>& items) {
  for (const auto& item : items) box->addItem(qs(item));
}

void setChecked(QCheckBox* box, std::int32_t on) { box->setChecked(on != 0); }
std::int32_t checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

// An integer field: a number is stored as its nearest integer for the page
// to check against its limits.
bool storeInt(QLineEdit* field, std::int32_t& target, UiPort* port) {
  double v = target;
  if (!storeNumber(field, v, port)) return false;
  if (std::isfinite(v) && std::fabs(v) < 1e9) target = static_cast<std::int32_t>(std::lround(v));
  return true;
}

std::string text(const QLineEdit* field) { return field->text().toStdString(); }

}  // namespace

void registerPlotWidgets(WidgetRegistry& registry) {
  registry.add("name_entry", widgetFactory<CNameEntryDialog, NameEntryWidget>());
  registry.add("map_profiles", widgetFactory<CMapProfilesDialog, MapProfilesWidget>());
  registry.add("plot_maps", widgetFactory<CDialogPlotMaps, PlotMapsWidget>());
  // The seven pages share one kind; each has its own widget.
  registry.add("map_profile_page", [](DialogModel& model, UiPort& port, QWidget* parent) -> ModelWidget* {
    if (auto* m = dynamic_cast<CMapPresentationPage*>(&model)) return new MapPresentationWidget(*m, port, parent);
    if (auto* m = dynamic_cast<CMapFramePage*>(&model)) return new MapFrameWidget(*m, parent);
    if (auto* m = dynamic_cast<CMapGraduationsPage*>(&model)) return new MapGraduationsWidget(*m, parent);
    if (auto* m = dynamic_cast<CMapLimitsPage*>(&model)) return new MapLimitsWidget(*m, parent);
    if (auto* m = dynamic_cast<CMapLabelsPage*>(&model)) return new MapLabelsWidget(*m, parent);
    return nullptr;
  });
}

NameEntryWidget::NameEntryWidget(CNameEntryDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  name_ = new QLineEdit(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qs(model.prompt), this));
  layout->addWidget(name_);
}

void NameEntryWidget::loadFromModel() { name_->setText(qs(model_.name)); }

bool NameEntryWidget::storeToModel(UiPort*) {
  model_.name = text(name_);
  return true;
}

MapProfilesWidget::MapProfilesWidget(CMapProfilesDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  auto* box = new QGroupBox(QStringLiteral("List of Map Profiles"), this);
  list_ = new QListWidget(box);
  (new QVBoxLayout(box))->addWidget(list_);
  auto* column = new QVBoxLayout;
  const char* names[] = {"Add", "Edit", "Remove", "Rename", "Copy"};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i] = new QPushButton(QString::fromLatin1(names[i]), this);
    column->addWidget(buttons_[i]);
  }
  column->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(box, 1);
  layout->addLayout(column);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!filling_) model_.selection = row;
  });
  const auto run = [this](QPushButton* button, auto action) {
    connect(button, &QPushButton::clicked, this, [this, action] {
      action(model_, port_);
      loadFromModel();
    });
  };
  run(buttons_[0], [](CMapProfilesDialog& m, UiPort& p) { m.add(p); });
  run(buttons_[1], [](CMapProfilesDialog& m, UiPort& p) { m.edit(p); });
  run(buttons_[2], [](CMapProfilesDialog& m, UiPort&) { m.remove(); });
  run(buttons_[3], [](CMapProfilesDialog& m, UiPort& p) { m.rename(p); });
  run(buttons_[4], [](CMapProfilesDialog& m, UiPort& p) { m.copy(p); });
}

void MapProfilesWidget::loadFromModel() {
  filling_ = true;
  list_->clear();
  for (const auto& line : model_.lines()) list_->addItem(qs(line));
  list_->setCurrentRow(model_.selection);
  filling_ = false;
}

MapPresentationWidget::MapPresentationWidget(CMapPresentationPage& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* layout = new QVBoxLayout(this);
  const char* names[] = {"Plot Composites", "Plot Polygons", "Plot Figures", "Plot Envelopes", "Plot Legend"};
  for (std::size_t i = 0; i < switches_.size(); ++i) layout->addWidget(switches_[i] = new QCheckBox(names[i], this));
  auto* form = new QFormLayout;
  form->addRow(qs(CMapPresentationPage::kScaleLabel), scale_ = new QLineEdit(this));
  form->addRow(qs(CMapPresentationPage::kHeightLabel), height_ = new QLineEdit(this));
  form->addRow(QStringLiteral("Units"), units_ = new QComboBox(this));
  fill(units_, CMapPresentationPage::unitSystems());
  auto* pattern = new QHBoxLayout;
  pattern->addWidget(pattern_ = new QLineEdit(this), 1);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
  pattern->addWidget(browse);
  form->addRow(QStringLiteral("Pattern File"), pattern);
  layout->addLayout(form);
  layout->addStretch(1);
  connect(browse, &QPushButton::clicked, this, [this, &port] {
    std::string file = text(pattern_);
    if (browsePatternFile(port, file)) pattern_->setText(qs(file));
  });
}

void MapPresentationWidget::loadFromModel() {
  const MapProfileDef& p = model_.profile;
  const std::int32_t on[] = {p.plotComposites, p.plotPolygons, p.plotFigures, p.plotEnvelopes, p.plotLegend};
  for (std::size_t i = 0; i < switches_.size(); ++i) setChecked(switches_[i], on[i]);
  scale_->setText(formatNumber(p.mapScale));
  height_->setText(formatNumber(p.characterHeight));
  units_->setCurrentIndex(p.unitSystem);
  pattern_->setText(qs(p.patternFile));
}

bool MapPresentationWidget::storeToModel(UiPort* port) {
  MapProfileDef& p = model_.profile;
  std::int32_t* on[] = {&p.plotComposites, &p.plotPolygons, &p.plotFigures, &p.plotEnvelopes, &p.plotLegend};
  for (std::size_t i = 0; i < switches_.size(); ++i) *on[i] = checked(switches_[i]);
  p.unitSystem = units_->currentIndex();
  p.patternFile = text(pattern_);
  return storeNumber(scale_, p.mapScale, port) && storeNumber(height_, p.characterHeight, port);
}

MapFrameWidget::MapFrameWidget(CMapFramePage& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  auto* form = new QFormLayout(this);
  const char* names[] = {"Main Title", "Sub-Title 1", "Sub-Title 2", "Sub-Title 3", "Sub-Title 4", "Drawing Number"};
  for (std::size_t i = 0; i < titles_.size(); ++i) form->addRow(names[i], titles_[i] = new QLineEdit(this));
  const char* switches[] = {"Plot Scale Ruler", "Plot North Arrow", "Plot Frame"};
  for (std::size_t i = 0; i < switches_.size(); ++i) form->addRow(switches_[i] = new QCheckBox(switches[i], this));
  form->addRow(QStringLiteral("North Arrow Bearing"), bearing_ = new QLineEdit(this));
  form->addRow(QStringLiteral("Frame Style"), style_ = new QComboBox(this));
  fill(style_, CMapFramePage::frameStyles());
}

void MapFrameWidget::loadFromModel() {
  const MapProfileDef& p = model_.profile;
  titles_[0]->setText(qs(p.mainTitle));
  for (std::size_t i = 0; i < 4; ++i) titles_[i + 1]->setText(qs(p.subTitles[i]));
  titles_[5]->setText(qs(p.drawingNumber));
  setChecked(switches_[0], p.plotScaleRuler);
  setChecked(switches_[1], p.plotNorthArrow);
  setChecked(switches_[2], p.plotFrame);
  bearing_->setText(formatNumber(p.northArrowBearing));
  style_->setCurrentIndex(p.frameStyle);
}

bool MapFrameWidget::storeToModel(UiPort* port) {
  MapProfileDef& p = model_.profile;
  p.mainTitle = text(titles_[0]);
  for (std::size_t i = 0; i < 4; ++i) p.subTitles[i] = text(titles_[i + 1]);
  p.drawingNumber = text(titles_[5]);
  p.plotScaleRuler = checked(switches_[0]);
  p.plotNorthArrow = checked(switches_[1]);
  p.plotFrame = checked(switches_[2]);
  p.frameStyle = std::max(0, style_->currentIndex());
  return storeNumber(bearing_, p.northArrowBearing, port);
}

MapGraduationsWidget::MapGraduationsWidget(CMapGraduationsPage& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* grid = new QGridLayout(this);
  const char* heads[] = {"Interval", "Value", "Positive", "Negative", "Graduations along:"};
  for (int c = 0; c < 5; ++c) grid->addWidget(new QLabel(heads[c], this), 0, c + 1);
  const char* axes[] = {"East", "North", "Elevation"};
  for (int r = 0; r < 3; ++r) {
    Row& row = rows_[static_cast<std::size_t>(r)];
    grid->addWidget(new QLabel(axes[r], this), r + 1, 0);
    grid->addWidget(row.interval = new QLineEdit(this), r + 1, 1);
    grid->addWidget(row.value = new QLineEdit(this), r + 1, 2);
    grid->addWidget(row.positive = new QLineEdit(this), r + 1, 3);
    grid->addWidget(row.negative = new QLineEdit(this), r + 1, 4);
    grid->addWidget(row.axis = new QComboBox(this), r + 1, 5);
    fill(row.axis, CMapGraduationsPage::axes());
  }
  grid->setRowStretch(4, 1);
}

void MapGraduationsWidget::loadFromModel() {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const MapGraduation& g = model_.profile.graduations[i];
    rows_[i].interval->setText(formatNumber(g.interval));
    rows_[i].value->setText(formatNumber(g.value));
    rows_[i].positive->setText(qs(g.positiveNotation));
    rows_[i].negative->setText(qs(g.negativeNotation));
    rows_[i].axis->setCurrentIndex(g.axis);
  }
}

bool MapGraduationsWidget::storeToModel(UiPort* port) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    MapGraduation& g = model_.profile.graduations[i];
    g.positiveNotation = text(rows_[i].positive);
    g.negativeNotation = text(rows_[i].negative);
    g.axis = std::max(0, rows_[i].axis->currentIndex());
    if (!storeNumber(rows_[i].interval, g.interval, port) || !storeNumber(rows_[i].value, g.value, port)) return false;
  }
  return true;
}

MapLimitsWidget::MapLimitsWidget(CMapLimitsPage& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  auto* layout = new QVBoxLayout(this);
  mode_ = new QButtonGroup(this);
  for (std::size_t i = 0; i < CMapLimitsPage::extentModes().size(); ++i) {
    auto* button = new QRadioButton(qs(CMapLimitsPage::extentModes()[i]), this);
    mode_->addButton(button, static_cast<int>(i));
    layout->addWidget(button);
  }
  auto* grid = new QGridLayout;
  const char* heads[] = {"East", "North", "Elevation"};
  for (int c = 0; c < 3; ++c) grid->addWidget(new QLabel(heads[c], this), 0, c + 1);
  grid->addWidget(new QLabel(QStringLiteral("Minimum"), this), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("Maximum"), this), 2, 0);
  for (int i = 0; i < 6; ++i)
    grid->addWidget(box_[static_cast<std::size_t>(i)] = new QLineEdit(this), i / 3 + 1, i % 3 + 1);
  layout->addLayout(grid);
  layout->addWidget(polygonsFree_ = new QCheckBox(QStringLiteral("Do Not Limit Polygons By Envelope"), this));
  layout->addWidget(compositesFree_ = new QCheckBox(QStringLiteral("Do Not Limit Composites By Envelope"), this));
  layout->addWidget(envelopes_ = new QListWidget(this));
  layout->addWidget(envelopePolygons_ = new QCheckBox(QStringLiteral("Plot Polygons in Envelope"), this));
  layout->addWidget(envelopeComposites_ = new QCheckBox(QStringLiteral("Plot Composites in Envelope"), this));
  connect(envelopes_, &QListWidget::currentRowChanged, this, [this](int row) {
    model_.envelope = row;
    showEnvelope();
  });
  connect(envelopePolygons_, &QCheckBox::toggled, this, [this](bool on) {
    if (MapEnvelopeFlags* f = model_.chosen()) f->plotPolygons = on ? 1 : 0;
  });
  connect(envelopeComposites_, &QCheckBox::toggled, this, [this](bool on) {
    if (MapEnvelopeFlags* f = model_.chosen()) f->plotComposites = on ? 1 : 0;
  });
}

void MapLimitsWidget::showEnvelope() {
  const MapEnvelopeFlags* f = model_.chosen();
  const QSignalBlocker a(envelopePolygons_), b(envelopeComposites_);
  envelopePolygons_->setEnabled(f != nullptr);
  envelopeComposites_->setEnabled(f != nullptr);
  envelopePolygons_->setChecked(f != nullptr && f->plotPolygons != 0);
  envelopeComposites_->setChecked(f != nullptr && f->plotComposites != 0);
}

void MapLimitsWidget::loadFromModel() {
  const MapProfileDef& p = model_.profile;
  if (QAbstractButton* b = mode_->button(p.extentMode)) b->setChecked(true);
  const double values[] = {p.boxMin.x, p.boxMin.y, p.boxMin.z, p.boxMax.x, p.boxMax.y, p.boxMax.z};
  for (std::size_t i = 0; i < box_.size(); ++i) box_[i]->setText(formatNumber(values[i]));
  setChecked(polygonsFree_, p.doNotLimitPolygons);
  setChecked(compositesFree_, p.doNotLimitComposites);
  const QSignalBlocker block(envelopes_);
  envelopes_->clear();
  for (const auto& name : model_.envelopeNames()) envelopes_->addItem(qs(name));
  envelopes_->setCurrentRow(model_.envelope);
  showEnvelope();
}

bool MapLimitsWidget::storeToModel(UiPort* port) {
  MapProfileDef& p = model_.profile;
  p.extentMode = std::max(0, mode_->checkedId());
  p.doNotLimitPolygons = checked(polygonsFree_);
  p.doNotLimitComposites = checked(compositesFree_);
  double* values[] = {&p.boxMin.x, &p.boxMin.y, &p.boxMin.z, &p.boxMax.x, &p.boxMax.y, &p.boxMax.z};
  for (std::size_t i = 0; i < box_.size(); ++i)
    if (!storeNumber(box_[i], *values[i], port)) return false;
  return true;
}

MapLabelsWidget::MapLabelsWidget(CMapLabelsPage& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Colour Table"), table_ = new QComboBox(this));
  fill(table_, model.colourTables());
  form->addRow(QStringLiteral("Text Size"), size_ = new QLineEdit(this));
  form->addRow(fields_ = new QListWidget(this));
  const bool composites = model.labelKind() == MapLabelKind::Composites;
  std::vector<const char*> names =
      composites ? std::vector<const char*>{"Angle"} : std::vector<const char*>{"Row", "Column"};
  names.insert(names.end(), {"Width", "Decimals"});
  for (const char* name : names) {
    numbers_.push_back(new QLineEdit(this));
    form->addRow(name, numbers_.back());
  }
  connect(fields_, &QListWidget::currentRowChanged, this, [this](int row) {
    // A field with a value that is no number stays chosen.
    if (row == shown_) return;
    if (!storeField(nullptr)) return;
    model_.variable = row;
    showField();
  });
  connect(fields_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const int row = fields_->row(item);
    if (row >= 0 && row < static_cast<int>(model_.labels().size()))
      model_.labels()[static_cast<std::size_t>(row)].plot = item->checkState() == Qt::Checked ? 1 : 0;
  });
}

void MapLabelsWidget::showField() {
  shown_ = model_.variable;
  const auto& labels = model_.labels();
  const bool any = shown_ >= 0 && shown_ < static_cast<int>(labels.size());
  for (QLineEdit* e : numbers_) e->setEnabled(any);
  if (!any) return;
  const MapVariablesDef& l = labels[static_cast<std::size_t>(shown_)];
  std::size_t i = 0;
  if (model_.labelKind() == MapLabelKind::Composites) {
    numbers_[i++]->setText(formatNumber(l.angle));
  } else {
    numbers_[i++]->setText(QString::number(l.row));
    numbers_[i++]->setText(QString::number(l.column));
  }
  numbers_[i++]->setText(QString::number(l.width));
  numbers_[i]->setText(QString::number(l.decimals));
}

bool MapLabelsWidget::storeField(UiPort* port) {
  auto& labels = model_.labels();
  if (shown_ < 0 || shown_ >= static_cast<int>(labels.size())) return true;
  MapVariablesDef& l = labels[static_cast<std::size_t>(shown_)];
  std::size_t i = 0;
  const bool placed = model_.labelKind() == MapLabelKind::Composites
                          ? storeNumber(numbers_[i++], l.angle, port)
                          : storeInt(numbers_[i++], l.row, port) && storeInt(numbers_[i++], l.column, port);
  return placed && storeInt(numbers_[i], l.width, port) && storeInt(numbers_[i + 1], l.decimals, port);
}

void MapLabelsWidget::loadFromModel() {
  const QSignalBlocker block(fields_);
  table_->setCurrentIndex(model_.colourTable());
  size_->setText(formatNumber(model_.textSize()));
  fields_->clear();
  for (const auto& l : model_.labels()) {
    auto* item = new QListWidgetItem(qs(l.name), fields_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(l.plot ? Qt::Checked : Qt::Unchecked);
  }
  fields_->setCurrentRow(model_.variable);
  showField();
}

bool MapLabelsWidget::storeToModel(UiPort* port) {
  model_.colourTable() = std::max(0, table_->currentIndex());
  return storeNumber(size_, model_.textSize(), port) && storeField(port);
}

PlotMapsWidget::PlotMapsWidget(CDialogPlotMaps& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* layout = new QGridLayout(this);
  auto* sectionsBox = new QGroupBox(QStringLiteral("Defined Sections"), this);
  sections_ = new QListWidget(sectionsBox);
  sections_->setSelectionMode(QAbstractItemView::MultiSelection);
  (new QVBoxLayout(sectionsBox))->addWidget(sections_);
  layout->addWidget(sectionsBox, 0, 0, 6, 1);
  layout->addWidget(new QLabel(QStringLiteral("Map Profile to Use in Plotting"), this), 0, 1);
  layout->addWidget(profile_ = new QComboBox(this), 1, 1);
  layout->addWidget(new QLabel(QStringLiteral("Destination Directory"), this), 2, 1);
  auto* folder = new QHBoxLayout;
  folder->addWidget(directory_ = new QLineEdit(this), 1);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
  folder->addWidget(browse);
  layout->addLayout(folder, 3, 1);
  auto* kinds = new QVBoxLayout;
  kinds_ = new QButtonGroup(this);
  for (std::size_t i = 0; i < CDialogPlotMaps::kKinds.size(); ++i) {
    auto* button = new QRadioButton(QString::fromLatin1(CDialogPlotMaps::kKinds[i]), this);
    kinds_->addButton(button, static_cast<int>(i));
    kinds->addWidget(button);
  }
  kinds->addWidget(world_ = new QCheckBox(QStringLiteral("Use World Coordinates"), this));
  layout->addLayout(kinds, 4, 1);
  layout->addWidget(new QLabel(qs(CDialogPlotMaps::kNote), this), 5, 1);
  connect(browse, &QPushButton::clicked, this, [this, &port] {
    model_.directory = text(directory_);
    if (model_.browse(port)) directory_->setText(qs(model_.directory));
  });
}

void PlotMapsWidget::loadFromModel() {
  sections_->clear();
  for (const auto& name : model_.sections) sections_->addItem(qs(name));
  for (int i : model_.selected)
    if (QListWidgetItem* item = sections_->item(i)) item->setSelected(true);
  profile_->clear();
  fill(profile_, model_.profiles);
  profile_->setCurrentIndex(model_.profile);
  directory_->setText(qs(model_.directory));
  if (QAbstractButton* b = kinds_->button(model_.outputKind)) b->setChecked(true);
  world_->setChecked(model_.worldCoordinates);
  // The dialog's OK starts the plots.
  if (auto* box = parentWidget() != nullptr ? parentWidget()->findChild<QDialogButtonBox*>() : nullptr)
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("Generate"));
}

bool PlotMapsWidget::storeToModel(UiPort*) {
  model_.selected.clear();
  for (int i = 0; i < sections_->count(); ++i)
    if (sections_->item(i)->isSelected()) model_.selected.push_back(i);
  model_.profile = std::max(0, profile_->currentIndex());
  model_.directory = text(directory_);
  model_.outputKind = std::max(0, kinds_->checkedId());
  model_.worldCoordinates = world_->isChecked();
  return true;
}

}  // namespace qx
