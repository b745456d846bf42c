// Data checks: each fires on a small hand-made project and stays quiet on a clean one.
#include "engine/data_checks.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qx;

namespace {

Contour box(double x0, double y0, double x1, double y1) { return {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}}; }

struct Project {
  CompositeSet composites;
  QuarlexSettings settings;
  EnvelopeSet envelopes;
  FigureSet figures;
  CPolygonSet polygons;
  CheckPercentiles percentiles;

  Project() {
    settings.loaded.emplace_back("Au");
    settings.loaded[0].missingValue = -1.0;
    addComposite("A", 0, 0, 1.0);
    addComposite("B", 10, 0, 2.0);
    addEnvelope("E", {box(-5, -5, 15, 5)});
    addFigure("F", box(0, -1, 5, 1));
    // A thin cross over a thin polygon: they share area, yet no vertex lies inside the other.
    addFigure("H", box(-4, 2, 4, 2.5));
    addPolygon("P", box(-1, -2, 1, 3), 10.0);
  }
  void addComposite(const char* name, double x, double y, double au) {
    CComposite c;
    c.name = name;
    c.position = {x, y, 0};
    c.values = {au};
    composites.composites.push_back(c);
  }
  void addEnvelope(const char* name, std::vector<Contour> contours) {
    Envelope e;
    e.name = name;
    e.contours = std::move(contours);
    e.contourCount = static_cast<std::int32_t>(e.contours.size());
    envelopes.envelopes.push_back(e);
  }
  void addFigure(const char* name, Contour outline) {
    Figure f;
    f.name = name;
    f.outline = std::move(outline);
    figures.figures.push_back(f);
  }
  void addPolygon(const char* name, Contour outline, double area) {
    CPolygon p;
    p.name = name;
    p.outline = std::move(outline);
    p.area = area;
    p.recomputeBoundingBox();
    polygons.polygons.push_back(p);
  }
  std::vector<DataCheck> run() const {
    return runDataChecks({composites, settings, envelopes, figures, polygons}, kDefaultCheckTolerance, percentiles);
  }
};

const DataCheck& named(const std::vector<DataCheck>& checks, const std::string& name) {
  for (const auto& c : checks)
    if (c.name == name) return c;
  static const DataCheck none{"absent", CheckLevel::Info, 0, {}};
  ADD_FAILURE() << name << " absent";
  return none;
}

}  // namespace

TEST(DataChecks, CleanProjectIsQuiet) {
  const auto checks = Project().run();
  std::vector<std::string> names;
  for (const auto& c : checks) {
    names.push_back(c.name);
    EXPECT_EQ(c.count, 0u) << c.name << ": " << (c.items.empty() ? "" : c.items[0]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"near-duplicate composites", "crossing envelopes",
                                             "composites outside every envelope", "missing Au", "beyond percentiles Au",
                                             "figures without polygons", "polygons emptied by clipping"}));
  EXPECT_FALSE(dataChecksFailed(checks));
}

TEST(DataChecks, EachCheckFires) {
  struct Case {
    std::function<void(Project&)> spoil;
    std::string check;
    std::vector<std::string> items;
    bool fails;
  };
  const Case cases[] = {
      // C sits in the cell next to B's; D on A exactly; G within the box around A but 0.0113 from it.
      {[](Project& p) {
         p.addComposite("C", 9.995, 0.003, 1);
         p.addComposite("D", 0, 0, 1);
         p.addComposite("G", -0.008, 0.008, 1);
       },
       "near-duplicate composites",
       {"C (near B)", "D (near A)"},
       true},
      {[](Project& p) {
         p.addEnvelope("X", {{{20, 0, 0}, {30, 10, 0}, {30, 0, 0}, {20, 10, 0}}});
         p.addEnvelope("Y", {box(40, 0, 50, 10), box(45, 5, 55, 15)});
         p.addEnvelope("Z", {box(60, 0, 70, 10), box(62, 2, 68, 8)});  // a hole touches nothing
       },
       "crossing envelopes",
       {"X", "Y"},
       true},
      {[](Project& p) { p.composites.composites[1].position.x = 100; },
       "composites outside every envelope",
       {"B"},
       false},
      {[](Project& p) { p.composites.composites[0].values[0] = -1.0; }, "missing Au", {"A"}, false},
      // Au 1, 2, 3, 4, 5 and a missing one: the 40th percentile is 2, the 60th 3.
      {[](Project& p) {
         p.percentiles = {40, 60};
         for (const double au : {3.0, 5.0, 4.0, -1.0}) p.addComposite("C", 20 * au, 0, au);
         p.composites.composites.back().name = "M";
       },
       "beyond percentiles Au",
       {"A (1.0000)", "C (5.0000)", "C (4.0000)"},
       false},
      {[](Project& p) { p.addFigure("G", box(100, 100, 110, 110)); }, "figures without polygons", {"G"}, false},
      {[](Project& p) { p.addPolygon("Q", {}, 0.0); }, "polygons emptied by clipping", {"Q"}, false},
  };
  for (const auto& c : cases) {
    Project p;
    c.spoil(p);
    const auto checks = p.run();
    const DataCheck& found = named(checks, c.check);
    EXPECT_EQ(found.items, c.items) << c.check;
    EXPECT_EQ(found.count, c.items.size()) << c.check;
    EXPECT_EQ(dataChecksFailed(checks), c.fails) << c.check;
  }
}
