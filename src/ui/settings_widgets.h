#pragma once
// The widgets of "Calculation Settings" ("General", "Variables",
// "Envelopes"; "Composites" is CompositeEnvelopesWidget) and of variable
// editing ("Edit Variables", "Defined Variable Properties", "Calculated
// Variable Properties"). Every rule is the model's.
#include "ui/model_widget.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace qx {

class CPropPageCalcGeneral;
class CPropPageCalcVariables;
class CPropPageEnvelopeClipping;
class CVariableEditDialog;
class CVariableLoadedDialog;
class CVariableCalculatedDialog;

// Adds the widgets below to the registry.
void registerSettingsWidgets(WidgetRegistry& registry);

class CalcGeneralWidget : public ModelWidget {
  Q_OBJECT

 public:
  CalcGeneralWidget(CPropPageCalcGeneral& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CPropPageCalcGeneral& model_;
  QSpinBox* sides_ = nullptr;
  QLineEdit* size_ = nullptr;
  QLineEdit* angle_ = nullptr;
  QCheckBox* dilution_ = nullptr;
  QCheckBox* overwrite_ = nullptr;
};

class CalcVariablesWidget : public ModelWidget {
  Q_OBJECT

 public:
  CalcVariablesWidget(CPropPageCalcVariables& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  void choose(int row);
  CPropPageCalcVariables& model_;
  QTreeWidget* list_ = nullptr;
  QComboBox* variable_ = nullptr;
  QLineEdit* fields_[4] = {};
  bool filling_ = false;
};

class EnvelopeClippingWidget : public ModelWidget {
  Q_OBJECT

 public:
  EnvelopeClippingWidget(CPropPageEnvelopeClipping& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort*) override { return true; }

 private:
  CPropPageEnvelopeClipping& model_;
  QTreeWidget* list_ = nullptr;
  bool filling_ = false;
};

class VariableEditWidget : public ModelWidget {
  Q_OBJECT

 public:
  VariableEditWidget(CVariableEditDialog& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort*) override { return true; }

 private:
  CVariableEditDialog& model_;
  UiPort& port_;
  QTreeWidget* list_ = nullptr;
  bool filling_ = false;
};

class VariableLoadedWidget : public ModelWidget {
  Q_OBJECT

 public:
  VariableLoadedWidget(CVariableLoadedDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CVariableLoadedDialog& model_;
  QLineEdit* name_ = nullptr;
  QLineEdit* default_ = nullptr;
  QLineEdit* missing_ = nullptr;
  QComboBox* weighting_ = nullptr;
};

class VariableCalculatedWidget : public ModelWidget {
  Q_OBJECT

 public:
  VariableCalculatedWidget(CVariableCalculatedDialog& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CVariableCalculatedDialog& model_;
  QLineEdit* name_ = nullptr;
  QLineEdit* formula_ = nullptr;
};

}  // namespace qx
