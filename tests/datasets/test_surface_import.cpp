#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "datasets/surface_import.h"
#include "io/column_pages.h"
#include "io/line_reader.h"
#include "scripted_port.h"
#include "sections/rotation_dialog.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

std::string writeFile(const std::string& name, const std::string& bytes) {
  static const qx::test::TempDir folder("qx_surface");
  return folder.write(name, bytes).string();
}

// x in 1-10, y in 11-20, elevation in 21-30.
std::string line(const char* x, const char* y, const char* z) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%10s%10s%10s\n", x, y, z);
  return buf;
}

CFileLoadPropertySheet& wizard(SheetModel& s) { return dynamic_cast<CFileLoadPropertySheet&>(s); }

bool name(DialogModel& m, const char* n) {
  dynamic_cast<CSurfacePropertiesDialog&>(m).setName(n);
  return true;
}

SurfaceSet setWithOne() {
  SurfaceSet set;
  set.surfaces.emplace_back().name = "Existing";
  set.minCorner = set.maxCorner = {0, 0, 0};
  return set;
}

}  // namespace

TEST(SurfaceReader, EveryLineIsOnePoint) {
  const SurfaceFileLayout layout;
  // A header line, a CRLF line, a short line and a trailing blank line.
  const std::string text =
      "X         Y         Z\n" + std::string("      12.5     -3.25      1e+2\r\n") + "         1\n" + "\n";
  MemorySource source(text);
  const auto r = readSurfaceRecords(source, layout);
  EXPECT_EQ(r, (std::vector<DPoint3D>{{0, 0, 0}, {12.5, -3.25, 100.0}, {1, 0, 0}, {0, 0, 0}}))
      << "a trailing blank line is a point";

  SurfaceFileLayout moved;
  moved.positions = {21, 1, 11};
  EXPECT_EQ(parseSurfaceLine("         1         2         3", moved), (DPoint3D{3, 1, 2}));
}

TEST(SurfaceProperties, NameRules) {
  const SurfaceSet set = setWithOne();
  CSurfacePropertiesDialog dlg(set, -1, "", 0x123456);
  ScriptedPort port;
  dlg.setName("   \t ");
  EXPECT_FALSE(dlg.onOk(port));
  dlg.setName(" Existing ");
  EXPECT_FALSE(dlg.onOk(port));
  dlg.setName("existing");
  EXPECT_TRUE(dlg.onOk(port)) << "names compare with case";
  ASSERT_EQ(port.log().size(), 2u);
  EXPECT_EQ(port.log()[0], "message information ok -> ok: The name cannot be blank.\nPlease choose another.");
  EXPECT_EQ(port.log()[1],
            "message information ok -> ok: That surface name is in use already.\n\nPlease chose another name.");

  CSurfacePropertiesDialog own(set, 0, "Existing", 0);
  EXPECT_TRUE(own.onOk(port)) << "a surface keeps its own name";

  dlg.setName(std::string(40, 'a'));
  EXPECT_EQ(dlg.name(), std::string(32, 'a'));

  port.answerColour(0xABCDEFu);
  dlg.selectColour(port);
  EXPECT_EQ(dlg.colour(), 0xABCDEF);
  EXPECT_EQ(port.log()[2], std::to_string(0x123456).insert(0, "colour "));
}

TEST(SurfaceLoad, FullFlowWithRotation) {
  std::string text;
  for (int i = 0; i < 120; ++i) text += line("1", "0", "5");
  // Far beyond single precision in x once rotated into y.
  text += line("0", "98765433", "7");
  const std::string path = writeFile("full.xyz", text);

  SurfaceSet set = setWithOne();
  ScriptedPort port;
  port.answerFile(path);
  port.answerSheet([&](SheetModel& s) {
    auto& w = wizard(s);
    EXPECT_NE(w.firstPage().previewText().find("\r\n         1         0         5\r\n"), std::string::npos);
    EXPECT_EQ(w.firstPage().fieldNames(), (std::vector<std::string>{"X Coordinate", "Y Coordinate", "Elevation"}));
    w.first().fields[2].position = 23;  // elevation read from 23-30
    w.first().fields[2].length = 8;
    w.firstPage().setRotate(true);
    return true;
  });
  port.answerDialog([](DialogModel& m) {
    dynamic_cast<CDialogRotationParams&>(m).theta = 90.0;
    return true;
  });
  port.answerDialog([](DialogModel& m) { return name(m, "  Topo  "); });

  std::string remembered;
  ASSERT_EQ(loadSurface(set, port, remembered), 1);
  EXPECT_EQ(remembered, path);
  ASSERT_EQ(set.count(), 2);
  const Surface& s = set.surfaces[1];
  EXPECT_EQ(s.name, "Topo");
  ASSERT_EQ(s.points.size(), 121u);
  EXPECT_EQ(s.pointCount, 121);
  // Theta 90 maps (1, 0, z) to (0, -1, z) and (0, y, z) to (y, 0, z).
  EXPECT_EQ(s.points[0].y, -1.0f);
  EXPECT_EQ(s.points[120].x, 98765432.0f) << "rounded to single precision";
  EXPECT_EQ(set.maxCorner.x, 98765432.0) << "the box takes the rounded value";
  EXPECT_EQ(set.fieldWidths, (std::array<std::int32_t, 3>{10, 10, 8}));
  EXPECT_EQ(set.importRotation.theta(), 90.0);

  EXPECT_EQ(
      port.log().front(),
      "file open: Open Surface Datafile [Surface Dataset Files (*.xyz;*.dat)|*.xyz; *.dat|All Files (*.*)|*.*||]");
}
