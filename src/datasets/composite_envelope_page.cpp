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

CPropPageEnvelopeClipping::CPropPageEnvelopeClipping(const EnvelopeSet& envelopes) {
  for (const auto& e : envelopes.envelopes) {
    order_.push_back(static_cast<int>(names_.size()));
    names_.push_back(e.name);
    clip_.push_back(e.clipPolygons != 0 ? 1 : 0);  // as the generation reads it
  }
}

std::vector<CPropPageEnvelopeClipping::Line> CPropPageEnvelopeClipping::lines() const {
  std::vector<Line> out;
  for (std::size_t line = 0; line < order_.size(); ++line) {
    const auto e = static_cast<std::size_t>(order_[line]);
    out.push_back({names_[e], std::string(clip_[e] == 1 ? kActive : kNotUsed), std::to_string(line + 1)});
  }
  return out;
}

void CPropPageEnvelopeClipping::setClip(std::int32_t flag) {
  if (selected_ >= 0) clip_[static_cast<std::size_t>(order_[static_cast<std::size_t>(selected_)])] = flag;
}

void CPropPageEnvelopeClipping::swapWith(int step) {
  const int other = selected_ + step;
  if (selected_ < 0 || other < 0 || other >= lineCount()) return;
  std::swap(order_[static_cast<std::size_t>(selected_)], order_[static_cast<std::size_t>(other)]);
  selected_ = other;
}

void CPropPageEnvelopeClipping::applyTo(EnvelopeSet& envelopes) const {
  if (envelopes.envelopes.size() != order_.size()) return;
  std::vector<Envelope> ordered;
  ordered.reserve(order_.size());
  for (int e : order_) {
    ordered.push_back(std::move(envelopes.envelopes[static_cast<std::size_t>(e)]));
    ordered.back().clipPolygons = clip_[static_cast<std::size_t>(e)];
  }
  envelopes.envelopes = std::move(ordered);
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
