#pragma once
// Option strings: "key=value" entries separated by commas, with "no key" meaning
// key=off and a bare "key" meaning key=on. Keys are case-insensitive and blanks
// around them do not matter; values keep their text. Parentheses group, so a
// comma inside "(R=1 G=0 B=0)" does not split. Nothing here throws: a malformed
// string yields whatever entries could be read, and keywords that the scene tree
// does not know are kept as text for the renderer.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/types.h"

namespace qx::gfx {

// Ordered list of options; setting a key again replaces its value in place.
class OptionList {
 public:
  using Entry = std::pair<std::string, std::string>;

  void set(std::string key, std::string value);
  // The value of a key (key compared after normalising), or nullptr.
  const std::string* find(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  void merge(const OptionList& other);  // other's entries override ours
  bool empty() const { return entries_.empty(); }
  const std::vector<Entry>& entries() const { return entries_; }
  friend bool operator==(const OptionList&, const OptionList&) = default;

 private:
  std::vector<Entry> entries_;
};

// Lower case, blanks trimmed and runs of blanks reduced to one.
std::string normalizeKeyword(std::string_view text);

// Splits an option string into its entries.
OptionList parseOptions(std::string_view text);

// A number read in the C locale, the whole text (trimmed) being the number.
std::optional<double> parseNumber(std::string_view text);

// "on"/"off" style switch values; nullopt when the text is neither.
std::optional<bool> parseSwitch(std::string_view text);

// A colour given by name ("black", "midnight blue", ...).
std::optional<Rgb> namedColor(std::string_view name);

// A colour value: a name, "R=%f G=%f B=%f" with or without parentheses.
std::optional<Rgb> parseRgb(std::string_view text);

// Colour of one segment: per class, the colour and the transmission (how much
// light passes: black is opaque). Unknown classes or values are kept as text.
struct ColorSetting {
  std::array<std::optional<Rgb>, kColorClassCount> color{};
  std::array<std::optional<Rgb>, kColorClassCount> transmission{};
  OptionList unknown;
  bool empty() const;
  friend bool operator==(const ColorSetting&, const ColorSetting&) = default;
};

struct VisibilitySetting {
  std::array<std::optional<bool>, kKindCount> on{};
  OptionList unknown;
  bool empty() const;
  friend bool operator==(const VisibilitySetting&, const VisibilitySetting&) = default;
};

struct SelectabilitySetting {
  std::array<std::optional<Pickable>, kKindCount> mode{};
  OptionList unknown;
  bool empty() const;
  friend bool operator==(const SelectabilitySetting&, const SelectabilitySetting&) = default;
};

// Apply an option string on top of a setting, entry by entry from left to right.
// Returns false when some entry was not understood (it is then kept in unknown).
bool applyColorOptions(ColorSetting& setting, std::string_view text);
bool applyVisibilityOptions(VisibilitySetting& setting, std::string_view text);
bool applySelectabilityOptions(SelectabilitySetting& setting, std::string_view text);

}  // namespace qx::gfx
