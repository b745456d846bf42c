#include "ui/quarlex_view.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

// Warnings only: the view's notifications are counted, never logged.
Q_LOGGING_CATEGORY(lcView, "qx.view", QtWarningMsg)

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
}

void CWQuarlexView::paintGL() {
  if (!initialised_) return;
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CWQuarlexView::displayChanged() {
  ++notifications_;
  update();
}

void CWQuarlexView::compositeRemoved(int) { ++notifications_; }

void CWQuarlexView::datasetChanged(DatasetChange) { ++notifications_; }

void CWQuarlexView::rebuildScene() { ++notifications_; }

void CWQuarlexView::zoomExtents() { ++notifications_; }

void CWQuarlexView::updateAllViews() {
  ++notifications_;
  update();
}

}  // namespace qx
