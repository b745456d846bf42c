#pragma once
// "Model Parameters": specific gravity, recovery, thickness and, when a
// project is created, the project type. Enabling and visibility are the model's.
#include "ui/model_widget.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace qx {

class CSpecGravPage;

class CSpecGravPageWidget : public ModelWidget {
  Q_OBJECT

 public:
  CSpecGravPageWidget(CSpecGravPage& model, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* defaultSG() const { return defaultSG_; }
  QCheckBox* useVariableSG() const { return useVariableSG_; }
  QComboBox* sgVariable() const { return sgVariable_; }
  QLineEdit* defaultWasteSG() const { return wasteSG_; }
  QRadioButton* recoveryButton(int mode) const;
  QLineEdit* fixedRecovery() const { return fixedRecovery_; }
  QComboBox* recoveryVariable() const { return recoveryVariable_; }
  QCheckBox* useFixedThickness() const { return useFixedThickness_; }
  QLineEdit* fixedThickness() const { return fixedThickness_; }
  QLabel* thicknessVariableLabel() const { return thicknessVariableLabel_; }
  QComboBox* thicknessVariable() const { return thicknessVariable_; }
  QLineEdit* wasteThickness() const { return wasteThickness_; }
  QGroupBox* projectTypeGroup() const { return projectTypeGroup_; }
  QRadioButton* projectTypeButton(int type) const;

 private:
  void applyEnabling();

  CSpecGravPage& model_;
  QLineEdit* defaultSG_ = nullptr;
  QCheckBox* useVariableSG_ = nullptr;
  QComboBox* sgVariable_ = nullptr;
  QLineEdit* wasteSG_ = nullptr;
  QButtonGroup* recovery_ = nullptr;
  QLineEdit* fixedRecovery_ = nullptr;
  QComboBox* recoveryVariable_ = nullptr;
  QCheckBox* useFixedThickness_ = nullptr;
  QLineEdit* fixedThickness_ = nullptr;
  QLabel* thicknessVariableLabel_ = nullptr;
  QComboBox* thicknessVariable_ = nullptr;
  QLineEdit* wasteThickness_ = nullptr;
  QGroupBox* projectTypeGroup_ = nullptr;
  QButtonGroup* projectType_ = nullptr;
};

}  // namespace qx
