#include "datasets/composite_envelope_page.h"

#include <algorithm>
#include <utility>

#include "datasets/composites.h"
#include "datasets/envelopes.h"

namespace qx {

CPropPageCompositeEnvelopes::CPropPageCompositeEnvelopes(std::vector<std::string> names,
                                                         std::vector<std::int32_t> flags, bool outside,
                                                         std::string title)
    : title_(std::move(title)), names_(std::move(names)), flags_(std::move(flags)), outside_(outside) {
  // One flag per line, 1 or 0; a line without a flag reads "NOT USED".
  flags_.resize(names_.size(), 0);
  for (auto& f : flags_) f = f == 1 ? 1 : 0;
}

std::vector<CPropPageCompositeEnvelopes::Line> CPropPageCompositeEnvelopes::lines() const {
  std::vector<Line> out;
  out.reserve(names_.size());
  for (std::size_t i = 0; i < names_.size(); ++i)
    out.push_back({names_[i], std::string(flags_[i] == 1 ? kUsed : kNotUsed)});
  return out;
}

void CPropPageCompositeEnvelopes::setSelected(std::int32_t flag) {
  if (selected_ < 0 || selected_ >= lineCount()) return;
  flags_[static_cast<std::size_t>(selected_)] = flag;
}

std::unique_ptr<CPropPageCompositeEnvelopes> makeCompositeUsePage(const EnvelopeSet& envelopes,
                                                                  const CompositeSet& composites) {
  std::vector<std::string> names;
  std::vector<std::int32_t> flags;
  for (const auto& e : envelopes.envelopes) {
    names.push_back(e.name);
    flags.push_back(e.useComposites);
  }
  return std::make_unique<CPropPageCompositeEnvelopes>(std::move(names), std::move(flags), composites.useOutside == 1);
}

void applyCompositeUsePage(const CPropPageCompositeEnvelopes& page, EnvelopeSet& envelopes, CompositeSet& composites) {
  const std::size_t n = std::min(page.flags().size(), envelopes.envelopes.size());
  for (std::size_t i = 0; i < n; ++i) envelopes.envelopes[i].useComposites = page.flags()[i];
  composites.useOutside = page.outside() ? 1 : 0;
}

std::unique_ptr<CPropPageCompositeEnvelopes> makeCompositeExportPage(const EnvelopeSet& envelopes) {
  std::vector<std::string> names;
  std::vector<std::int32_t> flags;
  for (const auto& e : envelopes.envelopes) {
    names.push_back(e.name);
    flags.push_back(e.exportComposites);
  }
  return std::make_unique<CPropPageCompositeEnvelopes>(std::move(names), std::move(flags),
                                                       envelopes.exportOutside == 1);
}

void applyCompositeExportPage(const CPropPageCompositeEnvelopes& page, EnvelopeSet& envelopes) {
  const std::size_t n = std::min(page.flags().size(), envelopes.envelopes.size());
  for (std::size_t i = 0; i < n; ++i) envelopes.envelopes[i].exportComposites = page.flags()[i];
  envelopes.exportOutside = page.outside() ? 1 : 0;
}

CompositeExportHooks compositeExportEnvelopeHooks(EnvelopeSet& envelopes) {
  CompositeExportHooks hooks;
  EnvelopeSet* set = &envelopes;
  hooks.makeEnvelopePage = [set]() -> std::unique_ptr<PageModel> { return makeCompositeExportPage(*set); };
  hooks.applyEnvelopePage = [set](PageModel& page) {
    if (auto* p = dynamic_cast<CPropPageCompositeEnvelopes*>(&page)) applyCompositeExportPage(*p, *set);
  };
  return hooks;
}

}  // namespace qx
