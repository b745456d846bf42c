// The picks' history and the lines of the information dialog.
#include <gtest/gtest.h>

#include "app/information.h"
#include "app/project_objects.h"
#include "variables/formula_compiler.h"

namespace qx {
namespace {

using Item = CInformationDlgDataItem;

TEST(InformationList, HistoryKeepsTwentyFiveNewestFirstAndRemovesTheNewestCopy) {
  CInformationDlgDataList list;
  for (int i = 0; i < 26; ++i) list.add(kInfoFigure, i);
  EXPECT_EQ(list.items().front(), (Item{kInfoFigure, 25}));
  EXPECT_EQ(list.items().back(), (Item{kInfoFigure, 1}));  // 0 dropped
  EXPECT_TRUE(list.remove(kInfoFigure, 25));
  EXPECT_EQ(list.items().front(), (Item{kInfoFigure, 24}));
  EXPECT_EQ(list.items().back(), Item{});

  CInformationDlgDataList twice;
  twice.add(kInfoComposite, 5);
  twice.add(kInfoFigure, 5);
  EXPECT_FALSE(twice.addPick(3, 7));  // surfaces are not shown
  EXPECT_TRUE(twice.addPick(0, 5));
  EXPECT_TRUE(twice.remove(kInfoComposite, 5));
  EXPECT_EQ(twice.items()[0], (Item{kInfoFigure, 5}));  // the newer copy went
  EXPECT_FALSE(twice.remove(kInfoEnvelope, 5));
  EXPECT_TRUE(twice.removeFirstOfType(kInfoFigure));
  EXPECT_EQ(twice.items()[0], (Item{kInfoComposite, 5}));
  EXPECT_TRUE(twice.items()[1].empty());
}

// Au, Cu, Ag, Zn and Metal = Au x tonnage; composites DH1 (with a polygon)
// and DH2 (without); one figure; envelopes Waste and Ore.
ProjectObjects tinyProject() {
  ProjectObjects p;
  for (const char* name : {"Au", "Cu", "Ag", "Zn"}) p.settings.loaded.emplace_back(name);
  VariableInfoCalc& metal = p.settings.calculated.emplace_back("Metal");
  metal.compiled = compileFormula("a#T*").block;
  CComposite& c = p.composites.composites.emplace_back();
  c.name = "DH1";
  c.position = {10.126, -3.5, 0.0};
  c.values = {1.5, 0.25, 12.34567, 0.0};
  c.calcValues = {1.5};
  p.composites.composites.emplace_back().name = "DH2";
  CPolygon& poly = p.polygons.polygons.emplace_back();
  std::tie(poly.compositeIndex, poly.area, poly.thickness, poly.volume, poly.specificGravity, poly.tonnage) =
      std::tuple(0, 40.26, 2.5, 100.625, 2.65, 266.65625);
  Figure& f = p.figures.figures.emplace_back();
  f.name = "Block A";
  std::tie(f.area, f.oreTonnage, f.wasteTonnage, f.oreFraction, f.volume, f.specificGravity) =
      std::tuple(120.04, 300.0, 45.56, 0.875, 150.0, 2.5);
  f.loadedValues = {2.0, 0.5, 3.0, 1.0};
  p.envelopes.envelopes.emplace_back().name = "Waste";
  p.envelopes.envelopes.emplace_back().name = "Ore";
  return p;
}

TEST(InformationLines, EachKindOfPickOldestFirst) {
  const ProjectObjects p = tinyProject();
  CInformationDlgDataList list;
  EXPECT_TRUE(informationLines(list, p).empty());
  list.add(kInfoComposite, 0);
  list.add(kInfoFigure, 0);
  list.addPick(2, 1003);        // contour 3 of envelope 1
  list.add(kInfoComposite, 7);  // gone: shows nothing
  list.addPick(4, 0);
  const std::vector<std::string> expected = {
      "Composite: \"DH1\"   (10.13, -3.50)",
      "      Au = 1.5000      Cu = 0.2500      Ag = 12.3457",
      "      Zn = 0.0000",
      "      Metal = 1.5000",
      "",
      "Figure: \"Block A\"",
      "      Surface Area: 120.0      Ore Tonnage: 300.0      Waste Tonnage: 45.6",
      "      Percent Ore: 87.5       Volume: 150.0           Specific Grav: 2.5000",
      "      Au = 2.0000      Cu = 0.5000      Ag = 3.0000",
      "      Zn = 1.0000",
      "",
      "Envelope: \"Ore\"",
      "",
      "Polygon: \"DH1\"",
      "      Surface Area: 40.3      Thickness: 2.5      Total Tonnage: 266.7",
      "      Volume: 100.6      Specific Grav: 2.6500",
      "      Au = 1.5000      Cu = 0.2500      Ag = 12.3457",
      "      Zn = 0.0000",
      "      Metal = 399.9844",
      "",
  };
  EXPECT_EQ(informationLines(list, p), expected);
}

TEST(InformationLines, PolygonPickWithoutItsPolygonEndsTheLines) {
  const ProjectObjects p = tinyProject();
  CInformationDlgDataList list;
  list.add(kInfoEnvelope, 0);
  list.add(kInfoPolygon, 1);
  list.add(kInfoEnvelope, 1);
  EXPECT_EQ(informationLines(list, p), (std::vector<std::string>{"Envelope: \"Waste\"", ""}));
}

}  // namespace
}  // namespace qx
