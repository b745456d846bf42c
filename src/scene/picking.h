#pragma once
// Picking an item of the scene at a click. The click comes in "local window"
// coordinates of "?Picture" (waiting for it is the desktop's business).
//
// The double-click pick for the information dialog looks within 0.2 of the
// click ("selection proximity = 0.2", "related selection limit = 1" on the
// picture): at the point in envelope mode, over the zero-size area at the
// point in every other mode; the proximity is switched off again afterwards.
//
// The modal pick of the editing tools sets the requested selection mode (and
// the selectability that goes with it), selects at the point and always puts
// the previous mode back.
#include <optional>

#include "common/types.h"
#include "graphics/scene_tree.h"

namespace qx {

class SceneBuilder;
class HoopsModel;

inline constexpr double kPickProximity = 0.2;

// The user key of the item hit by a double click, nullopt when nothing is hit.
std::optional<gfx::Key> pickForInformation(gfx::SceneTree& tree, int selectionMode, DPoint2D at);

struct PickedItem {
  gfx::Key key = gfx::kNoKey;  // the item's user key
  DPoint3D position;           // the world point of the item nearest the click
};

// The modal pick: nullopt when nothing is hit; the selection mode of `model`
// is the same afterwards.
std::optional<PickedItem> pickItem(gfx::SceneTree& tree, SceneBuilder& builder, const HoopsModel& model, int mode,
                                   DPoint2D at);

}  // namespace qx
