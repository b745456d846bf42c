#include "ui/gl_renderer.h"

#include <QFontMetricsF>
#include <QMatrix4x4>
#include <QOpenGLContext>
#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>
#include <QOpenGLVersionFunctionsFactory>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <limits>

#include "graphics/vecmath.h"
#include "ui/qt_text.h"

namespace qx {

using gfx::ColorClass;
using gfx::operator*;
using gfx::Key;
using gfx::Kind;

// ---------------------------------------------------------------- data

struct GlRenderer::Vertex {
  float x, y, z;
  std::int8_t nx, ny, nz;
  std::uint8_t flags;  // bit 0: cut by the cutting planes; bits 1-2: shading
  std::uint8_t r, g, b, a;
};
static_assert(sizeof(GlRenderer::Vertex) == 20);

struct GlRenderer::MarkerVertex {
  float x, y, z;
  std::uint8_t r, g, b, a;
  float size;  // pixels
  std::uint8_t shape, flags, pad0, pad1;
};
static_assert(sizeof(GlRenderer::MarkerVertex) == 24);

// The cheaper form of a segment's shells when they are drawn a few pixels
// big: one round point of their colour at the centre of their box.
struct GlRenderer::LodPoint {
  float x, y, z;
  std::uint8_t r, g, b, a;
  float size;                            // the largest side of the shells' box, world units
  std::uint8_t flags, pad0, pad1, pad2;  // as Vertex::flags
};
static_assert(sizeof(GlRenderer::LodPoint) == 24);

namespace {

enum Shading : std::uint8_t { Unlit = 0, Flat = 1, Gouraud = 2, Phong = 3 };

struct TextItem {
  DPoint3D at;
  QString text;
  QColor color;
  std::string alignment;
  bool cut = false;
};

struct Range {
  float width = 1.0f;
  std::size_t offset = 0;  // bytes into the index buffer
  int count = 0;
};

struct Bounds {
  DPoint3D lo{1e300, 1e300, 1e300};
  DPoint3D hi{-1e300, -1e300, -1e300};
  bool empty() const { return lo.x > hi.x; }
  DPoint3D centre() const { return {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2}; }
  void add(const DPoint3D& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  void add(const Bounds& b) {
    if (b.empty()) return;
    add(b.lo);
    add(b.hi);
  }
};

std::uint8_t byteOf(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }
std::int8_t snormOf(double v) { return static_cast<std::int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * 127.0)); }

std::uint64_t mix(std::uint64_t h, std::uint64_t v) { return (h ^ v) * 1099511628211ULL; }
std::uint64_t mixBytes(std::uint64_t h, const void* data, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) h = mix(h, b[i]);
  return h;
}
std::uint64_t mixDouble(std::uint64_t h, double d) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &d, sizeof bits);
  return mix(h, bits);
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

Shading shadingOf(const gfx::ResolvedAttributes& a) {
  if (!a.isVisible(Kind::Lights)) return Unlit;
  for (const char* key : {"lighting", "lighting interpolation"}) {
    if (const std::string* v = a.renderingOptions.find(key)) {
      const std::string value = gfx::normalizeKeyword(*v);
      if (value == "phong") return Phong;
      if (value == "gouraud" || (value == "on" && std::string_view(key) != "lighting")) return Gouraud;
    }
  }
  return Flat;
}

bool drawnInFront(const gfx::SegmentVisit& v) {
  const std::string* front = v.attributes.heuristics.find("in front");
  return (front != nullptr && gfx::parseSwitch(*front).value_or(false)) || iequals(v.segment.name, "IconXYZ");
}

// What decides how a segment's contents look, apart from its own revision.
std::uint64_t lookOf(const gfx::ResolvedAttributes& a) {
  std::uint64_t h = 1469598103934665603ULL;
  for (const auto& c : a.color) h = mixDouble(mixDouble(mixDouble(h, c.r), c.g), c.b);
  for (const auto& c : a.transmission) h = mixDouble(mixDouble(mixDouble(h, c.r), c.g), c.b);
  for (bool v : a.visible) h = mix(h, v ? 1 : 2);
  h = mixDouble(mixDouble(h, a.lineWeight), a.markerSize);
  h = mixBytes(h, a.markerSymbol.data(), a.markerSymbol.size());
  h = mixBytes(mix(h, 0x55), a.textAlignment.data(), a.textAlignment.size());
  return mix(h, shadingOf(a));
}

// Triangles of one face (indices into the face's own points): a fan when the
// face is convex, else ear clipping in the plane of its largest extent.
void triangulateFace(const std::vector<DPoint3D>& pts, const int* idx, int n, std::vector<std::uint32_t>& out,
                     std::uint32_t base) {
  const auto at = [&](int i) { return pts[static_cast<std::size_t>(idx[i])]; };
  DPoint3D normal{};
  for (int i = 0; i < n; ++i) {
    const DPoint3D a = at(i), b = at((i + 1) % n);
    normal = normal + DPoint3D{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
  }
  bool convex = true;
  for (int i = 0; i < n && convex; ++i) {
    const DPoint3D a = at(i), b = at((i + 1) % n), c = at((i + 2) % n);
    convex = gfx::dot(gfx::cross(b - a, c - b), normal) >= 0.0;
  }
  const auto addTriangle = [&](int a, int b, int c) {
    out.insert(out.end(), {base + static_cast<std::uint32_t>(idx[a]), base + static_cast<std::uint32_t>(idx[b]),
                           base + static_cast<std::uint32_t>(idx[c])});
  };
  if (convex) {
    for (int i = 1; i + 1 < n; ++i) addTriangle(0, i, i + 1);
    return;
  }
  std::vector<int> left(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) left[static_cast<std::size_t>(i)] = i;
  const auto isEar = [&](std::size_t k) {
    const std::size_t m = left.size();
    const int ia = left[(k + m - 1) % m], ib = left[k], ic = left[(k + 1) % m];
    const DPoint3D a = at(ia), b = at(ib), c = at(ic);
    if (gfx::dot(gfx::cross(b - a, c - b), normal) <= 0.0) return false;
    for (int j : left) {
      if (j == ia || j == ib || j == ic) continue;
      const DPoint3D p = at(j);
      if (gfx::dot(gfx::cross(b - a, p - a), normal) >= 0 && gfx::dot(gfx::cross(c - b, p - b), normal) >= 0 &&
          gfx::dot(gfx::cross(a - c, p - c), normal) >= 0)
        return false;
    }
    return true;
  };
  while (left.size() > 3) {
    std::size_t k = 0;
    while (k < left.size() && !isEar(k)) ++k;
    if (k == left.size()) k = 0;  // degenerate: cut anyway
    const std::size_t m = left.size();
    addTriangle(left[(k + m - 1) % m], left[k], left[(k + 1) % m]);
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(k));
  }
  addTriangle(left[0], left[1], left[2]);
}

QColor colorOf(const gfx::Rgb& c) { return QColor::fromRgbF(float(c.r), float(c.g), float(c.b)); }

// True when every edge of the faces is met once each way: a closed shell
// whose faces all wind the same way round.
bool closedAndConsistent(const std::vector<int>& faceList) {
  std::vector<std::uint64_t> directed;
  for (std::size_t i = 0; i < faceList.size();) {
    const int n = faceList[i];
    for (int k = 0; k < n; ++k) {
      const auto p = static_cast<std::uint32_t>(faceList[i + 1 + static_cast<std::size_t>(k)]);
      const auto q = static_cast<std::uint32_t>(faceList[i + 1 + static_cast<std::size_t>((k + 1) % n)]);
      if (p == q) return false;
      directed.push_back((std::uint64_t{p} << 32) | q);
    }
    i += static_cast<std::size_t>(n) + 1;
  }
  std::sort(directed.begin(), directed.end());
  if (directed.empty() || std::adjacent_find(directed.begin(), directed.end()) != directed.end()) return false;
  return std::all_of(directed.begin(), directed.end(), [&](std::uint64_t e) {
    return std::binary_search(directed.begin(), directed.end(), (e << 32) | (e >> 32));
  });
}

}  // namespace

MarkerShape markerShapeOf(std::string_view symbol) {
  static const std::pair<std::string_view, MarkerShape> table[] = {
      {".", MarkerShape::Dot},
      {"+", MarkerShape::Plus},
      {"x", MarkerShape::Cross},
      {"*", MarkerShape::Asterisk},
      {"()", MarkerShape::Circle},
      {"(*)", MarkerShape::FilledCircle},
      {"(.)", MarkerShape::FatDot},
      {"[]", MarkerShape::Square},
      {"[*]", MarkerShape::FilledSquare},
      {"/\\", MarkerShape::Triangle},
      {"/*\\", MarkerShape::FilledTriangle},
      {"<>", MarkerShape::Diamond},
      {"<*>", MarkerShape::FilledDiamond},
  };
  std::string s;
  for (char c : symbol) {
    if (c != ' ') s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const auto& [text, shape] : table) {
    if (s == text) return shape;
  }
  return MarkerShape::FilledCircle;
}

struct GlRenderer::Chunk {
  std::uint64_t stamp = 0;
  std::vector<Vertex> vertices;
  std::vector<std::uint32_t> opaque, transparent;
  std::vector<std::uint32_t> culled;                  // opaque faces of closed shells, wound outward
  std::map<float, std::vector<std::uint32_t>> lines;  // by width in pixels
  std::map<float, std::vector<std::uint32_t>> edges;  // of the shells, by width
  std::vector<MarkerVertex> markers;
  std::vector<TextItem> texts;
  Bounds bounds;
  // The shells' point when they are small on screen; size infinite: always drawn whole.
  LodPoint point{};
  float lodSize = std::numeric_limits<float>::infinity();
  bool hasData() const { return !vertices.empty() || !markers.empty() || !texts.empty(); }
};

struct GlRenderer::Group {
  bool inFront = false;
  bool seen = false;
  bool dirty = true;
  std::vector<std::pair<Key, std::uint64_t>> members;  // in drawing order, with their stamps
  std::unordered_map<Key, Chunk> chunks;
  std::vector<TextItem> texts;
  Bounds bounds;
  bool hasData = false;
  // GPU
  GLuint vao = 0, vbo = 0, ebo = 0, markerVao = 0, markerVbo = 0, pointVao = 0, pointVbo = 0;
  int transparentCount = 0, markerCount = 0, pointCount = 0;
  std::size_t opaqueOffset = 0, transparentOffset = 0;
  std::vector<Range> lineRanges;
  // The shells' data in the order of their chunks' sizes, largest first, so
  // that the ones drawn whole are a prefix and the ones drawn as points the
  // rest: the sizes, and for each list its index count after each chunk.
  std::vector<float> lodSizes;
  std::vector<int> culledEnds, opaqueEnds;
  std::vector<std::pair<Range, std::vector<int>>> edgeRanges;
  int pointFirst = 0;  // the chunks that never turn into points come first
  // The transparent triangles as uploaded, with their centres, so that each
  // view direction draws them from the farthest to the nearest.
  std::vector<std::array<std::uint32_t, 3>> transparentTriangles;
  std::vector<QVector3D> transparentCentres;
  QVector3D sortedFor;  // the view direction of the order on the GPU
};

namespace {

// Fills a chunk from a segment's items.
// Sizes and widths in device-independent pixels; the draw scales them.
void buildChunk(const gfx::SceneTree& tree, const gfx::SegmentVisit& v, const DPoint3D& origin,
                GlRenderer::Chunk& chunk) {
  using V = GlRenderer::Vertex;
  const gfx::ResolvedAttributes& a = v.attributes;
  const std::uint8_t cut = a.isVisible(Kind::CuttingPlanes) ? 1 : 0;
  const Shading shading = shadingOf(a);
  const auto rel = [&](const DPoint3D& p) {
    chunk.bounds.add(p);
    return DPoint3D{p.x - origin.x, p.y - origin.y, p.z - origin.z};
  };
  const auto vertex = [&](const DPoint3D& p, const gfx::Rgb& c, double alpha, std::uint8_t flags) {
    const DPoint3D q = rel(p);
    chunk.vertices.push_back(
        V{float(q.x), float(q.y), float(q.z), 0, 0, 0, flags, byteOf(c.r), byteOf(c.g), byteOf(c.b), byteOf(alpha)});
    return static_cast<std::uint32_t>(chunk.vertices.size() - 1);
  };
  const float width = static_cast<float>(std::max(1.0, a.lineWeight));
  const auto segmentLine = [&](const DPoint3D& p, const DPoint3D& q, ColorClass cls, float w) {
    const gfx::Rgb& c = a.colorOf(cls);
    const std::uint32_t i = vertex(p, c, 1.0, cut);
    const std::uint32_t j = vertex(q, c, 1.0, cut);
    auto& list = chunk.lines[w];
    list.push_back(i);
    list.push_back(j);
  };
  Bounds shellBounds;
  const gfx::Rgb* shellColour = nullptr;
  bool shellShaded = false, shellTransparent = false;
  const MarkerShape shape = markerShapeOf(a.markerSymbol);
  const float markerPixels =
      shape == MarkerShape::Dot ? 1.0f : static_cast<float>(std::max(1.0, a.markerSize * kMarkerUnitPixels));
  for (Key key : v.segment.items) {
    const gfx::Item* item = tree.item(key);
    if (item == nullptr) continue;
    const gfx::Geometry& g = item->geometry;
    if (const auto* m = std::get_if<gfx::Marker>(&g)) {
      if (!a.isVisible(Kind::Markers)) continue;
      const DPoint3D q = rel(m->at);
      const gfx::Rgb& c = a.colorOf(ColorClass::Markers);
      chunk.markers.push_back(GlRenderer::MarkerVertex{float(q.x), float(q.y), float(q.z), byteOf(c.r), byteOf(c.g),
                                                       byteOf(c.b), 255, markerPixels, static_cast<std::uint8_t>(shape),
                                                       cut, 0, 0});
    } else if (const auto* l = std::get_if<gfx::Line>(&g)) {
      if (a.isVisible(Kind::Lines)) segmentLine(l->from, l->to, ColorClass::Lines, width);
    } else if (const auto* pl = std::get_if<gfx::Polyline>(&g)) {
      if (!a.isVisible(Kind::Lines)) continue;
      for (std::size_t i = 1; i < pl->points.size(); ++i)
        segmentLine(pl->points[i - 1], pl->points[i], ColorClass::Lines, width);
    } else if (const auto* gr = std::get_if<gfx::Grid>(&g)) {
      if (!a.isVisible(Kind::Edges)) continue;
      const DPoint3D d1 = gr->ref1 - gr->origin, d2 = gr->ref2 - gr->origin;
      for (int i = 0; i <= gr->count1; ++i) {
        const DPoint3D p = gr->origin + d1 * double(i);
        segmentLine(p, p + d2 * double(gr->count2), ColorClass::Edges, width);
      }
      for (int j = 0; j <= gr->count2; ++j) {
        const DPoint3D p = gr->origin + d2 * double(j);
        segmentLine(p, p + d1 * double(gr->count1), ColorClass::Edges, width);
      }
    } else if (const auto* t = std::get_if<gfx::Text>(&g)) {
      if (!a.isVisible(Kind::Text)) continue;
      chunk.bounds.add(t->at);
      chunk.texts.push_back(
          TextItem{t->at, qs(t->text), colorOf(a.colorOf(ColorClass::Text)), a.textAlignment, cut != 0});
    } else if (const auto* s = std::get_if<gfx::Shell>(&g)) {
      const bool faces = a.isVisible(Kind::Faces), edges = a.isVisible(Kind::Edges);
      if ((faces || edges) && !s->points.empty()) {
        for (const DPoint3D& p : s->points) shellBounds.add(p);
        shellColour = faces ? &a.colorOf(ColorClass::Faces) : &a.colorOf(ColorClass::Edges);
        shellShaded = shellShaded || faces;
      }
      if (faces) {
        const gfx::Rgb& t = a.transmissionOf(ColorClass::Faces);
        const double alpha = 1.0 - (t.r + t.g + t.b) / 3.0;
        const std::uint32_t base = static_cast<std::uint32_t>(chunk.vertices.size());
        const std::uint8_t flags = static_cast<std::uint8_t>(cut | (shading << 1));
        for (const DPoint3D& p : s->points) vertex(p, a.colorOf(ColorClass::Faces), alpha, flags);
        std::vector<DPoint3D> normals(s->points.size());
        const bool transparent = alpha < 0.999;
        shellTransparent = shellTransparent || transparent;
        std::vector<std::uint32_t> out;
        for (std::size_t i = 0; i < s->faceList.size();) {
          const int n = s->faceList[i];
          const int* idx = &s->faceList[i + 1];
          const std::size_t first = out.size();
          triangulateFace(s->points, idx, n, out, base);
          for (std::size_t k = first; k + 2 < out.size(); k += 3) {
            const std::uint32_t t0 = out[k] - base, t1 = out[k + 1] - base, t2 = out[k + 2] - base;
            const DPoint3D fn = gfx::cross(s->points[t1] - s->points[t0], s->points[t2] - s->points[t0]);
            for (std::uint32_t t3 : {t0, t1, t2}) normals[t3] = normals[t3] + fn;
          }
          i += static_cast<std::size_t>(n) + 1;
        }
        // A closed shell wound the same way all round hides its back faces:
        // wound outward (by the sign of its volume) they are culled.
        double volume = 0, scale = 0;
        if (!transparent && closedAndConsistent(s->faceList)) {
          const DPoint3D o = s->points.front();
          for (std::size_t k = 0; k + 2 < out.size(); k += 3) {
            const DPoint3D p0 = s->points[out[k] - base] - o, p1 = s->points[out[k + 1] - base] - o,
                           p2 = s->points[out[k + 2] - base] - o;
            volume += gfx::dot(p0, gfx::cross(p1, p2));
            scale += gfx::length(p0) * gfx::length(p1) * gfx::length(p2);
          }
        }
        if (std::abs(volume) > 1e-9 * scale && scale > 0) {
          if (volume < 0)
            for (std::size_t k = 0; k + 2 < out.size(); k += 3) std::swap(out[k + 1], out[k + 2]);
          chunk.culled.insert(chunk.culled.end(), out.begin(), out.end());
        } else {
          auto& list = transparent ? chunk.transparent : chunk.opaque;
          list.insert(list.end(), out.begin(), out.end());
        }
        for (std::size_t i = 0; i < normals.size(); ++i) {
          const DPoint3D n = gfx::normalized(normals[i]).value_or(DPoint3D{0, 0, 1});
          V& vx = chunk.vertices[base + i];
          vx.nx = snormOf(n.x);
          vx.ny = snormOf(n.y);
          vx.nz = snormOf(n.z);
        }
      }
      if (edges) {
        std::vector<std::uint64_t> seen;
        for (std::size_t i = 0; i < s->faceList.size();) {
          const int n = s->faceList[i];
          for (int k = 0; k < n; ++k) {
            const auto p = static_cast<std::uint32_t>(s->faceList[i + 1 + static_cast<std::size_t>(k)]);
            const auto q = static_cast<std::uint32_t>(s->faceList[i + 1 + static_cast<std::size_t>((k + 1) % n)]);
            seen.push_back((std::uint64_t{std::min(p, q)} << 32) | std::max(p, q));
          }
          i += static_cast<std::size_t>(n) + 1;
        }
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        const std::uint32_t base = static_cast<std::uint32_t>(chunk.vertices.size());
        for (const DPoint3D& p : s->points) vertex(p, a.colorOf(ColorClass::Edges), 1.0, cut);
        auto& list = chunk.edges[width];
        for (std::uint64_t e : seen) {
          list.push_back(base + static_cast<std::uint32_t>(e >> 32));
          list.push_back(base + static_cast<std::uint32_t>(e & 0xffffffffu));
        }
      }
    }
  }
  if (shellColour != nullptr && !shellTransparent) {
    const DPoint3D c = rel((shellBounds.lo + shellBounds.hi) * 0.5);
    const DPoint3D d = shellBounds.hi - shellBounds.lo;
    chunk.lodSize = static_cast<float>(std::max({d.x, d.y, d.z}));
    const auto flags = static_cast<std::uint8_t>(cut | ((shellShaded ? shading : Unlit) << 1));
    chunk.point = GlRenderer::LodPoint{float(c.x),
                                       float(c.y),
                                       float(c.z),
                                       byteOf(shellColour->r),
                                       byteOf(shellColour->g),
                                       byteOf(shellColour->b),
                                       255,
                                       chunk.lodSize,
                                       flags,
                                       0,
                                       0,
                                       0};
  }
}

// The shaders' shared parts: the version line; the cutting planes, whose
// clip distances a vertex of a cut segment gets; the distant lights, with the
// shading of a face turned toward the viewer.
const char* kVersion = "#version 330 core\n";
const char* kClipping = R"(
uniform vec4 planes[8];
uniform int planeCount;
out float gl_ClipDistance[8];
void clip(vec3 position, uint flags) {
  bool cut = (flags & 1u) != 0u;
  for (int i = 0; i < planeCount; ++i) gl_ClipDistance[i] = cut ? -dot(planes[i], vec4(position, 1.0)) : 1.0;
}
)";
const char* kLighting = R"(
uniform vec3 lights[4];
uniform int lightCount;
uniform vec3 lightColor;
uniform vec3 ambient;
uniform vec3 toViewer;
vec3 shade(vec3 n, vec3 c) {
  if (lightCount == 0) return c;
  if (dot(n, toViewer) < 0.0) n = -n;
  vec3 sum = ambient;
  for (int i = 0; i < lightCount; ++i) sum += lightColor * max(dot(n, lights[i]), 0.0);
  return clamp(c * sum, 0.0, 1.0);
}
)";

const char* kShapeVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in uint flags;
layout(location = 3) in vec4 color;
uniform mat4 mvp;
out vec3 vPosition;
out vec3 vNormal;
out vec4 vColor;
flat out uint vFlags;
void main() {
  gl_Position = mvp * vec4(position, 1.0);
  clip(position, flags);
  vPosition = position;
  vNormal = normal;
  vFlags = flags;
  vColor = color;
  if (((flags >> 1) & 3u) == 2u) vColor = vec4(shade(normalize(normal), color.rgb), color.a);
}
)";

const char* kShapeFragment = R"(
in vec3 vPosition;
in vec3 vNormal;
in vec4 vColor;
flat in uint vFlags;
out vec4 fragment;
void main() {
  uint shading = (vFlags >> 1) & 3u;
  vec4 c = vColor;
  if (shading == 1u) c.rgb = shade(normalize(cross(dFdx(vPosition), dFdy(vPosition))), c.rgb);
  else if (shading == 3u) c.rgb = shade(normalize(vNormal), c.rgb);
  fragment = c;
}
)";

const char* kMarkerVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
layout(location = 2) in float size;
layout(location = 3) in uint shape;
layout(location = 4) in uint flags;
uniform mat4 mvp;
uniform float pixelRatio;
uniform vec2 viewport;
out vec4 vColor;
flat out uint vShape;
flat out float vSize;
flat out vec2 vCentre;
void main() {
  gl_Position = mvp * vec4(position, 1.0);
  vCentre = (gl_Position.xy / gl_Position.w * 0.5 + 0.5) * viewport;
  clip(position, flags);
  gl_PointSize = size * pixelRatio;
  vColor = color;
  vShape = shape;
  vSize = size * pixelRatio;
}
)";

// Shapes over the point in -1..1 (y up); h is half a stroke of 1.5 pixels.
// The place in the point comes from the window position and the point's
// centre: a software rasteriser makes the point sprite's coordinate slowly.
// Each shape works out only its own test.
const char* kMarkerFragment = R"(
in vec4 vColor;
flat in uint vShape;
flat in float vSize;
flat in vec2 vCentre;
out vec4 fragment;
void main() {
  vec2 p = (gl_FragCoord.xy - vCentre) * (2.0 / vSize);
  float h = 1.5 / vSize;
  bool on = true;  // ".", "[*]"
  if (vShape >= 1u && vShape <= 3u) {
    bool plus = abs(p.x) < h || abs(p.y) < h;
    bool cross = abs(p.x - p.y) < 1.414 * h || abs(p.x + p.y) < 1.414 * h;
    on = vShape == 1u ? plus : vShape == 2u ? cross : plus || cross;
  } else if (vShape >= 4u && vShape <= 6u) {
    float r = length(p);
    on = vShape == 4u ? r <= 1.0 && r >= 1.0 - 2.0 * h : r <= (vShape == 5u ? 1.0 : max(0.5, 2.0 * h));
  } else if (vShape == 7u) on = max(abs(p.x), abs(p.y)) >= 1.0 - 2.0 * h;
  else if (vShape == 9u || vShape == 10u) {
    float tri = min(p.y + 1.0, (1.0 - 2.0 * abs(p.x) - p.y) / 2.236);
    on = tri >= 0.0 && (vShape == 10u || tri < 2.0 * h);
  } else if (vShape == 11u || vShape == 12u) {
    float dia = (1.0 - abs(p.x) - abs(p.y)) / 1.414;
    on = dia >= 0.0 && (vShape == 12u || dia < 2.0 * h);
  }
  if (!on) discard;
  fragment = vColor;
}
)";

// A shell's point: as wide on screen as the largest side of its box (never
// under a pixel), round, in its colour lit as a face toward the viewer.
const char* kPointVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
layout(location = 2) in float size;
layout(location = 3) in uint flags;
uniform mat4 mvp;
uniform float pixelsPerUnit;
uniform vec2 viewport;
out vec4 vColor;
flat out float vSize;
flat out vec2 vCentre;
void main() {
  gl_Position = mvp * vec4(position, 1.0);
  vCentre = (gl_Position.xy / gl_Position.w * 0.5 + 0.5) * viewport;
  clip(position, flags);
  vSize = max(1.0, size * pixelsPerUnit / gl_Position.w);
  gl_PointSize = vSize;
  vColor = color;
  if (((flags >> 1) & 3u) != 0u) vColor.rgb = shade(toViewer, color.rgb);
}
)";

const char* kPointFragment = R"(
in vec4 vColor;
flat in float vSize;
flat in vec2 vCentre;
out vec4 fragment;
void main() {
  vec2 p = (gl_FragCoord.xy - vCentre) * (2.0 / vSize);
  if (vSize > 2.5 && dot(p, p) > 1.0) discard;
  fragment = vColor;
}
)";

constexpr int kMaxPlanes = 8;
constexpr double kPointPixels = 4.0;
constexpr int kMaxLights = 4;

}  // namespace

// ---------------------------------------------------------------- set-up

GlRenderer::GlRenderer() = default;

GlRenderer::~GlRenderer() = default;

bool GlRenderer::initialize() {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (context == nullptr) {
    error_ = QStringLiteral("no OpenGL context is current");
    return false;
  }
  const QSurfaceFormat format = context->format();
  if (context->isOpenGLES() || format.version() < qMakePair(3, 3)) {
    error_ = QStringLiteral("OpenGL 3.3 is needed; this display offers %1.%2")
                 .arg(format.majorVersion())
                 .arg(format.minorVersion());
    return false;
  }
  auto* f = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_3_3_Core>(context);
  if (f == nullptr || !f->initializeOpenGLFunctions()) {
    error_ = QStringLiteral("the OpenGL 3.3 functions cannot be loaded");
    return false;
  }
  // Each shader: the version line, then its shared parts, then its own.
  const auto source = [](std::initializer_list<const char*> parts) {
    QByteArray text(kVersion);
    for (const char* part : parts) text += part;
    return text;
  };
  const auto build = [&](std::unique_ptr<QOpenGLShaderProgram>& program, const QByteArray& vs, const QByteArray& fs) {
    program = std::make_unique<QOpenGLShaderProgram>();
    if (program->addShaderFromSourceCode(QOpenGLShader::Vertex, vs) &&
        program->addShaderFromSourceCode(QOpenGLShader::Fragment, fs) && program->link())
      return true;
    error_ = QStringLiteral("a shader does not build: ") + program->log();
    program.reset();
    return false;
  };
  if (!build(shapes_, source({kClipping, kLighting, kShapeVertex}), source({kLighting, kShapeFragment})) ||
      !build(markers_, source({kClipping, kMarkerVertex}), source({kMarkerFragment})) ||
      !build(points_, source({kClipping, kLighting, kPointVertex}), source({kPointFragment})))
    return false;
  GLfloat range[2] = {1.0f, 1.0f};
  f->glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, range);
  lineWidthMax_ = std::max(1.0f, range[1]);
  gl_ = f;
  return true;
}

void GlRenderer::release() {
  if (gl_ != nullptr) {
    for (auto& [key, group] : groups_) {
      GLuint buffers[] = {group->vbo, group->ebo, group->markerVbo, group->pointVbo};
      GLuint arrays[] = {group->vao, group->markerVao, group->pointVao};
      gl_->glDeleteBuffers(4, buffers);
      gl_->glDeleteVertexArrays(3, arrays);
    }
  }
  groups_.clear();
  groupOrder_.clear();
  shapes_.reset();
  markers_.reset();
  points_.reset();
  gl_ = nullptr;
  walkedTree_ = nullptr;
}

// ---------------------------------------------------------------- walking

std::uint64_t GlRenderer::signature(const gfx::SceneTree& tree, Key picture) {
  subtreeSignatures_.clear();
  std::vector<Key> route;
  std::function<std::uint64_t(Key)> visit = [&](Key k) {
    std::uint64_t h = 1469598103934665603ULL;
    if (route.size() > 64 || std::find(route.begin(), route.end(), k) != route.end()) return h;
    const gfx::Segment* s = tree.segment(k);
    if (s == nullptr) return h;
    if (k != picture) h = mix(mix(h, static_cast<std::uint64_t>(k)), s->revision);
    route.push_back(k);
    for (Key c : s->subsegments) h = mix(h, visit(c));
    h = mix(h, 0x9e37);
    for (Key c : s->includes) h = mix(h, visit(c));
    route.pop_back();
    if (route.size() == 2) subtreeSignatures_[k] = h;  // two levels below the picture
    return h;
  };
  return visit(picture);
}

void GlRenderer::walk(const gfx::SceneTree& tree, Key picture) {
  std::unordered_map<Key, std::unordered_map<Key, Chunk>> oldChunks;
  std::unordered_map<Key, std::vector<std::pair<Key, std::uint64_t>>> oldMembers;
  for (auto& [key, group] : groups_) {
    oldChunks[key] = std::move(group->chunks);
    oldMembers[key] = std::move(group->members);
    group->chunks.clear();
    group->members.clear();
    group->seen = false;
  }
  groupOrder_.clear();
  planes_.clear();
  lights_.clear();
  std::unordered_map<Key, Subtree> subtrees;
  Subtree* current = nullptr;  // the record of the subtree being walked
  const auto addPlane = [&](const std::array<double, 4>& p) {
    if (planes_.size() < kMaxPlanes) planes_.push_back(p);
  };
  const auto addLight = [&](const DPoint3D& d, const std::array<float, 3>& colour,
                            const std::array<float, 3>& ambient) {
    if (lights_.size() >= kMaxLights) return;
    lights_.push_back(d);
    lightColor_ = colour;
    ambient_ = ambient;
  };
  std::vector<Key> route;
  std::vector<bool> front;
  tree.traverse(picture, [&](const gfx::SegmentVisit& v) {
    ++stats_.segmentsReached;
    const auto depth = static_cast<std::size_t>(v.depth);
    route.resize(depth + 1);
    front.resize(depth + 1);
    route[depth] = v.segment.key;
    front[depth] = (depth > 0 && front[depth - 1]) || drawnInFront(v);
    if (depth < 2) current = nullptr;
    if (depth == 2) {
      // A subtree two levels down that did not change since the last walk keeps what it gave.
      const auto sig = subtreeSignatures_.find(v.segment.key);
      const std::uint64_t look = mix(lookOf(v.attributes), front[1] ? 1 : 0);
      const auto old = subtrees_.find(v.segment.key);
      if (sig != subtreeSignatures_.end() && old != subtrees_.end() && old->second.signature == sig->second &&
          old->second.look == look && !subtrees.contains(v.segment.key) &&
          std::all_of(old->second.groups.begin(), old->second.groups.end(), [&](Key g) {
            auto it = groups_.find(g);
            return it != groups_.end() && !it->second->seen;
          })) {
        for (Key g : old->second.groups) {
          Group& group = *groups_.at(g);
          group.seen = true;
          group.members = oldMembers[g];
          group.chunks = std::move(oldChunks[g]);
          groupOrder_.push_back(g);
        }
        for (const auto& p : old->second.planes) addPlane(p);
        for (const auto& l : old->second.lights) addLight(l.direction, l.colour, l.ambient);
        subtrees.emplace(v.segment.key, std::move(old->second));
        return false;
      }
      current = &subtrees[v.segment.key];
      current->signature = sig != subtreeSignatures_.end() ? sig->second : 0;
      current->look = look;
    }
    // The group: the segment two levels below the picture, or the outermost one drawn in front.
    Key root = route[std::min<std::size_t>(depth, 2)];
    if (front[depth])
      root = route[static_cast<std::size_t>(std::find(front.begin(), front.end(), true) - front.begin())];
    for (Key k : v.segment.items) {
      const gfx::Item* item = tree.item(k);
      if (item == nullptr) continue;
      if (const auto* p = std::get_if<gfx::CuttingPlane>(&item->geometry)) {
        if (!v.attributes.isVisible(Kind::CuttingPlanes)) continue;
        addPlane({p->a, p->b, p->c, p->d});
        if (current != nullptr) current->planes.push_back({p->a, p->b, p->c, p->d});
      } else if (const auto* l = std::get_if<gfx::DistantLight>(&item->geometry)) {
        if (!v.attributes.isVisible(Kind::Lights)) continue;
        const gfx::Rgb& c = v.attributes.colorOf(ColorClass::Lights);
        const gfx::Rgb& am = v.attributes.colorOf(ColorClass::Ambient);
        const Light light{gfx::normalized(l->direction).value_or(DPoint3D{0, 0, 1}),
                          {float(c.r), float(c.g), float(c.b)},
                          {float(am.r), float(am.g), float(am.b)}};
        addLight(light.direction, light.colour, light.ambient);
        if (current != nullptr) current->lights.push_back(light);
      }
    }
    auto& slot = groups_[root];
    if (!slot) slot = std::make_unique<Group>();
    Group& group = *slot;
    if (!group.seen) {
      group.seen = true;
      group.inFront = front[depth];
      groupOrder_.push_back(root);
      if (current != nullptr) current->groups.push_back(root);
    }
    if (v.segment.items.empty()) return true;
    const std::uint64_t stamp = mix(lookOf(v.attributes), v.segment.revision);
    group.members.emplace_back(v.segment.key, stamp);
    if (group.chunks.contains(v.segment.key)) return true;  // reached twice
    auto& old = oldChunks[root];
    if (auto it = old.find(v.segment.key); it != old.end() && it->second.stamp == stamp) {
      group.chunks.emplace(v.segment.key, std::move(it->second));
      return true;
    }
    if (!origin_) {
      for (Key k : v.segment.items) {
        const gfx::Item* item = tree.item(k);
        if (const auto* m = item ? std::get_if<gfx::Marker>(&item->geometry) : nullptr) origin_ = m->at;
        if (const auto* s = item ? std::get_if<gfx::Shell>(&item->geometry) : nullptr; s && !s->points.empty())
          origin_ = s->points.front();
        if (origin_) break;
      }
    }
    Chunk& chunk = group.chunks[v.segment.key];
    chunk.stamp = stamp;
    buildChunk(tree, v, origin_.value_or(DPoint3D{}), chunk);
    ++stats_.segmentsRebuilt;
    group.dirty = true;
    return true;
  });
  subtrees_ = std::move(subtrees);
  for (auto it = groups_.begin(); it != groups_.end();) {
    Group& g = *it->second;
    if (g.seen) {
      g.dirty = g.dirty || oldMembers[it->first] != g.members;
      ++it;
      continue;
    }
    if (gl_ != nullptr) {
      GLuint buffers[] = {g.vbo, g.ebo, g.markerVbo, g.pointVbo};
      GLuint arrays[] = {g.vao, g.markerVao, g.pointVao};
      gl_->glDeleteBuffers(4, buffers);
      gl_->glDeleteVertexArrays(3, arrays);
    }
    it = groups_.erase(it);
  }
  // What is drawn in front comes last.
  std::stable_partition(groupOrder_.begin(), groupOrder_.end(), [&](Key k) { return !groups_.at(k)->inFront; });
}

// ---------------------------------------------------------------- GPU

void GlRenderer::upload(Group& g) {
  auto* f = gl_;
  std::vector<Vertex> vertices;
  std::vector<MarkerVertex> markers;
  std::vector<LodPoint> points;
  std::vector<std::uint32_t> culled, opaque, transparent;
  std::map<float, std::vector<std::uint32_t>> lines, edges;
  std::map<float, std::vector<int>> edgeEnds;
  g.texts.clear();
  g.bounds = {};
  g.hasData = false;
  std::vector<std::uint32_t> bases;
  for (const auto& [key, stamp] : g.members) {
    const Chunk& c = g.chunks.at(key);
    const auto base = static_cast<std::uint32_t>(vertices.size());
    bases.push_back(base);
    vertices.insert(vertices.end(), c.vertices.begin(), c.vertices.end());
    markers.insert(markers.end(), c.markers.begin(), c.markers.end());
    for (std::uint32_t i : c.transparent) transparent.push_back(base + i);
    for (const auto& [w, list] : c.lines) {
      auto& out = lines[w];
      for (std::uint32_t i : list) out.push_back(base + i);
    }
    g.texts.insert(g.texts.end(), c.texts.begin(), c.texts.end());
    g.bounds.add(c.bounds);
    g.hasData = g.hasData || c.hasData();
  }
  // The shells' faces and edges, largest chunks first.
  std::vector<std::size_t> order(g.members.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto chunkAt = [&](std::size_t i) -> const Chunk& { return g.chunks.at(g.members[i].first); };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return chunkAt(x).lodSize > chunkAt(y).lodSize; });
  g.lodSizes.clear();
  g.culledEnds.clear();
  g.opaqueEnds.clear();
  g.pointFirst = 0;
  for (std::size_t i : order) {
    const Chunk& c = chunkAt(i);
    const std::uint32_t base = bases[i];
    for (std::uint32_t k : c.culled) culled.push_back(base + k);
    for (std::uint32_t k : c.opaque) opaque.push_back(base + k);
    for (const auto& [w, list] : c.edges) {
      auto& out = edges[w];
      edgeEnds[w].resize(g.lodSizes.size(), static_cast<int>(out.size()));
      for (std::uint32_t k : list) out.push_back(base + k);
    }
    g.lodSizes.push_back(c.lodSize);
    g.culledEnds.push_back(static_cast<int>(culled.size()));
    g.opaqueEnds.push_back(static_cast<int>(opaque.size()));
    for (auto& [w, ends] : edgeEnds) ends.push_back(static_cast<int>(edges[w].size()));
    if (std::isinf(c.lodSize))
      ++g.pointFirst;
    else
      points.push_back(c.point);
  }
  std::vector<std::uint32_t> indices = std::move(culled);
  g.opaqueOffset = indices.size() * sizeof(std::uint32_t);
  indices.insert(indices.end(), opaque.begin(), opaque.end());
  g.transparentOffset = indices.size() * sizeof(std::uint32_t);
  g.transparentCount = static_cast<int>(transparent.size());
  indices.insert(indices.end(), transparent.begin(), transparent.end());
  g.transparentTriangles.clear();
  g.transparentCentres.clear();
  for (std::size_t i = 0; i + 2 < transparent.size(); i += 3) {
    g.transparentTriangles.push_back({transparent[i], transparent[i + 1], transparent[i + 2]});
    QVector3D centre;
    for (std::size_t k = 0; k < 3; ++k) {
      const Vertex& v = vertices[transparent[i + k]];
      centre += QVector3D(v.x, v.y, v.z) / 3.0f;
    }
    g.transparentCentres.push_back(centre);
  }
  g.sortedFor = {};
  g.lineRanges.clear();
  for (const auto& [w, list] : lines) {
    g.lineRanges.push_back(Range{w, indices.size() * sizeof(std::uint32_t), static_cast<int>(list.size())});
    indices.insert(indices.end(), list.begin(), list.end());
  }
  g.edgeRanges.clear();
  for (auto& [w, list] : edges) {
    g.edgeRanges.emplace_back(Range{w, indices.size() * sizeof(std::uint32_t), static_cast<int>(list.size())},
                              std::move(edgeEnds[w]));
    indices.insert(indices.end(), list.begin(), list.end());
  }
  g.markerCount = static_cast<int>(markers.size());
  g.pointCount = static_cast<int>(points.size());
  if (g.vao == 0) {
    f->glGenVertexArrays(1, &g.vao);
    f->glGenVertexArrays(1, &g.markerVao);
    GLuint b[3];
    f->glGenBuffers(3, b);
    g.vbo = b[0];
    g.ebo = b[1];
    g.markerVbo = b[2];
    f->glBindVertexArray(g.vao);
    f->glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
    f->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.ebo);
    const auto s = static_cast<GLsizei>(sizeof(Vertex));
    f->glEnableVertexAttribArray(0);
    f->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, s, reinterpret_cast<void*>(offsetof(Vertex, x)));
    f->glEnableVertexAttribArray(1);
    f->glVertexAttribPointer(1, 3, GL_BYTE, GL_TRUE, s, reinterpret_cast<void*>(offsetof(Vertex, nx)));
    f->glEnableVertexAttribArray(2);
    f->glVertexAttribIPointer(2, 1, GL_UNSIGNED_BYTE, s, reinterpret_cast<void*>(offsetof(Vertex, flags)));
    f->glEnableVertexAttribArray(3);
    f->glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, s, reinterpret_cast<void*>(offsetof(Vertex, r)));
    f->glBindVertexArray(g.markerVao);
    f->glBindBuffer(GL_ARRAY_BUFFER, g.markerVbo);
    const auto m = static_cast<GLsizei>(sizeof(MarkerVertex));
    f->glEnableVertexAttribArray(0);
    f->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, m, reinterpret_cast<void*>(offsetof(MarkerVertex, x)));
    f->glEnableVertexAttribArray(1);
    f->glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, m, reinterpret_cast<void*>(offsetof(MarkerVertex, r)));
    f->glEnableVertexAttribArray(2);
    f->glVertexAttribPointer(2, 1, GL_FLOAT, GL_FALSE, m, reinterpret_cast<void*>(offsetof(MarkerVertex, size)));
    f->glEnableVertexAttribArray(3);
    f->glVertexAttribIPointer(3, 1, GL_UNSIGNED_BYTE, m, reinterpret_cast<void*>(offsetof(MarkerVertex, shape)));
    f->glEnableVertexAttribArray(4);
    f->glVertexAttribIPointer(4, 1, GL_UNSIGNED_BYTE, m, reinterpret_cast<void*>(offsetof(MarkerVertex, flags)));
    f->glGenVertexArrays(1, &g.pointVao);
    f->glGenBuffers(1, &g.pointVbo);
    f->glBindVertexArray(g.pointVao);
    f->glBindBuffer(GL_ARRAY_BUFFER, g.pointVbo);
    const auto l = static_cast<GLsizei>(sizeof(LodPoint));
    f->glEnableVertexAttribArray(0);
    f->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, l, reinterpret_cast<void*>(offsetof(LodPoint, x)));
    f->glEnableVertexAttribArray(1);
    f->glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, l, reinterpret_cast<void*>(offsetof(LodPoint, r)));
    f->glEnableVertexAttribArray(2);
    f->glVertexAttribPointer(2, 1, GL_FLOAT, GL_FALSE, l, reinterpret_cast<void*>(offsetof(LodPoint, size)));
    f->glEnableVertexAttribArray(3);
    f->glVertexAttribIPointer(3, 1, GL_UNSIGNED_BYTE, l, reinterpret_cast<void*>(offsetof(LodPoint, flags)));
    f->glBindVertexArray(0);
  }
  f->glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
  f->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                  GL_STATIC_DRAW);
  f->glBindVertexArray(g.vao);
  f->glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                  indices.data(), GL_STATIC_DRAW);
  f->glBindVertexArray(0);
  f->glBindBuffer(GL_ARRAY_BUFFER, g.markerVbo);
  f->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(markers.size() * sizeof(MarkerVertex)), markers.data(),
                  GL_STATIC_DRAW);
  f->glBindBuffer(GL_ARRAY_BUFFER, g.pointVbo);
  f->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(LodPoint)), points.data(),
                  GL_STATIC_DRAW);
  f->glBindBuffer(GL_ARRAY_BUFFER, 0);
  g.dirty = false;
  ++stats_.groupsUploaded;
}

// Puts the group's transparent triangles on the GPU from the farthest along
// the view direction to the nearest; nothing to do while the direction holds.
void GlRenderer::sortTransparent(Group& g, const QVector3D& forward) {
  if (g.transparentTriangles.size() < 2 || g.sortedFor == forward) return;
  std::vector<std::uint32_t> order(g.transparentTriangles.size());
  std::vector<float> depth(order.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    order[i] = i;
    depth[i] = QVector3D::dotProduct(g.transparentCentres[i], forward);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return depth[a] > depth[b]; });
  std::vector<std::uint32_t> indices;
  indices.reserve(order.size() * 3);
  for (std::uint32_t i : order)
    indices.insert(indices.end(), g.transparentTriangles[i].begin(), g.transparentTriangles[i].end());
  gl_->glBindVertexArray(g.vao);
  gl_->glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(g.transparentOffset),
                       static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data());
  gl_->glBindVertexArray(0);
  g.sortedFor = forward;
}

void GlRenderer::drawGroup(const Group& g, bool transparentPass) {
  auto* f = gl_;
  if (transparentPass) {
    if (g.transparentCount == 0) return;
    shapes_->bind();
    f->glBindVertexArray(g.vao);
    f->glDrawElements(GL_TRIANGLES, g.transparentCount, GL_UNSIGNED_INT, reinterpret_cast<void*>(g.transparentOffset));
    return;
  }
  // The chunks at least lodSize_ big are drawn whole, the others as points.
  const auto whole = static_cast<std::size_t>(
      std::partition_point(g.lodSizes.begin(), g.lodSizes.end(), [&](float s) { return s >= lodSize_; }) -
      g.lodSizes.begin());
  const auto endOf = [&](const std::vector<int>& ends) { return whole == 0 ? 0 : ends[whole - 1]; };
  stats_.shellPoints += g.pointCount - (static_cast<int>(whole) - g.pointFirst);
  shapes_->bind();
  f->glBindVertexArray(g.vao);
  const int culledCount = endOf(g.culledEnds), opaqueCount = endOf(g.opaqueEnds);
  if (culledCount + opaqueCount > 0) {
    f->glEnable(GL_POLYGON_OFFSET_FILL);
    f->glPolygonOffset(1.0f, 1.0f);
    if (culledCount > 0) {
      // Cut shells show their insides: no culling under cutting planes.
      if (planes_.empty()) f->glEnable(GL_CULL_FACE);
      f->glDrawElements(GL_TRIANGLES, culledCount, GL_UNSIGNED_INT, nullptr);
      f->glDisable(GL_CULL_FACE);
    }
    if (opaqueCount > 0)
      f->glDrawElements(GL_TRIANGLES, opaqueCount, GL_UNSIGNED_INT, reinterpret_cast<void*>(g.opaqueOffset));
    f->glDisable(GL_POLYGON_OFFSET_FILL);
  }
  const auto lines = [&](const Range& r, int count) {
    if (count == 0) return;
    f->glLineWidth(std::min(r.width * pixelRatio_, lineWidthMax_));
    f->glDrawElements(GL_LINES, count, GL_UNSIGNED_INT, reinterpret_cast<void*>(r.offset));
  };
  for (const Range& r : g.lineRanges) lines(r, r.count);
  for (const auto& [r, ends] : g.edgeRanges) lines(r, endOf(ends));
  f->glLineWidth(1.0f);
  if (static_cast<int>(whole) - g.pointFirst < g.pointCount) {
    points_->bind();
    f->glBindVertexArray(g.pointVao);
    const int first = static_cast<int>(whole) - g.pointFirst;
    f->glDrawArrays(GL_POINTS, first, g.pointCount - first);
  }
  if (g.markerCount > 0) {
    markers_->bind();
    f->glBindVertexArray(g.markerVao);
    f->glDrawArrays(GL_POINTS, 0, g.markerCount);
  }
}

// ---------------------------------------------------------------- frame

bool GlRenderer::render(const gfx::SceneTree& tree, std::string_view picture, QSize pixels, double pixelRatio) {
  stats_ = {};
  labels_.clear();
  if (gl_ == nullptr) return false;
  auto* f = gl_;
  const Key pictureKey = tree.findSegment(picture);
  const std::optional<gfx::ResolvedAttributes> pa =
      pictureKey == gfx::kNoKey ? std::nullopt : tree.resolvedAttributes(pictureKey);
  background_ = pa ? colorOf(pa->colorOf(ColorClass::Window)) : QColor(Qt::white);
  // A painter may have drawn on this context before: start from a known state.
  f->glDisable(GL_BLEND);
  f->glDisable(GL_SCISSOR_TEST);
  f->glDisable(GL_STENCIL_TEST);
  f->glDisable(GL_CULL_FACE);
  f->glDepthMask(GL_TRUE);
  f->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  f->glViewport(0, 0, pixels.width(), pixels.height());
  f->glClearColor(background_.redF(), background_.greenF(), background_.blueF(), 1.0f);
  f->glClearDepth(1.0);
  f->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sceneEmpty_ = true;
  if (!pa || pixels.isEmpty()) return false;
  pixelRatio_ = static_cast<float>(pixelRatio);
  const QSize logical(std::max(1, int(std::lround(pixels.width() / pixelRatio))),
                      std::max(1, int(std::lround(pixels.height() / pixelRatio))));
  const auto view = gfx::ViewTransform::make(pa->camera, pa->handedness, {logical.width(), logical.height()});
  if (!view) return false;

  // Walk again only when something besides the picture's camera changed.
  const gfx::Segment* pictureSegment = tree.segment(pictureKey);
  gfx::Attributes own = pictureSegment->attributes;
  own.camera.reset();
  own.windowSize.reset();
  // One change since the last frame, and that of the picture itself (a
  // camera move), leaves every other segment as it was: no signature needed.
  const bool pictureOnly = tree.revision() == walkedRevision_ + 1 && pictureSegment->revision == tree.revision();
  if (&tree != walkedTree_ || pictureKey != walkedPicture_ || tree.revision() != walkedRevision_) {
    const std::uint64_t sig =
        pictureOnly && &tree == walkedTree_ && pictureKey == walkedPicture_ ? signature_ : signature(tree, pictureKey);
    if (&tree != walkedTree_ || pictureKey != walkedPicture_ || sig != signature_ || own != pictureAttributes_) {
      if (&tree != walkedTree_) {  // another tree's keys mean nothing here
        for (auto& [key, group] : groups_) group->chunks.clear();
        subtrees_.clear();
        origin_.reset();
      }
      walk(tree, pictureKey);
      stats_.treeWalked = true;
      signature_ = sig;
      pictureAttributes_ = own;
      walkedTree_ = &tree;
      walkedPicture_ = pictureKey;
    }
    walkedRevision_ = tree.revision();
  }
  Bounds bounds;
  for (Key k : groupOrder_) {
    Group& g = *groups_.at(k);
    if (g.dirty) upload(g);
    bounds.add(g.bounds);
    if (!g.inFront && g.hasData) sceneEmpty_ = false;
  }
  if (bounds.empty()) return true;

  // World (relative to the origin) to clip space, built in double precision.
  const DPoint3D o = origin_.value_or(DPoint3D{});
  const DPoint3D v0 = view->worldToViewpoint(o);
  const DPoint3D ex = view->worldToViewpoint(o + DPoint3D{1, 0, 0}) - v0;
  const DPoint3D ey = view->worldToViewpoint(o + DPoint3D{0, 1, 0}) - v0;
  const DPoint3D ez = view->worldToViewpoint(o + DPoint3D{0, 0, 1}) - v0;
  const DPoint3D fw = view->forward();
  const double a0 = view->depthBehindTarget(o);
  double amin = 1e300, amax = -1e300;
  for (int c = 0; c < 8; ++c) {
    const DPoint3D p{(c & 1) ? bounds.hi.x : bounds.lo.x, (c & 2) ? bounds.hi.y : bounds.lo.y,
                     (c & 4) ? bounds.hi.z : bounds.lo.z};
    const double a = view->depthBehindTarget(p);
    amin = std::min(amin, a);
    amax = std::max(amax, a);
  }
  const double margin = std::max(1e-6, (amax - amin) * 0.01) + 1e-9 * std::max(std::abs(amin), std::abs(amax));
  amin -= margin;
  amax += margin;
  const double hw = view->visibleHalfWidth(), hh = view->visibleHalfHeight(), D = view->eyeDistance();
  double m[4][4] = {};  // rows of clip = m * (q, 1)
  const double rowX[4] = {ex.x, ey.x, ez.x, v0.x};
  const double rowY[4] = {ex.y, ey.y, ez.y, v0.y};
  const double rowA[4] = {fw.x, fw.y, fw.z, a0};
  if (!view->perspective()) {
    for (int i = 0; i < 4; ++i) {
      m[0][i] = rowX[i] / hw;
      m[1][i] = rowY[i] / hh;
      m[2][i] = 2.0 * rowA[i] / (amax - amin);
    }
    m[2][3] -= (amax + amin) / (amax - amin);
    m[3][3] = 1.0;
  } else {
    const double far = amax + D;
    if (far <= 0) return true;
    const double near = std::max(amin + D, far * 1e-4);
    for (int i = 0; i < 4; ++i) {
      m[0][i] = rowX[i] * D / hw;
      m[1][i] = rowY[i] * D / hh;
      m[3][i] = rowA[i];
      m[2][i] = rowA[i] * (far + near) / (far - near);
    }
    m[3][3] += D;
    m[2][3] += D * (far + near) / (far - near) - 2.0 * far * near / (far - near);
  }
  // Shells whose box is under kPointPixels on screen are drawn as points: in
  // perspective judged at the nearest depth of the whole scene.
  const double near = view->perspective() ? amin + D : 1.0;
  const double pixelsPerUnit = pixels.width() / (2.0 * hw) * (view->perspective() ? D : 1.0);
  lodSize_ = near > 0 ? static_cast<float>(kPointPixels * near / pixelsPerUnit) : 0.0f;
  // Faces wound counter-clockwise seen from outside face the viewer when the
  // window's axes and the view direction make a left-handed frame.
  const double handed = rowX[0] * (rowY[1] * rowA[2] - rowY[2] * rowA[1]) -
                        rowX[1] * (rowY[0] * rowA[2] - rowY[2] * rowA[0]) +
                        rowX[2] * (rowY[0] * rowA[1] - rowY[1] * rowA[0]);
  f->glFrontFace(handed < 0 ? GL_CCW : GL_CW);
  f->glCullFace(GL_BACK);
  QMatrix4x4 mvp;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) mvp(r, c) = static_cast<float>(m[r][c]);

  QVector4D planes[kMaxPlanes];
  for (int i = 0; i < kMaxPlanes; ++i) {
    if (static_cast<std::size_t>(i) < planes_.size()) {
      const auto& p = planes_[static_cast<std::size_t>(i)];
      planes[i] = QVector4D(float(p[0]), float(p[1]), float(p[2]), float(p[0] * o.x + p[1] * o.y + p[2] * o.z + p[3]));
    } else {
      planes[i] = QVector4D(0, 0, 0, -1);  // keeps everything
    }
  }
  QVector3D lights[kMaxLights];
  for (std::size_t i = 0; i < lights_.size(); ++i)
    lights[i] = QVector3D(float(lights_[i].x), float(lights_[i].y), float(lights_[i].z));
  const QVector3D toViewer(float(-fw.x), float(-fw.y), float(-fw.z));
  for (QOpenGLShaderProgram* p : {shapes_.get(), markers_.get(), points_.get()}) {
    p->bind();
    p->setUniformValue("mvp", mvp);
    p->setUniformValueArray("planes", planes, kMaxPlanes);
    p->setUniformValue("planeCount", static_cast<int>(planes_.size()));
  }
  markers_->bind();  // a program takes its uniforms while bound
  markers_->setUniformValue("pixelRatio", pixelRatio_);
  markers_->setUniformValue("viewport", QVector2D(float(pixels.width()), float(pixels.height())));
  for (QOpenGLShaderProgram* p : {points_.get(), shapes_.get()}) {
    p->bind();
    p->setUniformValueArray("lights", lights, kMaxLights);
    p->setUniformValue("lightCount", static_cast<int>(lights_.size()));
    p->setUniformValue("lightColor", QVector3D(lightColor_[0], lightColor_[1], lightColor_[2]));
    p->setUniformValue("ambient", QVector3D(ambient_[0], ambient_[1], ambient_[2]));
    p->setUniformValue("toViewer", toViewer);
  }
  points_->bind();
  points_->setUniformValue("pixelsPerUnit", static_cast<float>(pixelsPerUnit));
  points_->setUniformValue("viewport", QVector2D(float(pixels.width()), float(pixels.height())));

  f->glEnable(GL_DEPTH_TEST);
  f->glDepthFunc(GL_LEQUAL);
  f->glEnable(GL_PROGRAM_POINT_SIZE);
  // Only as many clip distances as there are planes: each costs every vertex.
  const int planeCount = static_cast<int>(planes_.size());
  for (int i = 0; i < planeCount; ++i) f->glEnable(GL_CLIP_DISTANCE0 + static_cast<GLenum>(i));
  bool frontStarted = false;
  const QVector3D forward(float(fw.x), float(fw.y), float(fw.z));
  const auto transparentPass = [&](bool inFront) {
    // Farthest first: the groups by the centres of their boxes, the triangles
    // of each by their own centres.
    std::vector<std::pair<float, Group*>> blended;
    for (Key k : groupOrder_) {
      Group& g = *groups_.at(k);
      if (g.inFront != inFront || g.transparentCount == 0) continue;
      sortTransparent(g, forward);
      const DPoint3D c = g.bounds.centre();
      blended.emplace_back(float(c.x * fw.x + c.y * fw.y + c.z * fw.z), &g);
    }
    std::stable_sort(blended.begin(), blended.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    f->glEnable(GL_BLEND);
    // The colour blends; the picture stays opaque.
    f->glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    f->glDepthMask(GL_FALSE);
    for (const auto& [depth, g] : blended) drawGroup(*g, true);
    f->glDepthMask(GL_TRUE);
    f->glDisable(GL_BLEND);
  };
  for (Key k : groupOrder_) {
    const Group& g = *groups_.at(k);
    if (g.inFront && !frontStarted) {
      transparentPass(false);
      f->glClear(GL_DEPTH_BUFFER_BIT);
      frontStarted = true;
    }
    drawGroup(g, false);
  }
  transparentPass(frontStarted);
  for (int i = 0; i < planeCount; ++i) f->glDisable(GL_CLIP_DISTANCE0 + static_cast<GLenum>(i));
  f->glDisable(GL_PROGRAM_POINT_SIZE);
  f->glDisable(GL_DEPTH_TEST);
  f->glBindVertexArray(0);
  f->glUseProgram(0);

  // Texts, placed in the window; cut ones are dropped like the geometry.
  for (Key k : groupOrder_) {
    for (const TextItem& t : groups_.at(k)->texts) {
      if (t.cut && std::any_of(planes_.begin(), planes_.end(), [&](const auto& p) {
            return p[0] * t.at.x + p[1] * t.at.y + p[2] * t.at.z + p[3] > 0.0;
          }))
        continue;
      const auto px = view->convert(gfx::CoordSystem::World, t.at, gfx::CoordSystem::OuterPixels);
      if (!px) continue;
      labels_.push_back(ViewLabel{QPointF(px->x, px->y), t.text, t.color, t.alignment});
    }
  }
  return true;
}

void GlRenderer::paintLabels(QPainter& painter) const {
  const QFontMetricsF metrics(painter.font());
  for (const ViewLabel& l : labels_) {
    const QSizeF size(metrics.horizontalAdvance(l.text), metrics.height());
    double x = l.at.x() - size.width() / 2, y = l.at.y() - size.height() / 2;
    for (char c : l.alignment) {
      if (c == '<') x = l.at.x();
      if (c == '>') x = l.at.x() - size.width();
      if (c == '^') y = l.at.y();
      if (c == 'v') y = l.at.y() - size.height();
    }
    painter.setPen(l.color);
    painter.drawText(QRectF(QPointF(x, y), size), Qt::AlignCenter, l.text);
  }
}

}  // namespace qx
