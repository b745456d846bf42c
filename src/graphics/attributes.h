#pragma once
// Attributes of a segment. A segment holds only what was set on it (Attributes);
// what applies to its contents (ResolvedAttributes) starts from the defaults and
// takes each segment's own settings on the way down from the top of the tree, a
// later (deeper) segment overriding per colour class, per kind, per option key.
#include <array>
#include <optional>
#include <string>

#include "graphics/options.h"
#include "graphics/types.h"

namespace qx::gfx {

enum class AttributeGroup {
  Color,
  Visibility,
  Selectability,
  RenderingOptions,
  Heuristics,
  DriverOptions,
  LineWeight,
  MarkerSize,
  MarkerSymbol,
  TextAlignment,
  Handedness,
  WindowFrame,
  Camera,
  WindowSize,
};

struct Attributes {
  ColorSetting color;
  VisibilitySetting visibility;
  SelectabilitySetting selectability;
  OptionList renderingOptions;
  OptionList heuristics;
  OptionList driverOptions;
  std::optional<double> lineWeight;
  std::optional<double> markerSize;
  std::optional<std::string> markerSymbol;
  std::optional<std::string> textAlignment;
  std::optional<gfx::Handedness> handedness;
  std::optional<bool> windowFrame;
  std::optional<gfx::Camera> camera;
  std::optional<gfx::WindowSize> windowSize;

  void unset(AttributeGroup group);
  bool empty() const;
  friend bool operator==(const Attributes&, const Attributes&) = default;
};

// Defaults at the top of the tree: geometry black, lights white, ambient light
// dark grey, window white, nothing transmitted; every kind visible; nothing
// selectable; line weight 1, marker size 1, marker symbol "(*)", text alignment
// "*" (centred); "right" handedness; window frame on; the default camera of
// types.h; window size unknown.
struct ResolvedAttributes {
  std::array<Rgb, kColorClassCount> color{};
  std::array<Rgb, kColorClassCount> transmission{};
  std::array<bool, kKindCount> visible{};
  std::array<Pickable, kKindCount> selectable{};
  OptionList unknownColor;
  OptionList unknownVisibility;
  OptionList unknownSelectability;
  OptionList renderingOptions;
  OptionList heuristics;
  OptionList driverOptions;
  double lineWeight = 1.0;
  double markerSize = 1.0;
  std::string markerSymbol = "(*)";
  std::string textAlignment = "*";
  gfx::Handedness handedness = gfx::Handedness::Right;
  bool windowFrame = true;
  gfx::Camera camera;
  gfx::WindowSize windowSize;

  ResolvedAttributes();
  void apply(const Attributes& own);

  const Rgb& colorOf(ColorClass c) const { return color[static_cast<size_t>(c)]; }
  const Rgb& transmissionOf(ColorClass c) const { return transmission[static_cast<size_t>(c)]; }
  bool isVisible(Kind k) const { return visible[static_cast<size_t>(k)]; }
  Pickable selectabilityOf(Kind k) const { return selectable[static_cast<size_t>(k)]; }
  // Whether a pick may take geometry of this kind here.
  bool canPick(Kind k) const {
    const Pickable p = selectabilityOf(k);
    return p == Pickable::EvenIfHidden || (p == Pickable::On && isVisible(k));
  }
};

}  // namespace qx::gfx
