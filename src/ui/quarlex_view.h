#pragma once
// The project's 3D view: draws the scene tree's picture with the OpenGL
// renderer (gl_renderer.h), reports the mouse in "local window" coordinates
// (-1..1 over the widget, y up) and its size, and repaints when the tree's
// update count moves or the document notifies it. Text and the hint of an
// empty project are painted over the GL picture.
#include <QImage>
#include <QLoggingCategory>
#include <QOpenGLWidget>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "app/view_notifier.h"

Q_DECLARE_LOGGING_CATEGORY(lcView)

namespace qx {

namespace gfx {
class SceneTree;
}
class GlRenderer;

class CWQuarlexView : public QOpenGLWidget, public ViewNotifier {
  Q_OBJECT

 public:
  // The background while there is no scene tree: a dark blue-grey.
  static constexpr float kBackground[3] = {0.10f, 0.12f, 0.16f};
  // What an empty project shows, in one line.
  static constexpr const char* kEmptyHint = "File > New or File > Open, or drop a .qrx file here";

  explicit CWQuarlexView(QWidget* parent = nullptr);
  ~CWQuarlexView() override;

  // Whether an OpenGL context can be made on this display at all. Without
  // one, the frame shows a message where the view would be.
  static bool openGLAvailable();

  // The tree whose "?Picture" is drawn; nullptr draws only the background.
  void setSceneTree(const gfx::SceneTree* tree);
  const gfx::SceneTree* sceneTree() const { return tree_; }

  // The picture drawn at a size of its own (an offscreen framebuffer), texts
  // included; a null image when no OpenGL context or renderer is at hand.
  QImage renderToImage(QSize size);

  // True once initializeGL ran on a valid context.
  bool isInitialised() const { return initialised_; }
  // Why nothing can be drawn ("" when the renderer is ready).
  QString failure() const { return failure_; }
  // The renderer, for the tests and the benchmark (nullptr before initializeGL).
  const GlRenderer* renderer() const { return renderer_.get(); }
  // How many notifications arrived, for the tests.
  int notificationCount() const { return notifications_; }

  // A widget point in "local window" coordinates.
  QPointF localWindow(QPointF position) const;

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
  void escapePressed();                                  // cancels a drag
  // The document changed data (every notification but a composite's removal).
  void dataChanged();
  void compositeWasRemoved(int index);

 protected:
  void initializeGL() override;
  void paintGL() override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Draws into the bound framebuffer; texts and hints with a painter on `device`.
  void drawScene(QPaintDevice& device, QSize pixels, double pixelRatio);
  void releaseRenderer();

  const gfx::SceneTree* tree_ = nullptr;
  std::unique_ptr<GlRenderer> renderer_;
  QTimer poll_;
  std::uint64_t seenUpdate_ = 0;
  bool initialised_ = false;
  QString failure_;
  int notifications_ = 0;
};

}  // namespace qx
