#pragma once
// The project document: routes commands to the project objects, resets them
// for a new project, and keeps the title, path and modified flag.
#include <functional>
#include <memory>
#include <string>

#include "app/command_result.h"

#include "app/commands.h"
#include "app/project_objects.h"
#include "app/view_notifier.h"
#include "port/ui_port.h"
#include "scene/edit_tools.h"
#include "scene/scene_builder.h"

namespace qx {

namespace gfx {
class SceneTree;
}

class CSpecGravPage;
struct ProjectSetupValues;

// The progress bar of polygon generation.
inline constexpr std::string_view kGeneratingPolygonsTitle = "Generating Polygons";
inline constexpr std::string_view kGenerationCancelled =
    "The generation of the polygons was cancelled: the polygons are as they were.";
inline const std::string kGenerationFailed = "The polygons could not be generated; they are as they were:\n";
// "%d Bands Left To Process".
std::string bandsLeftText(int bands);

class CWQuarlexDoc {
 public:
  CWQuarlexDoc(ProjectObjects& objects, UiPort& port);

  ProjectObjects& objects() { return objects_; }
  const ProjectObjects& objects() const { return objects_; }
  UiPort& port() { return port_; }

  // The active view, or none (command-line tool, tests).
  void setView(ViewNotifier* view) { view_ = view; }
  ViewNotifier* view() const { return view_; }

  // The scene tree the project is drawn into, or none (command-line tool,
  // tests): without it the data are read and nothing is drawn. Not owned.
  // New, Open and every import, generation and clearing keep it showing what
  // the project holds.
  void setScene(gfx::SceneTree* scene) { scene_ = scene; }
  gfx::SceneTree* scene() const { return scene_; }
  // The project objects the scene is drawn from.
  SceneProject sceneProject();

  bool isModified() const { return modified_; }
  void setModifiedFlag(bool modified = true);

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::string& pathName() const { return pathName_; }
  void setPathName(std::string path);
  // Called whenever the title, the path or the modified flag changes.
  void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

  // The commands return a CommandResult (app/command_result.h): Done with the
  // count the command has (composites read, polygons made, ...), Cancelled
  // when the user stopped it or nothing was read, Failed when it could not be
  // carried out (its message shown); after Cancelled and Failed the project
  // is as it was.

  // The framework's new document: clears the path and the modified flag.
  bool onNewDocument();

  // "&New": the project-setup wizard. Returns true when a new project was set
  // up; Cancel leaves the project, its title and its modified flag as they were.
  CommandResult onFileNew();
  // Sets up a new project from values already entered (the wizard's Finish,
  // or a job file).
  void setUpProject(const ProjectSetupValues& values);

  // Saves the project to `path` (a temporary file renamed over it). On
  // success the path and title follow the file and the modified flag clears;
  // on failure one message says why and nothing changes.
  CommandResult onSaveDocument(const std::string& path);
  // Opens the project in `path` into a fresh set of objects and takes them
  // over only when the whole file was read; a failed open shows one message
  // (the file and what was wrong) and leaves the open project as it was.
  CommandResult onOpenDocument(const std::string& path);

  // "Edit &Project Settings...": the model-parameters page alone.
  CommandResult onEditProjectSettings();

  // "Calculation &Settings" (settings_commands.cpp): "General", "Variables"
  // and, with envelopes, "Envelopes" and "Composites" over a working copy;
  // OK takes everything over and marks the project modified.
  CommandResult onCalculationSettings();
  // "Edit Defined &Variables..." (Loaded) and "Edit &Calculated Variables...":
  // "Edit Variables"; OK applies the lists through applyVariableEdit.
  CommandResult onEditVariables(VariableKind kind);
  // The edited lists into the settings, the composites and the figures
  // (deleted values out, new ones in at their default), the calculated values
  // of the composites again; display changed, modified, views updated.
  void applyVariableEdit(VariableKind kind, const std::vector<VariableInfo>& loaded,
                         const std::vector<VariableInfoCalc>& calculated, const std::vector<std::string>& deletedNames);

  // The imports: "Import &Composite Data", "Import &Envelope Data" and
  // "Import &Surface Data". Each runs the dataset's load through the port;
  // only when it read something are the data extents widened by the
  // dataset's, the count shown ("%d Composites Loaded", ...) and the project
  // marked modified. Whatever happened, the view is then fitted to the data
  // extents and all views updated. Each is Done with the count it showed, or
  // Cancelled when nothing was read.
  CommandResult onImportComposites();
  CommandResult onImportEnvelopes();
  CommandResult onImportSurfaces();
  // "Import &Figure Data": when figures were added, "dataset changed" 1, the
  // data extents recomputed from every dataset, "%d Figures Loaded", the
  // project modified, the view fitted and updated. Done with how many came.
  CommandResult onImportFigures();
  // "&Recalculate All Figures": the "no polygons" message, or the question
  // and, on OK, every figure in order; then the figures are redrawn. The
  // modified flag stays. Failed without polygons.
  CommandResult onRecalculateFigures();
  // "Report &Polygons" and "Report &Figures" under the report name. Failed
  // when the file could not be written.
  CommandResult onReportPolygons();
  CommandResult onReportFigures();
  // "Grade-&Tonnage...", "&Declustering..." and "Chec&k Data..."
  // (app/results_commands.cpp): their options, then the results dialog with
  // Save. Cancelled when the options are cancelled, else Done with the
  // number of cut-offs, variables or checks.
  CommandResult onGradeTonnage();
  CommandResult onDeclustering();
  CommandResult onCheckData();

  // "Export C&omposite Data" and "Export E&nvelope Data": the dataset's
  // export through the port; nothing else (the modified flag stays). Done
  // with what it wrote (composites; 1 for an envelope file).
  CommandResult onExportComposites();
  CommandResult onExportEnvelopes();
  // "Export Po&lygon Data" and "Export F&igure Data".
  CommandResult onExportPolygons();
  // "Export to GIS...": the dialog, where to write, the layers (gis/gis_export_dialog.h).
  CommandResult onExportGis();
  CommandResult onExportFigures();

  // "Generate &Polygons": with the wait cursor, tells the view the polygons
  // change, rebuilds the polygon set from the composites (bands in parallel,
  // progress in a bar), draws it, marks the project modified and updates all
  // views. Done with the number of polygons. The bar's Cancel (Ctrl+C in
  // quarlex) or a band that cannot be built leaves the polygons as they were,
  // with a message: Cancelled or Failed.
  CommandResult onGeneratePolygons();
  // "&Clear Polygons": tells the view, empties the set and its scene items,
  // updates all views; the modified flag stays as it was.
  CommandResult onClearPolygons();
  // "&Map Profiles..." and "&Generate Maps..." (app/plot_commands.cpp).
  CommandResult onMapProfiles();
  CommandResult onGenerateMaps();

  // The property sheets (app/property_commands.cpp): "&Display Properties...",
  // "&Envelope, Composite && Surface Properties..." and "&Figure && Polygon
  // Properties...". OK writes the pages back, tells the view and marks the
  // project modified; a deletion on a page acts at once, Cancel or not.
  CommandResult onDisplayProperties();
  CommandResult onEnvelopeCompositeSurfaceProperties();
  CommandResult onFigurePolygonProperties();

  // The tools of the digitize and modify bars (app/edit_commands.cpp) on
  // this project; the view gives them its modal pick (setPick) and the
  // snapped points (addPoint). Every accepted edit marks the project
  // modified and redraws the datasets.
  EditTools& editTools();
  // A bar button or an Edit menu tool, in the current section and camera.
  bool onEditCommand(EditCommand command);

  // The project state the enabling rules of the commands read.
  CommandContext commandContext() const;

  // The reports' project name: the title, or "Unnamed Project".
  std::string reportProjectName() const;

 private:
  void changed();
  // After an import: fit the view to the extents and draw the grid for
  // them, then update all views.
  void afterImport();
  // After a load: the scene built again and every dataset drawn, the stored
  // display state and view applied.
  void drawLoadedProject();
  void itemDeleted();
  void redrawEnvelopesAndSurfaces();
  void redrawFiguresAndPolygons(bool polygons);
  void afterPropertySheet();

  ProjectObjects& objects_;
  UiPort& port_;
  ViewNotifier* view_ = nullptr;
  gfx::SceneTree* scene_ = nullptr;
  bool modified_ = false;
  std::string title_ = "Untitled";
  std::string pathName_;
  std::function<void()> listener_;
  std::unique_ptr<EditTools> editTools_;
};

}  // namespace qx
