// The 3D view's renderer on a large scene: 100,000 composite markers in the 26
// bin segments of "?Model/Composites" and 100,000 polygons, each a 20-sided
// prism shell in its own "?Model/Polygons/Polygon%d" segment with its own
// colour and the default display mode (flat shading, edges on), built the way
// the drawing of the datasets builds them (polygonPrism, the same colour and
// visibility strings), lit by one distant light, seen from above through an
// orthographic camera at 1280 x 800.
//
// At this scale a prism is about 3 pixels wide, so the renderer draws each as
// one point of its colour (see docs/desktop.md, the view); zoomed in, whole
// prisms with their back faces culled.
//
// Printed: the time to the first frame (walk, tessellation, upload, draw),
// frames per second with the camera moving (and how many segments were drawn
// as points), the time of one dataset
// visibility toggle (composites off) and of one colour change (a new colour
// for every polygon), each with the groups it uploaded again. The peer,
// measured in the same run on the same context: the same triangles, edges
// and points in one plain vertex buffer drawn by a minimal loop with a
// one-colour shader; the ratio is our frame time to the peer's.
//
// Run under a display, for example:
//   xvfb-run -s "-screen 0 1280x800x24" bench_view [--composites N] [--polygons N] [--frames N]
//   xvfb-run -s "-screen 0 1280x800x24" bench_view --project FILE.qrx [--frames N]
// With a project: the time from opening it (as the desktop opens one, the
// scene built and every dataset drawn) to its first frame, then the frames
// per second with the camera moving.
#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>
#include <QOpenGLVersionFunctionsFactory>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "app/document.h"
#include "app/startup.h"
#include "graphics/scene_tree.h"
#include "port/silent_port.h"
#include "scene/polygons_drawing.h"
#include "ui/gl_renderer.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kSides = 20;

struct Scene {
  qx::gfx::SceneTree tree;
  std::vector<qx::gfx::Key> polygons;
};

std::string rgbText(double r, double g, double b) {
  char text[64];
  std::snprintf(text, sizeof text, "R=%.3f G=%.3f B=%.3f", r, g, b);
  return text;
}

void colourPolygons(Scene& s, int shift) {
  for (std::size_t i = 0; i < s.polygons.size(); ++i) {
    const double t = static_cast<double>((i + static_cast<std::size_t>(shift)) % 25) / 24.0;
    const std::string rgb = rgbText(t, 1.0 - t, 0.5);
    s.tree.openSegmentByKey(s.polygons[i]);
    s.tree.unsetAttribute(qx::gfx::AttributeGroup::Color);
    s.tree.setColor("lines=(" + rgb + "),polygons=(" + rgb + ")");
    s.tree.closeSegment();
  }
  s.tree.updateDisplay();
}

void build(Scene& s, int composites, int polygons, double& fieldW, double& fieldH) {
  auto& t = s.tree;
  t.defineAlias("?Picture", "/driver/view");
  t.defineAlias("?Model", "/model");
  t.openSegment("?Model");
  t.setColor("ambient=(R=0.5 G=0.5 B=0.5)");
  t.setVisibility("cutting planes=on");
  t.setRenderingOptions("lighting, no lighting interpolation");
  t.closeSegment();
  const int columns = static_cast<int>(std::ceil(std::sqrt(polygons * 1.6)));
  const double spacing = 10.0;
  fieldW = columns * spacing;
  fieldH = std::ceil(double(polygons) / columns) * spacing;
  const qx::DPoint3D centre{500000.0 + fieldW / 2, 7000000.0 + fieldH / 2, 300.0};
  t.openSegment("?Picture");
  t.setCameraPosition({centre.x, centre.y, centre.z + 1000});
  t.setCameraTarget(centre);
  t.setCameraUpVector({0, 1, 0});
  t.setCameraField(fieldW, fieldH);
  t.setCameraProjection("orthographic");
  t.setWindowSize(kWidth, kHeight);
  t.includeSegment("?Model");
  t.closeSegment();
  t.openSegment("?Model/DistantLights");
  t.setColor("lights = white");
  t.insertDistantLight({0.3, -0.3, 0.9});
  t.setVisibility("lights=on");
  t.closeSegment();

  t.openSegment("?Model/Composites");
  t.setColor("markers=black");
  t.setMarkerSize(0.3);
  t.setMarkerSymbol("+");
  t.setVisibility("cutting planes=on, everything=on");
  std::mt19937 random(7);
  std::uniform_real_distribution<double> ux(0, fieldW), uy(0, fieldH), uz(250, 350);
  for (int bin = 0; bin < 26; ++bin) {
    t.openSegment("Bin" + std::to_string(bin));
    t.setColor("Markers = " + rgbText(bin / 25.0, 0.2, 1.0 - bin / 25.0));
    for (int i = bin; i < composites; i += 26)
      t.insertMarker({500000.0 + ux(random), 7000000.0 + uy(random), uz(random)});
    t.closeSegment();
  }
  t.closeSegment();

  t.openSegment("?Model/Polygons");
  t.setColor("black");
  t.setVisibility("cutting planes=on, everything=on");
  t.closeSegment();
  for (int i = 0; i < polygons; ++i) {
    const double cx = 500000.0 + (i % columns + 0.5) * spacing, cy = 7000000.0 + (i / columns + 0.5) * spacing;
    std::vector<qx::DPoint3D> outline;
    for (int k = 0; k < kSides; ++k) {
      const double a = 2 * std::numbers::pi * k / kSides;
      outline.push_back({cx + 4.5 * std::cos(a), cy + 4.5 * std::sin(a), 300.0});
    }
    outline.push_back(outline.front());
    const qx::PrismShell prism = qx::polygonPrism(outline, 2.0);
    const qx::gfx::Key key = t.openSegment("?Model/Polygons/Polygon" + std::to_string(i));
    t.setVisibility("polygons=on, lines=on, lights=on, cutting planes=on");
    t.setRenderingOptions("no lighting");
    t.insertShell(std::span<const qx::DPoint3D>(prism.points), prism.faces);
    t.closeSegment();
    s.polygons.push_back(key);
  }
  colourPolygons(s, 0);
}

// The peer: the same primitives in one buffer, one colour, no tree.
double peerFrameMs(QOpenGLFunctions_3_3_Core& f, const Scene& s, int frames, double fieldW, double fieldH) {
  std::vector<float> tris, lines, points;
  const qx::DPoint3D origin{500000.0, 7000000.0, 300.0};
  const auto put = [&](std::vector<float>& out, const qx::DPoint3D& p) {
    out.insert(out.end(), {float(p.x - origin.x), float(p.y - origin.y), float(p.z - origin.z)});
  };
  s.tree.traverse(s.tree.rootKey(), [&](const qx::gfx::SegmentVisit& v) {
    for (qx::gfx::Key k : v.segment.items) {
      const auto& g = s.tree.item(k)->geometry;
      if (const auto* m = std::get_if<qx::gfx::Marker>(&g)) put(points, m->at);
      if (const auto* sh = std::get_if<qx::gfx::Shell>(&g)) {
        for (std::size_t i = 0; i < sh->faceList.size();) {
          const int n = sh->faceList[i];
          const auto at = [&](int j) {
            return sh->points[static_cast<std::size_t>(sh->faceList[i + 1 + std::size_t(j)])];
          };
          for (int j = 1; j + 1 < n; ++j) put(tris, at(0)), put(tris, at(j)), put(tris, at(j + 1));
          for (int j = 0; j < n; ++j) put(lines, at(j)), put(lines, at((j + 1) % n));
          i += static_cast<std::size_t>(n) + 1;
        }
      }
    }
    return true;
  });
  QOpenGLShaderProgram program;
  program.addShaderFromSourceCode(QOpenGLShader::Vertex,
                                  "#version 330 core\nlayout(location=0) in vec3 p; uniform mat4 m;\n"
                                  "void main(){ gl_Position = m * vec4(p, 1.0); gl_PointSize = 4.0; }\n");
  program.addShaderFromSourceCode(QOpenGLShader::Fragment,
                                  "#version 330 core\nout vec4 c; uniform vec4 colour; void main(){ c = colour; }\n");
  program.link();
  GLuint vao = 0, vbo = 0;
  f.glGenVertexArrays(1, &vao);
  f.glGenBuffers(1, &vbo);
  f.glBindVertexArray(vao);
  f.glBindBuffer(GL_ARRAY_BUFFER, vbo);
  std::vector<float> all = tris;
  all.insert(all.end(), lines.begin(), lines.end());
  all.insert(all.end(), points.begin(), points.end());
  f.glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(all.size() * sizeof(float)), all.data(), GL_STATIC_DRAW);
  f.glEnableVertexAttribArray(0);
  f.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 12, nullptr);
  QMatrix4x4 m;
  m.ortho(0, float(fieldW), 0, float(fieldH), -1000, 1000);
  program.bind();
  program.setUniformValue("m", m);
  const auto nt = GLsizei(tris.size() / 3), nl = GLsizei(lines.size() / 3), np = GLsizei(points.size() / 3);
  f.glEnable(GL_DEPTH_TEST);
  f.glEnable(GL_PROGRAM_POINT_SIZE);
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    f.glClearColor(1, 1, 1, 1);
    f.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    program.setUniformValue("colour", QVector4D(0.2f, 0.4f, 0.8f, 1.0f));
    f.glDrawArrays(GL_TRIANGLES, 0, nt);
    program.setUniformValue("colour", QVector4D(0, 0, 0, 1));
    f.glDrawArrays(GL_LINES, nt, nl);
    f.glDrawArrays(GL_POINTS, nt + nl, np);
    f.glFinish();
  }
  const double ms = msSince(start) / frames;
  f.glDeleteBuffers(1, &vbo);
  f.glDeleteVertexArrays(1, &vao);
  return ms;
}

// A project file opened as the desktop opens it, then drawn.
int benchProject(const char* path, qx::GlRenderer& renderer, QOpenGLFunctions_3_3_Core& f, int frames) {
  qx::gfx::SceneTree tree;
  qx::startSceneTree(tree);
  qx::ProjectObjects objects;
  qx::SilentPort port;
  qx::CWQuarlexDoc doc(objects, port);
  doc.setScene(&tree);
  doc.onNewDocument();
  const QSize size(kWidth, kHeight);
  const auto t0 = Clock::now();
  if (!doc.onOpenDocument(path)) {
    std::fprintf(stderr, "bench_view: %s could not be opened\n", path);
    return 1;
  }
  tree.openSegment("?Picture");
  tree.setWindowSize(kWidth, kHeight);
  const double field = tree.showCamera().fieldWidth;
  tree.closeSegment();
  const double open = msSince(t0);
  renderer.render(tree, "?Picture", size, 1.0);
  f.glFinish();
  std::printf("project %s: %d composites, %d polygons; opened in %.0f ms, first frame %.0f ms after the open\n", path,
              objects.composites.count(), objects.polygons.count(), open, msSince(t0) - open);
  const auto t1 = Clock::now();
  for (int i = 0; i < frames; ++i) {
    tree.openSegment("?Picture");
    tree.moveCamera(field * 0.001, 0, 0);
    tree.closeSegment();
    renderer.render(tree, "?Picture", size, 1.0);
    f.glFinish();
  }
  const double frameMs = msSince(t1) / frames;
  std::printf("frames: %.1f per second (%.1f ms each, camera moving; %d segments as points)\n", 1000.0 / frameMs,
              frameMs, renderer.stats().shellPoints);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int composites = 100000, polygons = 100000, frames = 10;
  const char* project = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--project") == 0) project = argv[i + 1];
    if (std::strcmp(argv[i], "--composites") == 0) composites = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--polygons") == 0) polygons = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--frames") == 0) frames = std::max(1, std::atoi(argv[i + 1]));
  }
  QSurfaceFormat format;
  format.setVersion(3, 3);
  format.setProfile(QSurfaceFormat::CoreProfile);
  format.setOption(QSurfaceFormat::DeprecatedFunctions);
  format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(format);
  QApplication app(argc, argv);
  QOpenGLContext context;
  context.setFormat(format);
  QOffscreenSurface surface;
  surface.setFormat(format);
  surface.create();
  if (!context.create() || !context.makeCurrent(&surface)) {
    std::fprintf(stderr, "bench_view: no OpenGL context on this display\n");
    return 1;
  }
  auto* f = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_3_3_Core>(&context);
  if (f == nullptr || !f->initializeOpenGLFunctions()) {
    std::fprintf(stderr, "bench_view: no OpenGL 3.3 core functions\n");
    return 1;
  }
  QOpenGLFramebufferObjectFormat fboFormat;
  fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
  QOpenGLFramebufferObject fbo(kWidth, kHeight, fboFormat);
  fbo.bind();
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(f->glGetString(GL_RENDERER)));

  qx::GlRenderer renderer;
  if (!renderer.initialize()) {
    std::fprintf(stderr, "bench_view: %s\n", renderer.error().toUtf8().constData());
    return 1;
  }
  if (project != nullptr) return benchProject(project, renderer, *f, frames);
  Scene s;
  double fieldW = 0, fieldH = 0;
  auto t0 = Clock::now();
  build(s, composites, polygons, fieldW, fieldH);
  std::printf("scene tree: %d composites, %d polygons of %d sides, %zu segments, built in %.0f ms\n", composites,
              polygons, kSides, s.tree.segmentCount(), msSince(t0));

  const QSize size(kWidth, kHeight);
  const auto frame = [&] {
    const auto start = Clock::now();
    renderer.render(s.tree, "?Picture", size, 1.0);
    f->glFinish();
    return msSince(start);
  };
  const double first = frame();
  std::printf("first frame: %.0f ms (%d segments made, %d groups uploaded)\n", first, renderer.stats().segmentsRebuilt,
              renderer.stats().groupsUploaded);

  t0 = Clock::now();
  for (int i = 0; i < frames; ++i) {
    s.tree.openSegment("?Picture");
    s.tree.moveCamera(fieldW * 0.001, 0, 0);
    s.tree.closeSegment();
    renderer.render(s.tree, "?Picture", size, 1.0);
    f->glFinish();
  }
  const double frameMs = msSince(t0) / frames;
  std::printf("frames: %.1f per second (%.1f ms each, camera moving; goal >= 10; %d segments as points)\n",
              1000.0 / frameMs, frameMs, renderer.stats().shellPoints);

  s.tree.openSegment("?Model/Composites");
  s.tree.setVisibility("markers=off");
  s.tree.closeSegment();
  s.tree.updateDisplay();
  const double toggle = frame();
  std::printf("composites hidden: %.0f ms (%d segments made, %d groups uploaded)\n", toggle,
              renderer.stats().segmentsRebuilt, renderer.stats().groupsUploaded);

  t0 = Clock::now();
  colourPolygons(s, 7);
  const double recolourTree = msSince(t0);
  const double recolour = frame();
  std::printf("polygons recoloured: %.0f ms to draw (%d segments made, %d groups uploaded), %.0f ms in the tree\n",
              recolour, renderer.stats().segmentsRebuilt, renderer.stats().groupsUploaded, recolourTree);

  s.tree.openSegment("?Model/Composites");
  s.tree.setVisibility("markers=on");
  s.tree.closeSegment();
  frame();
  const double peer = peerFrameMs(*f, s, frames, fieldW, fieldH);
  std::printf("peer (one plain buffer, minimal loop): %.1f ms per frame\n", peer);
  std::printf("ratio: %.2f (our frame time / the peer's)\n", frameMs / peer);
  renderer.release();
  fbo.release();
  context.doneCurrent();
  return 0;
}
