#include "datasets/envelope_dialogs.h"

#include "datasets/envelopes.h"
#include "datasets/outline_reader.h"
#include "port/ui_port.h"

namespace qx {

bool checkEnvelopeDensity(UiPort& port, double density) {
  if (density >= 0.0 && density <= kEnvelopeDensityMax) return true;
  port.message("Please enter a number between 0 and 10000000.", MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

CEnvelopePropertiesDialog::CEnvelopePropertiesDialog(const EnvelopeSet* existing, Mode mode)
    : existing_(existing), mode_(mode) {
  if (mode_ != Mode::Normal) colour_ = kFixedColour;
}

void CEnvelopePropertiesDialog::setName(std::string_view name) {
  name_ = std::string(name.substr(0, kEnvelopeNameMaxLength));
}

void CEnvelopePropertiesDialog::setColour(ColorRef c) {
  if (colourEnabled()) colour_ = c;
}

void CEnvelopePropertiesDialog::chooseColour(UiPort& port) {
  if (!colourEnabled()) return;
  if (auto c = port.chooseColour(colour_)) colour_ = *c;
}

bool CEnvelopePropertiesDialog::onOk(UiPort& port) {
  if (densityEnabled() && !checkEnvelopeDensity(port, density_)) return false;
  name_ = trimBlanks(name_);
  if (name_.empty()) {
    port.message("The name cannot be blank.\nPlease choose another.", MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  merge_ = false;
  if (existing_ != nullptr && existing_->findByName(name_) >= 0) {
    const auto answer =
        port.message("That envelope name is in use already.\n\nDo you want this envelope merged with the existing one?",
                     MessageButtons::YesNo, MessageIcon::Question);
    if (answer != MessageAnswer::Yes) return false;
    merge_ = true;
  }
  return true;
}

CCreateEnvelopeDialog::CCreateEnvelopeDialog(const EnvelopeSet& set, double defaultDensity)
    : set_(&set), density_(defaultDensity) {
  for (const auto& e : set.envelopes) names_.push_back(e.name);
}

void CCreateEnvelopeDialog::chooseColour(UiPort& port) {
  if (auto c = port.chooseColour(colour_)) colour_ = *c;
}

bool CCreateEnvelopeDialog::onOk(UiPort& port) {
  if (!checkEnvelopeDensity(port, density_)) return false;
  name_ = trimBlanks(name_);
  target_ = -1;
  for (std::size_t e = 0; e < set_->envelopes.size(); ++e) {
    if (set_->envelopes[e].name != name_) continue;
    const auto answer =
        port.message("Add this contour to Envelope " + name_ + "?", MessageButtons::OkCancel, MessageIcon::Question);
    if (answer != MessageAnswer::Ok) {
      target_ = -1;
      return false;
    }
    target_ = static_cast<int>(e);
  }
  return true;
}

int CCreateEnvelopeDialog::apply(EnvelopeSet& set) const {
  if (target_ >= 0 && target_ < set.count()) return target_;
  Envelope env;
  env.name = name_;
  env.density = density_;
  env.colour = static_cast<std::int32_t>(colour_);
  set.envelopes.push_back(std::move(env));
  return set.count() - 1;
}

}  // namespace qx
