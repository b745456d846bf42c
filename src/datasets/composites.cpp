#include "datasets/composites.h"

#include <algorithm>
#include <cmath>

#include "datasets/envelopes.h"
#include "port/ui_port.h"
#include "variables/formula_evaluator.h"

namespace qx {

CompositeSet::CompositeSet() : fieldNames{"Name", "X Coordinate", "Y Coordinate", "Z Coordinate"} {}

void CompositeSet::setVariableCounts(int loaded, int calculated) {
  loadedVariables_ = std::max(loaded, 0);
  calculatedVariables_ = std::max(calculated, 0);
}

DataExtents CompositeSet::extents() const {
  if (composites.empty())
    return {{kRecomputeExtent, kRecomputeExtent, kRecomputeExtent},
            {-kRecomputeExtent, -kRecomputeExtent, -kRecomputeExtent}};
  return {minCorner, maxCorner};
}

void CompositeSet::recomputeBoundingBox() {
  minCorner = {kRecomputeExtent, kRecomputeExtent, kRecomputeExtent};
  maxCorner = {-kRecomputeExtent, -kRecomputeExtent, -kRecomputeExtent};
  for (const auto& c : composites) {
    minCorner = {std::min(minCorner.x, c.position.x), std::min(minCorner.y, c.position.y),
                 std::min(minCorner.z, c.position.z)};
    maxCorner = {std::max(maxCorner.x, c.position.x), std::max(maxCorner.y, c.position.y),
                 std::max(maxCorner.z, c.position.z)};
  }
}

void CompositeSet::serialize(Archive& ar, int loadedCount, int calculatedCount) {
  ar.setContext("the composites");
  loadedCount = std::max(loadedCount, 0);
  calculatedCount = std::max(calculatedCount, 0);
  std::int32_t n = static_cast<std::int32_t>(composites.size());
  ar.io(n);
  ar.io(singleFlag);
  ar.io(useOutside);
  for (int i = 0; i < kFieldCount; ++i) {
    ar.io(fieldNames[i]);
    ar.io(fieldPositions[i]);
    ar.io(fieldWidths[i]);
    ar.io(fieldDecimals[i]);
  }
  importRotation.serialize(ar);
  exportRotation.serialize(ar);

  if (ar.isStoring()) {
    for (auto& c : composites) {
      ar.io(c.name);
      ar.io(c.reserved);
      ar.io(c.envelopeIndex);
      ar.io(c.position.x);
      ar.io(c.position.y);
      ar.io(c.position.z);
      // Exactly one value per loaded variable, so the reader stays in step
      // even if a composite's list were out of line with the variables.
      for (int k = 0; k < loadedCount; ++k) {
        double v = k < static_cast<int>(c.values.size()) ? c.values[static_cast<std::size_t>(k)] : 0.0;
        ar.io(v);
      }
    }
    return;
  }

  if (n < 0) throw ArchiveError("negative count of composites in the composites");
  // Name length, reserved, envelope index, position, the loaded values.
  const std::size_t recordBytes = 1 + 4 + 4 + 3 * 8 + 8 * static_cast<std::size_t>(loadedCount);
  ar.reader().requireElements(static_cast<std::uint64_t>(n), recordBytes, "composites");
  std::vector<CComposite> loaded(static_cast<std::size_t>(n));
  for (auto& c : loaded) {
    ar.io(c.name);
    ar.io(c.reserved);
    ar.io(c.envelopeIndex);
    ar.io(c.position.x);
    ar.io(c.position.y);
    ar.io(c.position.z);
    c.values.resize(static_cast<std::size_t>(loadedCount));
    for (auto& v : c.values) ar.io(v);
    c.calcValues.assign(static_cast<std::size_t>(calculatedCount), 0.0);
  }
  composites = std::move(loaded);
  setVariableCounts(loadedCount, calculatedCount);
  recomputeBoundingBox();
}

// ---- calculated values ----

void CompositeSet::computeCalculatedValues(CComposite& c, const QuarlexSettings& settings,
                                           std::vector<double>& scratch) {
  const std::size_t loaded = static_cast<std::size_t>(settings.loadedCount());
  const std::size_t calculated = static_cast<std::size_t>(settings.calculatedCount());
  c.calcValues.resize(calculated);
  if (calculated == 0) return;
  scratch.assign(loaded + calculated, 0.0);
  std::copy_n(c.values.begin(), std::min(loaded, c.values.size()), scratch.begin());
  evaluateCalculatedVariables(settings.calculated, scratch, static_cast<int>(loaded), SpecialQuantities{});
  std::copy(scratch.begin() + static_cast<std::ptrdiff_t>(loaded), scratch.end(), c.calcValues.begin());
}

void CompositeSet::computeCalculatedValues(int i, const QuarlexSettings& settings) {
  std::vector<double> scratch;
  computeCalculatedValues(composites.at(static_cast<std::size_t>(i)), settings, scratch);
}

void CompositeSet::computeAllCalculatedValues(const QuarlexSettings& settings) {
  std::vector<double> scratch;
  for (auto& c : composites) computeCalculatedValues(c, settings, scratch);
}

// ---- co-located composites ----

std::string CompositeSet::coLocatedMessage(long count) {
  return "Quarlex has detected " + std::to_string(count) +
         " co-located composites and must delete them.\nOnly one composite is kept";
}

void CompositeSet::sortByDescendingX() {
  const std::size_t n = composites.size();
  // The sort works on (x, index) pairs, so a swap moves 16 bytes; its
  // comparisons, and so its order, are those of a sort of the composites.
  struct Key {
    double x;
    std::size_t index;
  };
  std::vector<Key> keys(n);
  for (std::size_t i = 0; i < n; ++i) keys[i] = {composites[i].position.x, i};
  std::size_t power = 1;
  while (power <= n) power *= 2;
  for (std::size_t gap = power / 2 - 1; gap >= 1; gap /= 2) {
    for (std::size_t i = gap; i < n; ++i) {
      // The insertion pass of the element at i: it moves back past every
      // element that is smaller, one gap at a time, and stops at the first
      // that is not (equal ones keep their order). Moving it through a hole
      // makes the same comparisons as swapping it step by step.
      const Key moving = keys[i];
      std::size_t j = i;
      while (j >= gap && keys[j - gap].x < moving.x) {
        keys[j] = keys[j - gap];
        j -= gap;
      }
      keys[j] = moving;
    }
  }
  // The composites follow their keys in place, cycle by cycle; a key whose
  // index is its own position is done.
  for (std::size_t start = 0; start < n; ++start) {
    if (keys[start].index == start) continue;
    CComposite held = std::move(composites[start]);
    std::size_t to = start;
    for (;;) {
      const std::size_t from = keys[to].index;
      keys[to].index = to;
      if (from == start) {
        composites[to] = std::move(held);
        break;
      }
      composites[to] = std::move(composites[from]);
      to = from;
    }
  }
}

std::vector<int> CompositeSet::findCoLocated() const {
  constexpr double kTolerance = 0.01;
  std::vector<int> marked;
  const std::size_t n = composites.size();
  for (std::size_t i = 0; i < n; ++i) {
    const DPoint3D& a = composites[i].position;
    for (std::size_t j = i + 1; j < n && std::fabs(a.x - composites[j].position.x) < kTolerance; ++j) {
      if (std::fabs(a.y - composites[j].position.y) < kTolerance) {
        marked.push_back(static_cast<int>(i));
        break;
      }
    }
  }
  return marked;
}

int CompositeSet::removeCoLocated(UiPort& port) {
  sortByDescendingX();
  const std::vector<int> marked = findCoLocated();
  if (marked.empty()) return 0;
  port.message(coLocatedMessage(static_cast<long>(marked.size())), MessageButtons::Ok, MessageIcon::Warning);
  std::vector<char> drop(composites.size(), 0);
  for (int i : marked) drop[static_cast<std::size_t>(i)] = 1;
  std::size_t out = 0;
  for (std::size_t i = 0; i < composites.size(); ++i)
    if (!drop[i]) {
      if (out != i) composites[out] = std::move(composites[i]);
      ++out;
    }
  composites.resize(out);
  composites.shrink_to_fit();
  return static_cast<int>(marked.size());
}

// ---- membership and calculation ----

EnvelopeHit CompositeSet::findEnvelope(int i, const EnvelopeLocator& locate) {
  CComposite& c = composites.at(static_cast<std::size_t>(i));
  const EnvelopeHit hit = locate ? locate(c.position) : EnvelopeHit{};
  c.envelopeIndex = hit.envelope < 0 ? -1 : hit.envelope;
  return c.envelopeIndex < 0 ? EnvelopeHit{} : hit;
}

bool CompositeSet::takesPartInCalculation(int i, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                                          const EnvelopeLocator& locate) {
  const CComposite& c = composites.at(static_cast<std::size_t>(i));
  for (int k = 0; k < settings.loadedCount(); ++k) {
    const VariableInfo& v = settings.loaded[static_cast<std::size_t>(k)];
    if (v.minCutoff == v.maxCutoff) continue;
    const double value = k < static_cast<int>(c.values.size()) ? c.values[static_cast<std::size_t>(k)] : 0.0;
    if (!(v.minCutoff <= value && value <= v.maxCutoff)) return false;
  }
  const EnvelopeHit hit = findEnvelope(i, locate);
  if (hit.envelope >= 0 && hit.envelope < envelopes.count())
    return envelopes.envelopes[static_cast<std::size_t>(hit.envelope)].useComposites != 0;
  return useOutside != 0;
}

// ---- variables added and removed ----

void CompositeSet::insertLoadedVariable(int k, double defaultValue) {
  for (auto& c : composites) {
    const auto at = static_cast<std::size_t>(std::clamp(k, 0, static_cast<int>(c.values.size())));
    c.values.insert(c.values.begin() + static_cast<std::ptrdiff_t>(at), defaultValue);
  }
  ++loadedVariables_;
}

void CompositeSet::insertCalculatedVariable(int k, double defaultValue) {
  for (auto& c : composites) {
    const auto at = static_cast<std::size_t>(std::clamp(k, 0, static_cast<int>(c.calcValues.size())));
    c.calcValues.insert(c.calcValues.begin() + static_cast<std::ptrdiff_t>(at), defaultValue);
  }
  ++calculatedVariables_;
}

void CompositeSet::addLoadedVariable(double defaultValue) { insertLoadedVariable(loadedVariables_, defaultValue); }

void CompositeSet::addCalculatedVariable(double defaultValue) {
  insertCalculatedVariable(calculatedVariables_, defaultValue);
}

void CompositeSet::removeLoadedVariable(int k) {
  if (k < 0) return;
  for (auto& c : composites)
    if (k < static_cast<int>(c.values.size())) c.values.erase(c.values.begin() + k);
  if (k < loadedVariables_) --loadedVariables_;
}

void CompositeSet::removeCalculatedVariable(int k) {
  if (k < 0) return;
  for (auto& c : composites)
    if (k < static_cast<int>(c.calcValues.size())) c.calcValues.erase(c.calcValues.begin() + k);
  if (k < calculatedVariables_) --calculatedVariables_;
}

void CompositeValueSink::removeValue(int index) {
  if (kind_ == VariableKind::Loaded)
    set_.removeLoadedVariable(index);
  else
    set_.removeCalculatedVariable(index - set_.loadedVariableCount());
}

void CompositeValueSink::insertValue(int index, double defaultValue) {
  if (kind_ == VariableKind::Loaded)
    set_.insertLoadedVariable(index, defaultValue);
  else
    set_.insertCalculatedVariable(index - set_.loadedVariableCount(), defaultValue);
}

}  // namespace qx
