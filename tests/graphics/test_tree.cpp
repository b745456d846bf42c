// Segment tree: paths and aliases, nesting, keys, attributes, flush, delete,
// include, ink and polyline edits, vector helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/scene_tree.h"

namespace qx::gfx {
namespace {

std::vector<ItemKind> kindsIn(const SceneTree& t, Key seg) {
  std::vector<ItemKind> out;
  for (Key k : t.segment(seg)->items) out.push_back(t.item(k)->kind());
  return out;
}

TEST(Paths, AliasesExpandAndNestAndFailCleanly) {
  SceneTree t;
  t.defineAlias("?Picture", "/null");
  t.defineAlias("?Picture", "?driver/msw/window1");  // redefinition wins
  t.defineAlias("?Model", "/model");
  t.defineAlias("?a", "?b/x");
  t.defineAlias("?b", "?a/y");
  EXPECT_EQ(t.expandPath("?picture"), "/driver/msw/window1");
  EXPECT_EQ(t.expandPath("?Model/Composites/Bin3"), "/model/Composites/Bin3");
  EXPECT_EQ(t.expandPath("/a//b/./c/../d"), "/a/b/d");
  EXPECT_EQ(t.expandPath("/.."), "/");
  EXPECT_FALSE(t.expandPath("?Nowhere/x"));
  EXPECT_FALSE(t.expandPath("?a"));  // a loop ends instead of hanging

  // A failed open still nests so that its close balances; nothing happens inside it.
  EXPECT_EQ(t.openSegment("?Nowhere/x"), kNoKey);
  EXPECT_FALSE(t.setColor("red"));
  EXPECT_EQ(t.insertMarker({1, 2, 3}), kNoKey);
  EXPECT_EQ(t.openSegment("relative"), kNoKey);  // relative to a failed open
  EXPECT_EQ(t.openDepth(), 2u);
  t.closeSegment();
  t.closeSegment();
  t.closeSegment();  // one close too many does nothing
  EXPECT_EQ(t.openDepth(), 0u);
  EXPECT_EQ(t.itemCount(), 0u);
}

TEST(Paths, OpensCreateNestAndTakeTheGeometry) {
  SceneTree t;
  t.defineAlias("?Model", "/model");
  const size_t before = t.segmentCount();
  const Key composites = t.openSegment("?Model/Composites");
  EXPECT_LT(composites, 0);
  EXPECT_EQ(t.segmentCount(), before + 2);  // "model" was created on the way
  const Key inComposites = t.insertMarker({});
  std::vector<Key> bins;
  for (int i = 0; i < 3; ++i) {
    bins.push_back(t.openSegment("Bin" + std::to_string(i)));  // relative to the open segment
    t.closeSegment();
  }
  EXPECT_EQ(t.findSegment("."), composites);
  EXPECT_EQ(t.findSegment("../Composites/bin1"), bins[1]);
  t.closeSegment();
  const Key inRoot = t.insertMarker({});
  EXPECT_EQ(t.openSegmentByKey(bins[2]), bins[2]);
  const Key inBin = t.insertMarker({});
  t.closeSegment();
  EXPECT_EQ(t.item(inComposites)->owner, composites);
  EXPECT_EQ(t.item(inBin)->owner, bins[2]);
  EXPECT_EQ(t.item(inRoot)->owner, t.rootKey());

  EXPECT_EQ(t.findSegment("/MODEL/composites/BIN2"), bins[2]);
  EXPECT_EQ(t.pathOf(bins[2]), "/model/Composites/Bin2");  // spelling of creation kept
  EXPECT_EQ(t.segment(composites)->subsegments, bins);
  EXPECT_EQ(t.findSegment("?Model/Composites/Bin3"), kNoKey);
  EXPECT_EQ(t.segmentCount(), before + 5);                    // finding creates nothing
  EXPECT_EQ(t.openSegment("?Model/Composites"), composites);  // opening an existing one creates nothing
  t.closeSegment();
  EXPECT_EQ(t.openSegmentByKey(12345), kNoKey);  // unknown key: a failed open
  t.closeSegment();
  EXPECT_EQ(t.openDepth(), 0u);
}

TEST(Keys, UserKeysAreLocalToTheirSegmentUnlessGlobal) {
  SceneTree t;
  const Key bin0 = t.openSegment("/model/Composites/Bin0");
  const Key m0 = t.insertMarker({0, 0, 0});
  const Key m0b = t.insertMarker({1, 0, 0});
  EXPECT_TRUE(t.renumberKey(m0, 7, KeyScope::Local));
  EXPECT_FALSE(t.renumberKey(m0b, 7, KeyScope::Local));   // taken in this segment
  EXPECT_TRUE(t.renumberKey(m0, 7, KeyScope::Local));     // same again is fine
  EXPECT_FALSE(t.renumberKey(m0b, -3, KeyScope::Local));  // user keys are never negative
  EXPECT_TRUE(t.renumberKey(m0b, 0, KeyScope::Local));    // 0 is a valid user key (composite 0)
  t.closeSegment();
  const Key bin1 = t.openSegment("/model/Composites/Bin1");
  const Key m1 = t.insertMarker({2, 0, 0});
  EXPECT_TRUE(t.renumberKey(m1, 7, KeyScope::Local));  // same number, other segment
  EXPECT_EQ(t.resolveKey(7), m1);
  EXPECT_EQ(t.resolveKey(0), kNoKey);
  t.closeSegment();
  EXPECT_EQ(t.findUserKey(bin0, 7), m0);
  EXPECT_EQ(t.findUserKey(bin1, 7), m1);
  EXPECT_EQ(t.item(m0b)->pickKey(), 0);

  // Renumbering again frees the old number.
  t.openSegmentByKey(bin0);
  EXPECT_TRUE(t.renumberKey(7, 9, KeyScope::Local));
  EXPECT_EQ(t.resolveKey(7), kNoKey);
  EXPECT_EQ(t.resolveKey(9), m0);
  EXPECT_TRUE(t.deleteByKey(0));  // user key 0 of this segment only
  t.closeSegment();
  EXPECT_EQ(t.item(m0b), nullptr);
  EXPECT_NE(t.item(m1), nullptr);

  // Global keys are unique and resolve from any open segment.
  EXPECT_TRUE(t.renumberKey(m0, 1000, KeyScope::Global));
  t.openSegmentByKey(bin1);
  EXPECT_FALSE(t.renumberKey(m1, 1000, KeyScope::Global));
  EXPECT_EQ(t.resolveKey(1000), m0);
  t.closeSegment();
  EXPECT_TRUE(t.deleteByKey(1000));
  EXPECT_EQ(t.resolveKey(1000), kNoKey);
  EXPECT_TRUE(t.renumberKey(m1, 1000, KeyScope::Global));  // the number is free again
  EXPECT_FALSE(t.renumberKey(-999999, 1, KeyScope::Local));
}

TEST(Attributes, InheritDownTheTreeAndOverridePerClass) {
  SceneTree t;
  t.openSegment("/model");
  t.setColor("ambient=(R=0.5 G=0.5 B=0.5)");
  t.setSelectability("everything=off");
  t.setRenderingOptions("lighting, no lighting interpolation");
  t.setHeuristics("no related selection limit, hidden surfaces");
  t.closeSegment();
  t.openSegment("/model/Composites");
  t.setColor("markers=black");
  t.setMarkerSize(0.3);
  t.setSelectability("everything=on");
  t.setRenderingOptions("lighting=gouraud");
  const Key bin3 = t.openSegment("Bin3");
  EXPECT_TRUE(t.setColor("Markers = R=0.502 G=0.251 B=1.000"));
  EXPECT_TRUE(t.setVisibility("markers=off"));
  t.closeSegment();
  t.closeSegment();

  const ResolvedAttributes a3 = *t.resolvedAttributes(bin3);
  EXPECT_EQ(a3.colorOf(ColorClass::Markers), (Rgb{0.502, 0.251, 1.0}));
  EXPECT_EQ(a3.colorOf(ColorClass::Ambient), (Rgb{0.5, 0.5, 0.5}));
  EXPECT_FALSE(a3.isVisible(Kind::Markers));
  EXPECT_TRUE(a3.isVisible(Kind::Lines));
  EXPECT_EQ(a3.selectabilityOf(Kind::Markers), Pickable::On);
  EXPECT_FALSE(a3.canPick(Kind::Markers));  // selectable but hidden
  EXPECT_DOUBLE_EQ(a3.markerSize, 0.3);
  EXPECT_EQ(*a3.renderingOptions.find("lighting"), "gouraud");
  EXPECT_EQ(*a3.renderingOptions.find("lighting interpolation"), "off");
  EXPECT_EQ(*a3.heuristics.find("related selection limit"), "off");
  const ResolvedAttributes top = *t.resolvedAttributes(t.findSegment("/model"));
  EXPECT_EQ(top.selectabilityOf(Kind::Markers), Pickable::Off);
  EXPECT_DOUBLE_EQ(top.markerSize, 1.0);
  EXPECT_FALSE(t.resolvedAttributes(424242));

  // Unsetting the bin's colour lets the owner's show through again.
  t.openSegmentByKey(bin3);
  EXPECT_TRUE(t.unsetAttribute(AttributeGroup::Color));
  t.closeSegment();
  EXPECT_EQ(t.resolvedAttributes(bin3)->colorOf(ColorClass::Markers), (Rgb{0, 0, 0}));
  EXPECT_FALSE(t.resolvedAttributes(bin3)->isVisible(Kind::Markers));
}

TEST(Attributes, ScalarSettersRefuseBadValuesAndKeepTheOldOnes) {
  SceneTree t;
  const Key s = t.openSegment("/s");
  for (bool ok : {t.setHandedness("Right"), t.setWindowFrame("off"), t.setLineWeight(2.0), t.setTextAlignment("*v"),
                  t.setMarkerSymbol("/*\\")})
    EXPECT_TRUE(ok);
  for (bool ok : {t.setHandedness("sideways"), t.setWindowFrame("sometimes"), t.setLineWeight(-1.0),
                  t.setMarkerSize(NAN), t.setTextAlignment("middle"), t.setMarkerSymbol("  "), t.setWindowSize(0, 480)})
    EXPECT_FALSE(ok);
  t.closeSegment();
  const ResolvedAttributes a = *t.resolvedAttributes(s);
  EXPECT_EQ(a.handedness, Handedness::Right);
  EXPECT_FALSE(a.windowFrame);
  EXPECT_DOUBLE_EQ(a.lineWeight, 2.0);
  EXPECT_DOUBLE_EQ(a.markerSize, 1.0);
  EXPECT_EQ(a.textAlignment, "*v");
  EXPECT_EQ(a.markerSymbol, "/*\\");
  EXPECT_EQ(a.windowSize, (WindowSize{0, 0}));
}

TEST(Attributes, IncludedSegmentsInheritFromTheIncluderWhenTraversed) {
  SceneTree t;
  t.defineAlias("?Model", "/model");
  t.openSegment("?Model");
  t.setSelectability("everything=off");
  t.openSegment("Composites");
  t.setSelectability("markers=on");
  t.closeSegment();
  t.closeSegment();
  const Key pic = t.openSegment("/pic");
  t.setHeuristics("hidden surfaces");
  t.setColor("lines=red");
  EXPECT_EQ(t.includeSegment("?Model"), t.findSegment("?Model"));
  EXPECT_EQ(t.includeSegment("?Model"), t.findSegment("?Model"));  // once only
  EXPECT_EQ(t.includeSegment("?Nothing"), kNoKey);                 // undefined alias
  const Key later = t.includeSegment("/later");                    // created, as an open would
  EXPECT_EQ(t.findSegment("/later"), later);
  t.closeSegment();
  EXPECT_EQ(t.segment(pic)->includes, (std::vector<Key>{t.findSegment("?Model"), later}));
  t.deleteSegment("/later");
  EXPECT_EQ(t.segment(pic)->includes.size(), 1u);

  std::vector<std::string> seen;
  const Key composites = t.findSegment("?Model/Composites");
  t.traverse(pic, [&](const SegmentVisit& v) {
    seen.push_back(t.pathOf(v.segment.key) + (v.throughInclude ? "*" : ""));
    if (v.segment.key == composites) {
      EXPECT_EQ(v.attributes.colorOf(ColorClass::Lines), (Rgb{1, 0, 0}));
      EXPECT_TRUE(v.attributes.heuristics.contains("hidden surfaces"));
      EXPECT_EQ(v.attributes.selectabilityOf(Kind::Markers), Pickable::On);
      EXPECT_EQ(v.attributes.selectabilityOf(Kind::Lines), Pickable::Off);
      EXPECT_EQ(v.depth, 2);
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
  t.includeSegmentByKey(b);  // itself
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

TEST(Camera, SettingOnePartKeepsTheInheritedRest) {
  SceneTree t;
  t.openSegment("/pic");
  Camera c;
  c.position = {0, 0, 100};
  c.fieldWidth = 100;
  c.fieldHeight = 50;
  EXPECT_TRUE(t.setCamera(c));
  t.openSegment("sub");
  EXPECT_TRUE(t.setCameraTarget({1, 2, 3}));
  EXPECT_TRUE(t.setCameraProjection("Orthographic"));
  EXPECT_FALSE(t.setCameraProjection("isometric"));
  EXPECT_FALSE(t.setCameraField(0, 10));
  const Camera read = t.showCamera();
  t.closeSegment();
  EXPECT_EQ(read.position, (DPoint3D{0, 0, 100}));
  EXPECT_EQ(read.target, (DPoint3D{1, 2, 3}));
  EXPECT_EQ(read.fieldWidth, 100);
  EXPECT_EQ(read.fieldHeight, 50);
  EXPECT_EQ(read.projection, Projection::Orthographic);
  EXPECT_EQ(t.showCamera().projection, Projection::Perspective);  // the owner is unchanged
  EXPECT_EQ(t.showCamera().target, (DPoint3D{0, 0, 0}));
  t.closeSegment();
}

// A segment holding one of every kind, a subsegment, an include and attributes.
struct Stuffed {
  SceneTree t;
  Key seg, child, other, marker;
  Stuffed() {
    other = t.createSegment("/other");
    seg = t.openSegment("/s");
    t.setColor("red");
    marker = t.insertMarker({0, 0, 0});
    t.insertLine({0, 0, 0}, {1, 0, 0});
    const DPoint3D pts[] = {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    t.insertPolyline(pts);
    const int faces[] = {3, 0, 1, 2};
    t.insertShell(pts, faces);
    t.insertText({0, 0, 0}, "X");
    t.insertDistantLight({1, 1, 1});
    t.insertCuttingPlane(0, 0, 1, -5);
    t.insertGrid("quadrilateral", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 3, 4);
    child = t.openSegment("child");
    t.insertMarker({5, 5, 5});
    t.closeSegment();
    t.includeSegmentByKey(other);
    t.closeSegment();
  }
};

TEST(Flush, KindFiltersRemoveOnlyWhatTheyName) {
  {
    Stuffed s;
    EXPECT_EQ(s.t.flushContents("/s", "markers"), 1);
    EXPECT_EQ(s.t.item(s.marker), nullptr);
    EXPECT_EQ(s.t.flushContents("/s", "lights"), 1);
    EXPECT_EQ(s.t.flushContents("/s", "shells"), 1);
    EXPECT_EQ(kindsIn(s.t, s.seg), (std::vector<ItemKind>{ItemKind::Line, ItemKind::Polyline, ItemKind::Text,
                                                          ItemKind::CuttingPlane, ItemKind::Grid}));
    EXPECT_EQ(s.t.flushContents("/s", "lines"), 2);  // lines and polylines
    EXPECT_EQ(s.t.flushContents("/s", "sparkles, no text"), 0);
    s.t.openSegmentByKey(s.seg);
    EXPECT_EQ(s.t.flushContents(".", "geometry"), 3);  // "." is the open segment
    s.t.closeSegment();
    EXPECT_TRUE(s.t.segment(s.seg)->items.empty());
    EXPECT_NE(s.t.segment(s.child), nullptr);            // geometry leaves subsegments
    EXPECT_EQ(s.t.segment(s.seg)->includes.size(), 1u);  // and includes
    EXPECT_EQ(s.t.flushContents("/nowhere", "everything"), 0);
  }
  Stuffed s;
  EXPECT_EQ(s.t.flushContents("/s", "everything"), 8 + 1 + 1);
  EXPECT_EQ(s.t.segment(s.child), nullptr);
  EXPECT_TRUE(s.t.segment(s.seg)->includes.empty());
  EXPECT_NE(s.t.segment(s.other), nullptr);  // the included segment itself stays
  EXPECT_EQ(s.t.itemCount(), 0u);
  // Attributes stay with "everything"; "attributes" removes them.
  EXPECT_EQ(s.t.resolvedAttributes(s.seg)->colorOf(ColorClass::Lines), (Rgb{1, 0, 0}));
  EXPECT_EQ(s.t.flushContentsByKey(s.seg, "attributes"), 1);
  EXPECT_EQ(s.t.resolvedAttributes(s.seg)->colorOf(ColorClass::Lines), (Rgb{0, 0, 0}));
}

TEST(Flush, EllipsisReachesEverySegmentBelow) {
  SceneTree t;
  std::vector<Key> bins;
  t.openSegment("/model/Composites");
  t.insertMarker({});
  for (int i = 0; i < 26; ++i) {
    bins.push_back(t.openSegment("Bin" + std::to_string(i)));
    t.insertMarker({double(i), 0, 0});
    t.insertMarker({double(i), 1, 0});
    t.closeSegment();
  }
  t.closeSegment();
  EXPECT_EQ(t.flushContents("/model/Composites", "markers"), 1);  // without "..." only the segment itself
  EXPECT_EQ(t.flushContents("/model...", "markers"), 52);
  EXPECT_EQ(t.itemCount(), 0u);
  for (Key b : bins) EXPECT_NE(t.segment(b), nullptr);
  EXPECT_EQ(t.flushContents("/model...", "everything"), 1);  // Composites, with the bins below it
  EXPECT_EQ(t.segment(bins[0]), nullptr);
  EXPECT_NE(t.findSegment("/model"), kNoKey);
}

TEST(Delete, RemovesTheSubtreeItsKeysIncludesAndOpens) {
  SceneTree t;
  const Key pic = t.createSegment("/pic");
  const Key bin = t.openSegment("/model/Composites/Bin0");
  const Key m = t.insertMarker({});
  t.renumberKey(m, 5);
  t.closeSegment();
  t.openSegmentByKey(pic);
  t.includeSegment("/model");
  t.closeSegment();

  const Key model = t.openSegment("/model");
  EXPECT_TRUE(t.deleteSegment("/model"));  // while it is open
  EXPECT_EQ(t.openSegmentKey(), kNoKey);
  EXPECT_EQ(t.insertMarker({}), kNoKey);
  t.closeSegment();
  EXPECT_EQ(t.segment(model), nullptr);
  EXPECT_EQ(t.segment(bin), nullptr);
  EXPECT_EQ(t.item(m), nullptr);
  EXPECT_TRUE(t.segment(pic)->includes.empty());
  EXPECT_FALSE(t.deleteSegment("/model"));
  EXPECT_FALSE(t.deleteSegment("/"));
  EXPECT_FALSE(t.deleteByKey(t.rootKey()));

  // Building again gives fresh keys; the old ones stay dead.
  const Key bin2 = t.openSegment("/model/Composites/Bin0");
  const Key m2 = t.insertMarker({});
  EXPECT_TRUE(t.renumberKey(m2, 5));
  t.closeSegment();
  EXPECT_NE(bin2, bin);
  EXPECT_EQ(t.findUserKey(bin2, 5), m2);
  EXPECT_TRUE(t.deleteByKey(bin2));
  EXPECT_EQ(t.findSegment("/model/Composites/Bin0"), kNoKey);
  EXPECT_NE(t.findSegment("/model/Composites"), kNoKey);
}

TEST(Geometry, BadShellsPlanesLightsAndGridsAreRefused) {
  SceneTree t;
  t.openSegment("/s");
  const DPoint3D pts[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const std::vector<std::vector<int>> bad = {{3, 0, 1}, {3, 0, 1, 4}, {2, 0, 1}, {-3, 0, 1, 2}, {3, 0, 1, -1}, {0}};
  for (const auto& f : bad) EXPECT_EQ(t.insertShell(pts, f), kNoKey);
  const int good[] = {3, 0, 1, 2, 4, 0, 1, 2, 3};
  const Key k = t.insertShell(pts, good);
  ASSERT_NE(k, kNoKey);
  EXPECT_EQ(std::get<Shell>(t.item(k)->geometry).faceList.size(), 9u);
  const FPoint3D fpts[] = {{0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const int tri[] = {3, 2, 1, 0};
  const Key f = t.insertShell(fpts, tri);
  ASSERT_NE(f, kNoKey);
  EXPECT_EQ(std::get<Shell>(t.item(f)->geometry).points[0], (DPoint3D{0.5, 0, 0}));
  EXPECT_EQ(t.insertCuttingPlane(0, 0, 0, 1), kNoKey);
  EXPECT_EQ(t.insertDistantLight({0, 0, 0}), kNoKey);
  EXPECT_EQ(t.insertGrid("quadrilateral", {}, {}, {}, -1, 2), kNoKey);
  t.closeSegment();
}

TEST(Ink, BuildsOnePolylinePerStartAndPerSegment) {
  SceneTree t;
  t.openSegment("/env");
  t.startInk();
  const Key a = t.addInk({0, 0, 0});
  EXPECT_EQ(t.addInk({1, 0, 0}), a);
  EXPECT_EQ(t.addInk({0, 0, 0}), a);
  t.startInk();
  const Key b = t.addInk({5, 5, 0});
  EXPECT_NE(b, a);
  t.openSegment("/other");
  EXPECT_NE(t.addInk({9, 9, 0}), b);  // its own inked line
  t.closeSegment();
  EXPECT_EQ(t.addInk({6, 6, 0}), b);  // back in /env, continues b
  t.closeSegment();
  EXPECT_EQ(t.showPolyline(a), (std::vector<DPoint3D>{{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(t.showPolyline(b), (std::vector<DPoint3D>{{5, 5, 0}, {6, 6, 0}}));
  // Once its polyline is flushed, ink starts a new one.
  EXPECT_EQ(t.flushContents("/env", "polylines"), 2);
  t.openSegment("/env");
  const Key d = t.addInk({7, 7, 0});
  t.closeSegment();
  EXPECT_NE(d, b);
  EXPECT_EQ(t.showPolyline(d).size(), 1u);
}

TEST(Ink, EditPolylineDeletesThenInserts) {
  SceneTree t;
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
  EXPECT_TRUE(t.editPolyline(k, 4, 0, p9));    // append at the end
  EXPECT_TRUE(t.editPolyline(k, 3, 100, {}));  // a delete count past the end stops there
  EXPECT_EQ(t.showPolyline(k), (std::vector<DPoint3D>{{8, 8, 0}, {1, 0, 0}, {9, 9, 0}}));
  EXPECT_FALSE(t.editPolyline(k, 4, 0, p9));  // beyond the end
  EXPECT_FALSE(t.editPolyline(k, -1, 0, p9));
  EXPECT_FALSE(t.editPolyline(k, 0, -1, p9));
  t.openSegment("/edit");
  EXPECT_TRUE(t.editPolyline(42, 0, 3, {}));                   // by user key inside its segment
  EXPECT_FALSE(t.editPolyline(t.insertMarker({}), 0, 0, p9));  // not a polyline
  t.closeSegment();
  EXPECT_TRUE(t.showPolyline(k).empty());
}

TEST(System, OptionsDeviceInformationAndRevisions) {
  SceneTree t;
  t.defineSystemOptions("no warnings, no errors, no info");
  EXPECT_EQ(*t.systemOptions().find("errors"), "off");
  EXPECT_EQ(t.showDeviceInfo("/pic", "pixels"), "");  // no such segment yet
  t.openSegment("/pic");
  EXPECT_EQ(t.showDeviceInfo("/pic", "pixels"), "");  // no window size yet
  t.setWindowSize(640, 480);
  t.openSegment("inner");
  t.closeSegment();
  t.closeSegment();
  EXPECT_EQ(t.showDeviceInfo("/pic", "pixels"), "640,480");
  EXPECT_EQ(t.showDeviceInfo("/pic/inner", "Pixels"), "640,480");
  EXPECT_EQ(t.showDeviceInfo("/pic", "colours"), "");
  const auto rev = t.revision();
  t.openSegment("/pic");
  t.setColor("red");
  t.closeSegment();
  EXPECT_GT(t.revision(), rev);
}

TEST(VectorMath, CrossDotAndPolygonNormal) {
  EXPECT_EQ(cross(FPoint3D{2, 3, 4}, FPoint3D{5, 6, 7}), (FPoint3D{-3, 6, -3}));
  EXPECT_EQ(dot(FPoint3D{2, 3, 4}, FPoint3D{5, 6, 7}), 56.0f);
  EXPECT_EQ(cross(DPoint3D{0, 0, -1}, DPoint3D{0, 1, 0}), (DPoint3D{1, 0, 0}));
  const std::vector<DPoint3D> ccw = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 3, 0}};
  EXPECT_EQ(polygonNormal(ccw, Handedness::Right), (DPoint3D{0, 0, 1}));
  EXPECT_EQ(polygonNormal(ccw, Handedness::Left), (DPoint3D{0, 0, -1}));
  // A non-convex L whose first corner is a reflex vertex: the cross product at
  // that corner alone would point the wrong way.
  const std::vector<DPoint3D> ell = {{1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}, {2, 0, 0}, {2, 1, 0}};
  EXPECT_EQ(polygonNormal(ell), (DPoint3D{0, 0, 1}));
  // A square in the plane x + y + z = 3 far from the origin: normal (1,1,1)/sqrt(3).
  const double o = 1e6, r = 1.0 / std::sqrt(3.0);
  const auto n = polygonNormal(std::vector<DPoint3D>{
      {o + 1, o + 1, -2 * o + 1}, {o + 2, o, -2 * o + 1}, {o + 2, o + 1, -2 * o}, {o + 1, o + 2, -2 * o}});
  ASSERT_TRUE(n);
  EXPECT_NEAR(n->x, r, 1e-9);
  EXPECT_NEAR(n->y, r, 1e-9);
  EXPECT_NEAR(n->z, r, 1e-9);
  EXPECT_FALSE(polygonNormal(std::vector<DPoint3D>{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}));
  EXPECT_FALSE(polygonNormal(std::vector<DPoint3D>{{0, 0, 0}, {1, 0, 0}}));
  EXPECT_EQ(polygonNormal(std::vector<FPoint3D>{{0, 0, 5}, {0, 1, 5}, {1, 0, 5}}), (FPoint3D{0, 0, -1}));
}

}  // namespace
}  // namespace qx::gfx
