#include "ui/quarlex_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include "graphics/scene_tree.h"
#include "ui/gl_renderer.h"
#include "ui/qt_text.h"

// Warnings only: the view's notifications are counted, never logged.
Q_LOGGING_CATEGORY(lcView, "qx.view", QtWarningMsg)

namespace qx {

namespace {

constexpr std::string_view kPicture = "?Picture";

QColor readableOn(const QColor& background) { return background.lightnessF() > 0.5 ? Qt::black : Qt::white; }

}  // namespace

CWQuarlexView::CWQuarlexView(QWidget* parent) : QOpenGLWidget(parent) {
  setMinimumSize(64, 64);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  QSurfaceFormat format = QSurfaceFormat::defaultFormat();
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setVersion(3, 3);
  format.setProfile(QSurfaceFormat::CoreProfile);
  format.setDepthBufferSize(24);
  // Not forward compatible, so that lines may be wider than one pixel.
  format.setOption(QSurfaceFormat::DeprecatedFunctions);
  setFormat(format);
  // The tree has no signals: its update count is read a few times a second.
  poll_.setInterval(40);
  connect(&poll_, &QTimer::timeout, this, [this] {
    if (tree_ != nullptr && tree_->updateCount() != seenUpdate_) update();
  });
  poll_.start();
}

CWQuarlexView::~CWQuarlexView() {
  if (context() != nullptr) disconnect(context(), nullptr, this, nullptr);
  releaseRenderer();
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

void CWQuarlexView::setSceneTree(const gfx::SceneTree* tree) {
  tree_ = tree;
  update();
}

void CWQuarlexView::releaseRenderer() {
  if (!renderer_) return;
  if (context() != nullptr && context()->isValid()) {
    makeCurrent();
    renderer_->release();
    doneCurrent();
  }
  renderer_.reset();
}

void CWQuarlexView::initializeGL() {
  if (context() == nullptr || !context()->isValid()) {
    failure_ = QStringLiteral("The 3D view cannot be drawn: no OpenGL context could be made on this display.");
    qCWarning(lcView) << failure_;
    return;
  }
  // A new context (the widget moved to another window) needs new GPU objects.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CWQuarlexView::releaseRenderer, Qt::UniqueConnection);
  renderer_ = std::make_unique<GlRenderer>();
  if (!renderer_->initialize()) {
    failure_ = QStringLiteral("The 3D view cannot be drawn: ") + renderer_->error() + QLatin1Char('.');
    qCWarning(lcView) << failure_;
    renderer_.reset();
  } else {
    failure_.clear();
  }
  initialised_ = true;
}

void CWQuarlexView::drawScene(QPaintDevice& device, QSize pixels, double pixelRatio) {
  QColor background = QColor::fromRgbF(kBackground[0], kBackground[1], kBackground[2]);
  bool empty = true;
  if (renderer_ && tree_ != nullptr) {
    renderer_->render(*tree_, kPicture, pixels, pixelRatio);
    background = renderer_->background();
    empty = renderer_->sceneEmpty();
    seenUpdate_ = tree_->updateCount();
  } else if (auto* f = QOpenGLContext::currentContext() ? QOpenGLContext::currentContext()->functions() : nullptr) {
    f->glViewport(0, 0, pixels.width(), pixels.height());
    f->glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    f->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  QPainter painter(&device);
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (renderer_ && tree_ != nullptr) renderer_->paintLabels(painter);
  const QString line = !failure_.isEmpty() ? failure_ : empty ? qs(kEmptyHint) : QString();
  if (!line.isEmpty()) {
    painter.setPen(readableOn(background));
    painter.drawText(QRectF(0, 0, pixels.width() / pixelRatio, pixels.height() / pixelRatio), Qt::AlignCenter, line);
  }
}

void CWQuarlexView::paintGL() {
  if (!initialised_) return;
  const double ratio = devicePixelRatioF();
  drawScene(*this, QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio))), ratio);
}

QImage CWQuarlexView::renderToImage(QSize size) {
  if (size.isEmpty() || context() == nullptr || !context()->isValid() || !renderer_) return {};
  makeCurrent();
  QOpenGLFramebufferObjectFormat format;
  format.setAttachment(QOpenGLFramebufferObject::Depth);
  QOpenGLFramebufferObject fbo(size, format);
  QImage image;
  if (fbo.isValid() && fbo.bind()) {
    if (tree_ != nullptr) renderer_->render(*tree_, kPicture, size, 1.0);
    image = fbo.toImage();
    fbo.release();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (tree_ != nullptr) renderer_->paintLabels(painter);
  }
  doneCurrent();
  return image;
}

QPointF CWQuarlexView::localWindow(QPointF position) const {
  return {2.0 * position.x() / std::max(1, width()) - 1.0, 1.0 - 2.0 * position.y() / std::max(1, height())};
}

void CWQuarlexView::resizeEvent(QResizeEvent* event) {
  QOpenGLWidget::resizeEvent(event);
  emit viewResized(event->size().width(), event->size().height());
}

void CWQuarlexView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = localWindow(event->position());
  emit mouseMovedTo(p.x(), p.y());
}

void CWQuarlexView::mousePressEvent(QMouseEvent* event) {
  const QPointF p = localWindow(event->position());
  emit mousePressedAt(p.x(), p.y(), static_cast<int>(event->button()));
}

void CWQuarlexView::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF p = localWindow(event->position());
  emit mouseReleasedAt(p.x(), p.y(), static_cast<int>(event->button()));
}

void CWQuarlexView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPointF p = localWindow(event->position());
  emit mouseDoubleClickedAt(p.x(), p.y());
}

void CWQuarlexView::wheelEvent(QWheelEvent* event) {
  const QPointF p = localWindow(event->position());
  emit wheelTurned(p.x(), p.y(), event->angleDelta().y());
}

void CWQuarlexView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    emit escapePressed();
  else
    QOpenGLWidget::keyPressEvent(event);
}

void CWQuarlexView::displayChanged() {
  ++notifications_;
  update();
  emit dataChanged();
}

void CWQuarlexView::compositeRemoved(int index) {
  ++notifications_;
  update();
  emit compositeWasRemoved(index);
}

void CWQuarlexView::datasetChanged(DatasetChange) {
  ++notifications_;
  update();
  emit dataChanged();
}

void CWQuarlexView::rebuildScene() {
  ++notifications_;
  update();
  emit dataChanged();
}

void CWQuarlexView::zoomExtents() {
  ++notifications_;
  update();
  emit dataChanged();
}

void CWQuarlexView::updateAllViews() {
  ++notifications_;
  update();
  emit dataChanged();
}

}  // namespace qx
