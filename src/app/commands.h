#pragma once
// The command set of the main window: every menu entry in its order with its
// status-bar prompt and its enabling rule. The desktop builds its menu from this
// table and asks `isEnabled`; it holds no rules of its own.
#include <array>
#include <span>
#include <string_view>

namespace qx {

enum class CommandId {
  // File
  FileNew,
  FileOpen,
  FileSave,
  FileSaveAs,
  FilePrint,
  FilePrintPreview,
  FilePrintSetup,
  FileMru,
  FileExit,
  // Import/Export
  ImportComposites,
  ImportEnvelopes,
  ImportSurfaces,
  ImportFigures,
  ExportComposites,
  ExportEnvelopes,
  ExportFigures,
  ExportPolygons,
  ExportGis,
  // Report
  ReportFigures,
  ReportPolygons,
  ReportGradeTonnage,
  ReportDeclustering,
  ReportCheckData,
  MapProfiles,
  GenerateMaps,
  // Edit
  CreateFigure,
  ModifyFigure,
  CreateEnvelope,
  ModifyEnvelope,
  ModifyComposite,
  // View
  UndoViewChange,
  RedoViewChange,
  PanView,
  Zoom,
  ZoomAll,
  PanLeft,
  PanRight,
  PanUp,
  PanDown,
  ViewComposites,
  ViewPolygons,
  ViewEnvelopes,
  ViewFigures,
  ViewSurfaces,
  ViewGrid,
  ViewFileToolBar,
  ViewDigitizeToolBar,
  ViewModifyToolBar,
  ViewSectionToolBar,
  ViewSectionBar,
  ViewInformationDialog,
  ViewStatusBar,
  // Select
  SelectComposites,
  SelectPolygons,
  SelectFigures,
  SelectEnvelopes,
  // Calculation
  CalculationSettings,
  GeneratePolygons,
  ClearPolygons,
  RecalculateFigures,
  // Options
  DisplayProperties,
  EnvelopeCompositeSurfaceProperties,
  FigurePolygonProperties,
  EditDefinedVariables,
  EditCalculatedVariables,
  EditProjectSettings,
  // Help
  AppAbout,
};

// When a command may be used, read from the state of the project.
enum class EnableRule {
  Always,
  SetUp,  // at least one loaded variable is defined
  CompositesExist,
  EnvelopesExist,
  SurfacesExist,
  FiguresExist,
  PolygonsExist,
  MapProfilesExist,
  UndoStackNotEmpty,
  RedoStackNotEmpty,
  AnyInputDataExist,  // envelopes, surfaces or composites
};

struct MenuEntry {
  std::string_view menu;    // top-level menu title, e.g. "&File"
  std::string_view text;    // menu text, "\t" before the accelerator; empty for a separator
  std::string_view prompt;  // status-bar prompt
  CommandId id;
  EnableRule rule;
  bool separatorBefore;
  bool checkable;  // shows a check mark while its dataset or bar is shown
};

// The project state the enabling rules read.
struct CommandContext {
  int loadedVariables = 0;
  int composites = 0;
  int envelopes = 0;
  int surfaces = 0;
  int figures = 0;
  int polygons = 0;
  int mapProfiles = 0;
  int undoDepth = 0;
  int redoDepth = 0;
  bool digitizing = false;
  // Shown switches in menu order: composites, polygons, envelopes, figures,
  // surfaces, the reference grid.
  std::array<bool, 6> shown{};
  // 0 composites, 1 figures, 2 envelopes, 3 surfaces, 4 polygons.
  int selectionMode = 0;
};

// Every menu entry, in menu order.
std::span<const MenuEntry> menuTable();
const MenuEntry* findMenuEntry(CommandId id);
// The top-level menus in their order.
std::span<const std::string_view> menuTitles();

// Whether this build carries the command out. A command that is not
// implemented yet is shown disabled, never as a silent no-op.
bool isImplemented(CommandId id);
bool ruleHolds(EnableRule rule, const CommandContext& context);
bool isEnabled(CommandId id, const CommandContext& context);
// The check mark of a dataset switch or a selection mode; false for every
// other command (the bars' marks are the window's).
bool isChecked(CommandId id, const CommandContext& context);

}  // namespace qx
