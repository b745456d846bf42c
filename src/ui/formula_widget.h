#pragma once
// "Formula": the buttons that build a calculated variable's formula. Every
// button is one of the model's actions; the formula box shows the model's text.
#include <vector>

#include "ui/model_widget.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace qx {

class CFormulaDialog;

class CFormulaWidget : public ModelWidget {
  Q_OBJECT

 public:
  CFormulaWidget(CFormulaDialog& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QListWidget* fieldList() const { return fields_; }
  QPushButton* selectFieldButton() const { return selectField_; }
  QLineEdit* constantField() const { return constant_; }
  QPushButton* selectConstantButton() const { return selectConstant_; }
  QListWidget* specialList() const { return specials_; }
  QPushButton* selectSpecialButton() const { return selectSpecial_; }
  // The operator buttons, in the order of kFormulaOperatorButtons.
  const std::vector<QPushButton*>& operatorButtons() const { return operators_; }
  // The operator button labelled `label`, or nullptr.
  QPushButton* operatorButton(const QString& label) const;
  QPushButton* deleteButton() const { return delete_; }
  QLineEdit* formulaBox() const { return formula_; }

 private:
  void showFormula();
  void onSelectConstant();

  CFormulaDialog& model_;
  UiPort& port_;
  QListWidget* fields_ = nullptr;
  QPushButton* selectField_ = nullptr;
  QLineEdit* constant_ = nullptr;
  QPushButton* selectConstant_ = nullptr;
  QListWidget* specials_ = nullptr;
  QPushButton* selectSpecial_ = nullptr;
  std::vector<QPushButton*> operators_;
  QPushButton* delete_ = nullptr;
  QLineEdit* formula_ = nullptr;
  bool filling_ = false;
};

}  // namespace qx
