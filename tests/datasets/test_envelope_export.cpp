// Writing envelopes to an outline file, and reading the file back.
// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
//
#include <gtest/gtest.h>

#include <algorithm>

#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_export.h"
#include "datasets/envelope_test_support.h"
#include "datasets/envelopes.h"
#include "scripted_port.h"

using namespace qx;
using namespace qx::testing;
using qx::test::ScriptedPort;

namespace {

EnvelopeSet sample() {
  EnvelopeSet set;
  set.envelopes.resize(3);
  set.envelopes[0].name = "North";
  set.envelopes[0].contours = {{{0, 0, 1.5}, {10.25, 0, 1.5}, {10.25, -7.75, 1.5}},
                               {{100, 100, 0}, {101, 100, 0}, {101, 101, 0}, {100, 101, 0}}};
  set.envelopes[1].name = "Hidden";
  set.envelopes[1].exportEnvelope = 0;
  set.envelopes[1].contours = {{{5, 5, 5}}};
  set.envelopes[2].name = "South Zone";
  set.envelopes[2].contours = {{{-1234.5, 99999.25, -3}, {1, 2, 3}}};
  for (auto& e : set.envelopes) e.contourCount = static_cast<std::int32_t>(e.contours.size());
  return set;
}

const char* const kSample3D =
    "1 0000   North\n"
    "2      0.00      0.00      1.50\n"
    "2     10.25      0.00      1.50\n"
    "2     10.25     -7.75      1.50\n"
    "1 0001   North\n"
    "2    100.00    100.00      0.00\n"
    "2    101.00    100.00      0.00\n"
    "2    101.00    101.00      0.00\n"
    "2    100.00    101.00      0.00\n"
    "1 0000   South Zone\n"
    "2  -1234.50  99999.25     -3.00\n"
    "2      1.00      2.00      3.00\n";

}  // namespace

TEST(EnvelopeExport, FileTextSkipsSwitchedOffEnvelopesAndRestartsNumbers) {
  const EnvelopeSet set = sample();
  EXPECT_EQ(formatOutlineFile(set, true), kSample3D);
}

TEST(EnvelopeExport, WizardSwitchesAndColumns) {
  ScriptedPort port;
  EnvelopeSet set = sample();
  const std::string path = tempPath("out.dig");
  std::vector<std::string> offered;
  port.answerSheet([&](SheetModel& sheet) {
    auto& switches = dynamic_cast<CPropPageExportEnvelopes&>(*sheet.pages()[0]);
    EXPECT_EQ(switches.names(), (std::vector<std::string>{"North", "Hidden", "South Zone"}));
    EXPECT_FALSE(switches.exportEnvelope(1));
    switches.setExportEnvelope(0, false);
    switches.setExportEnvelope(1, true);
    auto& format = dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[1]);
    EXPECT_TRUE(format.tagColumn());
    for (const auto& name : format.fieldNames()) offered.push_back(name);
    format.chooseField(1);  // Y: 8 wide with 3 decimals from column 20
    EXPECT_TRUE(format.setValues(port, 20, 8, 3));
    return true;
  });
  port.answerFile(path);
  ASSERT_TRUE(exportEnvelopes(port, set, false));
  EXPECT_EQ(offered, (std::vector<std::string>{"X Coordinate", "Y Coordinate"}));
  EXPECT_EQ(set.envelopes[0].exportEnvelope, 0);
  EXPECT_EQ(set.envelopes[1].exportEnvelope, 1);
  EXPECT_EQ(*set.field("Y Coordinate"), (ColumnField{"Y Coordinate", 20, 8, 3}));
  EXPECT_EQ(readFile(path),
            "1 0000   Hidden\n"
            "2      5.00           5.000\n"
            "1 0000   South Zone\n"
            "2  -1234.50        99999.25\n"  // 3 decimals do not fit in 8: cut
            "2      1.00           2.000\n");
  EXPECT_NE(std::ranges::find(port.log(),
                              "file save: Save Envelope Datafile [Envelope Dataset Files "
                              "(*.dig)|*.dig|All Files (*.*)|*.*||]"),
            port.log().end());
}
