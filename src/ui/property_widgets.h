#pragma once
// The widgets of the property sheets: the envelope, surface and figure pages
// (one widget over the item page), the composites and polygons pages, the
// colour-table page and its bin visibility dialog, the reference grid, and the
// name and "Modify Values" dialogs. The rules and texts are the models'.
#include <QDoubleSpinBox>

#include "ui/model_widget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QTreeWidget;

namespace qx {

class CBinVisDialog;
class CCompositesPropertyPage;
class CEnvelopesPropertyPage;
class CFiguresPropertyPage;
class CItemNameDialog;
class CModifyValuesDialog;
class COptionsSearchTable;
class CPolygonsPropertyPage;
class CReferenceGridPage;
class ItemPropertiesPage;

// Rename, Delete, visibility and rendering method of every item page; the
// colour and transparency of envelopes and surfaces; the density of
// envelopes; the dilution switch and the values of figures.
class ItemPropertiesWidget : public ModelWidget {
  Q_OBJECT

 public:
  ItemPropertiesWidget(ItemPropertiesPage& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QListWidget* list() const { return list_; }
  QPushButton* renameButton() const { return rename_; }
  QPushButton* deleteButton() const { return delete_; }
  QCheckBox* visible() const { return visible_; }
  QComboBox* rendering() const { return rendering_; }
  QSlider* transparency() const { return transparency_; }  // null for figures
  QLineEdit* density() const { return density_; }          // envelopes only
  QCheckBox* dilution() const { return dilution_; }        // figures only
  QTreeWidget* values() const { return values_; }          // figures only

 private:
  void showList();
  void showItem();

  ItemPropertiesPage& model_;
  CEnvelopesPropertyPage* envelopes_ = nullptr;
  CFiguresPropertyPage* figures_ = nullptr;
  UiPort& port_;
  QListWidget* list_ = nullptr;
  QPushButton* rename_ = nullptr;
  QPushButton* delete_ = nullptr;
  QCheckBox* visible_ = nullptr;
  QComboBox* rendering_ = nullptr;
  QLabel* swatch_ = nullptr;
  QPushButton* colour_ = nullptr;
  QSlider* transparency_ = nullptr;
  QLineEdit* density_ = nullptr;
  QCheckBox* dilution_ = nullptr;
  QPushButton* editValue_ = nullptr;
  QPushButton* recalculate_ = nullptr;
  QTreeWidget* values_ = nullptr;
  bool filling_ = false;
};

// The marker style and size, and the envelopes whose composites go on OK.
class CompositesPropertyWidget : public ModelWidget {
  Q_OBJECT

 public:
  CompositesPropertyWidget(CCompositesPropertyPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QListWidget* list() const { return list_; }
  QPushButton* toggleButton() const { return toggle_; }

 private:
  CCompositesPropertyPage& model_;
  QComboBox* symbol_ = nullptr;
  QComboBox* size_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* toggle_ = nullptr;
};

// A spin box that steps through the page's exaggeration values.
class ExaggerationSpinBox : public QDoubleSpinBox {
  Q_OBJECT

 public:
  explicit ExaggerationSpinBox(QWidget* parent = nullptr);
  void stepBy(int steps) override;

 protected:
  StepEnabled stepEnabled() const override;
};

class PolygonsPropertyWidget : public ModelWidget {
  Q_OBJECT

 public:
  PolygonsPropertyWidget(CPolygonsPropertyPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  ExaggerationSpinBox* exaggeration() const { return exaggeration_; }

 private:
  CPolygonsPropertyPage& model_;
  QCheckBox* visible_ = nullptr;
  QComboBox* rendering_ = nullptr;
  ExaggerationSpinBox* exaggeration_ = nullptr;
};

// "Search Table": one colour table at a time and its selected bin.
class ColourTableWidget : public ModelWidget {
  Q_OBJECT

 public:
  ColourTableWidget(COptionsSearchTable& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;
  QListWidget* bins() const { return bins_; }
  QLineEdit* name() const { return name_; }

 private:
  void showTable();
  void showBin();

  COptionsSearchTable& model_;
  UiPort& port_;
  QLineEdit* name_ = nullptr;
  QListWidget* bins_ = nullptr;
  QListWidget* variables_ = nullptr;
  QLineEdit* minimum_ = nullptr;
  QLineEdit* maximum_ = nullptr;
  QLabel* swatch_ = nullptr;
  QLineEdit* symbol_ = nullptr;
  bool filling_ = false;
};

// "Bin Visibility Settings": the visible and the hidden bins.
class BinVisibilityWidget : public ModelWidget {
  Q_OBJECT

 public:
  BinVisibilityWidget(CBinVisDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CBinVisDialog& model_;
  QListWidget* visible_ = nullptr;
  QListWidget* hidden_ = nullptr;
};

// "Reference Grid": origin, spacing, the grid's planes, the axis icon and
// the datasets shown.
class ReferenceGridWidget : public ModelWidget {
  Q_OBJECT

 public:
  ReferenceGridWidget(CReferenceGridPage& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CReferenceGridPage& model_;
  QLineEdit* origin_[3] = {};
  QLineEdit* spacing_[3] = {};
  QCheckBox* grid_ = nullptr;
  QCheckBox* planes_[3] = {};
  QCheckBox* axisIcon_ = nullptr;
  QCheckBox* datasets_[5] = {};
};

// The name dialog of the property pages.
class ItemNameWidget : public ModelWidget {
  Q_OBJECT

 public:
  ItemNameWidget(CItemNameDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CItemNameDialog& model_;
  QLineEdit* name_ = nullptr;
};

// "Modify Values": the current and the new value of one figure value.
class ModifyValuesWidget : public ModelWidget {
  Q_OBJECT

 public:
  ModifyValuesWidget(CModifyValuesDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CModifyValuesDialog& model_;
  QLabel* currentLabel_ = nullptr;
  QLabel* newLabel_ = nullptr;
  QLineEdit* current_ = nullptr;
  QLineEdit* new_ = nullptr;
};

// Adds the widgets above to the desktop's registry.
void registerPropertyWidgets(WidgetRegistry& registry);

}  // namespace qx
