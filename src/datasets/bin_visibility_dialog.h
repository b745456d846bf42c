#pragma once
// The model of the bin visibility dialog ("Bin Visibility Settings"): the
// 25 bins of one colour table and the unbinned entry, split between the
// "Visible Bins" and "Non-Visible Bins" lists.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/color_table.h"
#include "port/dialog_model.h"

namespace qx {

// The 26 visibility switches of one table: 0 to 24 for the bins, 25 for the
// items that no bin holds.
using BinSwitches = std::array<int, CColorTable::kBinsPerTable + 1>;

inline constexpr std::string_view kUnbinnedEntry = "Unbinned Blocks and Composites";

class CBinVisDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "bin_visibility";

  // Entry i (0 to 24) is "Bin#%02d: %.3lf <= %s < %.3lf" with i + 1, low,
  // variable name and high; the 26th is the unbinned entry. Each goes to the
  // visible list when its switch is 1.
  CBinVisDialog(const CColorTable& colours, int table, const BinSwitches& switches);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Bin Visibility Settings"; }

  const std::vector<std::string>& visible() const { return visible_; }
  const std::vector<std::string>& hidden() const { return hidden_; }

  // "Hide >>" and "<< Show" move the selected entry to the end of the other
  // list (nothing for an index outside the list); the "All" buttons move
  // every entry.
  void hide(int index) { move(visible_, hidden_, index); }
  void show(int index) { move(hidden_, visible_, index); }
  void hideAll();
  void showAll();

  // The text of one entry.
  static std::string entryText(const ColorBin& bin, int index);
  // The switches the colour-table page makes of the visible list on OK: all
  // cleared, then for each entry the number NN in its characters 5 and 6 sets
  // switch NN - 1, and an entry whose number reads 0 (the unbinned one) the
  // last switch.
  static BinSwitches switchesFromVisible(const std::vector<std::string>& visible);

 private:
  static void move(std::vector<std::string>& from, std::vector<std::string>& to, int index);

  std::vector<std::string> visible_;
  std::vector<std::string> hidden_;
};

}  // namespace qx
