#include "datasets/color_table_page.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "port/ui_port.h"
#include "project/field_range.h"

namespace qx {

namespace {

constexpr int kTables = CColorTable::kTableCount;
constexpr int kBins = CColorTable::kBinsPerTable;

// "%.3f" in the C locale.
std::string fixed3(double v) {
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3);
  return std::string(buffer, r.ptr);
}

}  // namespace

COptionsSearchTable::COptionsSearchTable(CColorTable& colours, std::vector<std::string> variableNames,
                                         BinVisibilityAccess visibility)
    : colours_(&colours), copy_(colours), variables_(std::move(variableNames)), visibility_(std::move(visibility)) {
  shown_ = colours.currentTable >= 0 && colours.currentTable < kTables ? colours.currentTable : 0;
  showBin();
}

void COptionsSearchTable::setTableName(std::string_view name) {
  copy_.tableNames[static_cast<std::size_t>(shown_)] = std::string(name);
}

void COptionsSearchTable::stepTable(int step) {
  shown_ = (shown_ + step + kTables) % kTables;
  selected_ = 0;
  showBin();
  changed_ = true;
}

std::string COptionsSearchTable::binLine(const ColorBin& bin) {
  return " " + fixed3(bin.low) + " <= " + bin.variableName + " < " + fixed3(bin.high);
}

std::vector<std::string> COptionsSearchTable::binLines() const {
  std::vector<std::string> lines;
  lines.reserve(kBins);
  for (int b = 0; b < kBins; ++b) lines.push_back(binLine(copy_.bin(shown_, b)));
  return lines;
}

void COptionsSearchTable::selectBin(int b) {
  if (b < 0 || b >= kBins) return;
  selected_ = b;
  showBin();
}

void COptionsSearchTable::showBin() {
  const ColorBin& b = bin();
  minimum_ = fixed3(b.low);
  maximum_ = fixed3(b.high);
  variable_ = variables_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < variables_.size(); ++i) {
    if (variables_[i] == b.variableName) {
      variable_ = static_cast<int>(i);
      break;
    }
  }
}

bool COptionsSearchTable::chooseVariable(UiPort& port, int index) {
  if (index < 0 || index >= static_cast<int>(variables_.size())) return false;
  variable_ = index;
  return updateSelectedBin(port);
}

std::optional<double> COptionsSearchTable::readNumber(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  // from_chars takes a minus sign but no plus sign.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool COptionsSearchTable::updateSelectedBin(UiPort& port) {
  const std::optional<double> low = readNumber(minimum_);
  const std::optional<double> high = low ? readNumber(maximum_) : std::nullopt;
  if (!low || !high) {
    port.message(kEnterNumber, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  ColorBin& b = bin();
  if (variable_ >= 0 && variable_ < static_cast<int>(variables_.size()))
    b.variableName = variables_[static_cast<std::size_t>(variable_)];
  b.low = *low;
  b.high = *high;
  changed_ = true;
  return true;
}

ColorRef COptionsSearchTable::colour() const { return static_cast<ColorRef>(bin().colour); }

void COptionsSearchTable::selectColour(UiPort& port) {
  if (const auto c = port.chooseColour(colour())) {
    bin().colour = static_cast<std::int32_t>(*c);
    changed_ = true;
  }
}

const std::string& COptionsSearchTable::symbol() const { return bin().secondName; }

void COptionsSearchTable::setSymbol(std::string_view text) {
  bin().secondName = std::string(text.substr(0, 1));
  changed_ = true;
}

void COptionsSearchTable::clearSelected() {
  ColorBin& b = bin();
  b.variableName.clear();
  b.low = 0.0;
  b.high = 0.0;
  b.colour = 0;
  showBin();
  changed_ = true;
}

void COptionsSearchTable::clearAll() {
  for (int i = 0; i < kBins; ++i) {
    ColorBin& b = copy_.bin(shown_, i);
    b.variableName.clear();
    b.low = 0.0;
    b.high = 0.0;
    b.colour = 0;
  }
  showBin();
  changed_ = true;
}

void COptionsSearchTable::expand() {
  const ColorBin source = bin();
  const double d = (source.high - source.low) * 0.04;
  if (d == 0.0) return;
  for (int i = 0; i < kBins; ++i) {
    ColorBin& b = copy_.bin(shown_, i);
    b.low = i == 0 ? source.low : copy_.bin(shown_, i - 1).high;
    b.high = source.low + (i + 1) * d;
    b.variableName = source.variableName;
    b.colour = static_cast<std::int32_t>(kExpandRamp[static_cast<std::size_t>(i)]);
  }
  copy_.bin(shown_, kBins - 1).high += 0.001;
  selected_ = 0;
  showBin();
  changed_ = true;
}

bool COptionsSearchTable::advanced(UiPort& port) {
  BinSwitches switches;
  switches.fill(1);
  if (visibility_.get) switches = visibility_.get(shown_);
  CBinVisDialog dialog(copy_, shown_, switches);
  const std::int32_t current = colours_->currentTable;
  colours_->currentTable = shown_;
  const bool ok = port.runDialog(dialog);
  colours_->currentTable = current;
  if (!ok) return false;
  if (visibility_.set) visibility_.set(shown_, CBinVisDialog::switchesFromVisible(dialog.visible()));
  return true;
}

std::vector<std::string> COptionsSearchTable::apply() {
  colours_->tableNames = copy_.tableNames;
  if (!changed_) return {};
  colours_->bins = copy_.bins;
  colours_->currentTable = shown_;
  return markerColourOptions(*colours_, shown_);
}

std::vector<std::string> COptionsSearchTable::markerColourOptions(const CColorTable& colours, int table) {
  std::vector<std::string> options;
  options.reserve(kBins);
  for (int b = 0; b < kBins; ++b) options.push_back(markerColourOption(colours.bin(table, b).colour));
  return options;
}

bool CReferenceGridPage::onOk(UiPort& port) {
  for (const double d : spacing)
    if (!checkRange(port, d, kMinSpacing, kMaxSpacing)) return false;
  return true;
}

}  // namespace qx
