#pragma once
// "Add/Edit Field": one variable of the "Data Fields" page. "Enter Formula"
// runs the model's formula dialog through the port.
#include "ui/model_widget.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace qx {

class CAddFieldEntry;

class CAddFieldEntryWidget : public ModelWidget {
  Q_OBJECT

 public:
  CAddFieldEntryWidget(CAddFieldEntry& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* fieldName() const { return name_; }
  QLineEdit* defaultValue() const { return default_; }
  QLineEdit* missingValue() const { return missing_; }
  QComboBox* weightingType() const { return weighting_; }
  QCheckBox* calculateFieldValue() const { return calculate_; }
  QLineEdit* formulaBox() const { return formula_; }
  QPushButton* enterFormula() const { return enterFormula_; }

 private:
  void applyEnabling();
  void onEnterFormula();

  CAddFieldEntry& model_;
  UiPort& port_;
  QLineEdit* name_ = nullptr;
  QLineEdit* default_ = nullptr;
  QLineEdit* missing_ = nullptr;
  QComboBox* weighting_ = nullptr;
  QCheckBox* calculate_ = nullptr;
  QLineEdit* formula_ = nullptr;
  QPushButton* enterFormula_ = nullptr;
};

}  // namespace qx
