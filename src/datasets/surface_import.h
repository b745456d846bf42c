#pragma once
// Reading surfaces from fixed-column text files, and the surface properties
// dialog.
//
// The reader turns every line of a file into one plain point record (x, y,
// elevation as read, before any rotation); the load flow then asks the user
// step by step through the port and builds the surface from the records.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/limits.h"
#include "common/types.h"
#include "datasets/surfaces.h"
#include "io/columns.h"
#include "io/delimited.h"
#include "io/line_reader.h"
#include "port/dialog_model.h"

namespace qx {

class ByteSource;
class UiPort;

inline constexpr std::string_view kOpenSurfaceTitle = "Open Surface Datafile";
inline constexpr std::string_view kSurfaceFileFilter =
    "Surface Dataset Files (*.xyz;*.dat)|*.xyz; *.dat|All Files (*.*)|*.*||";
inline constexpr std::string_view kLoadSurfacesTitle = "Load Surfaces";
inline constexpr std::string_view kLoadingSurfaceTitle = "Loading Surface";

// Where x, y and elevation sit on a line: 1-based first column and width.
struct SurfaceFileLayout {
  std::array<std::int32_t, SurfaceSet::kFieldCount> positions{1, 11, 21};
  std::array<std::int32_t, SurfaceSet::kFieldCount> widths{10, 10, 10};
  // A delimited file: its format and the columns of x, y and elevation (the
  // fixed columns above are then unused); blank lines are passed over and
  // bad lines counted, not read.
  std::optional<DelimitedFormat> delimited = {};
  std::vector<DelimitedColumn> columns = {};
  static SurfaceFileLayout of(const SurfaceSet& set) { return {set.fieldPositions, set.fieldWidths}; }
};

// One line: the three fields as decimal numbers, 0 for a field that does not
// parse. Always finite.
DPoint3D parseSurfaceLine(std::string_view line, const SurfaceFileLayout& layout);

// Every line of the source (up to 511 characters, blank-padded; blank lines
// and header lines included) gives one record. `progress`, when given, is
// called with the number of records read after every 100th.
// A point beyond the project's limits is noted in `fault` (the first only)
// when it is given.
// A NUL byte or a file without a line that could be read gives no records
// and is noted in `text` when it is given. A delimited file's bad lines, or
// why none could be read (no records then), go to `report` when it is given.
std::vector<DPoint3D> readSurfaceRecords(ByteSource& source, const SurfaceFileLayout& layout,
                                         const std::function<void(long)>& progress = {}, NumberFault* fault = nullptr,
                                         TextFault* text = nullptr, DelimitedReport* report = nullptr);

// "%ld Points Loaded".
std::string pointsLoadedText(long count);

// The "Surface Properties" dialog: "Surface Name :" (at most 32 characters)
// and "Surface Colour :" with "Select Colour...". OK trims the name and refuses
// a blank one or one that another surface of the set already has.
class CSurfacePropertiesDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "surface_properties";
  static constexpr std::string_view kNameLabel = "Surface Name :";
  static constexpr std::string_view kColourLabel = "Surface Colour :";
  static constexpr std::string_view kSelectColourLabel = "Select Colour...";
  static constexpr std::size_t kMaxName = 32;
  static constexpr std::string_view kBlankName = "The name cannot be blank.\nPlease choose another.";
  static constexpr std::string_view kNameInUse = "That surface name is in use already.\n\nPlease chose another name.";

  // `edited`: the index of the surface being edited, -1 for a new one (its
  // own name then does not count as in use).
  CSurfacePropertiesDialog(const SurfaceSet& set, int edited, std::string name, std::int32_t colour);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Surface Properties"; }

  const std::string& name() const { return name_; }
  // As typed; the edit takes at most 32 characters.
  void setName(std::string_view name);
  std::int32_t colour() const { return colour_; }
  void setColour(std::int32_t colour) { colour_ = colour; }
  // "Select Colour...": the colour chooser, starting from the current colour.
  void selectColour(UiPort& port);

  // Trims the name, then refuses a blank name or one in use (information
  // message, the dialog stays open).
  bool onOk(UiPort& port) override;

 private:
  const SurfaceSet* set_;
  int edited_;
  std::string name_;
  std::int32_t colour_;
};

// Leading and trailing blanks, tabs and line ends removed.
std::string trimName(std::string_view name);

// "Import &Surface Data": file dialog (the path is remembered in `lastPath`),
// the "Load Surfaces" wizard with the "File Format" page, the rotation dialog
// when the page's rotation is ticked, the properties dialog, then the read
// under the "Loading Surface" progress window. Returns 1 when a surface was
// appended, 0 when the command ended; a cancelled step, or a file that cannot
// be opened, leaves the set exactly as it was (the remembered path aside).
// The caller draws the new surface (the last one). The page's choice of
// fixed columns or a delimited file is taken from and kept in `format` when given.
int loadSurface(SurfaceSet& set, UiPort& port, std::string& lastPath, DelimitedChoice* format = nullptr);

}  // namespace qx
