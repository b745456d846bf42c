#pragma once
// The composition of one section plot (a sheet with its frame and title
// block, the composites, polygons, figures and envelopes of the section's
// window and slab), the "Generate Plot Files" dialog and the loop over the
// chosen sections.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/types.h"
#include "plot/gplot.h"
#include "plot/map_output.h"
#include "port/dialog_model.h"

namespace qx {

class CColorTable;
class CompositeSet;
class CPolygonSet;
class EnvelopeSet;
class FigureSet;
class QuarlexSettings;
class Section;
class SectionSet;
class UiPort;

// What a section plot reads of the project.
struct PlotProject {
  const QuarlexSettings& settings;
  const CompositeSet& composites;
  const CColorTable& colours;
  const SectionSet& sections;
  const EnvelopeSet& envelopes;
  const FigureSet& figures;
  const CPolygonSet& polygons;
  // The view's bin visibility (a row per colour table, a column per bin and
  // the unbinned); a bin switched off hides its composites and polygons.
  // None: every bin shows.
  const std::array<std::array<std::int32_t, 26>, 26>* binVisibility = nullptr;
};

// The frame of a section: u to the right on the sheet, v up, w away from the
// viewer, around the section's target. A plan looks down with north up; a
// vertical section looking along azimuth a has u along a + 90 degrees.
struct SectionFrame {
  DPoint3D origin;
  std::array<DPoint3D, 3> axes;  // u, v, w in world coordinates
  explicit SectionFrame(const Section& section);
  DPoint3D toSection(const DPoint3D& p) const;
  DPoint3D toWorld(const DPoint3D& s) const;
};

// "Generating Section S1.5 into C:\maps\S1_5.plt": the file of a section:
// the directory, one separator (doubled separators reduced to one), the
// name with every "." as "_", the extension ".plt" or ".dxf" (".pdf").
std::string plotFileName(const std::string& directory, const std::string& sectionName, PlotOutput kind);
// The file a plot of the section may write: inside `directory`, a plain file
// name. Empty when the section's name gives none (an empty name, a name of
// dots or separators only); every separator and drive colon becomes "_".
std::filesystem::path safePlotPath(const std::filesystem::path& directory, const std::string& sectionName,
                                   PlotOutput kind);

class SectionPlot {
 public:
  static constexpr const char* kInvalidFile = "The supplied plot file name is not valid";
  SectionPlot(const PlotProject& project, const MapProfileDef& profile, PlotOutput kind, bool worldCoordinates);

  // 1 when the file was written, 0 (with kInvalidFile shown) when it could
  // not be created.
  int plot(const std::string& fileName, const Section& section, UiPort& port);
  // The same into a sink; `fileName` is only printed.
  void plot(PlotSink& sink, const std::string& fileName, const Section& section);

  // "%m/%d/%Y  %H:%M" of the current time until set (tests fix it).
  std::string timestamp;
  std::string organisation = "KORV Mining";

  // Set up by a plot: the map scale, inches per world unit, the plot window
  // (section coordinates), the slab, the sheet margin and the drawing size.
  double mapScale = 1.0;
  double sheetFactor = 1.0;
  DPoint3D windowMin, windowMax;
  double slabNear = 0.0, slabFar = 0.0;
  DPoint2D margin;
  double width = 0.0, height = 0.0;

 private:
  void setUp(const Section& section);
  bool open(PlotSink* sink, const std::string& fileName);
  void compose(const std::string& fileName);
  void frame(const std::string& fileName);
  void titleBlock(double lower, double side, const std::string& fileName);
  void compactTitleBlock(const std::string& fileName);
  void scaleRuler(double x, double y);
  void northArrow(double x, double y);
  void graduations();
  void legend();
  void composites();
  void outlines(const std::vector<DPoint3D>& outline, bool closed);
  // The text and colour of a label that is the item's own (its name or one
  // of its quantities); nothing for a variable's label.
  using OwnLabel = std::function<std::optional<std::pair<std::string, ColorRef>>(const MapVariablesDef&)>;
  // An outline in its colour and its labels at an interior point, when that
  // point is on the sheet.
  void itemWithLabels(const std::vector<DPoint3D>& outline, ColorRef colour, const std::vector<MapVariablesDef>& labels,
                      double size, const std::vector<double>& values, const OwnLabel& own);
  void polygons();
  void figures();
  void envelopes();
  void line(double x1, double y1, double x2, double y2);
  DPoint2D toSheet(const DPoint3D& world) const;
  ColorRef binColour(int table, const std::vector<double>& values, bool& found) const;
  int binOf(int table, const std::vector<double>& values) const;
  bool binShown(int table, int bin) const;
  ColorRef ownColour(int bin) const;

  PlotProject project_;  // the references, copied
  MapProfileDef profile_;
  PlotOutput kind_;
  bool world_;
  CGPlot plot_;
  SectionFrame frame_;
};

// Runs the chosen sections in list order (names no longer defined are
// skipped) with the chosen profile, showing "Generating Section <name> into
// <file>" for each. Returns the number of files written.
int generateMaps(const MapOutputData& data, const PlotProject& project, UiPort& port,
                 const std::function<void(SectionPlot&)>& setUp = {});

// "Generate Plot Files": the sections that can be plotted (azimuth and dip,
// truncated to integers, both multiples of 90), the profile, the directory,
// the kind and "Use World Coordinates".
class CDialogPlotMaps : public DialogModel {
 public:
  static constexpr const char* kNote =
      "Map files have the section names with the .PLT extension\n\nDestination Directory must be set before "
      "Generating sections maps";
  static constexpr std::array<const char*, 3> kKinds{"Generate Maps as Marneth .plt Files",
                                                     "Generate maps as DXF Files", "Generate maps as PDF Files"};

  CDialogPlotMaps(MapOutputData& data, const SectionSet& sections);
  std::string_view kind() const override { return "plot_maps"; }
  std::string title() const override { return "Generate Plot Files"; }

  std::vector<std::string> sections;  // "Defined Sections"
  std::vector<int> selected;          // into sections
  std::vector<std::string> profiles;  // "Map Profile to Use in Plotting"
  int profile = 0;
  std::string directory;  // "Destination Directory"
  int outputKind = 0;     // the radio buttons: 0 PLT, 1 DXF, 2 PDF
  bool worldCoordinates = true;

  // "Browse...": "Select Destination Directory".
  bool browse(UiPort& port);
  // "Generate": stores the choices in the map output data.
  bool onOk(UiPort& port) override;

 private:
  MapOutputData& data_;
};

PlotOutput plotOutputOf(int outputKind);

}  // namespace qx
