#include "app/information.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "app/project_objects.h"
#include "variables/formula_evaluator.h"

namespace qx {

void CInformationDlgDataList::add(std::int32_t type, std::int32_t index) {
  std::move_backward(items_.begin(), items_.end() - 1, items_.end());
  items_.front() = {type, index};
}

bool CInformationDlgDataList::addPick(int selectionMode, int key) {
  switch (selectionMode) {
    case 0: add(kInfoComposite, key); return true;
    case 1: add(kInfoFigure, key); return true;
    case 2: add(kInfoEnvelope, key / 1000); return true;  // the contour's key names its envelope
    case 4: add(kInfoPolygon, key); return true;
    default: return false;
  }
}

void CInformationDlgDataList::removeAt(std::size_t at) {
  std::move(items_.begin() + static_cast<std::ptrdiff_t>(at) + 1, items_.end(),
            items_.begin() + static_cast<std::ptrdiff_t>(at));
  items_.back() = {};
}

bool CInformationDlgDataList::remove(std::int32_t type, std::int32_t index) {
  const auto it = std::find(items_.begin(), items_.end(), CInformationDlgDataItem{type, index});
  if (it == items_.end()) return false;
  removeAt(static_cast<std::size_t>(it - items_.begin()));
  return true;
}

bool CInformationDlgDataList::removeFirstOfType(std::int32_t type) {
  const auto it =
      std::find_if(items_.begin(), items_.end(), [type](const CInformationDlgDataItem& i) { return i.type == type; });
  if (it == items_.end()) return false;
  removeAt(static_cast<std::size_t>(it - items_.begin()));
  return true;
}

namespace {

// "%.<decimals>lf" in the C locale.
std::string fixed(double value, int decimals) {
  char digits[400];
  const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(digits, r.ptr) : std::string();
}

template <typename Variable>
void appendVariableLines(std::vector<std::string>& lines, std::span<const Variable> variables,
                         std::span<const double> values) {
  const std::size_t n = std::min(variables.size(), values.size());
  for (std::size_t first = 0; first < n; first += 3) {
    std::string line;
    for (std::size_t k = first; k < std::min(n, first + 3); ++k)
      line += "      " + variables[k].name + " = " + fixed(values[k], 4);
    lines.push_back(std::move(line));
  }
}

template <typename T>
const T* at(const std::vector<T>& items, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < items.size() ? &items[static_cast<std::size_t>(index)]
                                                                      : nullptr;
}

}  // namespace

std::vector<std::string> informationLines(const CInformationDlgDataList& list, const ProjectObjects& objects) {
  const QuarlexSettings& settings = objects.settings;
  const std::span<const VariableInfo> loaded = settings.loaded;
  const std::span<const VariableInfoCalc> calculated = settings.calculated;
  std::vector<std::string> lines;
  for (auto item = list.items().rbegin(); item != list.items().rend(); ++item) {
    const std::size_t before = lines.size();
    switch (item->type) {
      case kInfoComposite:
        if (const CComposite* c = at(objects.composites.composites, item->index)) {
          lines.push_back("Composite: \"" + c->name + "\"   (" + fixed(c->position.x, 2) + ", " +
                          fixed(c->position.y, 2) + ")");
          appendVariableLines(lines, loaded, std::span<const double>(c->values));
          appendVariableLines(lines, calculated, std::span<const double>(c->calcValues));
        }
        break;
      case kInfoFigure:
        if (const Figure* f = at(objects.figures.figures, item->index)) {
          lines.push_back("Figure: \"" + f->name + "\"");
          lines.push_back("      Surface Area: " + fixed(f->area, 1) + "      Ore Tonnage: " + fixed(f->oreTonnage, 1) +
                          "      Waste Tonnage: " + fixed(f->wasteTonnage, 1));
          lines.push_back("      Percent Ore: " + fixed(f->oreFraction * 100.0, 1) + "       Volume: " +
                          fixed(f->volume, 1) + "           Specific Grav: " + fixed(f->specificGravity, 4));
          appendVariableLines(lines, loaded, std::span<const double>(f->loadedValues));
          appendVariableLines(lines, calculated, std::span<const double>(f->calculatedValues));
        }
        break;
      case kInfoEnvelope:
        if (const Envelope* e = at(objects.envelopes.envelopes, item->index))
          lines.push_back("Envelope: \"" + e->name + "\"");
        break;
      case kInfoPolygon: {
        const CComposite* c = at(objects.composites.composites, item->index);
        const CPolygon* p = at(objects.polygons.polygons, objects.polygons.findByComposite(item->index));
        if (c == nullptr || p == nullptr) return lines;  // the composite has lost its polygon
        lines.push_back("Polygon: \"" + c->name + "\"");
        lines.push_back("      Surface Area: " + fixed(p->area, 1) + "      Thickness: " + fixed(p->thickness, 1) +
                        "      Total Tonnage: " + fixed(p->tonnage, 1));
        lines.push_back("      Volume: " + fixed(p->volume, 1) +
                        "      Specific Grav: " + fixed(p->specificGravity, 4));
        appendVariableLines(lines, loaded, std::span<const double>(c->values));
        // The calculated variables again, with this polygon's quantities.
        std::vector<double> values(static_cast<std::size_t>(settings.variableCount()), 0.0);
        std::copy_n(c->values.begin(), std::min(loaded.size(), c->values.size()), values.begin());
        SpecialQuantities q;
        q.surface = p->area;
        q.volume = p->volume;
        q.tonnage = p->tonnage;
        evaluateCalculatedVariables(calculated, values, settings.loadedCount(), q);
        appendVariableLines(lines, calculated, std::span<const double>(values).subspan(loaded.size()));
        break;
      }
      default: break;
    }
    if (lines.size() != before) lines.emplace_back();
  }
  return lines;
}

}  // namespace qx
