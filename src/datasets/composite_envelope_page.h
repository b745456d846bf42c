#pragma once
// The page that says, envelope by envelope, whether the composites inside
// it are used, and whether those outside every envelope are. The calculation
// settings show it with the use-composites flags ("Composites"); the
// composite export shows it first with the export flags.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/composite_export.h"
#include "port/dialog_model.h"

namespace qx {

class CompositeSet;
class EnvelopeSet;

class CPropPageCompositeEnvelopes : public PageModel {
 public:
  static constexpr std::string_view kKind = "composite_envelopes";
  static constexpr std::string_view kTitle = "Composites";
  static constexpr std::string_view kNameColumn = "Envelope Name";
  static constexpr std::string_view kUseColumn = "Use Composites?";
  static constexpr std::string_view kUsed = "COMPOSITES USED";
  static constexpr std::string_view kNotUsed = "NOT USED";
  static constexpr std::string_view kOutsideSwitch = "Use Composites that are not contained in any Envelopes";

  struct Line {
    std::string name;    // "Envelope Name"
    std::string status;  // "Use Composites?": "COMPOSITES USED" or "NOT USED"
    friend bool operator==(const Line&, const Line&) = default;
  };

  // One line per envelope, `flags[i]` (1 used, anything else not) for line
  // i; `outside` is the switch for the composites outside every envelope.
  CPropPageCompositeEnvelopes(std::vector<std::string> names, std::vector<std::int32_t> flags, bool outside,
                              std::string title = std::string(kTitle));

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return title_; }

  std::vector<Line> lines() const;
  int lineCount() const { return static_cast<int>(names_.size()); }

  // The selected line, -1 for none (the page opens with none).
  int selectedLine() const { return selected_; }
  void selectLine(int line) { selected_ = line >= 0 && line < lineCount() ? line : -1; }
  // "Select": the selected line reads "COMPOSITES USED"; "De-Select": "NOT
  // USED". Nothing without a selected line.
  void select() { setSelected(1); }
  void deSelect() { setSelected(0); }

  // The switch "Use Composites that are not contained in any Envelopes".
  bool outside() const { return outside_; }
  void setOutside(bool on) { outside_ = on; }

  // The page's flags, one per line: 1 used, 0 not.
  const std::vector<std::int32_t>& flags() const { return flags_; }

 private:
  void setSelected(std::int32_t flag);

  std::string title_;
  std::vector<std::string> names_;
  std::vector<std::int32_t> flags_;
  bool outside_;
  int selected_ = -1;
};

// The calculation's page: each envelope's use-composites flag and the
// composite set's flag for composites outside every envelope.
std::unique_ptr<CPropPageCompositeEnvelopes> makeCompositeUsePage(const EnvelopeSet& envelopes,
                                                                  const CompositeSet& composites);
// Writes the page's flags back: line i to envelope i, the switch to the set.
void applyCompositeUsePage(const CPropPageCompositeEnvelopes& page, EnvelopeSet& envelopes, CompositeSet& composites);

// The export's page: each envelope's export-composites flag and the flag for
// composites outside every envelope, both kept in the envelope set.
std::unique_ptr<CPropPageCompositeEnvelopes> makeCompositeExportPage(const EnvelopeSet& envelopes);
void applyCompositeExportPage(const CPropPageCompositeEnvelopes& page, EnvelopeSet& envelopes);

// The export command's envelope hooks over `envelopes`, which must outlive
// them: the page above, written back after Finish. The rotation hook is left
// for the caller.
CompositeExportHooks compositeExportEnvelopeHooks(EnvelopeSet& envelopes);

}  // namespace qx
