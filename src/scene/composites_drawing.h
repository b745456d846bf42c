#pragma once
// Drawing of the composites into the scene tree: one marker per composite in
// the segment of its colour bin, "?Model/Composites/Bin0" to "Bin25" (25 for
// composites that no bin holds), each marker carrying the composite's index
// as its user key so that a pick names the composite.
#include <string>

#include "graphics/scene_tree.h"

namespace qx {

class CColorTable;
class CompositeSet;
class QuarlexSettings;
class UiPort;

inline constexpr int kCompositeBinSegments = 26;
inline constexpr std::string_view kCompositesSegment = "?Model/Composites";
inline constexpr std::string_view kProcessingCompositesTitle = "Processing Composites";

// "?Model/Composites/Bin%d".
std::string compositeBinPath(int bin);
// "%ld Composites Left To Process In Model".
std::string compositesLeftText(long count);

// Processing the composites: the 26 bin segments are flushed; then, with a
// progress bar (0 to 51), each composite's calculated values are recomputed,
// its bin looked up in the current colour table and a marker inserted at its
// position rounded to single precision, renumbered to the composite's index.
void processComposites(UiPort& port, CompositeSet& set, const QuarlexSettings& settings, const CColorTable& colours,
                       gfx::SceneTree& tree);

// The colours of the 25 bin segments from the current table: "Markers =
// R=%.3f G=%.3f B=%.3f". The unbinned segment keeps what it inherits.
void applyCompositeBinColours(gfx::SceneTree& tree, const CColorTable& colours);

}  // namespace qx
