// The models of the envelope properties and create-envelope dialogs.
#include <gtest/gtest.h>

#include "datasets/envelope_dialogs.h"
#include "datasets/envelopes.h"
#include "scripted_port.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {
EnvelopeSet named(std::initializer_list<const char*> names) {
  EnvelopeSet set;
  for (const char* n : names) {
    Envelope e;
    e.name = n;
    set.envelopes.push_back(e);
  }
  return set;
}
}  // namespace

TEST(EnvelopePropertiesDialog, NameRulesAndMergeQuestion) {
  const EnvelopeSet set = named({"Main", "West"});
  ScriptedPort port;
  CEnvelopePropertiesDialog d(&set);
  d.setName("123456789012345678901234567890123456");
  EXPECT_EQ(d.name(), "12345678901234567890123456789012");

  d.setName(" \t ");
  EXPECT_FALSE(d.onOk(port));
  d.setName("  West ");
  port.answerMessage(MessageAnswer::No);
  EXPECT_FALSE(d.onOk(port));
  EXPECT_FALSE(d.merge());
  EXPECT_EQ(d.name(), "West");
  port.answerMessage(MessageAnswer::Yes);
  EXPECT_TRUE(d.onOk(port));
  EXPECT_TRUE(d.merge());
  d.setName("west");  // names compare exactly
  EXPECT_TRUE(d.onOk(port));
  EXPECT_FALSE(d.merge());
}

TEST(EnvelopePropertiesDialog, DensityRangeColourAndFixedModes) {
  ScriptedPort port;
  CEnvelopePropertiesDialog d(nullptr);
  d.setName("A");
  d.setDensity(10000000.0);
  EXPECT_TRUE(d.onOk(port));
  d.setDensity(10000000.5);
  EXPECT_FALSE(d.onOk(port));
  d.setDensity(-0.1);
  EXPECT_FALSE(d.onOk(port));
  EXPECT_EQ(port.messages().back(), "Please enter a number between 0 and 10000000.");
  d.setDensity(0);
  port.answerColour(makeRgb(1, 2, 3));
  d.chooseColour(port);
  EXPECT_EQ(d.colour(), makeRgb(1, 2, 3));

  CEnvelopePropertiesDialog grey(nullptr, CEnvelopePropertiesDialog::Mode::FixedColour);
  EXPECT_EQ(grey.colour(), makeRgb(200, 200, 200));
  EXPECT_FALSE(grey.colourEnabled());
  EXPECT_TRUE(grey.densityEnabled());
  CEnvelopePropertiesDialog fixed(nullptr, CEnvelopePropertiesDialog::Mode::FixedColourAndDensity);
  EXPECT_FALSE(fixed.densityEnabled());
}

TEST(CreateEnvelopeDialog, ExistingNameAsksAndNewNameAppends) {
  EnvelopeSet set = named({"A", "B", "A"});
  ScriptedPort port;
  CCreateEnvelopeDialog d(set, 2.65);
  EXPECT_EQ(d.name(), "envelope");
  EXPECT_EQ(d.density(), 2.65);
  EXPECT_EQ(d.envelopeNames(), (std::vector<std::string>{"A", "B", "A"}));

  d.setName(" A ");
  port.answerMessage(MessageAnswer::Cancel);
  EXPECT_FALSE(d.onOk(port));
  // Both envelopes named "A" are offered; the last one accepted is the target.
  port.answerMessage(MessageAnswer::Ok);
  port.answerMessage(MessageAnswer::Ok);
  EXPECT_TRUE(d.onOk(port));
  EXPECT_EQ(d.target(), 2);
  EXPECT_EQ(port.messages(), (std::vector<std::string>(3, "Add this contour to Envelope A?")));
  EXPECT_EQ(d.apply(set), 2);
  EXPECT_EQ(set.count(), 3);

  d.setName("C");
  d.setColour(makeRgb(9, 8, 7));
  EXPECT_TRUE(d.onOk(port));
  EXPECT_EQ(d.target(), -1);
  EXPECT_EQ(d.apply(set), 3);
  EXPECT_EQ(set.envelopes[3].name, "C");
  EXPECT_EQ(set.envelopes[3].density, 2.65);
  EXPECT_EQ(set.envelopes[3].colour, static_cast<std::int32_t>(makeRgb(9, 8, 7)));
}
