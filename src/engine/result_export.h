#pragma once
// Writing the polygons of influence and the figures to outline files (record
// types "1" and "2"): a wizard describes the columns, an optional rotation is
// applied to the coordinates, and every item becomes one header line followed
// by one line per outline vertex.
//
// The header line starts as 510 blanks; each column's text, formatted to
// exactly its width (names "%-*.*s", numbers "%*.*lf" cut to the width), is
// copied in at its 1-based position, a later column overwriting an earlier
// one's characters; a column of width 0 or position 0 writes nothing. The line
// is cut after the right-most column written (a column reaching past the 510
// blanks lengthens it) and its first character becomes "1". Vertex lines are
// the outline point lines of the envelope export (254 blanks, X, Y and, in a
// 3D project, Z; first character "2").
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/column_pages.h"
#include "io/columns.h"
#include "port/dialog_model.h"

namespace qx {

class CPolygonSet;
class CompositeSet;
class FigureSet;
class QuarlexSettings;
class UiPort;

inline constexpr std::string_view kExportPolygonsTitle = "Export Polygons";
inline constexpr std::string_view kExportFiguresTitle = "Export Figures";
// Both exports use this save-dialog title.
inline constexpr std::string_view kSaveResultDatafileTitle = "Save Figure Datafile";
inline constexpr std::string_view kResultDatafileExtension = "dig";
inline constexpr std::string_view kPolygonDatafileFilter = "Polygon Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||";
inline constexpr std::string_view kFigureDatafileFilter = "Figure Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||";
inline constexpr std::size_t kResultHeaderBlanks = 510;

// The fixed columns of the two exports, in order, before the variables.
inline constexpr std::string_view kColumnName = "Name";
inline constexpr std::string_view kColumnX = "X Coordinate";
inline constexpr std::string_view kColumnY = "Y Coordinate";
inline constexpr std::string_view kColumnZ = "Z Coordinate";
inline constexpr std::string_view kPolygonValueColumns[] = {"Surface Area", "Thickness", "Volume", "Tonnage"};
inline constexpr std::string_view kFigureValueColumns[] = {"Surface Area", "Thickness",     "Volume",
                                                           "Ore Tonnage",  "Waste Tonnage", "Coverage (% Ore)"};

// One header line (with its "\n"): `name` in `nameColumn`, then values[k] in
// valueColumns[k] (pairs beyond the shorter of the two are left out).
std::string resultHeaderLine(const ColumnField& nameColumn, std::string_view name,
                             std::span<const ColumnField> valueColumns, std::span<const double> values);

// The columns of one export as its column page shows them: "Name", the
// coordinates ("Z Coordinate" left out in a 2D project), the set's value
// columns, then one column per loaded and per calculated variable with that
// variable's polygon-file (or figure-file) position, width and decimals. A
// fixed column missing from the set's list shows as position 0, width 0, 2
// decimals.
ColumnDescription polygonExportDescription(const CPolygonSet& set, const QuarlexSettings& settings);
ColumnDescription figureExportDescription(const FigureSet& set, const QuarlexSettings& settings);
// The page's positions, widths and decimals written back to the set's columns
// and the variables. `description` is laid out as the functions above make it
// for the same settings; its fields are taken in that order, so a variable
// that bears the name of a fixed column keeps its own values. A fixed column
// the set's list lacks is appended to it.
void applyPolygonExportDescription(const ColumnDescription& description, CPolygonSet& set, QuarlexSettings& settings);
void applyFigureExportDescription(const ColumnDescription& description, FigureSet& set, QuarlexSettings& settings);

// The file text: every polygon in set order (its composite's name, area,
// thickness, volume, tonnage, the composite's loaded values, then its
// calculated values), each followed by its outline's vertex lines. `rotate`:
// the vertices pass through the set's export rotation. A polygon whose
// composite is missing gets a blank name and 0 for every variable.
std::string polygonExportText(const CPolygonSet& set, const CompositeSet& composites, const QuarlexSettings& settings,
                              bool rotate);
// The same for the figures whose indices are listed, in that order (figure's
// name, area, thickness, volume, ore and waste tonnage, ore fraction, its
// loaded and calculated values, 0 for any it lacks), each followed by the
// vertex lines of its first point-count vertices.
std::string figureExportText(const FigureSet& set, std::span<const int> figures, const QuarlexSettings& settings,
                             bool rotate);

// The first page of "Export Figures": "Figures" ("Select Figures To Export").
// "All Figures" exports every figure; "Single Figure" the one chosen in the
// first list; "Figures in Group/Blend" the ones ticked in the second list,
// which holds every figure's name (a group the user makes for this export),
// in set order.
class CPropPageSelectFigures : public PageModel {
 public:
  static constexpr std::string_view kKind = "select_figures";
  static constexpr std::string_view kHeading = "Select Figures To Export";
  static constexpr std::string_view kAllLabel = "All Figures";
  static constexpr std::string_view kSingleLabel = "Single Figure";
  static constexpr std::string_view kGroupLabel = "Figures in Group/Blend";
  // Leaving the page with "Figures in Group/Blend" and nothing ticked.
  static constexpr std::string_view kEmptyGroupMessage = "Tick the figures of the group in the list.";

  enum Choice : int { kAll = 0, kSingle = 1, kGroup = 2 };

  explicit CPropPageSelectFigures(const FigureSet& set);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Figures"; }

  const std::vector<std::string>& names() const { return names_; }
  Choice choice() const { return choice_; }
  void setChoice(Choice c) { choice_ = c; }
  // The figure chosen in the first list (the first figure to start with; -1
  // when there is none). An index outside the list changes nothing.
  int singleFigure() const { return single_; }
  void setSingleFigure(int index);
  // The ticks of the second list, all off to start with.
  bool inGroup(int index) const;
  void setInGroup(int index, bool on);

  // Nothing to prepare: the first of two pages, the wizard shows Next.
  void onSetActive() override {}
  // "Figures in Group/Blend" with nothing ticked shows kEmptyGroupMessage and
  // keeps the page.
  bool onKillActive(UiPort& port) override;
  bool onOk(UiPort& port) override { return onKillActive(port); }

  // The indices of the figures to export, in set order.
  std::vector<int> selectedFigures() const;

 private:
  std::vector<std::string> names_;
  std::vector<bool> group_;
  Choice choice_ = kAll;
  int single_ = -1;
};

// How an export command ended. Every outcome but `Cancelled` means the
// column choices were written back to the set and the variables (a project
// change).
enum class ResultExportOutcome {
  Written,      // the file holds the export
  Cancelled,    // the wizard was cancelled: nothing changed, no file
  ColumnsKept,  // the rotation or save dialog was cancelled: no file
  FileError,    // the file could not be created or written; no message
};

// "Export Po&lygon Data": the wizard "Export Polygons" (column page with the
// rotation option), the "Rotation Parameters" dialog on the set's export
// rotation when the option is ticked, the save dialog, then the file. In a
// 3D project the "Z Coordinate" column is offered and Z written.
ResultExportOutcome exportPolygons(UiPort& port, CPolygonSet& set, const CompositeSet& composites,
                                   QuarlexSettings& settings);
// "Export F&igure Data": the wizard "Export Figures" (figure selection page,
// then the column page), the rotation dialog on the figure set's export
// rotation when ticked, the save dialog, then the file.
ResultExportOutcome exportFigures(UiPort& port, FigureSet& set, QuarlexSettings& settings);

}  // namespace qx
