// Option strings: splitting, colours by class, visibility and selectability.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "graphics/options.h"
#include "support/test_files.h"

namespace qx::gfx {
namespace {

using Entries = std::vector<OptionList::Entry>;

std::string rgbOption(const char* cls, unsigned r, unsigned g, unsigned b) {
  // The way the scene layer writes bin colours: each byte / 255 as "%.3f".
  char text[128];
  std::snprintf(text, sizeof text, "%s = R=%.3f G=%.3f B=%.3f", cls, r / 255.0, g / 255.0, b / 255.0);
  return text;
}

const std::optional<Rgb>& colorOf(const ColorSetting& s, ColorClass c) { return s.color[static_cast<size_t>(c)]; }
const std::optional<Rgb>& transOf(const ColorSetting& s, ColorClass c) {
  return s.transmission[static_cast<size_t>(c)];
}
std::optional<bool> vis(const VisibilitySetting& s, Kind k) { return s.on[static_cast<size_t>(k)]; }
std::optional<Pickable> sel(const SelectabilitySetting& s, Kind k) { return s.mode[static_cast<size_t>(k)]; }

TEST(OptionStrings, SplitsEntriesNoPrefixAndBareKeywords) {
  EXPECT_EQ(parseOptions("use window id = 4711, no selection proximity, disable input, no double buffering").entries(),
            (Entries{{"use window id", "4711"},
                     {"selection proximity", "off"},
                     {"disable input", "on"},
                     {"double buffering", "off"}}));
  EXPECT_EQ(parseOptions("lighting, no lighting interpolation").entries(),
            (Entries{{"lighting", "on"}, {"lighting interpolation", "off"}}));
  // Keys fold case and blanks; values keep their text; a repeated key is replaced in place.
  EXPECT_EQ(parseOptions("  Related   Selection Limit = 1 , hsr algorithm=software z-buffer, related selection limit=3")
                .entries(),
            (Entries{{"related selection limit", "3"}, {"hsr algorithm", "software z-buffer"}}));
  // Commas inside parentheses do not split; an unclosed one runs to the end.
  EXPECT_EQ(parseOptions("a=(x, y), b").entries(), (Entries{{"a", "(x, y)"}, {"b", "on"}}));
  EXPECT_EQ(parseOptions("a=(b, c").entries(), (Entries{{"a", "(b, c"}}));
  // "no" alone or "nothing" are keywords, not negations.
  EXPECT_EQ(parseOptions("no, nothing").entries(), (Entries{{"no", "on"}, {"nothing", "on"}}));
}

TEST(OptionStrings, NumbersIgnoreTheLocale) {
  // A German desktop must not read "0.502" as 0.
  qx::test::LocaleGuard german("de_DE.UTF-8");
  for (const auto& [text, value] : {std::pair{"0.502", 0.502}, {" 1e3 ", 1000.0}, {"+2.5", 2.5}, {"-0.25", -0.25}})
    EXPECT_EQ(parseNumber(text), value) << text;
  for (const char* text : {"0,502", "1.5x", "", "+"}) EXPECT_FALSE(parseNumber(text)) << text;
}

TEST(ColorOptions, ClassesGroupsAndNamedColours) {
  ColorSetting bin;  // the scene layer's bin colour: blanks and a capital class
  EXPECT_TRUE(applyColorOptions(bin, rgbOption("Markers", 128, 64, 255)));
  EXPECT_EQ(colorOf(bin, ColorClass::Markers), (Rgb{0.502, 0.251, 1.0}));

  ColorSetting s;  // "polygons" are faces and edges
  EXPECT_TRUE(applyColorOptions(s, "lines=(R=0.100 G=0.200 B=0.300),polygons=(R=0.400 G=0.500 B=0.600)"));
  EXPECT_EQ(colorOf(s, ColorClass::Lines), (Rgb{0.1, 0.2, 0.3}));
  EXPECT_EQ(colorOf(s, ColorClass::Edges), (Rgb{0.4, 0.5, 0.6}));

  ColorSetting bare;  // a bare colour colours all geometry but not lights, ambient or window
  EXPECT_TRUE(applyColorOptions(bare, "black"));
  EXPECT_EQ(colorOf(bare, ColorClass::Text), (Rgb{0, 0, 0}));
  EXPECT_FALSE(colorOf(bare, ColorClass::Lights) || colorOf(bare, ColorClass::Ambient));

  ColorSetting misc;
  EXPECT_TRUE(applyColorOptions(misc, "lights = white, geometry = red"));
  EXPECT_EQ(colorOf(misc, ColorClass::Lights), (Rgb{1, 1, 1}));
  EXPECT_EQ(colorOf(misc, ColorClass::Markers), (Rgb{1, 0, 0}));
  EXPECT_EQ(namedColor("  Midnight   BLUE "), (Rgb{25 / 255.0, 25 / 255.0, 112 / 255.0}));
}

TEST(ColorOptions, TransmissionLeavesTheColourAlone) {
  ColorSetting s;
  EXPECT_TRUE(applyColorOptions(s, "faces=(R=0.2 G=0.2 B=0.2)"));
  EXPECT_TRUE(applyColorOptions(s, "faces=(transmission=(R=0.750 G=0.750 B=0.750))"));
  EXPECT_EQ(colorOf(s, ColorClass::Faces), (Rgb{0.2, 0.2, 0.2}));
  EXPECT_EQ(transOf(s, ColorClass::Faces), (Rgb{0.75, 0.75, 0.75}));
  // A later setting of the same class replaces only what it names.
  EXPECT_TRUE(applyColorOptions(s, "faces=blue"));
  EXPECT_EQ(colorOf(s, ColorClass::Faces), (Rgb{0, 0, 1}));
  EXPECT_EQ(transOf(s, ColorClass::Faces), (Rgb{0.75, 0.75, 0.75}));
}

TEST(ColorOptions, OutOfRangeUnknownAndMalformedValues) {
  ColorSetting s;
  EXPECT_TRUE(applyColorOptions(s, "markers=R=1.5 G=-2 B=0.5"));
  EXPECT_EQ(colorOf(s, ColorClass::Markers), (Rgb{1.0, 0.0, 0.5}));

  ColorSetting t;
  EXPECT_FALSE(applyColorOptions(t, "lines=red, sparkles=blue, faces=chartreuse-ish, text=R=abc G=0 B=0"));
  EXPECT_EQ(colorOf(t, ColorClass::Lines), (Rgb{1, 0, 0}));
  EXPECT_FALSE(colorOf(t, ColorClass::Text));
  ASSERT_NE(t.unknown.find("sparkles"), nullptr);
  EXPECT_EQ(*t.unknown.find("faces"), "chartreuse-ish");

  for (const char* junk : {"markers=(R=0.1 G=0.2", "=", "((((", "))))",
                           "markers=", "R=", "transmission=", "faces=(transmission=(transmission=(transmission=x)))"}) {
    ColorSetting j;
    EXPECT_FALSE(applyColorOptions(j, junk)) << junk;
    EXPECT_FALSE(colorOf(j, ColorClass::Markers)) << junk;
  }
}

TEST(VisibilityOptions, EntriesApplyLeftToRight) {
  VisibilitySetting poly;
  EXPECT_TRUE(applyVisibilityOptions(poly, "polygons=on, faces=off, lights=off, cutting planes=on"));
  EXPECT_EQ(std::tuple(vis(poly, Kind::Faces), vis(poly, Kind::Edges), vis(poly, Kind::CuttingPlanes)),
            std::tuple(false, true, true));
  EXPECT_FALSE(vis(poly, Kind::Markers));

  VisibilitySetting all;
  EXPECT_TRUE(applyVisibilityOptions(all, "cutting planes=on, everything=off, markers=on"));
  for (int k = 0; k < kKindCount; ++k) {
    EXPECT_EQ(all.on[static_cast<size_t>(k)], static_cast<Kind>(k) == Kind::Markers) << k;
  }

  VisibilitySetting bare;
  EXPECT_TRUE(applyVisibilityOptions(bare, "off"));
  EXPECT_EQ(vis(bare, Kind::CuttingPlanes), false);
  EXPECT_TRUE(applyVisibilityOptions(bare, "no markers, text, cutting plane=on"));
  EXPECT_EQ(std::tuple(vis(bare, Kind::Markers), vis(bare, Kind::Text), vis(bare, Kind::CuttingPlanes)),
            std::tuple(false, true, true));
}

TEST(SelectabilityOptions, OnOffAndEvenIfHidden) {
  SelectabilitySetting s;
  EXPECT_TRUE(applySelectabilityOptions(s, "everything=!on"));
  EXPECT_TRUE(applySelectabilityOptions(s, "markers=on, faces=off, edges=v^"));
  EXPECT_EQ(std::tuple(sel(s, Kind::Markers), sel(s, Kind::Faces), sel(s, Kind::Edges), sel(s, Kind::Text)),
            std::tuple(Pickable::On, Pickable::Off, Pickable::On, Pickable::EvenIfHidden));

  SelectabilitySetting off;
  EXPECT_TRUE(applySelectabilityOptions(off, "off"));
  EXPECT_FALSE(applySelectabilityOptions(off, "markers=sometimes, windows=on"));
  EXPECT_EQ(sel(off, Kind::Markers), Pickable::Off);
  EXPECT_EQ(*off.unknown.find("markers"), "sometimes");
}

}  // namespace
}  // namespace qx::gfx
