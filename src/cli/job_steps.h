#pragma once
// The steps of a job: what to do with the project once it is set up or
// opened, in order. Each step is read and checked with the rest of the job;
// names that depend on the project (column fields, envelopes, variables)
// are checked when the step runs, and a step that fails stops the job.
#include <array>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/types.h"
#include "datasets/color_table.h"
#include "gis/gis_export.h"
#include "io/delimited.h"
#include "plot/map_output.h"

namespace qx {
class CWQuarlexDoc;
struct ProjectObjects;
}  // namespace qx

namespace qx::cli {

class CliPort;
class JobObject;

// A column on a column page, by the name the page shows.
struct ColumnSpec {
  std::string name;
  std::string header;  // a delimited file: the column's name in the header line
  int position = 0;    // a delimited file: the column's number when no header name
  int width = 0;
  std::optional<int> decimals;
};

struct RotationSpec {
  double theta = 0.0, phi = 0.0, psi = 0.0;
  DPoint3D centre;
  bool inverse = false;
};

// What the steps that read or write a fixed-column file name: the file, its
// columns and the rotation.
struct FileStep {
  std::filesystem::path file;
  std::optional<DelimitedFormat> delimited = {};  // "format": "delimited"
  std::vector<ColumnSpec> columns;
  std::optional<RotationSpec> rotation;
};

struct ImportCompositesStep : FileStep {
  bool append = false;  // the answer to "append composites?"
};

// How one name of an outline file becomes an envelope.
struct EnvelopeNaming {
  std::string fileName;  // as in the file ("" for a file without names)
  std::optional<std::string> name;
  std::optional<ColorRef> colour;
  std::optional<double> density;
};

struct ImportEnvelopesStep : FileStep {
  std::vector<EnvelopeNaming> envelopes;
  bool merge = false;  // the answer when a name is already in use
};

struct ImportSurfaceStep : FileStep {
  std::string name;
  ColorRef colour = 0;
};

struct ExportCompositesStep : FileStep {
  std::optional<std::vector<std::string>> envelopes;  // whose composites; all when absent
  std::optional<bool> outside;                        // composites outside every envelope
};

struct ExportEnvelopesStep {
  std::filesystem::path file;
  std::vector<ColumnSpec> columns;
  std::optional<std::vector<std::string>> envelopes;  // which; all when absent
};

struct ColourTableStep {
  int table = 0;  // 0-based
  std::optional<std::string> name;
  std::optional<std::vector<ColorBin>> bins;  // bins 0, 1, ... in order; the rest cleared
  struct Expand {
    std::string variable;
    double low = 0.0, high = 0.0;
  };
  std::optional<Expand> expand;
  bool current = true;
};

struct CalculationStep {
  std::optional<int> sides;
  std::optional<double> radius;
  std::optional<double> angle;
  std::optional<bool> dilution;
  std::optional<bool> overwrite;  // "Overwrite Existing Polygons"
  struct EnvelopeUse {
    std::string name;
    std::optional<bool> clip;
    std::optional<bool> useComposites;
  };
  // In priority order when `order` is set; otherwise only the flags change.
  std::vector<EnvelopeUse> envelopes;
  bool order = false;
  std::optional<bool> outside;  // composites outside every envelope take part
  struct Cutoffs {
    std::string variable;
    std::optional<double> minCutoff, maxCutoff, defaultValue, missingValue;
  };
  std::vector<Cutoffs> variables;
};

struct GenerateStep {};

struct ImportFiguresStep : FileStep {};

struct RecalculateFiguresStep {};

struct ReportStep {
  bool figures = false;  // the figure report, else the polygon report
  std::filesystem::path file;
};

struct ExportResultsStep : FileStep {
  bool figures = false;               // the figures, else the polygons
  std::optional<std::string> figure;  // only this figure ("Single Figure")
};

// Adds (or, with copy_of, copies; with rename_to, renames) a map profile and
// sets the groups given, checked by the pages of "Section Map Profile".
struct MapProfileStep {
  std::string name;
  std::optional<std::string> copyOf;
  std::optional<std::string> renameTo;
  std::optional<double> scale, characterHeight, bearing, textSize;
  std::optional<int> units, frameStyle;  // 0 "Imperial", 1 "Metric"
  std::optional<bool> composites, polygons, figures, envelopes, legend, frame, northArrow, scaleRuler;
  std::optional<std::string> title, drawingNumber;
  std::optional<std::vector<std::string>> subTitles;
  std::optional<DPoint3D> boxMin, boxMax;  // both given: "Use Coordinate Box"
  std::optional<bool> limitComposites;
  std::optional<std::vector<std::string>> compositeLabels;  // fields plotted
  // East, North, Elevation: interval, value of one graduation, notations.
  std::array<std::optional<MapGraduation>, 3> graduations;
};

// Plots the sections with a profile into a folder ("Generate Plot Files").
struct GenerateMapsStep {
  std::vector<std::string> sections;
  std::string profile;
  std::filesystem::path folder;
  int kind = 0;  // 0 plt, 1 dxf, 2 pdf
  bool worldCoordinates = true;
};

// Renames and deletes envelopes, surfaces and figures and sets the figures'
// dilution, through the two property sheets (job_steps_properties.cpp).
struct PropertiesStep {
  enum class Kind { Envelope, Surface, Figure };
  struct Item {
    Kind kind = Kind::Envelope;
    std::string name;
    std::string to;  // renames only
  };
  std::vector<Item> renames;
  std::vector<Item> deletes;
  std::optional<bool> diluteFigures;
};

// The display switches the project stores, through "Display Settings" and
// the composites page.
struct DisplayStep {
  std::optional<bool> axisIcon, grid;
  std::array<std::optional<bool>, 3> planes;    // YZ, XZ, XY
  std::array<std::optional<bool>, 5> datasets;  // composites, envelopes, figures, polygons, surfaces
  std::optional<int> markerSymbol, markerSize;
  std::optional<int> polygonRendering;     // the "Polygon Rendering" mode, 0 to 4
  std::optional<int> surfaceTransparency;  // every surface's, percent
  std::optional<std::string> view;         // a named section to look along, fitted to the data
};

// "Edit Defined Variables" and "Edit Calculated Variables" (job_steps_settings.cpp):
// deletions, then renames, then the values of the variables by their new names.
struct EditVariablesStep {
  std::vector<std::string> deletions;
  std::vector<std::pair<std::string, std::string>> renames;  // old name, new name
  struct Change {
    std::string variable;
    std::optional<double> defaultValue, missingValue;
    std::optional<std::int32_t> weighting;
    std::optional<std::string> formula;  // as the formula box shows it
  };
  std::vector<Change> changes;
};

// The grade-tonnage table and chart of one variable (job_steps_results.cpp).
struct GradeTonnageStep {
  std::string variable;
  std::vector<double> cutoffs;                        // "cutoffs", or "from", "to", "step"
  std::optional<std::vector<std::string>> envelopes;  // only their polygons; all when absent
  std::optional<std::vector<std::string>> figures;    // only the polygons of composites inside them
  std::optional<std::filesystem::path> csv, chart;    // at least one
};

// The declustering weights and statistics (job_steps_results.cpp).
struct DeclusteringStep {
  std::optional<std::vector<std::string>> variables;         // every variable when absent
  std::optional<std::filesystem::path> csv, weights, chart;  // at least one
  int bins = 20;
};

// A figure or an envelope contour drawn from plan points through the editing
// tools, as a person would digitize it (job_steps_edit.cpp).
struct CreateFigureStep {
  std::string name;
  std::vector<DPoint3D> points;
};

struct CreateEnvelopeStep {
  std::string name;
  std::vector<DPoint3D> points;
  std::optional<double> density;
  std::optional<ColorRef> colour;
  bool merge = false;  // the answer when the name is an envelope's already
};

// The datasets as GIS layers (job_steps_gis.cpp): "file", "format" ("GPKG",
// the default, or "ESRI Shapefile"), "datasets" (all four when absent),
// "epsg".
struct ExportGisStep {
  GisExportRequest request;
};

using Step = std::variant<ImportCompositesStep, ImportEnvelopesStep, ImportSurfaceStep, ExportCompositesStep,
                          ExportEnvelopesStep, ColourTableStep, CalculationStep, GenerateStep, ImportFiguresStep,
                          RecalculateFiguresStep, ReportStep, ExportResultsStep, MapProfileStep, GenerateMapsStep,
                          PropertiesStep, DisplayStep, EditVariablesStep, GradeTonnageStep, DeclusteringStep,
                          CreateFigureStep, CreateEnvelopeStep, ExportGisStep>;

// The readers and runners of job_steps_properties.cpp. The runners throw
// PageRefused with the reason a step fails.
Step parsePropertiesStep(JobObject& o, const std::filesystem::path& baseDir);
Step parseDisplayStep(JobObject& o, const std::filesystem::path& baseDir);
void runPropertiesStep(const PropertiesStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out);
void runDisplayStep(const DisplayStep& s, CWQuarlexDoc& doc, CliPort& port);

Step parseEditVariables(JobObject& o, const std::filesystem::path& baseDir);
// Runs the two commands through the document; "" when done, else why not.
std::string runEditVariables(const EditVariablesStep& s, CWQuarlexDoc& doc, CliPort& port);

Step parseGradeTonnage(JobObject& o, const std::filesystem::path& baseDir);
// Writes the files; the summary line goes to `out`. Throws PageRefused.
void runGradeTonnage(const GradeTonnageStep& s, const ProjectObjects& objects, std::ostream& out);
Step parseDeclustering(JobObject& o, const std::filesystem::path& baseDir);
void runDeclustering(const DeclusteringStep& s, const ProjectObjects& objects, std::ostream& out);

Step parseCreateFigure(JobObject& o, const std::filesystem::path& baseDir);
Step parseCreateEnvelope(JobObject& o, const std::filesystem::path& baseDir);
// Draw the line through the editing tools; the summary line goes to `out`.
// Throw PageRefused.
void runCreateFigure(const CreateFigureStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out);
void runCreateEnvelope(const CreateEnvelopeStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out);

Step parseExportGis(JobObject& o, const std::filesystem::path& baseDir);
// Writes the layers; the summary line goes to `out`. Throws PageRefused.
void runExportGis(const ExportGisStep& s, const ProjectObjects& objects, std::ostream& out);

// Reads the "steps" list. Throws JobError.
std::vector<Step> parseSteps(const nlohmann::json& steps, const std::string& path,
                             const std::filesystem::path& baseDir);

// Runs one step; on failure writes one line to `err` ("quarlex: steps[2]
// (import_composites): ...") and returns false. A summary line of what the
// step did goes to `out`.
bool runStep(const Step& step, int index, CWQuarlexDoc& doc, ProjectObjects& objects, CliPort& port, std::ostream& out,
             std::ostream& err);

// "#rrggbb".
std::optional<ColorRef> parseColour(std::string_view text);

}  // namespace qx::cli
