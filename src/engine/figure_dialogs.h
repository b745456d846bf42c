#pragma once
// The models of the two figure dialogs: "Figure Properties", which names a
// newly digitized figure, and "Modify Values", which edits one value of a
// figure.
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/envelope_dialogs.h"
#include "port/dialog_model.h"

namespace qx {

class CPolygonSet;
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

// "Figures": name, "Figure Visible" and "Rendering Method" (written back when
// the page is left), the figure set's dilution switch, and the selected
// figure's values, which "Edit Figure Values" and "Recalculate Values" change
// in the figure itself.
class CFiguresPropertyPage : public ItemPropertiesPage {
 public:
  static constexpr std::string_view kKind = "figures_properties";
  static constexpr std::string_view kDilution = "Use Dilution in Figure Calculations (Affects all Figures)";
  struct ValueLine {
    std::string name;
    std::string value;
  };
  // `variableNames`: the loaded then the calculated variables. `recalculate(i)`
  // calculates figure i again.
  CFiguresPropertyPage(FigureSet& set, std::vector<std::string> variableNames, std::function<void(int)> erase,
                       std::function<void(int)> recalculate);

  // The check box reads as its words: ticked while figures are diluted (the
  // set's switch 0).
  bool dilution = true;

  // "Name" / "Value" of the selected figure: "Surface Area", "Volume",
  // "Percent Ore", "Tonnage Ore", "Tonnage Waste", "Specific Gravity",
  // "Thickness", then its loaded and calculated values.
  std::vector<ValueLine> valueLines() const;
  // "Edit Figure Values": the "Modify Values" dialog for value `line`; its new
  // value is stored in the figure. False when cancelled or nothing is selected.
  bool editValue(UiPort& port, int line);
  // "Recalculate Values": the selected figure, nothing without one.
  void recalculateSelected();

  bool onKillActive(UiPort& port) override;
  void apply();

 private:
  double* valueOf(int line);

  FigureSet& set_;
  std::vector<std::string> variables_;
  std::function<void(int)> recalculate_;
};

// "Polygons": "Polygons Visible", "Rendering Method" and "Vertical
// Exaggeration", the polygon set's display switch, display mode and display
// thickness factor, written back when the page is left.
class CPolygonsPropertyPage : public PageModel {
 public:
  static constexpr std::string_view kKind = "polygons_properties";
  static constexpr std::array<double, 8> kExaggerationSteps = {0.0, 0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0};
  explicit CPolygonsPropertyPage(CPolygonSet& set);
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Polygons"; }

  bool visible = true;
  int renderingMethod = 2;
  double exaggeration = 1.0;  // 0 to 10
  // The spin control: `steps` places up (negative: down) through the
  // values of kExaggerationSteps, from the value shown, stopping at the ends.
  static double stepExaggeration(double value, int steps);

  // Refuses an exaggeration outside 0 to 10; writes back and records the change.
  bool onKillActive(UiPort& port) override;
  bool changed() const { return changed_; }

 private:
  CPolygonSet& set_;
  bool changed_ = false;
};

}  // namespace qx
