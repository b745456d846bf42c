#pragma once
// The models of the two figure dialogs: "Figure Properties", which names a
// newly digitized figure, and "Modify Values", which edits one value of a
// figure.
#include <cstddef>
#include <string>
#include <string_view>

#include "port/dialog_model.h"

namespace qx {

class FigureSet;

inline constexpr std::size_t kFigureNameMaxLength = 32;
inline constexpr std::string_view kFigureNameInUse = "That figure name is already in use. Choose another.";

class CFigurePropertiesDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "figure_properties";
  static constexpr std::string_view kNameLabel = "Figure Name :";
  static constexpr std::string_view kInitialName = "figure";

  // `existing`: the figures a name is checked against; may be null.
  explicit CFigurePropertiesDialog(const FigureSet* existing) : existing_(existing) {}

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Figure Properties"; }

  const std::string& name() const { return name_; }
  // The edit holds at most 32 characters; a longer text is cut.
  void setName(std::string_view name) { name_ = std::string(name.substr(0, kFigureNameMaxLength)); }

  // A name used by a figure of the set (exact, case-sensitive) shows
  // kFigureNameInUse and keeps the dialog open.
  bool onOk(UiPort& port) override;

 private:
  const FigureSet* existing_;
  std::string name_{kInitialName};
};

// The text of a value as the dialog shows it: rounded to 6 decimals, halves
// away from zero, from the value's exact binary expansion.
std::string formatModifyValue(double value);

class CModifyValuesDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "modify_values";
  static constexpr double kMinValue = -1.0;
  static constexpr double kMaxValue = 1e38;

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Modify Values"; }

  // The two labels; the caller sets them.
  const std::string& currentLabel() const { return currentLabel_; }
  const std::string& newLabel() const { return newLabel_; }
  void setLabels(std::string current, std::string modified) {
    currentLabel_ = std::move(current);
    newLabel_ = std::move(modified);
  }

  // The two edits. Setting a value shows it rounded (formatModifyValue).
  const std::string& currentText() const { return currentText_; }
  const std::string& newText() const { return newText_; }
  void setCurrentValue(double v);
  void setNewValue(double v);
  void setNewText(std::string text) { newText_ = std::move(text); }

  // The values as read back from the edits on OK (the rounded values when
  // the edits were not touched).
  double currentValue() const { return current_; }
  double newValue() const { return new_; }

  // Reads the current value, then the new value (a text that holds no number
  // reads 0); a value outside -1 .. 1e38 shows "Please enter a value between
  // -1 and 1e+38." and keeps the dialog open.
  bool onOk(UiPort& port) override;

 private:
  std::string currentLabel_ = "Current Value for Assay";
  std::string newLabel_ = "New Value for Assay";
  std::string currentText_ = formatModifyValue(0.0);
  std::string newText_ = formatModifyValue(0.0);
  double current_ = 0.0;
  double new_ = 0.0;
};

}  // namespace qx
