#pragma once
// The scene tree: a retained tree of segments, each holding attributes, geometry
// items, subsegments and includes of other segments. Pure data plus math: it
// draws nothing. The GL renderer of the desktop only reads it (segment(), item(),
// resolvedAttributes(), traverse(), camera of the picture segment, updateCount()).
//
// Paths. "/" is the top of the tree; "/model/Composites" names segments from it.
// Names compare without regard to case and keep the spelling of their creation.
// A path that starts with "?name" starts with the expansion of that alias
// ("?Picture", "?Model"); "?driver" is predefined as "/driver". A path that starts
// with neither is relative to the open segment (the top when none is open);
// "." is the open segment itself and ".." its owner. For flushing, a path ending
// in "..." means the segment and every segment below it.
//
// Opening. openSegment creates missing segments along the path, makes the last
// one the open segment and returns its key. Opens nest: closeSegment returns to
// the segment open before. Attribute setters and inserts act on the open segment
// (on the top of the tree when nothing is open). A failed open still nests, so
// open/close pairs stay balanced; calls made while it is "open" do nothing.
//
// Keys. Every segment and item gets a negative key. renumberKey gives one a user
// key (zero or positive): with local scope it is unique among the items and
// subsegments of the same owner, with global scope in the whole tree. Calls that
// take a key accept the tree's own key, or a user key, looked up first among the
// contents of the open segment and then among the global user keys.
//
// Includes. A segment can include others: their contents are drawn and picked as
// if they were below the including segment, and they inherit its attributes.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graphics/attributes.h"
#include "graphics/coordinates.h"
#include "graphics/key_index.h"
#include "graphics/options.h"
#include "graphics/types.h"
#include "graphics/vecmath.h"

namespace qx::gfx {

enum class KeyScope { Local, Global };

struct Segment {
  Key key = kNoKey;
  std::string name;  // "" for the top of the tree
  Key owner = kNoKey;
  std::vector<Key> subsegments;  // in order of creation
  std::vector<Key> items;        // in order of insertion
  std::vector<Key> includes;     // segments included here, in order
  Attributes attributes;
  Key userKey = kNoKey;
  bool hasUserKey = false;
  // The tree's revision() at the last change of this segment's own items or
  // attributes (not of its subsegments): the renderer rebuilds what it drew
  // from a segment only when this moved.
  std::uint64_t revision = 0;
};

// The world box of an item's points, kept with the item for quick picking.
struct Bounds {
  DPoint3D min, max;
  bool empty = true;
  bool finite = true;  // false when some coordinate is not a finite number
  void add(const DPoint3D& p);
  static Bounds of(const Geometry& g);
};

struct Item {
  Key key = kNoKey;
  Key owner = kNoKey;
  Geometry geometry;
  Bounds bounds;  // kept equal to Bounds::of(geometry) by the tree
  Key userKey = kNoKey;
  bool hasUserKey = false;
  ItemKind kind() const { return kindOf(geometry); }
  // What a pick reports: the user key when renumbered, else the item's key.
  Key pickKey() const { return hasUserKey ? userKey : key; }
};

// One hit of a selection.
struct Hit {
  Key userKey = kNoKey;  // the renumbered key if any, else itemKey
  Key itemKey = kNoKey;
  Key segmentKey = kNoKey;
  std::string segmentPath;
  ItemKind kind = ItemKind::Marker;
  DPoint3D worldPosition;   // the point of the item nearest to the pick
  DPoint3D windowPosition;  // the same in "local window"
  double distance = 0.0;    // in local-window units, from the pick point or rectangle
};

// What traverse() passes for each segment it reaches.
struct SegmentVisit {
  const Segment& segment;
  const ResolvedAttributes& attributes;
  int depth = 0;                // 0 for the starting segment
  bool throughInclude = false;  // reached through an include on the way
};

class SceneTree {
 public:
  SceneTree();

  // ---- system ----
  void defineAlias(std::string_view alias, std::string_view expansion);
  // The absolute path a path stands for ("/model/composites"), or nullopt when an
  // alias is undefined or nests too deeply.
  std::optional<std::string> expandPath(std::string_view path) const;
  void defineSystemOptions(std::string_view options);
  const OptionList& systemOptions() const { return systemOptions_; }
  // Marks a batch of changes as complete; the renderer redraws when the count moves.
  void updateDisplay() { ++updateCount_; }
  std::uint64_t updateCount() const { return updateCount_; }
  // Grows with every change of the tree.
  std::uint64_t revision() const { return revision_; }

  // ---- segments ----
  Key openSegment(std::string_view path);
  Key openSegmentByKey(Key key);
  void closeSegment();
  Key openSegmentKey() const;  // the top of the tree when nothing is open; kNoKey after a failed open
  size_t openDepth() const { return openStack_.size(); }
  Key createSegment(std::string_view path);      // open and close at once
  Key findSegment(std::string_view path) const;  // kNoKey when absent; creates nothing
  bool deleteSegment(std::string_view path);
  // Deletes a segment (with everything below it) or an item.
  bool deleteByKey(Key key);
  // Kinds, separated by commas: "everything" (geometry, subsegments and includes;
  // attributes stay), "geometry" (every item), "shells", "markers", "lines" (lines
  // and polylines), "polylines", "text", "grids", "cutting planes", "lights",
  // "segments", "includes", "attributes". Returns how many things went.
  int flushContents(std::string_view path, std::string_view kinds = "everything");
  int flushContentsByKey(Key key, std::string_view kinds = "everything");
  // Includes a segment in the open one (creating it when absent, as an open
  // does); returns the included segment's key.
  Key includeSegment(std::string_view path);
  Key includeSegmentByKey(Key key);
  bool renumberKey(Key key, Key userKey, KeyScope scope = KeyScope::Local);
  // The tree's own key for a key or user key (see Keys above), kNoKey if none.
  Key resolveKey(Key key) const;
  Key findUserKey(Key owner, Key userKey) const;  // local scope lookup

  // ---- attributes of the open segment ----
  // Each returns false when some part was not understood (kept as text) or no
  // segment is open for attributes.
  bool setColor(std::string_view options);
  bool setVisibility(std::string_view options);
  bool setSelectability(std::string_view options);
  bool setRenderingOptions(std::string_view options);
  bool setHeuristics(std::string_view options);
  bool setDriverOptions(std::string_view options);
  bool setHandedness(std::string_view value);   // "right" or "left"
  bool setWindowFrame(std::string_view value);  // "on" or "off"
  bool setLineWeight(double weight);
  bool setMarkerSize(double size);
  bool setMarkerSymbol(std::string_view symbol);
  // Alignment characters: '<' '>' '^' 'v' '*' (left, right, top, bottom, centre).
  bool setTextAlignment(std::string_view alignment);
  bool setWindowSize(int width, int height);
  bool unsetAttribute(AttributeGroup group);

  // Camera of the open segment. Setting one part copies the camera that applies
  // there first, so the other parts keep their values.
  bool setCamera(const Camera& camera);
  bool setCameraPosition(const DPoint3D& p);
  bool setCameraTarget(const DPoint3D& p);
  bool setCameraUpVector(const DPoint3D& v);
  bool setCameraField(double width, double height);
  bool setCameraProjection(std::string_view projection);  // "orthographic", "perspective"
  // Moves eye and target together in the camera's own frame: dx along its
  // horizontal axis, dy along its up axis, dz along the line of sight (toward the target).
  bool moveCamera(double dx, double dy, double dz);
  // The camera that applies in the open segment.
  Camera showCamera() const;

  // ---- geometry in the open segment; each returns the new item's key ----
  Key insertMarker(const DPoint3D& at);
  Key insertLine(const DPoint3D& from, const DPoint3D& to);
  Key insertText(const DPoint3D& at, std::string_view text);
  Key insertDistantLight(const DPoint3D& direction);
  Key insertPolyline(std::span<const DPoint3D> points);
  // kNoKey when the face list is malformed (count beyond its end, index out of range).
  Key insertShell(std::span<const DPoint3D> points, std::span<const int> faceList);
  Key insertShell(std::span<const FPoint3D> points, std::span<const int> faceList);
  Key insertGrid(std::string_view type, const DPoint3D& origin, const DPoint3D& ref1, const DPoint3D& ref2, int count1,
                 int count2);
  Key insertCuttingPlane(double a, double b, double c, double d);
  // Ink: startInk ends the open segment's current inked line; addInk appends a
  // point to it, starting a new polyline when there is none. Returns its key.
  void startInk();
  Key addInk(const DPoint3D& point);
  // Deletes deleteCount points from offset (clipped to the end), then inserts
  // the given points there. False for an unknown key, a non-polyline or a bad offset.
  bool editPolyline(Key key, int offset, int deleteCount, std::span<const DPoint3D> insert);
  // The points of a polyline (empty for anything else).
  std::vector<DPoint3D> showPolyline(Key key) const;

  // ---- queries ----
  std::optional<DPoint3D> computeCoordinates(std::string_view picture, CoordSystem from, const DPoint3D& point,
                                             CoordSystem to) const;
  std::optional<DPoint3D> computeCoordinates(std::string_view picture, std::string_view from, const DPoint3D& point,
                                             std::string_view to) const;
  std::optional<ViewTransform> viewTransform(std::string_view picture) const;

  // Selection at a "local window" point of the picture within proximity (local
  // window units; nullopt takes the driver option "selection proximity" of the
  // picture, 0 with "no selection proximity"). Returns the number of hits.
  int computeSelection(std::string_view picture, DPoint2D at, std::optional<double> proximity = std::nullopt);
  // Selection of every item with a part inside the rectangle, grown by the proximity.
  int computeSelectionByArea(std::string_view picture, double left, double right, double bottom, double top,
                             std::optional<double> proximity = std::nullopt);
  const std::vector<Hit>& selection() const { return hits_; }
  const Hit* showSelection() const;  // current hit, nullptr when none
  bool findNextSelection();          // steps to the next related hit; false at the end

  // "pixels": the window size as "%d,%d"; "" for anything else or no window.
  std::string showDeviceInfo(std::string_view picture, std::string_view item) const;

  // ---- read access for the renderer and tests ----
  Key rootKey() const { return root_; }
  const Segment* segment(Key key) const;
  const Item* item(Key key) const;
  std::string pathOf(Key segmentKey) const;
  // Attributes that apply in a segment through its chain of owners.
  std::optional<ResolvedAttributes> resolvedAttributes(Key segmentKey) const;
  // Depth first from a segment: the segment, its items are the caller's to read,
  // then its subsegments in order, then its includes. The visitor returns false
  // to skip what lies below. Include cycles are cut.
  void traverse(Key start, const std::function<bool(const SegmentVisit&)>& visitor) const;
  size_t segmentCount() const { return segments_.size(); }
  size_t itemCount() const { return items_.size(); }

 private:
  static constexpr int kMaxTraversalDepth = 256;  // deeper nesting is cut off
  Segment* mutableSegment(Key key);
  Segment* attributeTarget();
  // Merges an option string into one of the open segment's option lists.
  bool mergeOptionList(OptionList Attributes::*list, std::string_view options);
  Key newKey() { return nextKey_--; }
  Key childNamed(const Segment& s, std::string_view name) const;
  Key walkPath(std::string_view path, bool create);
  Key walkPathConst(std::string_view path) const;
  Key insertItem(Geometry geometry);
  void removeItem(Key key);
  void removeSegmentTree(Key key, bool detachFromOwner = true);
  void forgetUserKey(Key owner, Key key, bool hasUserKey, Key userKey);
  int flushOne(Key segmentKey, unsigned kinds);
  bool applyCameraChange(const std::function<void(Camera&)>& change);
  int runSelection(std::string_view picture, double left, double right, double bottom, double top,
                   std::optional<double> proximity);
  // The segments and items a selection from a picture reaches, in the order
  // of traverse(), with copies of what a pick reads (each segment's own
  // visibility and selectability, each item's box) laid out together. Built
  // again when segments, items or includes come or go; the copies are brought
  // up to date at the next pick after a change. A copied tree starts without it.
  struct PickWalk {
    static constexpr size_t npos = static_cast<size_t>(-1);
    struct Visit {
      const Segment* segment;
      Key key;        // the segment's
      size_t parent;  // index of the visit above, or npos for the picture
      size_t firstItem, endItem;
      std::array<std::optional<bool>, kKindCount> visible;
      std::array<std::optional<Pickable>, kKindCount> selectable;
    };
    struct Entry {
      const Item* item;
      Bounds bounds;
      bool cuttingPlane;
    };
    Key picture = kNoKey;
    std::uint64_t structure = 0;
    std::uint64_t shapes = 0;
    std::vector<Visit> visits;
    std::vector<Entry> items;
    std::vector<std::pair<Key, size_t>> visitsBySegment;  // sorted by segment key
    PickWalk() = default;
    PickWalk(const PickWalk&) {}
    PickWalk& operator=(const PickWalk&) {
      picture = kNoKey;
      visits.clear();
      items.clear();
      visitsBySegment.clear();
      return *this;
    }
  };
  // A segment's visibility or selectability changed.
  void pickSettingsChanged(Key segment);
  const PickWalk& pickWalk(Key picture);
  void touch() { ++revision_; }
  void touch(Segment& s) { s.revision = ++revision_; }

  std::unordered_map<Key, Segment> segments_;
  ChunkedStore<Item> items_;
  std::map<std::string, std::string> aliases_;       // normalised alias -> expansion
  std::unordered_map<Key, KeyIndex> localUserKeys_;  // owner -> user key -> key
  std::map<Key, Key> globalUserKeys_;
  std::unordered_map<Key, Key> inkOf_;                    // segment -> its inked polyline
  std::map<std::pair<Key, std::string>, Key> names_;      // (owner, normalised name) -> segment
  std::unordered_map<Key, std::vector<Key>> includedBy_;  // segment -> segments that include it
  std::vector<Key> openStack_;
  OptionList systemOptions_;
  Key root_ = kNoKey;
  Key nextKey_ = -1;
  std::uint64_t updateCount_ = 0;
  std::uint64_t revision_ = 0;
  std::uint64_t structure_ = 1;  // moves whenever segments, items or includes come or go
  std::uint64_t shapes_ = 0;     // moves whenever an item's points change in place
  PickWalk pickWalk_;
  std::vector<Key> pickSettingsChanged_;  // segments to copy again at the next pick
  std::vector<Hit> hits_;
  size_t current_ = 0;
};

}  // namespace qx::gfx
