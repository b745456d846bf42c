#pragma once
// The widget of "Export to GIS": the format, a tick per dataset, the EPSG code.
#include <array>

#include "gis/gis_export_dialog.h"
#include "ui/model_widget.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace qx {

class GisExportWidget : public ModelWidget {
  Q_OBJECT

 public:
  GisExportWidget(GisExportDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QComboBox* format() const { return format_; }
  QCheckBox* layer(std::size_t i) const { return layers_.at(i); }
  QLineEdit* epsg() const { return epsg_; }

 private:
  GisExportDialog& model_;
  QComboBox* format_ = nullptr;
  std::array<QCheckBox*, kGisLayerCount> layers_{};
  QLineEdit* epsg_ = nullptr;
};

void registerGisWidgets(WidgetRegistry& registry);

}  // namespace qx
