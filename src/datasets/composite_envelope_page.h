#pragma once
// The page that says, envelope by envelope, whether the composites inside
// it are used, and whether those outside every envelope are. The calculation
// settings show it with the use-composites flags ("Composites"); the
// composite export shows it first with the export flags. Beside it, the
// calculation settings' "Envelopes" page: which envelopes clip the polygons,
// and their priority.
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

// "Envelopes" of the calculation settings: one line per envelope in the
// project's order, which is the priority (where envelopes overlap, the first
// that contains a composite owns it and clips its polygon).
class CPropPageEnvelopeClipping : public PageModel {
 public:
  static constexpr std::string_view kKind = "envelope_clipping";
  static constexpr std::string_view kNameColumn = "Envelope Name";
  static constexpr std::string_view kClipColumn = "Clip Polygons With Envelope?";
  static constexpr std::string_view kPriorityColumn = "Priority";
  static constexpr std::string_view kActive = "CLIPPING ACTIVE";
  static constexpr std::string_view kNotUsed = "NOT USED";

  struct Line {
    std::string name;
    std::string status;    // "CLIPPING ACTIVE" or "NOT USED"
    std::string priority;  // the line's position from 1
    friend bool operator==(const Line&, const Line&) = default;
  };

  explicit CPropPageEnvelopeClipping(const EnvelopeSet& envelopes);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Envelopes"; }

  std::vector<Line> lines() const;
  int lineCount() const { return static_cast<int>(order_.size()); }
  int selectedLine() const { return selected_; }
  void selectLine(int line) { selected_ = line >= 0 && line < lineCount() ? line : -1; }
  // "Select" and "De-Select" in "Clipping Selection".
  void select() { setClip(1); }
  void deSelect() { setClip(0); }
  // "Increase" and "Decrease" in "Envelope Priority": the selected envelope
  // changes places with the one above (below) it, and stays selected.
  // Nothing on the first (last) line or without a selection.
  void increase() { swapWith(-1); }
  void decrease() { swapWith(1); }

  // The project's envelopes in the page's order, each with its line's
  // clip-polygons flag. Lines carry their envelope's index, so two envelopes
  // of one name stay two.
  void applyTo(EnvelopeSet& envelopes) const;

 private:
  void setClip(std::int32_t flag);
  void swapWith(int step);

  std::vector<std::string> names_;
  std::vector<std::int32_t> clip_;  // per envelope, in the project's order
  std::vector<int> order_;          // line -> envelope index
  int selected_ = -1;
};

// The export's page: each envelope's export-composites flag and the flag for
// composites outside every envelope, both kept in the envelope set.
std::unique_ptr<CPropPageCompositeEnvelopes> makeCompositeExportPage(const EnvelopeSet& envelopes);
void applyCompositeExportPage(const CPropPageCompositeEnvelopes& page, EnvelopeSet& envelopes);

// The export command's envelope hooks over `envelopes`, which must outlive
// them: the page above, written back after Finish. The rotation hook is left
// for the caller.
CompositeExportHooks compositeExportEnvelopeHooks(EnvelopeSet& envelopes);

}  // namespace qx
