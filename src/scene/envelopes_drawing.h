#pragma once
// Drawing the envelopes into the scene tree: one subsegment per envelope,
// "?Model/Envelopes/Envelope%d", holding one closed polyline per contour of
// more than two points. Each polyline's user key is envelope × 1000 + contour,
// so a pick tells the envelope (key / 1000) and the contour (key % 1000).
// Colour, visibility and rendering method are applied by the scene model's
// display refresh, not here.
#include <vector>

#include "graphics/scene_tree.h"

namespace qx {

class EnvelopeSet;
class HoopsModel;

inline constexpr int kEnvelopeKeyFactor = 1000;

// The segment path of envelope i.
std::string envelopeSegmentPath(int i);

// Draws every envelope: opens (creating) its segment, flushes it, inserts the
// polylines. `keys` becomes the table of segment keys indexed by envelope.
void drawEnvelopes(gfx::SceneTree& tree, const EnvelopeSet& set, std::vector<gfx::Key>& keys);

// Redraws envelope i: flushes its segment by the key in `keys` and rebuilds
// its polylines; an envelope without a key yet is drawn by its path and its
// key added to the table.
void redrawEnvelope(gfx::SceneTree& tree, const EnvelopeSet& set, int i, std::vector<gfx::Key>& keys);

// After envelopes were loaded: turns the model's envelopes-shown switch on,
// draws every envelope into the model's key table and updates the display.
void showLoadedEnvelopes(gfx::SceneTree& tree, HoopsModel& model, const EnvelopeSet& set);

}  // namespace qx
