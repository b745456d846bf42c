#pragma once
// The model of the composite modify dialog ("Composite: <name>"), opened by
// the modify tool on a copy of the picked composite: a list of its
// coordinates and values, an edit box for the selected row, the set button,
// and the delete button.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datasets/composites.h"
#include "port/dialog_model.h"

namespace qx {

class QuarlexSettings;

class CDialogCompositeModify : public DialogModel {
 public:
  static constexpr std::string_view kKind = "composite_modify";
  enum class Result { Cancel, Ok, Delete };
  struct Row {
    std::string property;  // "X Coordinate", ..., or the variable's name
    std::string value;     // "%.4lf"
  };

  CDialogCompositeModify(CComposite composite, const QuarlexSettings& settings);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Composite: " + composite_.name; }
  // The list's columns and their widths in pixels.
  static std::vector<std::pair<std::string, int>> columns() { return {{"Property", 100}, {"Value", 100}}; }

  // "X Coordinate", "Y Coordinate", "Z Coordinate" (3D projects only), the
  // loaded variables, the calculated variables.
  const std::vector<Row>& rows() const { return rows_; }
  // Selecting a row shows its label ("Variable: %s", "Calc Var: %s" for the
  // variables) and its value in the edit box; -1 or an index outside the list
  // selects nothing.
  void selectRow(int index);
  int selectedRow() const { return selected_; }
  const std::string& label() const { return label_; }
  const std::string& editText() const { return edit_; }
  void setEditText(std::string text) { edit_ = std::move(text); }
  // The set button: the edit box read as a decimal number (0 when it holds
  // none) goes into the selected row's coordinate or value; the list is
  // refreshed. False when no row is selected.
  bool set();

  // OK returns the edited copy.
  bool onOk(UiPort& port) override;
  // The delete button: "Are you sure you want to delete composite %s?"
  // (Yes/No, question); Yes closes the dialog with the delete result.
  bool onDelete(UiPort& port);

  Result result() const { return result_; }
  const CComposite& composite() const { return composite_; }

 private:
  void refresh();
  double* valueOf(int row);

  CComposite composite_;
  bool withZ_ = false;
  std::vector<std::string> loadedNames_;
  std::vector<std::string> calculatedNames_;
  std::vector<Row> rows_;
  int selected_ = -1;
  std::string label_;
  std::string edit_;
  Result result_ = Result::Cancel;
};

}  // namespace qx
