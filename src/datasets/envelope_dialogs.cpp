#include "datasets/envelope_dialogs.h"

#include <algorithm>
#include <cmath>

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

namespace qx {

bool CItemNameDialog::onOk(UiPort& port) {
  name_ = trimBlanks(name_);
  if (name_.empty()) {
    port.message("The name cannot be blank.\nPlease choose another.", MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  if (std::find(taken_.begin(), taken_.end(), name_) != taken_.end()) {
    port.message(kNameInUse, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return true;
}

ItemPropertiesPage::ItemPropertiesPage(std::string kind, std::string title, std::string deleteQuestion,
                                       std::vector<ItemProperties> items, std::function<void(int)> erase)
    : items_(std::move(items)),
      kind_(std::move(kind)),
      title_(std::move(title)),
      question_(std::move(deleteQuestion)),
      erase_(std::move(erase)) {
  select(0);
}

void ItemPropertiesPage::setTransparency(int percent) {
  if (ItemProperties* item = current()) item->transparency = std::clamp(percent, 0, 100);
}

void ItemPropertiesPage::selectColour(UiPort& port) {
  ItemProperties* item = current();
  if (item == nullptr) return;
  if (auto c = port.chooseColour(item->colour)) item->colour = *c;
}

bool ItemPropertiesPage::rename(UiPort& port) {
  ItemProperties* item = current();
  if (item == nullptr) return false;
  std::vector<std::string> taken;
  for (const auto& other : items_)
    if (&other != item) taken.push_back(other.name);
  CItemNameDialog dialog(std::move(taken), item->name);
  if (!port.runDialog(dialog) || dialog.name() == item->name) return false;
  item->name = dialog.name();
  return true;
}

bool ItemPropertiesPage::remove(UiPort& port) {
  if (selected_ < 0) return false;
  if (port.message(question_, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes) return false;
  const WaitCursor wait(port);
  const int gone = selected_;
  if (erase_) erase_(gone);
  dropItem(gone);
  deleted_ = true;
  return true;
}

void ItemPropertiesPage::dropItem(int i) {
  if (i < 0 || i >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + i);
  select(0);
}

namespace {

std::vector<ItemProperties> envelopeItems(const EnvelopeSet& set) {
  std::vector<ItemProperties> items;
  for (const Envelope& e : set.envelopes)
    items.push_back({e.name, e.visible != 0, static_cast<ColorRef>(e.colour),
                     static_cast<int>(std::lround(e.transparency * 100.0f)), e.renderingMethod, e.density});
  return items;
}

}  // namespace

CEnvelopesPropertyPage::CEnvelopesPropertyPage(const EnvelopeSet& set, std::function<void(int)> erase)
    : ItemPropertiesPage(std::string(kKind), "Envelopes", "Are you sure you want to delete this Envelope?",
                         envelopeItems(set), std::move(erase)) {}

bool CEnvelopesPropertyPage::onOk(UiPort& port) {
  for (const auto& item : items_)
    if (!checkEnvelopeDensity(port, item.density)) return false;
  return true;
}

void CEnvelopesPropertyPage::apply(EnvelopeSet& set) const {
  const std::size_t n = std::min(items_.size(), set.envelopes.size());
  for (std::size_t i = 0; i < n; ++i) {
    Envelope& e = set.envelopes[i];
    const ItemProperties& item = items_[i];
    e.name = item.name;
    e.density = item.density;
    e.visible = item.visible ? 1 : 0;
    e.colour = static_cast<std::int32_t>(item.colour);
    e.renderingMethod = item.renderingMethod;
    e.transparency = static_cast<float>(item.transparency) / 100.0f;
  }
}

CCompositesPropertyPage::CCompositesPropertyPage(const EnvelopeSet& set, int symbol, int size)
    : markerSymbol(symbol), markerSize(size) {
  lines_.emplace_back(kOutside);
  for (const Envelope& e : set.envelopes) lines_.push_back(e.name);
  marked_.assign(lines_.size(), false);
}

std::string_view CCompositesPropertyPage::buttonText() const {
  return selected_ >= 0 && marked_[static_cast<std::size_t>(selected_)] ? "Keep Composites" : "Delete Composites";
}

void CCompositesPropertyPage::toggle() {
  if (selected_ < 0) return;
  const auto i = static_cast<std::size_t>(selected_);
  marked_[i] = !marked_[i];
}

std::vector<int> CCompositesPropertyPage::marked() const {
  std::vector<int> envelopes;
  for (std::size_t i = 0; i < marked_.size(); ++i)
    if (marked_[i]) envelopes.push_back(static_cast<int>(i) - 1);
  return envelopes;
}

void CCompositesPropertyPage::dropEnvelope(int i) {
  const int line = i + 1;
  if (i < 0 || line >= static_cast<int>(lines_.size())) return;
  lines_.erase(lines_.begin() + line);
  marked_.erase(marked_.begin() + line);
  if (selected_ >= static_cast<int>(lines_.size())) selected_ = -1;
}

}  // namespace qx
