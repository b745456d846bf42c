#include "engine/figure_dialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/figures.h"
#include "engine/polygons.h"
#include "io/line_reader.h"
#include "port/ui_port.h"
#include "project/field_range.h"

namespace qx {

bool CFigurePropertiesDialog::onOk(UiPort& port) {
  if (existing_ != nullptr && existing_->findByName(name_) >= 0) {
    port.message(kFigureNameInUse, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return true;
}

std::string formatModifyValue(double value) {
  if (!std::isfinite(value)) return "0.000000";
  // The exact expansion far enough to see the seventh decimal unrounded
  // (printf rounds halves to even, and only in the last digit it prints).
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.60f", std::fabs(value));
  std::string digits(buffer);
  const std::size_t point = digits.find('.');
  const bool up = digits[point + 7] >= '5';
  digits.resize(point + 7);  // six decimals
  if (up) {
    // Add one in the sixth decimal, carrying leftwards.
    std::size_t k = digits.size();
    while (k-- > 0) {
      if (digits[k] == '.') continue;
      if (digits[k] == '9') {
        digits[k] = '0';
        continue;
      }
      ++digits[k];
      break;
    }
    if (k == static_cast<std::size_t>(-1)) digits.insert(0, "1");
  }
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (value < 0.0 && !zero ? "-" : "") + digits;
}

void CModifyValuesDialog::setCurrentValue(double v) {
  current_ = v;
  currentText_ = formatModifyValue(v);
}

void CModifyValuesDialog::setNewValue(double v) {
  new_ = v;
  newText_ = formatModifyValue(v);
}

bool CModifyValuesDialog::onOk(UiPort& port) {
  const double current = scanNumber(currentText_);
  if (!checkRange(port, current, kMinValue, kMaxValue)) return false;
  const double modified = scanNumber(newText_);
  if (!checkRange(port, modified, kMinValue, kMaxValue)) return false;
  current_ = current;
  new_ = modified;
  return true;
}

namespace {

std::vector<ItemProperties> figureItems(const FigureSet& set) {
  std::vector<ItemProperties> items;
  for (const Figure& f : set.figures) items.push_back({f.name, f.visible != 0, 0, 0, f.renderingMethod, 0.0});
  return items;
}

std::string printed(const char* format, double v) {
  char text[512];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

constexpr std::array<const char*, 7> kValueNames = {"Surface Area",  "Volume",           "Percent Ore", "Tonnage Ore",
                                                    "Tonnage Waste", "Specific Gravity", "Thickness"};
constexpr std::array<const char*, 7> kValueFormats = {"%.1f", "%.1f", "%.2f", "%.1f", "%.1f", "%.4f", "%.4f"};

}  // namespace

CFiguresPropertyPage::CFiguresPropertyPage(FigureSet& set, std::vector<std::string> variableNames,
                                           std::function<void(int)> erase, std::function<void(int)> recalculate)
    : ItemPropertiesPage(std::string(kKind), "Figures", "Are you sure you want to delete this Figure?",
                         figureItems(set), std::move(erase)),
      dilution(set.dilution == 0),
      set_(set),
      variables_(std::move(variableNames)),
      recalculate_(std::move(recalculate)) {}

double* CFiguresPropertyPage::valueOf(int line) {
  if (selected() < 0 || selected() >= set_.count() || line < 0) return nullptr;
  Figure& f = set_.figures[static_cast<std::size_t>(selected())];
  double* fixed[] = {&f.area,         &f.volume,          &f.oreFraction, &f.oreTonnage,
                     &f.wasteTonnage, &f.specificGravity, &f.thickness};
  if (line < 7) return fixed[line];
  auto k = static_cast<std::size_t>(line - 7);
  if (k < f.loadedValues.size()) return &f.loadedValues[k];
  k -= f.loadedValues.size();
  return k < f.calculatedValues.size() ? &f.calculatedValues[k] : nullptr;
}

std::vector<CFiguresPropertyPage::ValueLine> CFiguresPropertyPage::valueLines() const {
  std::vector<ValueLine> lines;
  auto* self = const_cast<CFiguresPropertyPage*>(this);
  for (int line = 0; const double* v = self->valueOf(line); ++line) {
    const auto k = static_cast<std::size_t>(line);
    std::string name = line < 7 ? kValueNames[k] : k - 7 < variables_.size() ? variables_[k - 7] : "";
    lines.push_back({std::move(name), printed(line < 7 ? kValueFormats[k] : "%.4f", *v)});
  }
  return lines;
}

bool CFiguresPropertyPage::editValue(UiPort& port, int line) {
  double* v = valueOf(line);
  if (v == nullptr) return false;
  const std::string name = valueLines()[static_cast<std::size_t>(line)].name;
  CModifyValuesDialog dialog;
  dialog.setLabels("Current value for " + name, "Modified value for " + name);
  dialog.setCurrentValue(*v);
  dialog.setNewValue(*v);
  if (!port.runDialog(dialog)) return false;
  *v = dialog.newValue();
  return true;
}

void CFiguresPropertyPage::recalculateSelected() {
  if (selected() >= 0 && recalculate_) recalculate_(selected());
}

bool CFiguresPropertyPage::onKillActive(UiPort&) {
  apply();
  return true;
}

void CFiguresPropertyPage::apply() {
  set_.dilution = dilution ? 0 : 1;
  const std::size_t n = std::min(items_.size(), set_.figures.size());
  for (std::size_t i = 0; i < n; ++i) {
    set_.figures[i].name = items_[i].name;
    set_.figures[i].visible = items_[i].visible ? 1 : 0;
    set_.figures[i].renderingMethod = items_[i].renderingMethod;
  }
}

CPolygonsPropertyPage::CPolygonsPropertyPage(CPolygonSet& set)
    : visible(set.shown != 0), renderingMethod(set.displayMode), exaggeration(set.displayThicknessFactor), set_(set) {}

double CPolygonsPropertyPage::stepExaggeration(double value, int steps) {
  for (; steps > 0; --steps) {
    const auto* next = std::upper_bound(kExaggerationSteps.begin(), kExaggerationSteps.end(), value);
    if (next == kExaggerationSteps.end()) break;
    value = *next;
  }
  for (; steps < 0; ++steps) {
    const auto* first = std::lower_bound(kExaggerationSteps.begin(), kExaggerationSteps.end(), value);
    if (first == kExaggerationSteps.begin()) break;
    value = *(first - 1);
  }
  return value;
}

bool CPolygonsPropertyPage::onKillActive(UiPort& port) {
  if (!checkRange(port, exaggeration, 0.0, 10.0)) return false;
  set_.shown = visible ? 1 : 0;
  set_.displayMode = renderingMethod;
  set_.displayThicknessFactor = exaggeration;
  changed_ = true;
  return true;
}

}  // namespace qx
