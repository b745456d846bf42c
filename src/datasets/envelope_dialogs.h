#pragma once
// The models of the two envelope dialogs: the properties of an envelope being
// loaded ("Envelope Properties") and the envelope that receives a newly
// digitized contour; and the pages of the property sheets that rename,
// delete, show, hide and colour the items of a dataset.
#include <array>
#include <cstdint>
#include <functional>
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

inline constexpr std::string_view kNameInUse = "That name is in use already.\nPlease choose another.";
inline constexpr std::array<std::string_view, 5> kRenderingMethods = {"Lines Only", "No Shading", "Flat Shading",
                                                                      "Gouraud Shading", "Phong Shading"};

// The name dialog of the property pages: a new name for one item. The name
// is trimmed; a blank name, or one that another item bears (exact,
// case-sensitive), is refused with its message and the dialog stays open.
class CItemNameDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "item_name";
  CItemNameDialog(std::vector<std::string> taken, std::string name)
      : taken_(std::move(taken)), name_(std::move(name)) {}
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Enter New Name"; }
  const std::string& name() const { return name_; }
  // At most 32 characters are kept.
  void setName(std::string_view name) { name_ = std::string(name.substr(0, kEnvelopeNameMaxLength)); }
  bool onOk(UiPort& port) override;

 private:
  std::vector<std::string> taken_;
  std::string name_;
};

// The working copy of one item on a property page.
struct ItemProperties {
  std::string name;
  bool visible = true;
  ColorRef colour = 0;
  int transparency = 0;  // the slider, percent 0 to 100
  int renderingMethod = 0;
  double density = 0.0;  // envelopes only
  friend bool operator==(const ItemProperties&, const ItemProperties&) = default;
};

// A page over the items of one dataset: the list of names, the selected
// item's fields, "Rename" and "Delete". The fields are working copies; a
// deletion acts on the dataset at once.
class ItemPropertiesPage : public PageModel {
 public:
  // `erase(i)` removes item i from the dataset and redraws its display.
  ItemPropertiesPage(std::string kind, std::string title, std::string deleteQuestion, std::vector<ItemProperties> items,
                     std::function<void(int)> erase);
  std::string_view kind() const override { return kind_; }
  std::string title() const override { return title_; }

  const std::vector<ItemProperties>& items() const { return items_; }
  // The selected item, -1 for none; the page opens on the first.
  int selected() const { return selected_; }
  void select(int i) { selected_ = i >= 0 && i < static_cast<int>(items_.size()) ? i : -1; }
  // The selected item's working copy; null without a selection.
  ItemProperties* current() { return selected_ < 0 ? nullptr : &items_[static_cast<std::size_t>(selected_)]; }
  // The slider: percent, kept within 0 to 100.
  void setTransparency(int percent);
  // "Select Colour...": the colour chooser from the selected item's colour.
  void selectColour(UiPort& port);
  // "Rename": the name dialog; true when the name changed.
  bool rename(UiPort& port);
  // "Delete": the question (Yes/No); on Yes, with the wait cursor, the item
  // goes from the dataset and from the page, the first item is selected (or
  // none) and the page records that the dataset changed.
  bool remove(UiPort& port);
  bool deleted() const { return deleted_; }
  // Another page of the sheet lost item i.
  void dropItem(int i);

 protected:
  std::vector<ItemProperties> items_;

 private:
  std::string kind_;
  std::string title_;
  std::string question_;
  std::function<void(int)> erase_;
  int selected_ = -1;
  bool deleted_ = false;
};

// "Envelopes": name, "Envelope Visible", colour, "Transparency", "Rendering
// Method" and "Density in Envelope". Accepting the sheet writes every field
// back (apply), the transparency as the percentage over 100.
class CEnvelopesPropertyPage : public ItemPropertiesPage {
 public:
  static constexpr std::string_view kKind = "envelopes_properties";
  CEnvelopesPropertyPage(const EnvelopeSet& set, std::function<void(int)> erase);
  // Refuses a density outside 0 to 10000000.
  bool onOk(UiPort& port) override;
  void apply(EnvelopeSet& set) const;
};

// "Composites": the marker style and size, and the envelopes (headed by
// "Outside All Envelopes") whose composites are to be deleted on OK.
class CCompositesPropertyPage : public PageModel {
 public:
  static constexpr std::string_view kKind = "composites_properties";
  static constexpr std::string_view kOutside = "Outside All Envelopes";
  static constexpr std::array<std::string_view, 7> kSymbols = {"+", "*", "(.)", "()", "[*]", "/*\\", "<*>"};
  static constexpr std::array<std::string_view, 5> kSizes = {"0.1", "0.2", "0.3", "0.4", "0.5"};
  CCompositesPropertyPage(const EnvelopeSet& set, int markerSymbol, int markerSize);
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Composites"; }

  int markerSymbol = 0;
  int markerSize = 2;
  // "Outside All Envelopes", then the envelopes' names.
  const std::vector<std::string>& lines() const { return lines_; }
  int selected() const { return selected_; }
  void select(int line) { selected_ = line >= 0 && line < static_cast<int>(lines_.size()) ? line : -1; }
  // "Delete Composites" while the selected entry's composites stay, "Keep
  // Composites" once they are marked.
  std::string_view buttonText() const;
  void toggle();
  // The marked envelopes, by index; -1 for the composites outside every envelope.
  std::vector<int> marked() const;
  // Envelope i was deleted.
  void dropEnvelope(int i);

 private:
  std::vector<std::string> lines_;
  std::vector<bool> marked_;
  int selected_ = -1;
};

}  // namespace qx
