#include "scene/envelopes_drawing.h"

#include <string>

#include "datasets/envelopes.h"
#include "scene/scene_model.h"

namespace qx {

namespace {

// Fills the open segment with envelope i's contours.
void insertContours(gfx::SceneTree& tree, const Envelope& env, int i) {
  for (std::size_t c = 0; c < env.contours.size(); ++c) {
    const Contour& pts = env.contours[c];
    if (pts.size() <= 2) continue;
    std::vector<DPoint3D> closed(pts.begin(), pts.end());
    closed.push_back(pts.front());
    const gfx::Key key = tree.insertPolyline(closed);
    tree.renumberKey(key, static_cast<gfx::Key>(i) * kEnvelopeKeyFactor + static_cast<gfx::Key>(c),
                     gfx::KeyScope::Local);
  }
}

gfx::Key drawByPath(gfx::SceneTree& tree, const Envelope& env, int i) {
  const gfx::Key key = tree.openSegment(envelopeSegmentPath(i));
  tree.flushContents(".", "everything");
  insertContours(tree, env, i);
  tree.closeSegment();
  return key;
}

}  // namespace

std::string envelopeSegmentPath(int i) { return "?Model/Envelopes/Envelope" + std::to_string(i); }

void drawEnvelopes(gfx::SceneTree& tree, const EnvelopeSet& set, std::vector<gfx::Key>& keys) {
  keys.assign(set.envelopes.size(), gfx::kNoKey);
  for (std::size_t i = 0; i < set.envelopes.size(); ++i)
    keys[i] = drawByPath(tree, set.envelopes[i], static_cast<int>(i));
}

void redrawEnvelope(gfx::SceneTree& tree, const EnvelopeSet& set, int i, std::vector<gfx::Key>& keys) {
  if (i < 0 || i >= set.count()) return;
  const Envelope& env = set.envelopes[static_cast<std::size_t>(i)];
  const auto slot = static_cast<std::size_t>(i);
  if (slot < keys.size() && keys[slot] != gfx::kNoKey && tree.segment(keys[slot]) != nullptr) {
    tree.flushContentsByKey(keys[slot], "everything");
    tree.openSegmentByKey(keys[slot]);
    insertContours(tree, env, i);
    tree.closeSegment();
    return;
  }
  if (keys.size() <= slot) keys.resize(slot + 1, gfx::kNoKey);
  keys[slot] = drawByPath(tree, env, i);
}

void showLoadedEnvelopes(gfx::SceneTree& tree, HoopsModel& model, const EnvelopeSet& set) {
  model.envelopesShown = 1;
  drawEnvelopes(tree, set, model.envelopeKeys);
  tree.updateDisplay();
}

}  // namespace qx
