#pragma once
// The widgets of the section plots: the "Map Profiles" dialog with its name
// dialog, the seven pages of the sheet "Section Map Profile" and "Generate
// Plot Files". The lists, limits and texts are the models'.
#include <array>
#include <vector>

#include "ui/model_widget.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qx {

class CDialogPlotMaps;
class CMapFramePage;
class CMapGraduationsPage;
class CMapLabelsPage;
class CMapLimitsPage;
class CMapPresentationPage;
class CMapProfilesDialog;
class CNameEntryDialog;
class WidgetRegistry;

// Registers the widgets of this file (called by registerStandardWidgets).
void registerPlotWidgets(WidgetRegistry& registry);

class NameEntryWidget : public ModelWidget {
  Q_OBJECT

 public:
  NameEntryWidget(CNameEntryDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QLineEdit* name() const { return name_; }

 private:
  CNameEntryDialog& model_;
  QLineEdit* name_ = nullptr;
};

// "List of Map Profiles" with Add, Edit, Remove, Rename and Copy.
class MapProfilesWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapProfilesWidget(CMapProfilesDialog& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort*) override { return true; }
  QListWidget* list() const { return list_; }
  // Add, Edit, Remove, Rename, Copy.
  QPushButton* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

 private:
  CMapProfilesDialog& model_;
  UiPort& port_;
  QListWidget* list_ = nullptr;
  std::array<QPushButton*, 5> buttons_{};
  bool filling_ = false;
};

class MapPresentationWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapPresentationWidget(CMapPresentationPage& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QLineEdit* scale() const { return scale_; }

 private:
  CMapPresentationPage& model_;
  std::array<QCheckBox*, 5> switches_{};
  QLineEdit* scale_ = nullptr;
  QLineEdit* height_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* pattern_ = nullptr;
};

class MapFrameWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapFrameWidget(CMapFramePage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CMapFramePage& model_;
  std::array<QLineEdit*, 6> titles_{};  // main title, four sub-titles, drawing number
  std::array<QCheckBox*, 3> switches_{};
  QLineEdit* bearing_ = nullptr;
  QComboBox* style_ = nullptr;
};

class MapGraduationsWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapGraduationsWidget(CMapGraduationsPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  struct Row {
    QLineEdit* interval = nullptr;
    QLineEdit* value = nullptr;
    QLineEdit* positive = nullptr;
    QLineEdit* negative = nullptr;
    QComboBox* axis = nullptr;
  };
  CMapGraduationsPage& model_;
  std::array<Row, 3> rows_;
};

class MapLimitsWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapLimitsWidget(CMapLimitsPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  void showEnvelope();
  CMapLimitsPage& model_;
  QButtonGroup* mode_ = nullptr;
  std::array<QLineEdit*, 6> box_{};  // minimum East, North, Elevation, then maximum
  QCheckBox* polygonsFree_ = nullptr;
  QCheckBox* compositesFree_ = nullptr;
  QListWidget* envelopes_ = nullptr;
  QCheckBox* envelopePolygons_ = nullptr;
  QCheckBox* envelopeComposites_ = nullptr;
};

// "Composites", "Polygons", "Figures": the field list (ticked: plotted) and
// the placement, width and decimals of the field chosen.
class MapLabelsWidget : public ModelWidget {
  Q_OBJECT

 public:
  MapLabelsWidget(CMapLabelsPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  bool storeField(UiPort* port);
  void showField();
  CMapLabelsPage& model_;
  QComboBox* table_ = nullptr;
  QLineEdit* size_ = nullptr;
  QListWidget* fields_ = nullptr;
  // Angle (composites) or row and column, then width and decimals.
  std::vector<QLineEdit*> numbers_;
  int shown_ = -1;
};

class PlotMapsWidget : public ModelWidget {
  Q_OBJECT

 public:
  PlotMapsWidget(CDialogPlotMaps& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QListWidget* sections() const { return sections_; }
  QComboBox* profile() const { return profile_; }
  QLineEdit* directory() const { return directory_; }
  QButtonGroup* kinds() const { return kinds_; }

 private:
  CDialogPlotMaps& model_;
  QListWidget* sections_ = nullptr;
  QComboBox* profile_ = nullptr;
  QLineEdit* directory_ = nullptr;
  QButtonGroup* kinds_ = nullptr;
  QCheckBox* world_ = nullptr;
};

}  // namespace qx
