#include "app/commands.h"

#include <algorithm>
#include <array>

namespace qx {

namespace {

using C = CommandId;
using R = EnableRule;

constexpr std::string_view kFile = "&File";
constexpr std::string_view kImport = "&Import/Export";
constexpr std::string_view kReport = "&Report";
constexpr std::string_view kEdit = "&Edit";
constexpr std::string_view kView = "&View";
constexpr std::string_view kSelect = "&Select";
constexpr std::string_view kCalc = "&Calculation";
constexpr std::string_view kOptions = "&Options";
constexpr std::string_view kHelp = "&Help";

constexpr std::array<std::string_view, 9> kMenus = {kFile,   kImport, kReport,  kEdit, kView,
                                                    kSelect, kCalc,   kOptions, kHelp};

constexpr std::array kTable = {
    MenuEntry{kFile, "&New\tCtrl+N", "Create a new document", C::FileNew, R::Always, false, false},
    MenuEntry{kFile, "&Open...\tCtrl+O", "Open an existing document", C::FileOpen, R::Always, false, false},
    MenuEntry{kFile, "&Save\tCtrl+S", "Save the active document", C::FileSave, R::Always, false, false},
    MenuEntry{kFile, "Save &As...", "Save the active document with a new name", C::FileSaveAs, R::Always, false, false},
    MenuEntry{kFile, "&Print...\tCtrl+P", "Print the active document", C::FilePrint, R::Always, true, false},
    MenuEntry{kFile, "Print Pre&view", "Display full pages", C::FilePrintPreview, R::Always, false, false},
    MenuEntry{kFile, "P&rint Setup...", "Change the printer and printing options", C::FilePrintSetup, R::Always, false,
              false},
    MenuEntry{kFile, "Recent File", "Open this document", C::FileMru, R::Always, true, false},
    MenuEntry{kFile, "E&xit", "Quit the application; prompts to save documents", C::FileExit, R::Always, true, false},

    MenuEntry{kImport, "Import &Composite Data", "Load a set of composite data", C::ImportComposites, R::SetUp, false,
              false},
    MenuEntry{kImport, "Import &Envelope Data", "Load a set of envelope data", C::ImportEnvelopes, R::SetUp, false,
              false},
    MenuEntry{kImport, "Import &Surface Data", "Load a set of data describing a surface", C::ImportSurfaces, R::SetUp,
              false, false},
    MenuEntry{kImport, "Import &Figure Data", "Load a set of figure data", C::ImportFigures, R::SetUp, false, false},
    MenuEntry{kImport, "Export C&omposite Data", "Export the composite data to an Ascii file", C::ExportComposites,
              R::CompositesExist, true, false},
    MenuEntry{kImport, "Export E&nvelope Data", "Export the envelope data to an Ascii file", C::ExportEnvelopes,
              R::EnvelopesExist, false, false},
    MenuEntry{kImport, "Export F&igure Data", "Export the figure data to an Ascii file", C::ExportFigures,
              R::FiguresExist, false, false},
    MenuEntry{kImport, "Export Po&lygon Data", "Export the polygon data to an Ascii file", C::ExportPolygons,
              R::PolygonsExist, false, false},
    MenuEntry{kImport, "Export to &GIS...", "Export the datasets as GeoPackage or Shapefile layers", C::ExportGis,
              R::AnyInputDataExist, true, false},

    MenuEntry{kReport, "Report &Figures", "Generate a report for the figures in the model", C::ReportFigures,
              R::FiguresExist, false, false},
    MenuEntry{kReport, "Report &Polygons", "Generate a report for the polygons in the model", C::ReportPolygons,
              R::PolygonsExist, false, false},
    MenuEntry{kReport, "Grade-&Tonnage...", "Show the tonnage and grade above each cut-off of a variable",
              C::ReportGradeTonnage, R::PolygonsExist, true, false},
    MenuEntry{kReport, "&Declustering...", "Show the statistics of the composites weighted by their polygons' area",
              C::ReportDeclustering, R::PolygonsExist, false, false},
    MenuEntry{kReport, "Chec&k Data...", "List what is likely wrong in the project's data", C::ReportCheckData,
              R::CompositesExist, false, false},
    MenuEntry{kReport, "&Map Profiles...", "Opens the dialog for set-up of map profiles", C::MapProfiles, R::SetUp,
              true, false},
    MenuEntry{kReport, "&Generate Maps...", "Generate a set of maps in DXF or Marneth PLT format", C::GenerateMaps,
              R::MapProfilesExist, false, false},

    MenuEntry{kEdit, "Create &Figure", "Create a new figure contour", C::CreateFigure, R::SetUp, false, false},
    MenuEntry{kEdit, "Modify F&igure", "Modify a figure contour", C::ModifyFigure, R::FiguresExist, false, false},
    MenuEntry{kEdit, "Create &Envelope", "Create a new envelope contour", C::CreateEnvelope, R::SetUp, true, false},
    MenuEntry{kEdit, "Modify E&nvelope", "Modify an envelope contour", C::ModifyEnvelope, R::EnvelopesExist, false,
              false},
    MenuEntry{kEdit, "&Modify Composite", "Modify composites values", C::ModifyComposite, R::CompositesExist, true,
              false},

    MenuEntry{kView, "&Undo View Change", "Undo the last view change", C::UndoViewChange, R::UndoStackNotEmpty, false,
              false},
    MenuEntry{kView, "&Redo View Change", "redo the last change that was undone", C::RedoViewChange,
              R::RedoStackNotEmpty, false, false},
    MenuEntry{kView, "Pan &View", "Pan the current view", C::PanView, R::SetUp, true, false},
    MenuEntry{kView, "&Zoom", "User defined zoom", C::Zoom, R::SetUp, false, false},
    MenuEntry{kView, "Zoom &All", "Zooms out to show entire model", C::ZoomAll, R::SetUp, false, false},
    MenuEntry{kView, "Pan &Left", "Pan the view left", C::PanLeft, R::SetUp, false, false},
    MenuEntry{kView, "Pan R&ight", "Pan the view right", C::PanRight, R::SetUp, false, false},
    MenuEntry{kView, "Pan &Up", "Pan the view up", C::PanUp, R::SetUp, false, false},
    MenuEntry{kView, "Pan &Down", "Pan the view down", C::PanDown, R::SetUp, false, false},
    MenuEntry{kView, "View &Composites", "Show or hide the composites", C::ViewComposites, R::CompositesExist, true,
              true},
    MenuEntry{kView, "View &Polygons", "Show or hide the polygons", C::ViewPolygons, R::PolygonsExist, false, true},
    MenuEntry{kView, "View &Envelopes", "Show or hide the envelopes", C::ViewEnvelopes, R::EnvelopesExist, false, true},
    MenuEntry{kView, "View &Figures", "Show or hide the figures", C::ViewFigures, R::FiguresExist, false, true},
    MenuEntry{kView, "View &Surfaces", "Show or hide the surfaces", C::ViewSurfaces, R::SurfacesExist, false, true},
    MenuEntry{kView, "View Reference &Grid", "Show or hide the reference grid", C::ViewGrid, R::SetUp, false, true},
    MenuEntry{kView, "&Toolbar", "Show or hide the toolbar", C::ViewFileToolBar, R::Always, true, true},
    MenuEntry{kView, "&Digitize Toolbar", "Show or hide the digitize toolbar", C::ViewDigitizeToolBar, R::Always, false,
              true},
    MenuEntry{kView, "&Modify Toolbar", "Show or hide the modify toolbar", C::ViewModifyToolBar, R::Always, false,
              true},
    MenuEntry{kView, "S&ection View Toolbar", "Show or hide the section view toolbar", C::ViewSectionToolBar, R::Always,
              false, true},
    MenuEntry{kView, "Section &Bar", "Show or hide the section bar", C::ViewSectionBar, R::Always, false, true},
    MenuEntry{kView, "&Information Dialog", "Show or hide the information dialog", C::ViewInformationDialog, R::Always,
              true, true},
    MenuEntry{kView, "Status &Bar", "Show or hide the status bar", C::ViewStatusBar, R::Always, false, true},

    MenuEntry{kSelect, "&Composites", "Switch the selection mode to Composite Selection", C::SelectComposites,
              R::Always, false, true},
    MenuEntry{kSelect, "&Polygons", "Switch the selection mode to Polygon Selection", C::SelectPolygons, R::Always,
              false, true},
    MenuEntry{kSelect, "&Figures", "Switch the selection mode to Figure Selection", C::SelectFigures, R::Always, false,
              true},
    MenuEntry{kSelect, "&Envelopes", "Switch the selection mode to Envelope Selection", C::SelectEnvelopes, R::Always,
              false, true},

    MenuEntry{kCalc, "Calculation &Settings", "Open the calculation settings dialog.", C::CalculationSettings,
              R::CompositesExist, false, false},
    MenuEntry{kCalc, "Generate &Polygons", "Generate the polygonization for the composites.", C::GeneratePolygons,
              R::CompositesExist, false, false},
    MenuEntry{kCalc, "&Clear Polygons", "Clear the currently generated polygons", C::ClearPolygons, R::PolygonsExist,
              false, false},
    MenuEntry{kCalc, "&Recalculate All Figures", "", C::RecalculateFigures, R::FiguresExist, true, false},

    MenuEntry{kOptions, "&Display Properties...",
              "Change the view settings for the model (Colours, Visibilities, Extents)", C::DisplayProperties, R::SetUp,
              false, false},
    MenuEntry{kOptions, "&Envelope, Composite && Surface Properties...",
              "Edit the envelope, composite, and surface properties", C::EnvelopeCompositeSurfaceProperties,
              R::AnyInputDataExist, false, false},
    MenuEntry{kOptions, "&Figure && Polygon Properties...", "Open the Figure and Polygon Properties Dialog",
              C::FigurePolygonProperties, R::SetUp, false, false},
    MenuEntry{kOptions, "Edit Defined &Variables...", "Opens the Edit Defined Variables Dialog Box",
              C::EditDefinedVariables, R::SetUp, true, false},
    MenuEntry{kOptions, "Edit &Calculated Variables...", "Opens the Edit Calculated Variables Dialog Box",
              C::EditCalculatedVariables, R::SetUp, false, false},
    MenuEntry{kOptions, "Edit &Project Settings...", "Opens the Edit Project Settings Dialog Box",
              C::EditProjectSettings, R::SetUp, true, false},

    MenuEntry{kHelp, "&About wQuarlex...", "Display program information, version number and copyright", C::AppAbout,
              R::Always, false, false},
};

// Commands this build carries out; every other one is shown disabled.
constexpr std::array kImplemented = {
    C::FileNew,
    C::FileOpen,
    C::FileSave,
    C::FileSaveAs,
    C::FileExit,
    C::FileMru,
    C::FilePrint,
    C::FilePrintPreview,
    C::FilePrintSetup,
    C::ImportComposites,
    C::ImportEnvelopes,
    C::ImportSurfaces,
    C::ImportFigures,
    C::ExportComposites,
    C::ExportEnvelopes,
    C::ExportFigures,
    C::ExportPolygons,
    C::ExportGis,
    C::RecalculateFigures,
    C::ReportFigures,
    C::ReportPolygons,
    C::ReportGradeTonnage,
    C::ReportDeclustering,
    C::ReportCheckData,
    C::MapProfiles,
    C::GenerateMaps,
    C::CreateFigure,
    C::ModifyFigure,
    C::CreateEnvelope,
    C::ModifyEnvelope,
    C::ModifyComposite,
    C::UndoViewChange,
    C::RedoViewChange,
    C::PanView,
    C::Zoom,
    C::ZoomAll,
    C::PanLeft,
    C::PanRight,
    C::PanUp,
    C::PanDown,
    C::ViewComposites,
    C::ViewPolygons,
    C::ViewEnvelopes,
    C::ViewFigures,
    C::ViewSurfaces,
    C::ViewGrid,
    C::SelectComposites,
    C::SelectPolygons,
    C::SelectFigures,
    C::SelectEnvelopes,
    C::ViewFileToolBar,
    C::ViewDigitizeToolBar,
    C::ViewModifyToolBar,
    C::ViewSectionToolBar,
    C::ViewSectionBar,
    C::ViewStatusBar,
    C::ViewInformationDialog,
    C::EditProjectSettings,
    C::DisplayProperties,
    C::EnvelopeCompositeSurfaceProperties,
    C::FigurePolygonProperties,
    C::CalculationSettings,
    C::EditDefinedVariables,
    C::EditCalculatedVariables,
    C::GeneratePolygons,
    C::ClearPolygons,
    C::AppAbout,
};

}  // namespace

std::span<const MenuEntry> menuTable() { return kTable; }

std::span<const std::string_view> menuTitles() { return kMenus; }

const MenuEntry* findMenuEntry(CommandId id) {
  auto it = std::find_if(kTable.begin(), kTable.end(), [id](const MenuEntry& e) { return e.id == id; });
  return it == kTable.end() ? nullptr : &*it;
}

bool isImplemented(CommandId id) {
  return std::find(kImplemented.begin(), kImplemented.end(), id) != kImplemented.end();
}

bool ruleHolds(EnableRule rule, const CommandContext& c) {
  switch (rule) {
    case R::Always: return true;
    case R::SetUp: return c.loadedVariables > 0;
    case R::CompositesExist: return c.composites > 0;
    case R::EnvelopesExist: return c.envelopes > 0;
    case R::SurfacesExist: return c.surfaces > 0;
    case R::FiguresExist: return c.figures > 0;
    case R::PolygonsExist: return c.polygons > 0;
    case R::MapProfilesExist: return c.mapProfiles > 0;
    case R::UndoStackNotEmpty: return c.undoDepth > 0;
    case R::RedoStackNotEmpty: return c.redoDepth > 0;
    case R::AnyInputDataExist: return c.envelopes > 0 || c.surfaces > 0 || c.composites > 0;
  }
  return false;
}

bool isEnabled(CommandId id, const CommandContext& context) {
  const MenuEntry* e = findMenuEntry(id);
  return e != nullptr && isImplemented(id) && ruleHolds(e->rule, context);
}

bool isChecked(CommandId id, const CommandContext& c) {
  switch (id) {
    case C::ViewComposites: return c.shown[0];
    case C::ViewPolygons: return c.shown[1];
    case C::ViewEnvelopes: return c.shown[2];
    case C::ViewFigures: return c.shown[3];
    case C::ViewSurfaces: return c.shown[4];
    case C::ViewGrid: return c.shown[5];
    case C::SelectComposites: return c.selectionMode == 0;
    case C::SelectFigures: return c.selectionMode == 1;
    case C::SelectEnvelopes: return c.selectionMode == 2;
    case C::SelectPolygons: return c.selectionMode == 4;
    default: return false;
  }
}

}  // namespace qx
