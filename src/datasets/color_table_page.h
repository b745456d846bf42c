#pragma once
// The colour-table options page ("Search Table"): one of the ten tables at a
// time, its name, its 25 bins, and the controls that edit the selected bin.
// The page edits a private copy of the project's tables taken when it opens;
// OK writes the copy back.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "datasets/bin_visibility_dialog.h"
#include "datasets/color_table.h"
#include "port/dialog_model.h"

namespace qx {

class UiPort;

// The colour ramp "Expand" gives the 25 bins, blue through green and yellow to red and purple.
inline constexpr std::array<ColorRef, CColorTable::kBinsPerTable> kExpandRamp = {
    makeRgb(0, 0, 250),   makeRgb(0, 50, 250),  makeRgb(0, 100, 250), makeRgb(0, 150, 250), makeRgb(0, 200, 250),
    makeRgb(0, 230, 250), makeRgb(0, 230, 200), makeRgb(0, 230, 150), makeRgb(0, 230, 100), makeRgb(0, 230, 50),
    makeRgb(0, 255, 0),   makeRgb(50, 255, 0),  makeRgb(100, 255, 0), makeRgb(150, 255, 0), makeRgb(200, 255, 0),
    makeRgb(250, 250, 0), makeRgb(250, 200, 0), makeRgb(250, 150, 0), makeRgb(250, 100, 0), makeRgb(250, 50, 0),
    makeRgb(250, 0, 0),   makeRgb(250, 0, 50),  makeRgb(250, 0, 100), makeRgb(250, 0, 150), makeRgb(250, 0, 200),
};

// The per-table bin visibility switches live with the scene's display state;
// the page reads and writes them through these two functions (table index,
// switches 0 to 24 for the bins and 25 for the unbinned items).
struct BinVisibilityAccess {
  std::function<BinSwitches(int table)> get;               // unset: every switch 1
  std::function<void(int table, const BinSwitches&)> set;  // also shows or hides the bin segments
};

class COptionsSearchTable : public PageModel {
 public:
  static constexpr std::string_view kKind = "options_search_table";
  // The message of a "Minimum" or "Maximum" field that holds no number.
  static constexpr std::string_view kEnterNumber = "Please enter a number.";

  // `colours`: the project's tables; the page copies them now and writes the
  // copy back in apply(). `variableNames`: the "Apply Color On" list, every
  // loaded variable then every calculated one.
  COptionsSearchTable(CColorTable& colours, std::vector<std::string> variableNames,
                      BinVisibilityAccess visibility = {});

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Search Table"; }

  // The page's copy of the ten tables.
  const CColorTable& workingCopy() const { return copy_; }
  // The table shown, 0 to 9; the page opens on the current table (the first
  // when none is current).
  int shownTable() const { return shown_; }

  // "<< Previous LUT" and "Next LUT >>": the neighbouring table, wrapping
  // from the last to the first and back; bin 0 becomes the selected bin.
  void previousTable() { stepTable(-1); }
  void nextTable() { stepTable(+1); }

  // The editable name field: its text is the copy's name of the shown table.
  const std::string& tableName() const { return copy_.tableNames[static_cast<std::size_t>(shown_)]; }
  void setTableName(std::string_view name);

  // The 25 lines of the bin list, " %.3f <= %s < %.3f" (low, variable, high).
  std::vector<std::string> binLines() const;
  static std::string binLine(const ColorBin& bin);

  // Selecting a bin fills the fields from it: low, high, colour, symbol and
  // its variable in "Apply Color On" (the first entry when the name is not
  // in the list). An index outside 0..24 changes nothing.
  int selectedBin() const { return selected_; }
  void selectBin(int bin);

  // "Apply Color On": the variable names and the chosen entry (-1 when the list is empty).
  const std::vector<std::string>& variableNames() const { return variables_; }
  int selectedVariable() const { return variable_; }
  // Choosing a variable updates the selected bin (see updateSelectedBin).
  bool chooseVariable(UiPort& port, int index);

  // "Minimum" and "Maximum" as typed ("%.3f" when a bin is selected).
  const std::string& minimumText() const { return minimum_; }
  const std::string& maximumText() const { return maximum_; }
  void setMinimumText(std::string_view text) { minimum_ = std::string(text); }
  void setMaximumText(std::string_view text) { maximum_ = std::string(text); }
  // Leaving either field updates the selected bin.
  bool leaveMinimum(UiPort& port) { return updateSelectedBin(port); }
  bool leaveMaximum(UiPort& port) { return updateSelectedBin(port); }

  // The selected bin takes the chosen variable's name (its own name stays
  // when the list is empty) and the low and high typed; its line is
  // rewritten. Both fields are read as decimal numbers with a point whatever
  // the locale, blanks around allowed. A field holding anything else ("1,5",
  // "abc", "") is refused with "Please enter a number." and the bin keeps
  // every old value; the text stays in the field for the user to correct.
  bool updateSelectedBin(UiPort& port);

  // The "Color" swatch and "Select Color...": the colour chooser starting
  // from the selected bin's colour; the colour chosen becomes the bin's.
  ColorRef colour() const;
  void selectColour(UiPort& port);

  // "Symbol (Map Plotting)": one character per bin, kept in the bin's
  // secondName, the one bin field that nothing else uses. Only the first
  // character typed is kept; an empty text empties it.
  const std::string& symbol() const;
  void setSymbol(std::string_view text);

  // "Clear Selected": the selected bin's name empty, low, high and colour 0.
  void clearSelected();
  // "Clear All": the same for every bin of the shown table.
  void clearAll();
  // "Expand": spreads the selected bin's range over the 25 bins of the shown
  // table in steps of one 25th, all on its variable, with the fixed ramp of
  // colours; the last bin's top is raised by 0.001 so that the top value
  // falls inside. Nothing happens when the range is empty. Bin 0 becomes the
  // selected bin.
  void expand();

  // "Advanced": the bin visibility dialog for the shown table, opened with
  // the project's current table index set to the shown table and restored
  // afterwards. On OK the visible entries become the table's switches.
  bool advanced(UiPort& port);

  // Every edit and every step to another table sets this.
  bool changed() const { return changed_; }

  // OK: the ten names go back to the project's tables; when the page
  // changed, all 250 bins go back too, the shown table becomes the current
  // one, and the 25 marker colour options of the composites' bin segments
  // ("Markers = R=%.3f G=%.3f B=%.3f") are returned, bin 0 first. Unchanged,
  // the list is empty and bins and current table stay as they were.
  std::vector<std::string> apply();

  // The 25 marker colour options of one table.
  static std::vector<std::string> markerColourOptions(const CColorTable& colours, int table);

  // A decimal number typed into a field, read in the C locale, blanks around
  // it allowed; nullopt for anything else.
  static std::optional<double> readNumber(std::string_view text);

 private:
  ColorBin& bin() { return copy_.bin(shown_, selected_); }
  const ColorBin& bin() const { return copy_.bin(shown_, selected_); }
  void stepTable(int step);
  void showBin();

  CColorTable* colours_;
  CColorTable copy_;
  std::vector<std::string> variables_;
  BinVisibilityAccess visibility_;
  int shown_ = 0;
  int selected_ = 0;
  int variable_ = -1;
  std::string minimum_;
  std::string maximum_;
  bool changed_ = false;
};

// The other page of "Display Settings" ("Reference Grid"): the grid's origin
// and spacing, whether the grid and each of its planes are drawn, the axis
// icon, and which datasets are shown. The document fills it and takes it back.
class CReferenceGridPage : public PageModel {
 public:
  static constexpr std::string_view kKind = "reference_grid";
  static constexpr double kMinSpacing = 0.1;
  static constexpr double kMaxSpacing = 1e10;
  static constexpr std::array<std::string_view, 3> kPlanes = {"YZ Plane", "XZ Plane", "XY Plane"};
  static constexpr std::array<std::string_view, 5> kDatasets = {"Composites", "Envelopes", "Figures", "Polygons",
                                                                "Surfaces"};
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Reference Grid"; }

  std::array<double, 3> origin{};
  std::array<double, 3> spacing{100.0, 100.0, 100.0};
  bool gridShown = false;
  std::array<bool, 3> planes{true, true, true};  // YZ, XZ, XY
  bool axisIcon = true;
  std::array<bool, 5> datasets{true, true, true, true, true};  // in the order of kDatasets

  // A spacing outside 0.1 to 1e10 is refused with the range message.
  bool onOk(UiPort& port) override;
};

}  // namespace qx
