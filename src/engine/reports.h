#pragma once
// The two tabular results: the polygon report (one line per polygon of
// influence) and the figure report (per figure, the polygons it covers and its
// totals). Both are fixed-width text written in one pass from the values the
// calculations stored; only the calculated variables of each reported polygon
// are evaluated again, with that polygon's (or piece's) surface, volume and
// tonnage.
//
// The text never depends on the process locale: numbers are written with '.'.
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace qx {

class CPolygonSet;
class CompositeSet;
class FigureSet;
class QuarlexSettings;
class UiPort;

inline constexpr std::string_view kPolygonReportFilter = "Polygon Report Files (*.txt)|*.txt|All Files (*.*)|*.*||";
inline constexpr std::string_view kPolygonReportCaption = "Save Polygon Report";
inline constexpr std::string_view kFigureReportFilter = "Figure Report Files (*.txt)|*.txt|All Files (*.*)|*.*||";
inline constexpr std::string_view kFigureReportCaption = "Save Figure Report";
inline constexpr std::string_view kReportExtension = "txt";

// The rules: this many "=" characters, then 13 more per variable (loaded and
// calculated).
inline constexpr int kPolygonReportTopRule = 143;
inline constexpr int kPolygonReportHeaderRule = 163;
inline constexpr int kPolygonReportColumnRule = 161;
inline constexpr int kReportRulePerVariable = 13;

// The time printed under the title. Tests inject a fixed one.
using ReportClock = std::function<std::tm()>;
// The current local time.
std::tm currentLocalTime();
// "%d/%m/%Y, %Hh%M": "05/12/2026, 17h03".
std::string reportTimeText(const std::tm& time);

// The whole polygon report: no final line break. `title` is the document's
// title, or "Unnamed Project".
std::string polygonReportText(std::string_view title, const std::tm& time, const CPolygonSet& polygons,
                              const CompositeSet& composites, const QuarlexSettings& settings);

// The whole figure report. The area of each polygon inside a figure comes from
// the polygon intersection routine, over the polygons whose boxes overlap the
// figure's as in the figure calculation; a polygon is listed when that area is
// above zero.
std::string figureReportText(std::string_view title, const std::tm& time, const FigureSet& figures,
                             const CPolygonSet& polygons, const CompositeSet& composites,
                             const QuarlexSettings& settings);

// How a report command ended.
enum class ReportOutcome {
  Written,    // the file holds the report
  Cancelled,  // the save dialog was cancelled: nothing written
  FileError,  // the file could not be opened or written; a message said so
};

// "The file %s could not be opened for writing."
std::string reportFileErrorMessage(std::string_view path);

// "Report &Polygons": the save dialog, then the report written to the chosen
// file (text mode, replaced whole).
ReportOutcome reportPolygons(UiPort& port, std::string_view title, const CPolygonSet& polygons,
                             const CompositeSet& composites, const QuarlexSettings& settings,
                             const ReportClock& clock = currentLocalTime);

// "Report &Figures": the same, with the wait cursor while the report is worked
// out and written.
ReportOutcome reportFigures(UiPort& port, std::string_view title, const FigureSet& figures, const CPolygonSet& polygons,
                            const CompositeSet& composites, const QuarlexSettings& settings,
                            const ReportClock& clock = currentLocalTime);

}  // namespace qx
