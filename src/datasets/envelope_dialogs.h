#pragma once
// The models of the two envelope dialogs: the properties of an envelope being
// loaded ("Envelope Properties") and the envelope that receives a newly
// digitized contour.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "port/dialog_model.h"

namespace qx {

class EnvelopeSet;

inline constexpr double kEnvelopeDensityMax = 10000000.0;
inline constexpr std::size_t kEnvelopeNameMaxLength = 32;

class CEnvelopePropertiesDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "envelope_properties";
  // Normal: every control enabled. FixedColour: the colour is light grey and
  // its controls disabled. FixedColourAndDensity: the density is disabled too.
  enum class Mode { Normal, FixedColour, FixedColourAndDensity };
  static constexpr ColorRef kFixedColour = makeRgb(200, 200, 200);

  // `existing`: the envelopes whose names a new name is checked against; may be null.
  explicit CEnvelopePropertiesDialog(const EnvelopeSet* existing, Mode mode = Mode::Normal);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Envelope Properties"; }

  Mode mode() const { return mode_; }
  bool colourEnabled() const { return mode_ == Mode::Normal; }
  bool densityEnabled() const { return mode_ != Mode::FixedColourAndDensity; }

  const std::string& name() const { return name_; }
  // The edit holds at most 32 characters; a longer text is cut.
  void setName(std::string_view name);
  double density() const { return density_; }
  void setDensity(double d) { density_ = d; }
  ColorRef colour() const { return colour_; }
  void setColour(ColorRef c);
  // The colour button: the system colour chooser, starting from the colour shown.
  void chooseColour(UiPort& port);

  // Yes was answered to the merge question.
  bool merge() const { return merge_; }

  // Trims the name; refuses a blank name and a density outside 0..10000000;
  // a name in use asks whether to merge (No keeps the dialog open).
  bool onOk(UiPort& port) override;

 private:
  const EnvelopeSet* existing_;
  Mode mode_;
  std::string name_;
  double density_ = 2.0;
  ColorRef colour_ = 0;
  bool merge_ = false;
};

class CCreateEnvelopeDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "create_envelope";

  // The list shows the names of `set`; the density starts at `defaultDensity`.
  CCreateEnvelopeDialog(const EnvelopeSet& set, double defaultDensity);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Create Envelope"; }

  const std::vector<std::string>& envelopeNames() const { return names_; }
  const std::string& name() const { return name_; }
  void setName(std::string_view name) { name_ = std::string(name); }
  double density() const { return density_; }
  void setDensity(double d) { density_ = d; }
  ColorRef colour() const { return colour_; }
  void setColour(ColorRef c) { colour_ = c; }
  void chooseColour(UiPort& port);

  // After OK: the existing envelope that takes the contour, or -1 for a new one.
  int target() const { return target_; }

  // Trims the name; checks the density; for each existing envelope of that
  // name asks "Add this contour to Envelope %s?": Cancel keeps the dialog
  // open, OK makes that envelope the target.
  bool onOk(UiPort& port) override;

  // After OK: the index of the envelope that receives the contour; appends a
  // new envelope (name, density, colour) when there is no target.
  int apply(EnvelopeSet& set) const;

 private:
  const EnvelopeSet* set_;
  std::vector<std::string> names_;
  std::string name_ = "envelope";
  double density_;
  ColorRef colour_ = 0;
  int target_ = -1;
};

// "Please enter a number between 0 and 10000000." when out of range.
bool checkEnvelopeDensity(UiPort& port, double density);

}  // namespace qx
