#include "graphics/scene_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qx::gfx {
namespace {

constexpr int kMaxAliasNesting = 16;

std::string_view trimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Flush filter bits.
enum FlushBits : unsigned {
  kFlushMarkers = 1u << 0,
  kFlushLines = 1u << 1,
  kFlushPolylines = 1u << 2,
  kFlushShells = 1u << 3,
  kFlushText = 1u << 4,
  kFlushGrids = 1u << 5,
  kFlushCuttingPlanes = 1u << 6,
  kFlushLights = 1u << 7,
  kFlushSegments = 1u << 8,
  kFlushIncludes = 1u << 9,
  kFlushAttributes = 1u << 10,
  kFlushGeometry = kFlushMarkers | kFlushLines | kFlushPolylines | kFlushShells | kFlushText | kFlushGrids |
                   kFlushCuttingPlanes | kFlushLights,
};

unsigned parseFlushKinds(std::string_view kinds) {
  unsigned bits = 0;
  const OptionList list = parseOptions(kinds);
  for (const auto& [key, value] : list.entries()) {
    if (value == "off") continue;  // "no markers" flushes nothing
    if (key == "everything") bits |= kFlushGeometry | kFlushSegments | kFlushIncludes;
    if (key == "geometry") bits |= kFlushGeometry;
    if (key == "markers" || key == "marker") bits |= kFlushMarkers;
    if (key == "lines" || key == "line") bits |= kFlushLines | kFlushPolylines;
    if (key == "polylines" || key == "polyline") bits |= kFlushPolylines;
    if (key == "shells" || key == "shell") bits |= kFlushShells;
    if (key == "text") bits |= kFlushText;
    if (key == "grids" || key == "grid") bits |= kFlushGrids;
    if (key == "cutting planes" || key == "cutting plane") bits |= kFlushCuttingPlanes;
    if (key == "lights" || key == "light" || key == "distant lights" || key == "distant light") bits |= kFlushLights;
    if (key == "segments" || key == "subsegments") bits |= kFlushSegments;
    if (key == "includes") bits |= kFlushIncludes;
    if (key == "attributes") bits |= kFlushAttributes;
  }
  return bits;
}

unsigned flushBitOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::Marker: return kFlushMarkers;
    case ItemKind::Line: return kFlushLines;
    case ItemKind::Polyline: return kFlushPolylines;
    case ItemKind::Shell: return kFlushShells;
    case ItemKind::Text: return kFlushText;
    case ItemKind::Grid: return kFlushGrids;
    case ItemKind::CuttingPlane: return kFlushCuttingPlanes;
    case ItemKind::DistantLight: return kFlushLights;
  }
  return 0;
}

bool finite(const DPoint3D& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

SceneTree::SceneTree() {
  root_ = newKey();
  Segment root;
  root.key = root_;
  segments_.emplace(root_, std::move(root));
  defineAlias("?driver", "/driver");
}

// ---------------------------------------------------------------- system

void SceneTree::defineAlias(std::string_view alias, std::string_view expansion) {
  std::string name = normalizeKeyword(alias);
  if (name.empty()) return;
  if (name.front() != '?') name.insert(name.begin(), '?');
  aliases_[name] = std::string(trimView(expansion));
  touch();
}

void SceneTree::defineSystemOptions(std::string_view options) { systemOptions_.merge(parseOptions(options)); }

std::optional<std::string> SceneTree::expandPath(std::string_view path) const {
  std::string text(trimView(path));
  for (int nesting = 0; !text.empty() && text.front() == '?'; ++nesting) {
    if (nesting >= kMaxAliasNesting) return std::nullopt;
    const size_t slash = text.find('/');
    const std::string name = normalizeKeyword(std::string_view(text).substr(0, slash));
    const auto it = aliases_.find(name);
    if (it == aliases_.end()) return std::nullopt;
    text = it->second + (slash == std::string::npos ? std::string() : text.substr(slash));
  }
  std::vector<std::string> parts;
  if (text.empty() || text.front() != '/') {
    const Key base = openSegmentKey();
    if (base == kNoKey) return std::nullopt;
    for (Key k = base; k != root_ && k != kNoKey;) {
      const Segment& s = segments_.at(k);
      parts.insert(parts.begin(), s.name);
      k = s.owner;
    }
  }
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t next = text.find('/', pos);
    if (next == std::string::npos) next = text.size();
    const std::string_view part = trimView(std::string_view(text).substr(pos, next - pos));
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    pos = next + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  return out.empty() ? std::string("/") : out;
}

// ---------------------------------------------------------------- segments

Key SceneTree::childNamed(const Segment& s, std::string_view name) const {
  const auto it = names_.find({s.key, normalizeKeyword(name)});
  return it == names_.end() ? kNoKey : it->second;
}

Key SceneTree::walkPathConst(std::string_view path) const {
  const auto absolute = expandPath(path);
  if (!absolute) return kNoKey;
  Key k = root_;
  size_t pos = 1;
  const std::string& p = *absolute;
  while (pos < p.size()) {
    size_t next = p.find('/', pos);
    if (next == std::string::npos) next = p.size();
    k = childNamed(segments_.at(k), std::string_view(p).substr(pos, next - pos));
    if (k == kNoKey) return kNoKey;
    pos = next + 1;
  }
  return k;
}

Key SceneTree::walkPath(std::string_view path, bool create) {
  if (!create) return walkPathConst(path);
  const auto absolute = expandPath(path);
  if (!absolute) return kNoKey;
  Key k = root_;
  size_t pos = 1;
  const std::string& p = *absolute;
  while (pos < p.size()) {
    size_t next = p.find('/', pos);
    if (next == std::string::npos) next = p.size();
    const std::string_view name = std::string_view(p).substr(pos, next - pos);
    Key child = childNamed(segments_.at(k), name);
    if (child == kNoKey) {
      child = newKey();
      Segment s;
      s.key = child;
      s.name = std::string(name);
      s.owner = k;
      names_.emplace(std::make_pair(k, normalizeKeyword(name)), child);
      segments_.emplace(child, std::move(s));
      segments_.at(k).subsegments.push_back(child);
      ++structure_;
      touch();
    }
    k = child;
    pos = next + 1;
  }
  return k;
}

Key SceneTree::openSegment(std::string_view path) {
  const Key k = walkPath(path, true);
  openStack_.push_back(k);
  return k;
}

Key SceneTree::openSegmentByKey(Key key) {
  Key k = resolveKey(key);
  if (!segments_.contains(k)) k = kNoKey;
  openStack_.push_back(k);
  return k;
}

void SceneTree::closeSegment() {
  if (!openStack_.empty()) openStack_.pop_back();
}

Key SceneTree::openSegmentKey() const { return openStack_.empty() ? root_ : openStack_.back(); }

Key SceneTree::createSegment(std::string_view path) {
  const Key k = openSegment(path);
  closeSegment();
  return k;
}

Key SceneTree::findSegment(std::string_view path) const { return walkPathConst(path); }

Segment* SceneTree::mutableSegment(Key key) {
  auto it = segments_.find(key);
  return it == segments_.end() ? nullptr : &it->second;
}

Segment* SceneTree::attributeTarget() { return mutableSegment(openSegmentKey()); }

const Segment* SceneTree::segment(Key key) const {
  auto it = segments_.find(key);
  return it == segments_.end() ? nullptr : &it->second;
}

const Item* SceneTree::item(Key key) const { return items_.find(key); }

std::string SceneTree::pathOf(Key segmentKey) const {
  if (!segments_.contains(segmentKey)) return {};
  if (segmentKey == root_) return "/";
  std::string path;
  for (Key k = segmentKey; k != root_ && k != kNoKey;) {
    const Segment& s = segments_.at(k);
    path.insert(0, "/" + s.name);
    k = s.owner;
  }
  return path;
}

void SceneTree::forgetUserKey(Key owner, Key key, bool hasUserKey, Key userKey) {
  if (!hasUserKey) return;
  if (auto it = localUserKeys_.find(owner); it != localUserKeys_.end()) {
    if (const Key* u = it->second.find(userKey); u && *u == key) it->second.erase(userKey);
    if (it->second.empty()) localUserKeys_.erase(it);
  }
  if (auto g = globalUserKeys_.find(userKey); g != globalUserKeys_.end() && g->second == key) globalUserKeys_.erase(g);
}

void SceneTree::removeItem(Key key) {
  const Item* found = items_.find(key);
  if (!found) return;
  ++structure_;
  const Item& item = *found;
  Segment* owner = mutableSegment(item.owner);
  if (owner) {
    auto& v = owner->items;
    if (auto pos = std::find(v.rbegin(), v.rend(), key); pos != v.rend()) v.erase(std::next(pos).base());
  }
  if (auto ink = inkOf_.find(item.owner); ink != inkOf_.end() && ink->second == key) inkOf_.erase(ink);
  forgetUserKey(item.owner, key, item.hasUserKey, item.userKey);
  items_.erase(key);
  if (owner) {
    touch(*owner);
  } else {
    touch();
  }
}

void SceneTree::removeSegmentTree(Key top, bool detachFromOwner) {
  if (top == root_ || !segments_.contains(top)) return;
  ++structure_;
  std::vector<Key> doomed{top};
  for (size_t i = 0; i < doomed.size(); ++i) {
    const Segment& s = segments_.at(doomed[i]);
    doomed.insert(doomed.end(), s.subsegments.begin(), s.subsegments.end());
  }
  const Segment& topSeg = segments_.at(top);
  if (Segment* owner = mutableSegment(topSeg.owner); owner && detachFromOwner) {
    auto& v = owner->subsegments;
    if (auto pos = std::find(v.rbegin(), v.rend(), top); pos != v.rend()) v.erase(std::next(pos).base());
  }
  for (Key k : doomed) {
    Segment& s = segments_.at(k);
    for (Key i : s.items) {
      const Item& it = *items_.find(i);
      forgetUserKey(k, i, it.hasUserKey, it.userKey);
      items_.erase(i);
    }
    forgetUserKey(s.owner, k, s.hasUserKey, s.userKey);
    names_.erase({s.owner, normalizeKeyword(s.name)});
    inkOf_.erase(k);
    localUserKeys_.erase(k);
    // Its own includes no longer count as includers of their targets.
    for (Key target : s.includes) {
      if (auto by = includedBy_.find(target); by != includedBy_.end()) {
        std::erase(by->second, k);
        if (by->second.empty()) includedBy_.erase(by);
      }
    }
  }
  std::sort(doomed.begin(), doomed.end());
  const auto isDoomed = [&](Key k) { return std::binary_search(doomed.begin(), doomed.end(), k); };
  // Segments that stay lose their includes of removed segments.
  for (Key k : doomed) {
    auto by = includedBy_.find(k);
    if (by == includedBy_.end()) continue;
    for (Key includer : by->second) {
      if (Segment* s = mutableSegment(includer); s && !isDoomed(includer)) std::erase(s->includes, k);
    }
    includedBy_.erase(by);
  }
  for (Key k : doomed) segments_.erase(k);
  for (Key& open : openStack_) {
    if (isDoomed(open)) open = kNoKey;
  }
  touch();
}

bool SceneTree::deleteSegment(std::string_view path) {
  const Key k = walkPathConst(path);
  if (k == kNoKey || k == root_) return false;
  removeSegmentTree(k);
  return true;
}

bool SceneTree::deleteByKey(Key key) {
  const Key k = resolveKey(key);
  if (items_.contains(k)) {
    removeItem(k);
    return true;
  }
  if (segments_.contains(k) && k != root_) {
    removeSegmentTree(k);
    return true;
  }
  return false;
}

int SceneTree::flushOne(Key segmentKey, unsigned kinds) {
  Segment* seg = mutableSegment(segmentKey);
  if (!seg) return 0;
  ++structure_;
  int removed = 0;
  std::vector<Key> kept;
  for (Key i : seg->items) {
    const Item& it = *items_.find(i);
    if (!(kinds & flushBitOf(it.kind()))) {
      kept.push_back(i);
      continue;
    }
    forgetUserKey(segmentKey, i, it.hasUserKey, it.userKey);
    if (auto ink = inkOf_.find(segmentKey); ink != inkOf_.end() && ink->second == i) inkOf_.erase(ink);
    items_.erase(i);
    ++removed;
  }
  seg->items = std::move(kept);
  if (kinds & kFlushSegments) {
    const std::vector<Key> children = std::move(seg->subsegments);
    seg->subsegments.clear();
    for (Key c : children) removeSegmentTree(c, false);
    removed += static_cast<int>(children.size());
    seg = mutableSegment(segmentKey);
  }
  if (kinds & kFlushIncludes) {
    removed += static_cast<int>(seg->includes.size());
    for (Key target : seg->includes) {
      if (auto by = includedBy_.find(target); by != includedBy_.end()) {
        std::erase(by->second, segmentKey);
        if (by->second.empty()) includedBy_.erase(by);
      }
    }
    seg->includes.clear();
  }
  if ((kinds & kFlushAttributes) && !seg->attributes.empty()) {
    seg->attributes = {};
    pickSettingsChanged(segmentKey);
    ++removed;
  }
  if (removed > 0) touch(*seg);
  return removed;
}

int SceneTree::flushContents(std::string_view path, std::string_view kinds) {
  std::string_view p = trimView(path);
  bool subtree = false;
  if (p.size() >= 3 && p.substr(p.size() - 3) == "...") {
    subtree = true;
    p.remove_suffix(3);
    if (p.empty()) p = ".";
  }
  const Key top = walkPathConst(p);
  if (top == kNoKey) return 0;
  const unsigned bits = parseFlushKinds(kinds);
  if (bits == 0) return 0;
  std::vector<Key> targets{top};
  if (subtree) {
    for (size_t i = 0; i < targets.size(); ++i) {
      const Segment& s = segments_.at(targets[i]);
      targets.insert(targets.end(), s.subsegments.begin(), s.subsegments.end());
    }
  }
  int removed = 0;
  for (Key k : targets) removed += flushOne(k, bits);  // gone ones count nothing
  return removed;
}

int SceneTree::flushContentsByKey(Key key, std::string_view kinds) {
  const Key k = resolveKey(key);
  if (!segments_.contains(k)) return 0;
  return flushOne(k, parseFlushKinds(kinds));
}

Key SceneTree::includeSegmentByKey(Key key) {
  const Key target = resolveKey(key);
  Segment* seg = attributeTarget();
  if (!seg || !segments_.contains(target)) return kNoKey;
  if (std::find(seg->includes.begin(), seg->includes.end(), target) == seg->includes.end()) {
    seg->includes.push_back(target);
    includedBy_[target].push_back(seg->key);
    ++structure_;
    touch();
  }
  return target;
}

Key SceneTree::includeSegment(std::string_view path) {
  if (!attributeTarget()) return kNoKey;
  const Key target = walkPath(path, true);
  if (target == kNoKey) return kNoKey;
  return includeSegmentByKey(target);
}

Key SceneTree::resolveKey(Key key) const {
  if (key < 0) return segments_.contains(key) || items_.contains(key) ? key : kNoKey;
  const Key open = openSegmentKey();
  if (const Key local = findUserKey(open, key); local != kNoKey) return local;
  if (auto g = globalUserKeys_.find(key); g != globalUserKeys_.end()) return g->second;
  return kNoKey;
}

Key SceneTree::findUserKey(Key owner, Key userKey) const {
  auto it = localUserKeys_.find(owner);
  if (it == localUserKeys_.end()) return kNoKey;
  const Key* u = it->second.find(userKey);
  return u ? *u : kNoKey;
}

bool SceneTree::renumberKey(Key key, Key userKey, KeyScope scope) {
  if (userKey < 0) return false;
  // An item's own key needs no resolving (markers numbered as they go in).
  Item* item = key < 0 ? items_.find(key) : nullptr;
  const Key k = item ? key : resolveKey(key);
  if (!item) item = items_.find(k);
  Key owner = kNoKey;
  Key* slotKey = nullptr;
  bool* slotHas = nullptr;
  if (Item* it = item) {
    owner = it->owner;
    slotKey = &it->userKey;
    slotHas = &it->hasUserKey;
  } else if (auto s = segments_.find(k); s != segments_.end() && k != root_) {
    owner = s->second.owner;
    slotKey = &s->second.userKey;
    slotHas = &s->second.hasUserKey;
  } else {
    return false;
  }
  if (scope == KeyScope::Local && !*slotHas) {
    // No user key to forget first: checking and taking the new one is one step.
    if (localUserKeys_[owner].insert(userKey, k) != k) return false;
    *slotKey = userKey;
    *slotHas = true;
    touch();
    return true;
  }
  if (scope == KeyScope::Local) {
    if (const Key taken = findUserKey(owner, userKey); taken != kNoKey && taken != k) return false;
  } else if (auto g = globalUserKeys_.find(userKey); g != globalUserKeys_.end() && g->second != k) {
    return false;
  }
  forgetUserKey(owner, k, *slotHas, *slotKey);
  if (scope == KeyScope::Local) {
    localUserKeys_[owner].set(userKey, k);
  } else {
    globalUserKeys_[userKey] = k;
  }
  *slotKey = userKey;
  *slotHas = true;
  touch();
  return true;
}

// ---------------------------------------------------------------- attributes

bool SceneTree::setColor(std::string_view options) {
  Segment* s = attributeTarget();
  if (!s) return false;
  touch(*s);
  return applyColorOptions(s->attributes.color, options);
}

bool SceneTree::setVisibility(std::string_view options) {
  Segment* s = attributeTarget();
  if (!s) return false;
  touch(*s);
  pickSettingsChanged(s->key);
  return applyVisibilityOptions(s->attributes.visibility, options);
}

bool SceneTree::setSelectability(std::string_view options) {
  Segment* s = attributeTarget();
  if (!s) return false;
  touch(*s);
  pickSettingsChanged(s->key);
  return applySelectabilityOptions(s->attributes.selectability, options);
}

bool SceneTree::mergeOptionList(OptionList Attributes::*list, std::string_view options) {
  Segment* s = attributeTarget();
  if (!s) return false;
  (s->attributes.*list).merge(parseOptions(options));
  touch(*s);
  return true;
}

bool SceneTree::setRenderingOptions(std::string_view options) {
  return mergeOptionList(&Attributes::renderingOptions, options);
}

bool SceneTree::setHeuristics(std::string_view options) { return mergeOptionList(&Attributes::heuristics, options); }

bool SceneTree::setDriverOptions(std::string_view options) {
  return mergeOptionList(&Attributes::driverOptions, options);
}

bool SceneTree::setHandedness(std::string_view value) {
  Segment* s = attributeTarget();
  const std::string v = normalizeKeyword(value);
  if (!s || (v != "right" && v != "left")) return false;
  s->attributes.handedness = v == "right" ? Handedness::Right : Handedness::Left;
  touch(*s);
  return true;
}

bool SceneTree::setWindowFrame(std::string_view value) {
  Segment* s = attributeTarget();
  const auto on = parseSwitch(value);
  if (!s || !on) return false;
  s->attributes.windowFrame = *on;
  touch(*s);
  return true;
}

bool SceneTree::setLineWeight(double weight) {
  Segment* s = attributeTarget();
  if (!s || !std::isfinite(weight) || weight < 0.0) return false;
  s->attributes.lineWeight = weight;
  touch(*s);
  return true;
}

bool SceneTree::setMarkerSize(double size) {
  Segment* s = attributeTarget();
  if (!s || !std::isfinite(size) || size < 0.0) return false;
  s->attributes.markerSize = size;
  touch(*s);
  return true;
}

bool SceneTree::setMarkerSymbol(std::string_view symbol) {
  Segment* s = attributeTarget();
  const std::string_view sym = trimView(symbol);
  if (!s || sym.empty()) return false;
  s->attributes.markerSymbol = std::string(sym);
  touch(*s);
  return true;
}

bool SceneTree::setTextAlignment(std::string_view alignment) {
  Segment* s = attributeTarget();
  const std::string_view a = trimView(alignment);
  if (!s || a.empty() || a.size() > 3 || a.find_first_not_of("<>^v*") != std::string_view::npos) return false;
  s->attributes.textAlignment = std::string(a);
  touch(*s);
  return true;
}

bool SceneTree::setWindowSize(int width, int height) {
  Segment* s = attributeTarget();
  if (!s || width <= 0 || height <= 0) return false;
  s->attributes.windowSize = WindowSize{width, height};
  touch(*s);
  return true;
}

bool SceneTree::unsetAttribute(AttributeGroup group) {
  Segment* s = attributeTarget();
  if (!s) return false;
  s->attributes.unset(group);
  pickSettingsChanged(s->key);
  touch(*s);
  return true;
}

std::optional<ResolvedAttributes> SceneTree::resolvedAttributes(Key segmentKey) const {
  if (!segments_.contains(segmentKey)) return std::nullopt;
  std::vector<const Segment*> chain;
  for (Key k = segmentKey; k != kNoKey;) {
    const Segment& s = segments_.at(k);
    chain.push_back(&s);
    k = s.owner;
  }
  ResolvedAttributes r;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) r.apply((*it)->attributes);
  return r;
}

// ---------------------------------------------------------------- camera

bool SceneTree::applyCameraChange(const std::function<void(Camera&)>& change) {
  Segment* s = attributeTarget();
  if (!s) return false;
  Camera c = s->attributes.camera ? *s->attributes.camera : showCamera();
  change(c);
  s->attributes.camera = c;
  touch(*s);
  return true;
}

bool SceneTree::setCamera(const Camera& camera) {
  return applyCameraChange([&](Camera& c) { c = camera; });
}

bool SceneTree::setCameraPosition(const DPoint3D& p) {
  if (!finite(p)) return false;
  return applyCameraChange([&](Camera& c) { c.position = p; });
}

bool SceneTree::setCameraTarget(const DPoint3D& p) {
  if (!finite(p)) return false;
  return applyCameraChange([&](Camera& c) { c.target = p; });
}

bool SceneTree::setCameraUpVector(const DPoint3D& v) {
  if (!finite(v)) return false;
  return applyCameraChange([&](Camera& c) { c.up = v; });
}

bool SceneTree::setCameraField(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0.0 || height <= 0.0) return false;
  return applyCameraChange([&](Camera& c) {
    c.fieldWidth = width;
    c.fieldHeight = height;
  });
}

bool SceneTree::setCameraProjection(std::string_view projection) {
  const std::string p = normalizeKeyword(projection);
  if (p != "orthographic" && p != "perspective") return false;
  return applyCameraChange(
      [&](Camera& c) { c.projection = p == "orthographic" ? Projection::Orthographic : Projection::Perspective; });
}

bool SceneTree::moveCamera(double dx, double dy, double dz) {
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz)) return false;
  const auto attrs = resolvedAttributes(openSegmentKey());
  if (!attrs) return false;
  const auto frame = ViewTransform::make(attrs->camera, attrs->handedness, {});
  if (!frame) return false;
  const DPoint3D shift = frame->right() * dx + frame->up() * dy + frame->forward() * dz;
  return applyCameraChange([&](Camera& c) {
    c.position = c.position + shift;
    c.target = c.target + shift;
  });
}

Camera SceneTree::showCamera() const {
  const auto attrs = resolvedAttributes(openSegmentKey());
  return attrs ? attrs->camera : Camera{};
}

// ---------------------------------------------------------------- geometry

void Bounds::add(const DPoint3D& p) {
  finite = finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  if (empty) {
    min = max = p;
    empty = false;
    return;
  }
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

Bounds Bounds::of(const Geometry& geometry) {
  Bounds b;
  std::visit(
      [&](const auto& g) {
        using T = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<T, Marker> || std::is_same_v<T, Text>) {
          b.add(g.at);
        } else if constexpr (std::is_same_v<T, Line>) {
          b.add(g.from);
          b.add(g.to);
        } else if constexpr (std::is_same_v<T, Polyline> || std::is_same_v<T, Shell>) {
          for (const auto& p : g.points) b.add(p);
        }
      },
      geometry);
  return b;
}

Key SceneTree::insertItem(Geometry geometry) {
  Segment* seg = attributeTarget();
  if (!seg) return kNoKey;
  const Key k = newKey();
  Item it;
  it.key = k;
  it.owner = seg->key;
  it.geometry = std::move(geometry);
  it.bounds = Bounds::of(it.geometry);
  items_.add(std::move(it));
  seg->items.push_back(k);
  ++structure_;
  touch(*seg);
  return k;
}

Key SceneTree::insertMarker(const DPoint3D& at) { return insertItem(Marker{at}); }

Key SceneTree::insertLine(const DPoint3D& from, const DPoint3D& to) { return insertItem(Line{from, to}); }

Key SceneTree::insertText(const DPoint3D& at, std::string_view text) { return insertItem(Text{at, std::string(text)}); }

Key SceneTree::insertDistantLight(const DPoint3D& direction) {
  if (!normalized(direction)) return kNoKey;
  return insertItem(DistantLight{direction});
}

Key SceneTree::insertPolyline(std::span<const DPoint3D> points) {
  return insertItem(Polyline{std::vector<DPoint3D>(points.begin(), points.end())});
}

Key SceneTree::insertShell(std::span<const DPoint3D> points, std::span<const int> faceList) {
  size_t i = 0;
  while (i < faceList.size()) {
    const int count = faceList[i];
    if (count < 3 || static_cast<size_t>(count) > faceList.size() - i - 1) return kNoKey;
    for (int v = 1; v <= count; ++v) {
      const int index = faceList[i + static_cast<size_t>(v)];
      if (index < 0 || static_cast<size_t>(index) >= points.size()) return kNoKey;
    }
    i += static_cast<size_t>(count) + 1;
  }
  return insertItem(
      Shell{std::vector<DPoint3D>(points.begin(), points.end()), std::vector<int>(faceList.begin(), faceList.end())});
}

Key SceneTree::insertShell(std::span<const FPoint3D> points, std::span<const int> faceList) {
  std::vector<DPoint3D> d;
  d.reserve(points.size());
  for (const auto& p : points) d.push_back(toDouble(p));
  return insertShell(std::span<const DPoint3D>(d), faceList);
}

Key SceneTree::insertGrid(std::string_view type, const DPoint3D& origin, const DPoint3D& ref1, const DPoint3D& ref2,
                          int count1, int count2) {
  if (count1 < 0 || count2 < 0) return kNoKey;
  return insertItem(Grid{normalizeKeyword(type), origin, ref1, ref2, count1, count2});
}

Key SceneTree::insertCuttingPlane(double a, double b, double c, double d) {
  if (!normalized({a, b, c}) || !std::isfinite(d)) return kNoKey;
  return insertItem(CuttingPlane{a, b, c, d});
}

void SceneTree::startInk() { inkOf_.erase(openSegmentKey()); }

Key SceneTree::addInk(const DPoint3D& point) {
  const Key seg = openSegmentKey();
  if (!segments_.contains(seg)) return kNoKey;
  if (auto it = inkOf_.find(seg); it != inkOf_.end()) {
    if (Item* item = items_.find(it->second)) {
      if (auto* line = std::get_if<Polyline>(&item->geometry)) {
        line->points.push_back(point);
        item->bounds.add(point);
        ++shapes_;
        touch(*mutableSegment(seg));
        return it->second;
      }
    }
  }
  const DPoint3D first[] = {point};
  const Key k = insertPolyline(first);
  if (k != kNoKey) inkOf_[seg] = k;
  return k;
}

bool SceneTree::editPolyline(Key key, int offset, int deleteCount, std::span<const DPoint3D> insert) {
  Item* it = items_.find(resolveKey(key));
  if (!it) return false;
  auto* line = std::get_if<Polyline>(&it->geometry);
  if (!line || offset < 0 || deleteCount < 0 || static_cast<size_t>(offset) > line->points.size()) return false;
  auto& pts = line->points;
  const size_t from = static_cast<size_t>(offset);
  const size_t count = std::min(static_cast<size_t>(deleteCount), pts.size() - from);
  pts.erase(pts.begin() + static_cast<std::ptrdiff_t>(from), pts.begin() + static_cast<std::ptrdiff_t>(from + count));
  pts.insert(pts.begin() + static_cast<std::ptrdiff_t>(from), insert.begin(), insert.end());
  it->bounds = Bounds::of(it->geometry);
  ++shapes_;
  touch(*mutableSegment(it->owner));
  return true;
}

std::vector<DPoint3D> SceneTree::showPolyline(Key key) const {
  const Item* it = item(resolveKey(key));
  if (!it) return {};
  const auto* line = std::get_if<Polyline>(&it->geometry);
  return line ? line->points : std::vector<DPoint3D>{};
}

// ---------------------------------------------------------------- queries

std::optional<ViewTransform> SceneTree::viewTransform(std::string_view picture) const {
  const Key k = walkPathConst(picture);
  if (k == kNoKey) return std::nullopt;
  const auto attrs = resolvedAttributes(k);
  return ViewTransform::make(attrs->camera, attrs->handedness, attrs->windowSize);
}

std::optional<DPoint3D> SceneTree::computeCoordinates(std::string_view picture, CoordSystem from, const DPoint3D& point,
                                                      CoordSystem to) const {
  if (!finite(point)) return std::nullopt;
  const auto vt = viewTransform(picture);
  if (!vt) return std::nullopt;
  return vt->convert(from, point, to);
}

std::optional<DPoint3D> SceneTree::computeCoordinates(std::string_view picture, std::string_view from,
                                                      const DPoint3D& point, std::string_view to) const {
  const auto f = parseCoordSystem(from);
  const auto t = parseCoordSystem(to);
  if (!f || !t) return std::nullopt;
  return computeCoordinates(picture, *f, point, *t);
}

std::string SceneTree::showDeviceInfo(std::string_view picture, std::string_view item) const {
  if (normalizeKeyword(item) != "pixels") return {};
  const Key k = walkPathConst(picture);
  if (k == kNoKey) return {};
  const WindowSize size = resolvedAttributes(k)->windowSize;
  if (size.width <= 0 || size.height <= 0) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d", size.width, size.height);
  return text;
}

void SceneTree::traverse(Key start, const std::function<bool(const SegmentVisit&)>& visitor) const {
  const Segment* first = segment(start);
  if (!first) return;
  ResolvedAttributes inherited;
  if (first->owner != kNoKey) inherited = *resolvedAttributes(first->owner);
  std::vector<Key> route;
  std::function<void(Key, const ResolvedAttributes&, int, bool)> walk = [&](Key k, const ResolvedAttributes& above,
                                                                            int depth, bool viaInclude) {
    if (depth > kMaxTraversalDepth || std::find(route.begin(), route.end(), k) != route.end()) return;
    const Segment* s = segment(k);
    if (!s) return;
    ResolvedAttributes attrs = above;
    attrs.apply(s->attributes);
    if (!visitor(SegmentVisit{*s, attrs, depth, viaInclude})) return;
    route.push_back(k);
    for (Key c : s->subsegments) walk(c, attrs, depth + 1, viaInclude);
    for (Key c : s->includes) walk(c, attrs, depth + 1, true);
    route.pop_back();
  };
  walk(start, inherited, 0, false);
}

}  // namespace qx::gfx
