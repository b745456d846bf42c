#include "datasets/bin_visibility_dialog.h"

#include <charconv>
#include <cstdio>

namespace qx {

namespace {

// "%.3lf" in the C locale.
std::string fixed3(double v) {
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3);
  return std::string(buffer, r.ptr);
}

}  // namespace

CBinVisDialog::CBinVisDialog(const CColorTable& colours, int table, const BinSwitches& switches) {
  for (int i = 0; i <= CColorTable::kBinsPerTable; ++i) {
    const std::string text =
        i < CColorTable::kBinsPerTable ? entryText(colours.bin(table, i), i) : std::string(kUnbinnedEntry);
    (switches[static_cast<std::size_t>(i)] == 1 ? visible_ : hidden_).push_back(text);
  }
}

std::string CBinVisDialog::entryText(const ColorBin& bin, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", index + 1);
  return "Bin#" + std::string(number) + ": " + fixed3(bin.low) + " <= " + bin.variableName + " < " + fixed3(bin.high);
}

void CBinVisDialog::hideAll() {
  for (auto& e : visible_) hidden_.push_back(std::move(e));
  visible_.clear();
}

void CBinVisDialog::showAll() {
  for (auto& e : hidden_) visible_.push_back(std::move(e));
  hidden_.clear();
}

void CBinVisDialog::move(std::vector<std::string>& from, std::vector<std::string>& to, int index) {
  if (index < 0 || index >= static_cast<int>(from.size())) return;
  to.push_back(std::move(from[static_cast<std::size_t>(index)]));
  from.erase(from.begin() + index);
}

BinSwitches CBinVisDialog::switchesFromVisible(const std::vector<std::string>& visible) {
  BinSwitches switches{};
  for (const auto& entry : visible) {
    // Characters 5 and 6 read as "%d" would: digits, else 0.
    int number = 0;
    if (entry.size() > 4) {
      const std::string_view digits = std::string_view(entry).substr(4, 2);
      std::from_chars(digits.data(), digits.data() + digits.size(), number);
    }
    if (number == 0) number = CColorTable::kBinsPerTable + 1;
    if (number >= 1 && number <= CColorTable::kBinsPerTable + 1) switches[static_cast<std::size_t>(number - 1)] = 1;
  }
  return switches;
}

}  // namespace qx
