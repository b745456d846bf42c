#pragma once
// Loading figures from outline files (".dig" and ".rsv", read the same way;
// "Import &Figure Data"), and creating a figure from a finished digitized
// line.
//
// The outline format is the envelopes' (datasets/outline_reader.h); a figure
// file's header line carries, besides the name, the figure's stored results
// and one value per loaded variable, each in its own column.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/limits.h"
#include "common/types.h"
#include "io/delimited.h"
#include "io/line_reader.h"

namespace qx {

class ByteSource;
class CColorTable;
class CParamsRotation;
class CompositeSet;
class CPolygonSet;
class FigureSet;
class QuarlexSettings;
class UiPort;

inline constexpr const char* kOpenFigureTitle = "Open Figure Outline Datafile";
inline constexpr const char* kFigureFilter =
    "Figure Dataset Files (*.dig)|*.dig|Figure Dataset Files (*.rsv)|*.rsv|All Files (*.*)|*.*||";
inline constexpr const char* kLoadFiguresTitle = "Load Figures";
inline constexpr const char* kLoadingFiguresTitle = "Loading Figures";
inline constexpr std::string_view kNoPolygonsForNewFigure =
    "There are no polygons present, the figure will not be properly calculated";

// "File error.  Figure %s is duplicated.\nAborting figure load".
std::string duplicateFigureMessage(std::string_view name);
// "There were %d m_aFigures with less than 3 distinct contour points.\nThese
// figures have not been loaded."
std::string fewPointsMessage(int count);
// "%ld Figures Loaded".
std::string figuresLoadedText(long count);

// Where the fields of a figure file stand: 1-based position and width; a
// width of 0 means the file does not carry the field.
struct FigureFileField {
  int position = 0;
  int width = 0;
};
struct FigureFileLayout {
  FigureFileField name, x, y, z;
  FigureFileField area, thickness, volume, oreTonnage, wasteTonnage, coverage;
  std::vector<FigureFileField> variables;  // one per loaded variable
  // A delimited file (see readDelimitedOutline): its format and the columns
  // of the fields above in that order (name to coverage, then the variables).
  std::optional<DelimitedFormat> delimited = {};
  std::vector<DelimitedColumn> columns = {};
};

// One header line and the point lines that follow it.
struct FigureFileRecord {
  std::string name;  // trimmed of blanks at both ends
  // From the header line; -1 for a field of width 0.
  double area = -1.0;
  double thickness = -1.0;
  double volume = -1.0;
  double oreTonnage = -1.0;
  double wasteTonnage = -1.0;
  double oreFraction = -1.0;     // "Coverage (% Ore)"
  std::vector<double> values;    // one per loaded variable, -1 for a field of width 0
  std::vector<DPoint3D> points;  // as read, not rotated
};

// Reads the whole source: one record per header line ("1" in column 1);
// point lines ("2") before the first header line and lines of any other type
// are skipped. Fields that do not parse read 0.
// A coordinate or header value beyond the project's limits is noted in
// `fault` (the first only) when it is given.
// A NUL byte or a file without a line that could be read gives no records
// and is noted in `text` when it is given.
// A delimited file's bad lines, or why none could be read, go to `report`.
std::vector<FigureFileRecord> parseFigureFile(ByteSource& source, const FigureFileLayout& layout,
                                              NumberFault* fault = nullptr, TextFault* text = nullptr,
                                              DelimitedReport* report = nullptr);

struct FigureAddResult {
  bool duplicate = false;     // a name was used twice: nothing was added
  std::string duplicateName;  // the first name found twice
  int added = 0;              // figures appended
  int rejected = 0;           // figures with fewer than 3 distinct points, dropped
};

// The reading steps after the dialogs. First pass: every header name is
// checked against the set and the names before it in the file; a name used
// twice stops the load and the set is left as it was (figures appended before
// the stop have no points and are removed again). Second pass: each record
// becomes a figure with its header values and its points, rotated by the
// set's import rotation when that is active; `onFigure` is told the count so
// far. Then, from the last new figure to the first, repeated vertices are
// removed (tolerance: the radius of influence x 1e-9) and a figure left with
// 2 points or fewer is dropped. Each new figure that stays gets point count =
// its vertex count, its box, an area from the outline when the file gave -1,
// and, for a thickness of -1, its value of the thickness variable or the
// fixed thickness. The remaining -1 values wait for the next calculation.
FigureAddResult addFigureRecords(FigureSet& set, const std::vector<FigureFileRecord>& records,
                                 const QuarlexSettings& settings, const std::function<void(long)>& onFigure = {});

enum class FigureLoadResult {
  Cancelled,  // a dialog was cancelled or the file could not be opened: nothing changed
  Duplicate,  // the duplicate message was shown: nothing changed
  Empty,      // no figure came out of the file (after the warning, if any)
  Loaded,     // at least one figure was added
};

struct FigureLoadOutcome {
  FigureLoadResult result = FigureLoadResult::Cancelled;
  int added = 0;  // the new figures stand at the end of the set
  int rejected = 0;
};

// Edits the import rotation; false on Cancel. Empty: the "Rotation
// Parameters" dialog through the port.
using FigureRotationEditor = std::function<bool(UiPort&, CParamsRotation&)>;

// The whole command: the file dialog, the "Load Figures" wizard (the figure
// columns from the set's column list, "Z Coordinate" only in a 3D project,
// then one column per loaded variable from its figure-file position and
// width; the user's choices are written back), the rotation dialog when
// asked for, the progress window, the duplicate message and the warning for
// figures with fewer than 3 distinct points. The last path is remembered in
// settings.lastFigureFile. Drawing the new figures and updating the colours
// are the caller's.
FigureLoadOutcome loadFigures(UiPort& port, FigureSet& set, QuarlexSettings& settings,
                              const FigureRotationEditor& editRotation = {});

// Creates a figure from a finished digitized line. The "Figure Properties"
// dialog asks the name (starting from "figure"); Cancel returns -1 and
// nothing is created. The points become the outline (a last point equal to
// the first is dropped: the outline is closed implicitly); when the
// outline's right-handed normal points along `viewDirection`, the vertex
// order is reversed so that the outline faces the viewer. The figure is
// appended; with no polygons the warning kNoPolygonsForNewFigure is shown;
// it is then calculated. Returns its index. Clearing the digitized line,
// drawing the figure and updating the colours are the caller's.
int createFigureFromLine(UiPort& port, FigureSet& set, std::vector<DPoint3D> points, const DPoint3D& viewDirection,
                         const CPolygonSet& polygons, const CompositeSet& composites, const QuarlexSettings& settings);

// Newell's normal of a closed outline, unit length; (0, 0, 0) for a
// degenerate one.
DPoint3D outlineNormal(const std::vector<DPoint3D>& outline);

}  // namespace qx
