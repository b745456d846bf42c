#include "ui/quarlex_view.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

Q_LOGGING_CATEGORY(lcView, "qx.view")

namespace qx {

CWQuarlexView::CWQuarlexView(QWidget* parent) : QOpenGLWidget(parent) {
  setMinimumSize(64, 64);
  setFocusPolicy(Qt::StrongFocus);
}

bool CWQuarlexView::openGLAvailable() {
  QOpenGLContext context;
  if (!context.create()) return false;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid()) return false;
  const bool current = context.makeCurrent(&surface);
  if (current) context.doneCurrent();
  return current;
}

void CWQuarlexView::initializeGL() {
  if (context() == nullptr || !context()->isValid()) {
    qCWarning(lcView) << "no valid OpenGL context";
    return;
  }
  initializeOpenGLFunctions();
  initialised_ = true;
  qCDebug(lcView) << "OpenGL" << reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

void CWQuarlexView::paintGL() {
  if (!initialised_) return;
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CWQuarlexView::displayChanged() {
  ++notifications_;
  qCDebug(lcView) << "display changed";
  update();
}

void CWQuarlexView::compositeRemoved(int index) {
  ++notifications_;
  qCDebug(lcView) << "composite removed" << index;
}

void CWQuarlexView::datasetChanged(DatasetChange code) {
  ++notifications_;
  qCDebug(lcView) << "dataset changed" << static_cast<int>(code);
}

void CWQuarlexView::rebuildScene() {
  ++notifications_;
  qCDebug(lcView) << "rebuild scene";
}

void CWQuarlexView::zoomExtents() {
  ++notifications_;
  qCDebug(lcView) << "zoom extents";
}

void CWQuarlexView::updateAllViews() {
  ++notifications_;
  update();
}

}  // namespace qx
