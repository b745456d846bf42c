// Segment tree: paths and aliases, keys, attributes, include, flush, delete,
// ink and polyline edits, vector helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graphics/scene_tree.h"

namespace qx::gfx {
namespace {

TEST(Paths, AliasesExpandAndFailedOpensStillNest) {
  SceneTree t;
  t.defineAlias("?Picture", "/null");
  t.defineAlias("?Picture", "?driver/msw/window1");  // redefinition wins
  t.defineAlias("?a", "?b/x");
  t.defineAlias("?b", "?a/y");
  EXPECT_EQ(t.expandPath("?picture"), "/driver/msw/window1");
  EXPECT_EQ(t.expandPath("/a//b/./c/../d"), "/a/b/d");
  EXPECT_FALSE(t.expandPath("?Nowhere/x"));
  EXPECT_FALSE(t.expandPath("?a"));  // a loop ends instead of hanging

  // A failed open still nests so that its close balances; nothing happens inside it.
  EXPECT_EQ(t.openSegment("?Nowhere/x"), kNoKey);
  EXPECT_FALSE(t.setColor("red"));
  EXPECT_EQ(t.openSegment("relative"), kNoKey);
  EXPECT_EQ(t.openSegmentByKey(12345), kNoKey);
  EXPECT_EQ(t.openDepth(), 3u);
  for (int i = 0; i < 4; ++i) t.closeSegment();  // one close too many does nothing
  EXPECT_EQ(t.openDepth(), 0u);
}

TEST(Paths, OpensCreateNestAndTakeTheGeometry) {
  SceneTree t;
  t.defineAlias("?Model", "/model");
  const size_t before = t.segmentCount();
  const Key composites = t.openSegment("?Model/Composites");
  const Key inComposites = t.insertMarker({});
  std::vector<Key> bins;
  for (int i = 0; i < 3; ++i) {
    bins.push_back(t.openSegment("Bin" + std::to_string(i)));  // relative to the open segment
    t.closeSegment();
  }
  EXPECT_EQ(t.findSegment("../Composites/bin1"), bins[1]);
  t.closeSegment();
  EXPECT_EQ(t.item(inComposites)->owner, composites);
  EXPECT_EQ(t.findSegment("/MODEL/composites/BIN2"), bins[2]);
  EXPECT_EQ(t.pathOf(bins[2]), "/model/Composites/Bin2");  // spelling of creation kept
  EXPECT_EQ(t.openSegment("?Model/Composites"), composites);
  t.closeSegment();
  EXPECT_EQ(t.segmentCount(), before + 5);  // "model" on the way; finding and reopening create nothing
}

TEST(Keys, UserKeysAreLocalToTheirSegmentUnlessGlobal) {
  SceneTree t;
  const Key bin0 = t.openSegment("/model/Composites/Bin0");
  const Key m0 = t.insertMarker({0, 0, 0});
  const Key m0b = t.insertMarker({1, 0, 0});
  EXPECT_TRUE(t.renumberKey(m0, 7, KeyScope::Local));
  EXPECT_FALSE(t.renumberKey(m0b, 7, KeyScope::Local));   // taken in this segment
  EXPECT_FALSE(t.renumberKey(m0b, -3, KeyScope::Local));  // user keys are never negative
  EXPECT_TRUE(t.renumberKey(m0b, 0, KeyScope::Local));    // 0 is a valid user key (composite 0)
  t.closeSegment();
  const Key bin1 = t.openSegment("/model/Composites/Bin1");
  const Key m1 = t.insertMarker({2, 0, 0});
  EXPECT_TRUE(t.renumberKey(m1, 7, KeyScope::Local));  // same number, other segment
  EXPECT_EQ(t.resolveKey(7), m1);
  t.closeSegment();

  t.openSegmentByKey(bin0);
  EXPECT_TRUE(t.renumberKey(7, 9, KeyScope::Local));  // renumbering frees the old number
  EXPECT_EQ(t.resolveKey(7), kNoKey);
  EXPECT_TRUE(t.deleteByKey(0));  // user key 0 of this segment only
  t.closeSegment();
  EXPECT_EQ(t.item(m0b), nullptr);

  // Global keys are unique and resolve from any open segment.
  EXPECT_TRUE(t.renumberKey(m0, 1000, KeyScope::Global));
  t.openSegmentByKey(bin1);
  EXPECT_FALSE(t.renumberKey(m1, 1000, KeyScope::Global));
  EXPECT_EQ(t.resolveKey(1000), m0);
  t.closeSegment();
}

TEST(Attributes, InheritDownTheTreeAndOverridePerClass) {
  SceneTree t;
  t.openSegment("/model");
  t.setSelectability("everything=off");
  t.setRenderingOptions("no lighting interpolation");
  EXPECT_TRUE(t.setCamera(Camera{.position = {0, 0, 100}, .fieldWidth = 100, .fieldHeight = 50}));
  t.closeSegment();
  t.openSegment("/model/Composites");
  t.setColor("markers=black");
  t.setSelectability("everything=on");
  const Key bin3 = t.openSegment("Bin3");
  EXPECT_TRUE(t.setColor("Markers = R=0.502 G=0.251 B=1.000"));
  EXPECT_TRUE(t.setVisibility("markers=off"));
  EXPECT_TRUE(t.setCameraTarget({1, 2, 3}));  // one part of the camera, the rest inherited
  EXPECT_TRUE(t.setCameraProjection("Orthographic"));
  EXPECT_EQ(t.showCamera(), (Camera{{0, 0, 100}, {1, 2, 3}, {0, 1, 0}, 100, 50, Projection::Orthographic}));
  t.closeSegment();
  t.closeSegment();

  const ResolvedAttributes a3 = *t.resolvedAttributes(bin3);
  EXPECT_EQ(a3.selectabilityOf(Kind::Markers), Pickable::On);
  EXPECT_FALSE(a3.canPick(Kind::Markers));  // selectable but hidden
  EXPECT_EQ(*a3.renderingOptions.find("lighting interpolation"), "off");

  // Unsetting the bin's colour lets the owner's show through again.
  t.openSegmentByKey(bin3);
  EXPECT_TRUE(t.unsetAttribute(AttributeGroup::Color));
  t.closeSegment();
  EXPECT_EQ(t.resolvedAttributes(bin3)->colorOf(ColorClass::Markers), (Rgb{0, 0, 0}));
}

TEST(Attributes, SettersAndInsertsRefuseBadValues) {
  SceneTree t;
  t.openSegment("/s");
  for (bool ok : {t.setHandedness("sideways"), t.setLineWeight(-1.0), t.setMarkerSize(NAN), t.setWindowSize(0, 480),
                  t.setCameraField(0, 10)})
    EXPECT_FALSE(ok);
  const DPoint3D pts[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const std::vector<std::vector<int>> bad = {{3, 0, 1}, {3, 0, 1, 4}, {2, 0, 1}, {-3, 0, 1, 2}, {3, 0, 1, -1}, {0}};
  for (const auto& f : bad) EXPECT_EQ(t.insertShell(pts, f), kNoKey);
  EXPECT_EQ(t.insertCuttingPlane(0, 0, 0, 1), kNoKey);
  EXPECT_EQ(t.insertDistantLight({0, 0, 0}), kNoKey);
  EXPECT_EQ(t.insertGrid("quadrilateral", {}, {}, {}, -1, 2), kNoKey);
  t.closeSegment();
}

TEST(Attributes, IncludedSegmentsInheritFromTheIncluderWhenTraversed) {
  SceneTree t;
  t.openSegment("/model");
  t.setSelectability("everything=off");
  const Key composites = t.openSegment("Composites");
  t.setSelectability("markers=on");
  t.closeSegment();
  t.closeSegment();
  const Key pic = t.openSegment("/pic");
  t.setColor("lines=red");
  EXPECT_EQ(t.includeSegment("/model"), t.findSegment("/model"));
  EXPECT_EQ(t.includeSegment("/model"), t.findSegment("/model"));  // once only
  t.closeSegment();
  EXPECT_EQ(t.segment(pic)->includes, (std::vector<Key>{t.findSegment("/model")}));

  std::vector<std::string> seen;
  t.traverse(pic, [&](const SegmentVisit& v) {
    seen.push_back(t.pathOf(v.segment.key) + (v.throughInclude ? "*" : ""));
    if (v.segment.key == composites) {
      EXPECT_EQ(v.attributes.colorOf(ColorClass::Lines), (Rgb{1, 0, 0}));
      EXPECT_EQ(v.attributes.selectabilityOf(Kind::Lines), Pickable::Off);
    }
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"/pic", "/model*", "/model/Composites*"}));
  // Read through its owners only, the model knows nothing of the picture.
  EXPECT_EQ(t.resolvedAttributes(composites)->colorOf(ColorClass::Lines), (Rgb{0, 0, 0}));
}

TEST(Attributes, IncludeCyclesAreCutAndAVisitorCanSkipWhatLiesBelow) {
  SceneTree t;
  const Key a = t.createSegment("/a");
  const Key b = t.createSegment("/b");
  t.openSegmentByKey(a);
  t.includeSegmentByKey(b);
  t.closeSegment();
  t.openSegmentByKey(b);
  t.includeSegmentByKey(a);
  t.closeSegment();
  for (bool down : {true, false}) {
    std::vector<Key> seen;
    t.traverse(a, [&](const SegmentVisit& v) {
      seen.push_back(v.segment.key);
      return down;
    });
    EXPECT_EQ(seen, down ? (std::vector<Key>{a, b}) : (std::vector<Key>{a}));
  }
}

TEST(Flush, KindFiltersRemoveOnlyWhatTheyName) {
  SceneTree t;
  const Key other = t.createSegment("/other");
  const Key seg = t.openSegment("/s");
  t.setColor("red");
  t.insertMarker({0, 0, 0});
  t.insertLine({0, 0, 0}, {1, 0, 0});
  const DPoint3D pts[] = {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  t.insertPolyline(pts);
  const int faces[] = {3, 0, 1, 2};
  t.insertShell(pts, faces);
  const Key child = t.openSegment("child");
  t.closeSegment();
  t.includeSegmentByKey(other);
  EXPECT_EQ(t.flushContents(".", "markers"), 1);  // "." is the open segment
  t.closeSegment();
  EXPECT_EQ(t.flushContents("/s", "lines"), 2);  // lines and polylines
  EXPECT_EQ(t.flushContents("/s", "sparkles, no text"), 0);
  EXPECT_EQ(t.flushContents("/s", "geometry"), 1);
  EXPECT_NE(t.segment(child), nullptr);  // geometry leaves subsegments and includes
  EXPECT_EQ(t.flushContents("/s", "everything"), 2);
  EXPECT_EQ(t.segment(child), nullptr);
  EXPECT_NE(t.segment(other), nullptr);  // the included segment itself stays
  // Attributes stay with "everything"; "attributes" removes them.
  EXPECT_EQ(t.resolvedAttributes(seg)->colorOf(ColorClass::Lines), (Rgb{1, 0, 0}));
  EXPECT_EQ(t.flushContentsByKey(seg, "attributes"), 1);
  EXPECT_EQ(t.resolvedAttributes(seg)->colorOf(ColorClass::Lines), (Rgb{0, 0, 0}));
}

TEST(Flush, EllipsisReachesEverySegmentBelow) {
  SceneTree t;
  t.openSegment("/model/Composites");
  t.insertMarker({});
  for (int i = 0; i < 26; ++i) {
    t.openSegment("Bin" + std::to_string(i));
    t.insertMarker({double(i), 0, 0});
    t.closeSegment();
  }
  t.closeSegment();
  EXPECT_EQ(t.flushContents("/model/Composites", "markers"), 1);  // without "..." only the segment itself
  EXPECT_EQ(t.flushContents("/model...", "markers"), 26);
  EXPECT_EQ(t.flushContents("/model...", "everything"), 1);  // Composites, with the bins below it
}

TEST(Delete, RemovesTheSubtreeItsKeysIncludesAndOpens) {
  SceneTree t;
  const Key pic = t.createSegment("/pic");
  const Key bin = t.openSegment("/model/Composites/Bin0");
  const Key m = t.insertMarker({});
  t.closeSegment();
  t.openSegmentByKey(pic);
  t.includeSegment("/model");
  t.closeSegment();

  t.openSegment("/model/Composites");
  EXPECT_TRUE(t.deleteSegment("/model"));  // while a segment inside it is open
  EXPECT_EQ(t.insertMarker({}), kNoKey);
  t.closeSegment();
  EXPECT_EQ(t.item(m), nullptr);
  EXPECT_TRUE(t.segment(pic)->includes.empty());

  EXPECT_NE(t.createSegment("/model/Composites/Bin0"), bin);  // fresh keys; the old ones stay dead
}

TEST(Ink, OnePolylinePerStartAndPerSegmentAndEditsDeleteThenInsert) {
  SceneTree t;
  t.openSegment("/env");
  t.startInk();
  const Key a = t.addInk({0, 0, 0});
  EXPECT_EQ(t.addInk({1, 0, 0}), a);
  t.startInk();
  const Key b = t.addInk({5, 5, 0});
  t.openSegment("/other");
  EXPECT_NE(t.addInk({9, 9, 0}), b);  // its own inked line
  t.closeSegment();
  EXPECT_EQ(t.addInk({6, 6, 0}), b);  // back in /env, continues b
  t.closeSegment();
  EXPECT_EQ(t.showPolyline(b), (std::vector<DPoint3D>{{5, 5, 0}, {6, 6, 0}}));

  // Editing deletes, then inserts.
  t.openSegment("/edit");
  const DPoint3D pts[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
  const Key k = t.insertPolyline(pts);
  t.renumberKey(k, 42);
  t.closeSegment();
  const DPoint3D p9[] = {{9, 9, 0}};
  const DPoint3D p8[] = {{8, 8, 0}};
  EXPECT_TRUE(t.editPolyline(k, 2, 0, p9));  // insert after vertex 1
  EXPECT_TRUE(t.editPolyline(k, 0, 1, p8));  // move vertex 0
  EXPECT_TRUE(t.editPolyline(k, 4, 1, {}));  // delete the last point
  EXPECT_EQ(t.showPolyline(k), (std::vector<DPoint3D>{{8, 8, 0}, {1, 0, 0}, {9, 9, 0}, {2, 0, 0}}));
  for (auto [offset, count] : {std::pair{5, 0}, {-1, 0}, {0, -1}}) EXPECT_FALSE(t.editPolyline(k, offset, count, p9));
  t.openSegment("/edit");
  EXPECT_TRUE(t.editPolyline(42, 0, 100, {}));  // by user key; a delete count past the end stops there
  t.closeSegment();
  EXPECT_TRUE(t.showPolyline(k).empty());
}

TEST(Revisions, EachSegmentMovesOnlyWithItsOwnItemsAndAttributes) {
  SceneTree t;
  const Key a = t.openSegment("/a");
  const Key inked = t.addInk({0, 0, 0});
  const Key b = t.openSegment("b");
  const DPoint3D two[] = {{0, 0, 0}, {1, 1, 1}};
  const Key line = t.insertPolyline(two);
  const Key marker = t.insertMarker({0, 0, 0});
  t.closeSegment();
  t.closeSegment();
  ASSERT_NE(inked, kNoKey);
  struct Case {
    const char* change;
    std::function<void()> run;
    bool aMoves, bMoves;
  };
  const std::vector<Case> cases = {
      {"insert in a", [&] { t.openSegmentByKey(a), t.insertText({}, "x"), t.closeSegment(); }, true, false},
      {"colour of b", [&] { t.openSegmentByKey(b), t.setColor("red"), t.closeSegment(); }, false, true},
      {"camera of a", [&] { t.openSegmentByKey(a), t.setCameraField(3, 3), t.closeSegment(); }, true, false},
      {"edit b's polyline", [&] { t.editPolyline(line, 0, 1, {}); }, false, true},
      {"delete b's marker", [&] { t.deleteByKey(marker); }, false, true},
      {"flush what a lacks", [&] { t.flushContents("/a", "shells"); }, false, false},
      {"flush a's text", [&] { t.flushContents("/a", "text"); }, true, false},
      {"renumber b's line", [&] { t.renumberKey(line, 7); }, false, false},
  };
  for (const Case& c : cases) {
    const std::uint64_t ra = t.segment(a)->revision, rb = t.segment(b)->revision;
    c.run();
    EXPECT_EQ(t.segment(a)->revision != ra, c.aMoves) << c.change;
    EXPECT_EQ(t.segment(b)->revision != rb, c.bMoves) << c.change;
    if (c.aMoves) {
      EXPECT_EQ(t.segment(a)->revision, t.revision()) << c.change;
    }
  }
}

TEST(VectorMath, PolygonNormal) {
  // An L whose first corner is reflex: the cross product there alone points the wrong way.
  const std::vector<DPoint3D> ell = {{1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}, {2, 0, 0}, {2, 1, 0}};
  EXPECT_EQ(polygonNormal(ell), (DPoint3D{0, 0, 1}));
  EXPECT_EQ(polygonNormal(ell, Handedness::Left), (DPoint3D{0, 0, -1}));
  // A square in the plane x + y + z = 3 far from the origin: normal (1,1,1)/sqrt(3).
  const double o = 1e6, r = 1.0 / std::sqrt(3.0);
  const auto n = polygonNormal(std::vector<DPoint3D>{
      {o + 1, o + 1, -2 * o + 1}, {o + 2, o, -2 * o + 1}, {o + 2, o + 1, -2 * o}, {o + 1, o + 2, -2 * o}});
  ASSERT_TRUE(n);
  EXPECT_NEAR(n->x, r, 1e-9);
  EXPECT_FALSE(polygonNormal(std::vector<DPoint3D>{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}));
}

}  // namespace
}  // namespace qx::gfx
