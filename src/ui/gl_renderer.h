#pragma once
// The OpenGL 3.3 core renderer of the 3D view. It only reads the scene tree:
// everything reached from the picture segment is drawn with the attributes
// that apply where it sits.
//
// What is drawn: markers as points of the segment's marker size and symbol;
// lines, polylines and the edges of grids with the line weight; shells as
// faces (lit by the distant lights and the ambient colour when their "lights"
// visibility is on: flat unless the rendering option "lighting" (or "lighting
// interpolation") asks for "gouraud" or "phong") and as edges; faces with a
// transmission are blended after the opaque ones; text at its point in the
// window, aligned by the text alignment. Cutting planes found anywhere under
// the picture cut every segment whose "cutting planes" visibility is on. The
// axis icon ("IconXYZ") and any segment with the heuristic "in front" are
// drawn last, over everything else.
//
// Caching. What a segment gives (its vertices, indices and markers) is kept
// per segment and built again only when the segment's revision or the
// attributes that apply to it change. The GPU buffers are kept per group: a
// group is a segment two levels below the picture (a dataset such as
// "?Model/Polygons", with all of its subsegments), so a change of one dataset
// uploads that dataset's buffers and no other. A camera change uploads nothing,
// and a walk after a change passes over the datasets that did not change.
//
// Speed. Closed shells wound the same way all round are wound outward and
// their back faces culled (not under cutting planes). A segment whose shells
// are under a few pixels on screen is drawn as one point of their colour: the
// shells of a group are kept largest first, so a frame picks the whole ones
// and the points as two ranges by the camera's scale alone.
#include <QColor>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QVector3D>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/scene_tree.h"

class QPainter;
class QOpenGLFunctions_3_3_Core;
class QOpenGLShaderProgram;

namespace qx {

// How big a marker of size 1 is, in pixels.
inline constexpr double kMarkerUnitPixels = 16.0;

// The marker symbols the renderer knows; any other text draws a filled circle.
enum class MarkerShape : std::uint8_t {
  Dot,             // "."  one pixel
  Plus,            // "+"
  Cross,           // "x"
  Asterisk,        // "*"
  Circle,          // "()"
  FilledCircle,    // "(*)"
  FatDot,          // "(.)" a filled circle of half the size
  Square,          // "[]"
  FilledSquare,    // "[*]"
  Triangle,        // "/\"
  FilledTriangle,  // "/*\"
  Diamond,         // "<>"
  FilledDiamond,   // "<*>"
};
MarkerShape markerShapeOf(std::string_view symbol);

// A text placed in the window, for QPainter after the GL pass.
struct ViewLabel {
  QPointF at;  // pixels, origin top-left
  QString text;
  QColor color;
  std::string alignment;
};

// What the last render did, for the tests and the benchmark.
struct RenderStats {
  int groupsUploaded = 0;   // groups whose GPU buffers were filled again
  int segmentsRebuilt = 0;  // segments whose vertices were made again
  int segmentsReached = 0;  // segments reached from the picture
  bool treeWalked = false;  // the tree was walked again for changes
  int shellPoints = 0;      // segments whose shells were drawn as points, being small
};

class GlRenderer {
 public:
  GlRenderer();
  ~GlRenderer();
  GlRenderer(const GlRenderer&) = delete;
  GlRenderer& operator=(const GlRenderer&) = delete;

  // On a current OpenGL 3.3 core context; false (with the reason in error())
  // when the context is older or a shader does not build.
  bool initialize();
  bool isReady() const { return gl_ != nullptr; }
  const QString& error() const { return error_; }
  // Frees the GPU objects; the context must be current.
  void release();

  // Draws the picture into the bound framebuffer of `pixels` size. Returns
  // false when the tree has no such picture or its camera defines no view
  // (the window is then only cleared).
  bool render(const gfx::SceneTree& tree, std::string_view picture, QSize pixels, double pixelRatio);
  // The texts of the last render, in device-independent pixels.
  const std::vector<ViewLabel>& labels() const { return labels_; }
  void paintLabels(QPainter& painter) const;
  // True when the last render found nothing to show but the axis icon,
  // lights and cutting planes.
  bool sceneEmpty() const { return sceneEmpty_; }
  const RenderStats& stats() const { return stats_; }
  // The picture's window colour of the last render.
  QColor background() const { return background_; }

  struct Vertex;
  struct MarkerVertex;
  struct LodPoint;
  struct Chunk;
  struct Group;

 private:
  void walk(const gfx::SceneTree& tree, gfx::Key picture);
  // A hash of the keys and revisions of everything below the picture; fills
  // subtreeSignatures_ with the same for each segment two levels down.
  std::uint64_t signature(const gfx::SceneTree& tree, gfx::Key picture);
  void upload(Group& group);
  void drawGroup(const Group& group, bool transparentPass);
  void sortTransparent(Group& group, const QVector3D& forward);

  QOpenGLFunctions_3_3_Core* gl_ = nullptr;
  std::unique_ptr<QOpenGLShaderProgram> shapes_;
  std::unique_ptr<QOpenGLShaderProgram> markers_;
  std::unique_ptr<QOpenGLShaderProgram> points_;
  QString error_;
  std::map<gfx::Key, std::unique_ptr<Group>> groups_;
  std::vector<gfx::Key> groupOrder_;
  std::vector<std::array<double, 4>> planes_;  // world a, b, c, d
  std::vector<DPoint3D> lights_;               // unit directions toward the light
  std::array<float, 3> lightColor_{1, 1, 1};
  std::array<float, 3> ambient_{0.25f, 0.25f, 0.25f};
  std::optional<DPoint3D> origin_;  // world point the float positions are relative to
  std::uint64_t walkedRevision_ = 0;
  std::uint64_t signature_ = 0;
  std::unordered_map<gfx::Key, std::uint64_t> subtreeSignatures_;
  // What each segment two levels below the picture gave at the last walk, so
  // that a walk passes over the ones that did not change.
  struct Light {
    DPoint3D direction;
    std::array<float, 3> colour, ambient;
  };
  struct Subtree {
    std::uint64_t signature = 0;
    std::uint64_t look = 0;  // the attributes that apply at its top
    std::vector<gfx::Key> groups;
    std::vector<std::array<double, 4>> planes;
    std::vector<Light> lights;
  };
  std::unordered_map<gfx::Key, Subtree> subtrees_;
  gfx::Attributes pictureAttributes_;
  const gfx::SceneTree* walkedTree_ = nullptr;
  gfx::Key walkedPicture_ = gfx::kNoKey;
  std::vector<ViewLabel> labels_;
  bool sceneEmpty_ = true;
  RenderStats stats_;
  QColor background_ = Qt::white;
  float lineWidthMax_ = 1.0f;
  float pixelRatio_ = 1.0f;
  float lodSize_ = 0.0f;  // world size under which a segment's shells are drawn as a point
};

}  // namespace qx
