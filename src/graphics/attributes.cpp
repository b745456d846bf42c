#include "graphics/attributes.h"

namespace qx::gfx {

void Attributes::unset(AttributeGroup group) {
  switch (group) {
    case AttributeGroup::Color: color = {}; break;
    case AttributeGroup::Visibility: visibility = {}; break;
    case AttributeGroup::Selectability: selectability = {}; break;
    case AttributeGroup::RenderingOptions: renderingOptions = {}; break;
    case AttributeGroup::Heuristics: heuristics = {}; break;
    case AttributeGroup::DriverOptions: driverOptions = {}; break;
    case AttributeGroup::LineWeight: lineWeight.reset(); break;
    case AttributeGroup::MarkerSize: markerSize.reset(); break;
    case AttributeGroup::MarkerSymbol: markerSymbol.reset(); break;
    case AttributeGroup::TextAlignment: textAlignment.reset(); break;
    case AttributeGroup::Handedness: handedness.reset(); break;
    case AttributeGroup::WindowFrame: windowFrame.reset(); break;
    case AttributeGroup::Camera: camera.reset(); break;
    case AttributeGroup::WindowSize: windowSize.reset(); break;
  }
}

bool Attributes::empty() const { return *this == Attributes{}; }

ResolvedAttributes::ResolvedAttributes() {
  const Rgb black{0.0, 0.0, 0.0};
  color.fill(black);
  transmission.fill(black);
  color[static_cast<size_t>(ColorClass::Lights)] = {1.0, 1.0, 1.0};
  color[static_cast<size_t>(ColorClass::Ambient)] = {0.25, 0.25, 0.25};
  color[static_cast<size_t>(ColorClass::Window)] = {1.0, 1.0, 1.0};
  visible.fill(true);
  selectable.fill(Pickable::Off);
}

void ResolvedAttributes::apply(const Attributes& own) {
  for (size_t i = 0; i < static_cast<size_t>(kColorClassCount); ++i) {
    if (own.color.color[i]) color[i] = *own.color.color[i];
    if (own.color.transmission[i]) transmission[i] = *own.color.transmission[i];
  }
  for (size_t i = 0; i < static_cast<size_t>(kKindCount); ++i) {
    if (own.visibility.on[i]) visible[i] = *own.visibility.on[i];
    if (own.selectability.mode[i]) selectable[i] = *own.selectability.mode[i];
  }
  unknownColor.merge(own.color.unknown);
  unknownVisibility.merge(own.visibility.unknown);
  unknownSelectability.merge(own.selectability.unknown);
  renderingOptions.merge(own.renderingOptions);
  heuristics.merge(own.heuristics);
  driverOptions.merge(own.driverOptions);
  if (own.lineWeight) lineWeight = *own.lineWeight;
  if (own.markerSize) markerSize = *own.markerSize;
  if (own.markerSymbol) markerSymbol = *own.markerSymbol;
  if (own.textAlignment) textAlignment = *own.textAlignment;
  if (own.handedness) handedness = *own.handedness;
  if (own.windowFrame) windowFrame = *own.windowFrame;
  if (own.camera) camera = *own.camera;
  if (own.windowSize) windowSize = *own.windowSize;
}

}  // namespace qx::gfx
