// The outline format: parsing into records, the exported lines, the
// point-in-envelope rule and the removal of repeated points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasets/envelopes.h"
#include "datasets/outline_reader.h"
#include "io/line_reader.h"

using namespace qx;

namespace {

OutlineFileRecords parse(const std::string& text, const OutlineLayout& layout = {}) {
  MemorySource source(text);
  return parseOutline(source, layout);
}

Contour square(double x0, double y0, double side) {
  return {{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}};
}

}  // namespace

TEST(OutlineReader, HeadersStartContoursAndOtherLinesAreSkipped) {
  const std::string text =
      "2      99.00     99.00     99.00\n"  // before any header: skipped
      "# comment\n"
      "1 0000   North Lens   \n"
      "2     10.00     20.00      5.00\n"
      "3      77.00     77.00     77.00\n"  // unknown type
      " 2     88.00\n"                      // type must stand in column 1
      "2"
      "       abc"
      "   -20.5e1"
      "       1,5\n"
      "1 0001\n"
      "1 0002   South\n"
      "2 1.0\n"
      "2";  // last line without a line feed
  OutlineLayout layout;
  layout.namePosition = 10;
  layout.nameWidth = 20;
  const auto r = parse(text, layout);
  EXPECT_EQ(r.skippedPoints, 1u);
  ASSERT_EQ(r.contours.size(), 3u);
  EXPECT_EQ(r.contours[0].name, "North Lens");
  // "abc" reads 0, an exponent is honoured, "1,5" reads 1.
  EXPECT_EQ(r.contours[0].points, (std::vector<DPoint3D>{{10, 20, 5}, {0, -205, 1}}));
  EXPECT_EQ(r.contours[1].name, "");
  EXPECT_TRUE(r.contours[1].points.empty());
  EXPECT_EQ(r.contours[2].points, (std::vector<DPoint3D>{{1, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(distinctOutlineNames(r), (std::vector<std::string>{"North Lens", "South"}));
}

TEST(OutlineWriter, HeaderAndPointLines) {
  EXPECT_EQ(outlineHeaderLine(7, "North"), "1 0007   North\n");
  EXPECT_EQ(outlineHeaderLine(12345, ""), "1 12345   \n");
  const OutlineOutputField x{2, 10, 2}, y{12, 10, 2}, z{22, 10, 2};
  EXPECT_EQ(outlinePointLine({{x, 1234.5}, {y, -20.0}, {z, 7.126}}), "2   1234.50    -20.00      7.13\n");
  // 2D: the line ends after Y.
  EXPECT_EQ(outlinePointLine({{x, 1.0}, {y, 2.0}}), "2      1.00      2.00\n");
  // A number wider than its field keeps its first characters.
  EXPECT_EQ(outlinePointLine({{x, 12345678901.5}, {y, 0.0}}), "21234567890      0.00\n");
  // Fields beyond the 254-column buffer are dropped; the line ends at 254.
  const std::string far = outlinePointLine({{{250, 10, 1}, 123456.0}});
  EXPECT_EQ(far.size(), 255u);
  EXPECT_EQ(far.substr(249), "  123\n");
  // Three decimals, and a field overwritten by a later one at the same place.
  EXPECT_EQ(outlinePointLine({{{2, 8, 3}, -0.5}, {{6, 3, 0}, 42.0}}), "2  -0 420\n");
}

TEST(EnvelopeContains, HalfOpenRuleOnEdgesAndVertices) {
  // Inside exactly when 0 <= x < 10 and 0 <= y < 10: left and bottom edges
  // belong to the envelope, right and top edges do not, whichever way round.
  Envelope env;
  const double values[] = {-1, 0, 5, 10, 11};
  for (const Contour& c : {square(0, 0, 10), Contour{{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}}}) {
    env.contours = {c};
    for (double x : values)
      for (double y : values) EXPECT_EQ(env.contains(x, y), x >= 0 && x < 10 && y >= 0 && y < 10) << x << ", " << y;
  }
}

TEST(EnvelopeContains, ConcaveContoursOverlapsAndDegenerateOnes) {
  Envelope env;
  // An L: the notch x in [5, 10), y in [5, 10) is outside.
  env.contours = {{{0, 0, 0}, {10, 0, 0}, {10, 5, 0}, {5, 5, 0}, {5, 10, 0}, {0, 10, 0}}};
  EXPECT_TRUE(env.contains(8, 2));
  EXPECT_FALSE(env.contains(8, 8));
  EXPECT_TRUE(env.contains(7, 4.999));
  EXPECT_FALSE(env.contains(7, 5));  // on the notch's bottom edge, which is the L's top

  // Overlapping contours: the first that contains the point; no holes.
  env.contours = {{{0, 0, 0}, {1, 0, 0}}, square(0, 0, 10), square(2, 2, 2), square(20, 0, 5)};
  EXPECT_EQ(env.findContour(3, 3), 1);
  EXPECT_EQ(env.findContour(21, 1), 3);
  EXPECT_EQ(env.findContour(0.5, 0), 1);  // the two-point contour holds nothing
  EXPECT_EQ(env.findContour(15, 1), -1);
  // Z is ignored.
  env.contours = {{{0, 0, 100}, {4, 0, -100}, {0, 4, 5}}};
  EXPECT_TRUE(env.contains(1, 1));
  EXPECT_FALSE(env.contains(3, 3));
  env.contours.clear();
  EXPECT_EQ(env.findContour(0, 0), -1);
}

TEST(EnvelopeContains, SetReportsFirstEnvelopeInPriorityOrder) {
  EnvelopeSet set;
  set.envelopes.resize(3);
  set.envelopes[0].contours = {square(100, 100, 1)};
  set.envelopes[1].contours = {square(50, 50, 1), square(0, 0, 10)};
  set.envelopes[2].contours = {square(0, 0, 20)};
  int contour = 99;
  EXPECT_EQ(set.findContaining(5, 5, &contour), 1);
  EXPECT_EQ(contour, 1);
  EXPECT_EQ(set.findContaining(15, 5, &contour), 2);
  EXPECT_EQ(contour, 0);
  EXPECT_EQ(set.findContaining(-1, 5, &contour), -1);
  EXPECT_EQ(contour, -1);
}

TEST(EnvelopeRepeatedPoints, BelowToleranceGoesFirstAndLastNeverCompared) {
  EnvelopeSet set;
  set.envelopes.resize(2);
  const double tol = 1000.0 * 1e-9;
  // Maximum radius 1000: the tolerance is 1e-6, measured as |dx| + |dy| + |dz|.
  set.envelopes[0].contours = {{{0, 0, 0},
                                {4e-7, 0, 0},     // 4e-7 from the one before: goes
                                {4e-7, 4e-7, 0},  // 4e-7 from the one before: goes
                                {5, 0, 0},
                                {5, 0, tol},  // exactly the tolerance: stays
                                {5, 5, 0},
                                {5.0000003, 5.0000003, 0.0000003},  // 9e-7: goes
                                {0, 0, 0}}};                        // equal to the first: stays
  set.envelopes[1].contours = {{{1, 1, 1}}, {}};
  EXPECT_EQ(set.removeRepeatedPoints(1000.0), 3);
  EXPECT_EQ(set.envelopes[0].contours[0], (Contour{{0, 0, 0}, {5, 0, 0}, {5, 0, tol}, {5, 5, 0}, {0, 0, 0}}));
  EXPECT_EQ(set.envelopes[1].contours[0].size(), 1u);
  // A larger radius takes that step too.
  EXPECT_EQ(set.removeRepeatedPoints(1001.0), 1);
}
