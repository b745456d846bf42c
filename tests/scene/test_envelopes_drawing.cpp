// Drawing envelopes into the scene tree: one segment per envelope, a closed
// polyline per contour of more than two points, user keys envelope × 1000 +
// contour.
#include <gtest/gtest.h>

#include <vector>

#include "datasets/envelopes.h"
#include "graphics/scene_tree.h"
#include "scene/envelopes_drawing.h"
#include "scene/scene_model.h"

using namespace qx;
using gfx::Key;

namespace {

EnvelopeSet sample() {
  EnvelopeSet set;
  set.envelopes.resize(2);
  set.envelopes[0].contours = {{{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}},     // drawn, key 0
                               {{9, 9, 9}, {8, 8, 8}},                           // two points: not drawn
                               {{1, 1, 1}, {2, 1, 1}, {2, 2, 1}}};               // drawn, key 2
  set.envelopes[1].contours = {{{5, 5, 5}}, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};  // key 1001
  return set;
}

struct Drawn {
  std::vector<std::vector<DPoint3D>> points;
  std::vector<Key> userKeys;
};

// The polylines of a segment and their user keys (kNoKey for an item without one).
Drawn contents(const gfx::SceneTree& tree, Key segment) {
  Drawn d;
  for (Key k : tree.segment(segment)->items) {
    d.points.push_back(tree.showPolyline(k));
    d.userKeys.push_back(tree.item(k)->hasUserKey ? tree.item(k)->userKey : gfx::kNoKey);
  }
  return d;
}

gfx::SceneTree modelTree() {
  gfx::SceneTree tree;
  tree.defineAlias("?Model", "/model");
  return tree;
}

}  // namespace

TEST(EnvelopesDrawing, OneSegmentPerEnvelopeClosedPolylinesAndUserKeys) {
  gfx::SceneTree tree = modelTree();
  const EnvelopeSet set = sample();
  std::vector<Key> keys{123, 456, 789};
  drawEnvelopes(tree, set, keys);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], tree.findSegment("/model/envelopes/envelope0"));
  EXPECT_EQ(keys[1], tree.findSegment("?Model/Envelopes/Envelope1"));

  const Drawn e0 = contents(tree, keys[0]);
  EXPECT_EQ(e0.userKeys, (std::vector<Key>{0, 2}));
  ASSERT_EQ(e0.points.size(), 2u);
  EXPECT_EQ(e0.points[0], (std::vector<DPoint3D>{{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {0, 0, 0}}));
  EXPECT_EQ(e0.points[1], (std::vector<DPoint3D>{{1, 1, 1}, {2, 1, 1}, {2, 2, 1}, {1, 1, 1}}));
  EXPECT_EQ(contents(tree, keys[1]).userKeys, (std::vector<Key>{1001}));

  // Drawing again replaces the contents instead of adding to them.
  drawEnvelopes(tree, set, keys);
  EXPECT_EQ(contents(tree, keys[0]).userKeys, (std::vector<Key>{0, 2}));
}

TEST(EnvelopesDrawing, RedrawRebuildsOneEnvelopeByKey) {
  gfx::SceneTree tree = modelTree();
  EnvelopeSet set = sample();
  std::vector<Key> keys;
  drawEnvelopes(tree, set, keys);
  const std::vector<Key> before = keys;

  set.envelopes[0].contours[1].push_back({7, 7, 7});  // now three points: drawn
  set.envelopes[0].contours.pop_back();
  set.envelopes[1].contours.clear();
  redrawEnvelope(tree, set, 0, keys);
  EXPECT_EQ(keys, before);
  const Drawn e0 = contents(tree, keys[0]);
  EXPECT_EQ(e0.userKeys, (std::vector<Key>{0, 1}));
  EXPECT_EQ(e0.points[1], (std::vector<DPoint3D>{{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {9, 9, 9}}));
  // Envelope 1 is untouched until it is redrawn.
  EXPECT_EQ(contents(tree, keys[1]).userKeys, (std::vector<Key>{1001}));
  redrawEnvelope(tree, set, 1, keys);
  EXPECT_TRUE(contents(tree, keys[1]).userKeys.empty());

  // A new envelope without a key yet is drawn by its path.
  set.envelopes.push_back(set.envelopes[0]);
  redrawEnvelope(tree, set, 2, keys);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[2], tree.findSegment("?Model/Envelopes/Envelope2"));
  EXPECT_EQ(contents(tree, keys[2]).userKeys, (std::vector<Key>{2000, 2001}));
}

TEST(EnvelopesDrawing, AfterLoadingTheSwitchGoesOnAndTheModelKeepsTheKeys) {
  gfx::SceneTree tree = modelTree();
  HoopsModel model;
  model.envelopesShown = 0;
  const auto updates = tree.updateCount();
  showLoadedEnvelopes(tree, model, sample());
  EXPECT_EQ(model.envelopesShown, 1);
  ASSERT_EQ(model.envelopeKeys.size(), 2u);
  EXPECT_EQ(tree.updateCount(), updates + 1);
}
