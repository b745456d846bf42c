#include "scene/picking.h"

#include "scene/scene_builder.h"
#include "scene/scene_model.h"

namespace qx {

namespace {
constexpr int kEnvelopeSelection = 2;
}

std::optional<gfx::Key> pickForInformation(gfx::SceneTree& tree, int selectionMode, DPoint2D at) {
  if (tree.openSegment(kPictureSegment) == gfx::kNoKey) {
    tree.closeSegment();
    return std::nullopt;
  }
  tree.setDriverOptions("selection proximity = 0.2");
  tree.setHeuristics("related selection limit = 1");
  tree.closeSegment();
  const int hits = selectionMode == kEnvelopeSelection
                       ? tree.computeSelection(kPictureSegment, at)
                       : tree.computeSelectionByArea(kPictureSegment, at.x, at.x, at.y, at.y);
  std::optional<gfx::Key> key;
  if (hits > 0) key = tree.showSelection()->userKey;
  tree.openSegment(kPictureSegment);
  tree.setDriverOptions("no selection proximity");
  tree.closeSegment();
  return key;
}

std::optional<PickedItem> pickItem(gfx::SceneTree& tree, SceneBuilder& builder, const HoopsModel& model, int mode,
                                   DPoint2D at) {
  const int previous = model.selectionMode;
  builder.setSelectionMode(mode);
  std::optional<PickedItem> picked;
  if (tree.computeSelection(kPictureSegment, at) > 0) {
    const gfx::Hit& hit = *tree.showSelection();
    picked = PickedItem{hit.userKey, hit.worldPosition};
  }
  builder.setSelectionMode(previous);
  return picked;
}

}  // namespace qx
