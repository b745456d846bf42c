#pragma once
// How the document tells the view that data changed. The desktop's view
// answers; the command-line tool has no view.

namespace qx {

// Codes of the "dataset changed" notification.
enum class DatasetChange : int {
  CompositesLoaded = 0,
  FiguresLoaded = 1,
  PolygonsChanged = 4,  // generated or cleared
};

class ViewNotifier {
 public:
  virtual ~ViewNotifier() = default;
  // Display or calculation parameters changed.
  virtual void displayChanged() = 0;
  // One composite was removed; sent highest index first.
  virtual void compositeRemoved(int index) = 0;
  virtual void datasetChanged(DatasetChange code) = 0;
  // Reset the scene and build it again for the view's window (new project).
  virtual void rebuildScene() = 0;
  // Fit the view to the data extents.
  virtual void zoomExtents() = 0;
  virtual void updateAllViews() = 0;
};

}  // namespace qx
