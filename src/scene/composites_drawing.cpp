#include "scene/composites_drawing.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <vector>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"

namespace qx {

namespace {

constexpr int kProgressUpper = 51;

// A coordinate rounded to single precision. The volatile keeps GCC 12 from
// merging the double-float-double round trips of x and y into a plain copy
// (its SLP vectoriser drops the conversions).
double toSingle(double v) {
  volatile float f = static_cast<float>(v);
  return f;
}

}  // namespace

std::string compositeBinPath(int bin) { return "?Model/Composites/Bin" + std::to_string(bin); }

std::string compositesLeftText(long count) { return std::to_string(count) + " Composites Left To Process In Model"; }

void processComposites(UiPort& port, CompositeSet& set, const QuarlexSettings& settings, const CColorTable& colours,
                       gfx::SceneTree& tree) {
  std::array<gfx::Key, kCompositeBinSegments> bins{};
  for (int b = 0; b < kCompositeBinSegments; ++b) {
    const std::string path = compositeBinPath(b);
    tree.flushContents(path, "everything");
    bins[static_cast<std::size_t>(b)] = tree.createSegment(path);
  }
  const long count = set.count();
  if (count == 0) return;

  std::unique_ptr<ProgressWindow> progress = port.openProgress(ProgressKind::Bar);
  progress->setTitle(kProcessingCompositesTitle);
  progress->setRange(0, kProgressUpper);
  progress->setStep(1);
  progress->setPos(0);
  progress->setText(compositesLeftText(count));

  const std::vector<std::string> loadedNames = [&] {
    std::vector<std::string> n;
    for (const auto& v : settings.loaded) n.push_back(v.name);
    return n;
  }();
  const std::vector<std::string> calculatedNames = [&] {
    std::vector<std::string> n;
    for (const auto& v : settings.calculated) n.push_back(v.name);
    return n;
  }();
  const BinClassifier classify(colours, colours.currentTable, loadedNames, calculatedNames);

  const long every = count / 100 + 1;
  int pos = 0;
  std::vector<double> scratch;
  std::vector<double> values;
  for (long i = 0; i < count; ++i) {
    if (i % every == 0) {
      pos = std::min(pos + 1, kProgressUpper);
      progress->setPos(pos);
      progress->setText(compositesLeftText(count - i));
    }
    CComposite& c = set.composites[static_cast<std::size_t>(i)];
    CompositeSet::computeCalculatedValues(c, settings, scratch);
    // The loaded values, then the calculated ones (no copy when there are none).
    std::span<const double> all(c.values);
    if (!c.calcValues.empty()) {
      values.assign(c.values.begin(), c.values.end());
      values.insert(values.end(), c.calcValues.begin(), c.calcValues.end());
      all = values;
    }
    const int bin = classify.classify(all);
    const gfx::Key segment = bins[static_cast<std::size_t>(bin)];
    if (segment == gfx::kNoKey) continue;
    tree.openSegmentByKey(segment);
    const DPoint3D rounded{toSingle(c.position.x), toSingle(c.position.y), toSingle(c.position.z)};
    const gfx::Key marker = tree.insertMarker(rounded);
    tree.renumberKey(marker, static_cast<gfx::Key>(i), gfx::KeyScope::Local);
    tree.closeSegment();
  }
}

void applyCompositeBinColours(gfx::SceneTree& tree, const CColorTable& colours) {
  const int table = colours.currentTable;
  if (table < 0 || table >= CColorTable::kTableCount) return;
  for (int b = 0; b < CColorTable::kBinsPerTable; ++b) {
    tree.openSegment(compositeBinPath(b));
    tree.setColor(markerColourOption(colours.bin(table, b).colour));
    tree.closeSegment();
  }
}

}  // namespace qx
