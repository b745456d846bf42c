#pragma once
// Writing envelopes to an outline file: the "Export Envelopes" wizard (which
// envelopes, which columns), the save dialog, then one header line per
// contour followed by its point lines. No rotation is applied.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "port/dialog_model.h"

namespace qx {

class EnvelopeSet;
class UiPort;
class ProgressWindow;

inline constexpr const char* kExportEnvelopesTitle = "Export Envelopes";
inline constexpr const char* kSaveEnvelopeTitle = "Save Envelope Datafile";
inline constexpr const char* kEnvelopeSaveProgressTitle = "Envelope Save Progress";

// The page of "Export Envelope" switches, one per envelope, edited in place
// of a copy; the flow stores them into exportEnvelope after Finish.
class CPropPageExportEnvelopes : public PageModel {
 public:
  static constexpr std::string_view kKind = "export_envelopes";
  explicit CPropPageExportEnvelopes(const EnvelopeSet& set);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Export Envelopes"; }

  const std::vector<std::string>& names() const { return names_; }
  int count() const { return static_cast<int>(switches_.size()); }
  bool exportEnvelope(int i) const { return switches_.at(static_cast<std::size_t>(i)); }
  void setExportEnvelope(int i, bool on) { switches_.at(static_cast<std::size_t>(i)) = on; }
  // Stores the switches into the envelopes' exportEnvelope.
  void apply(EnvelopeSet& set) const;

 private:
  std::vector<std::string> names_;
  std::vector<bool> switches_;
};

// The file text the export writes for `set` (each envelope whose
// exportEnvelope is set, its contours numbered from 0). `is3D`: Z is written.
// `progress` (may be null) gets the texts and the bar steps.
std::string formatOutlineFile(const EnvelopeSet& set, bool is3D, ProgressWindow* progress = nullptr);

// The whole command; false when it ended early (a Cancel, or the file could
// not be created).
bool exportEnvelopes(UiPort& port, EnvelopeSet& set, bool is3D);

}  // namespace qx
