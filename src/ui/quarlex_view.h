#pragma once
// The project's 3D view. For now it clears to the background colour and
// counts the document's notifications (logging none of them); the scene renderer
// draws into it once the scene tree is drawn.
#include <QLoggingCategory>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>

#include "app/view_notifier.h"

Q_DECLARE_LOGGING_CATEGORY(lcView)

namespace qx {

class CWQuarlexView : public QOpenGLWidget, protected QOpenGLFunctions, public ViewNotifier {
  Q_OBJECT

 public:
  // The background the view clears to: a dark blue-grey.
  static constexpr float kBackground[3] = {0.10f, 0.12f, 0.16f};

  explicit CWQuarlexView(QWidget* parent = nullptr);

  // Whether an OpenGL context can be made on this display at all. Without
  // one, the frame shows a message where the view would be.
  static bool openGLAvailable();

  // True once initializeGL ran on a valid context.
  bool isInitialised() const { return initialised_; }
  // How many notifications arrived, for the tests.
  int notificationCount() const { return notifications_; }

  void displayChanged() override;
  void compositeRemoved(int index) override;
  void datasetChanged(DatasetChange code) override;
  void rebuildScene() override;
  void zoomExtents() override;
  void updateAllViews() override;

 signals:
  // Mouse and window events; points in "local window" coordinates (x, y
  // from -1 to 1, y up).
  void mouseMovedTo(double x, double y);
  void mousePressedAt(double x, double y, int button);  // Qt::MouseButton value
  void mouseReleasedAt(double x, double y, int button);
  void mouseDoubleClickedAt(double x, double y);
  void wheelTurned(double x, double y, int angleDelta);  // angleDelta as QWheelEvent::angleDelta().y()
  void viewResized(int width, int height);               // pixels

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  bool initialised_ = false;
  int notifications_ = 0;
};

}  // namespace qx
