#include "ui/gis_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "ui/qt_text.h"

namespace qx {

GisExportWidget::GisExportWidget(GisExportDialog& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  auto* layout = new QFormLayout(this);
  format_ = new QComboBox(this);
  for (std::string_view label : GisExportDialog::kFormatLabels) format_->addItem(qs(label));
  layout->addRow(qs("Format"), format_);
  for (std::size_t i = 0; i < kGisLayerCount; ++i) {
    layers_[i] = new QCheckBox(qs(GisExportDialog::kLayerLabels[i]), this);
    layout->addRow(layers_[i]);
  }
  epsg_ = new QLineEdit(this);
  layout->addRow(qs(GisExportDialog::kEpsgLabel), epsg_);
}

void GisExportWidget::loadFromModel() {
  format_->setCurrentIndex(static_cast<int>(model_.format));
  for (std::size_t i = 0; i < kGisLayerCount; ++i) {
    layers_[i]->setChecked(model_.layers[i]);
    layers_[i]->setEnabled(model_.layerEnabled(i));
  }
  epsg_->setText(qs(model_.epsgText));
}

bool GisExportWidget::storeToModel(UiPort*) {
  model_.format = format_->currentIndex() == 1 ? GisFormat::Shapefile : GisFormat::GeoPackage;
  for (std::size_t i = 0; i < kGisLayerCount; ++i) model_.layers[i] = layers_[i]->isChecked();
  model_.epsgText = epsg_->text().toStdString();
  return true;
}

void registerGisWidgets(WidgetRegistry& registry) {
  registry.add(GisExportDialog::kKind, widgetFactory<GisExportDialog, GisExportWidget>());
}

}  // namespace qx
