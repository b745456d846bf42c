#include "graphics/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <initializer_list>

namespace qx::gfx {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits at top-level occurrences of sep (outside parentheses). A stray ')'
// never drives the depth below zero; an unclosed '(' swallows the rest.
std::vector<std::string_view> splitTopLevel(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      depth = std::max(0, depth - 1);
    } else if (c == sep && depth == 0) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(s.substr(start));
  return parts;
}

std::vector<size_t> topLevelPositions(std::string_view s, char what) {
  std::vector<size_t> pos;
  int depth = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')') {
      depth = std::max(0, depth - 1);
    } else if (s[i] == what && depth == 0) {
      pos.push_back(i);
    }
  }
  return pos;
}

// "(x)" -> "x" as long as the outer pair encloses the whole text.
std::string_view stripParens(std::string_view s) {
  s = trim(s);
  while (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    int depth = 0;
    bool enclosesAll = true;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')') --depth;
      if (depth == 0 && i + 1 < s.size()) {
        enclosesAll = false;
        break;
      }
    }
    if (!enclosesAll) break;
    s = trim(s.substr(1, s.size() - 2));
  }
  return s;
}

// "R=0.5 G=0.2 B=0.1" and "a=1, b=(x y)" -> key/value pairs. A value runs up to
// the last blank-separated word before the next '=', which is the next key.
std::vector<std::pair<std::string, std::string>> splitAssignments(std::string_view s) {
  std::vector<std::pair<std::string, std::string>> out;
  for (std::string_view chunk : splitTopLevel(s, ',')) {
    chunk = trim(chunk);
    if (chunk.empty()) continue;
    const std::vector<size_t> eq = topLevelPositions(chunk, '=');
    if (eq.empty()) {
      out.emplace_back(normalizeKeyword(chunk), std::string());
      continue;
    }
    std::string key = normalizeKeyword(chunk.substr(0, eq[0]));
    for (size_t i = 0; i < eq.size(); ++i) {
      const size_t begin = eq[i] + 1;
      const size_t end = i + 1 < eq.size() ? eq[i + 1] : chunk.size();
      std::string_view seg = trim(chunk.substr(begin, end - begin));
      if (i + 1 < eq.size()) {
        // Find the last top-level blank: the word after it is the next key.
        size_t cut = std::string_view::npos;
        int depth = 0;
        for (size_t k = 0; k < seg.size(); ++k) {
          if (seg[k] == '(') ++depth;
          if (seg[k] == ')') depth = std::max(0, depth - 1);
          if (depth == 0 && isBlank(seg[k])) cut = k;
        }
        if (cut == std::string_view::npos) {
          out.emplace_back(key, std::string());
          key = normalizeKeyword(seg);
        } else {
          out.emplace_back(key, std::string(trim(seg.substr(0, cut))));
          key = normalizeKeyword(seg.substr(cut + 1));
        }
      } else {
        out.emplace_back(key, std::string(seg));
      }
    }
  }
  return out;
}

struct NamedColor {
  const char* name;
  double r, g, b;
};

constexpr NamedColor kNamedColors[] = {
    {"black", 0.0, 0.0, 0.0},
    {"white", 1.0, 1.0, 1.0},
    {"red", 1.0, 0.0, 0.0},
    {"green", 0.0, 1.0, 0.0},
    {"blue", 0.0, 0.0, 1.0},
    {"yellow", 1.0, 1.0, 0.0},
    {"cyan", 0.0, 1.0, 1.0},
    {"magenta", 1.0, 0.0, 1.0},
    {"gray", 0.5, 0.5, 0.5},
    {"grey", 0.5, 0.5, 0.5},
    {"light gray", 0.75, 0.75, 0.75},
    {"light grey", 0.75, 0.75, 0.75},
    {"dark gray", 0.25, 0.25, 0.25},
    {"dark grey", 0.25, 0.25, 0.25},
    {"dark red", 0.5, 0.0, 0.0},
    {"dark green", 0.0, 0.5, 0.0},
    {"dark blue", 0.0, 0.0, 0.5},
    {"navy blue", 0.0, 0.0, 0.5},
    {"light blue", 0.5, 0.75, 1.0},
    {"sky blue", 0.53, 0.81, 0.92},
    {"midnight blue", 25.0 / 255.0, 25.0 / 255.0, 112.0 / 255.0},
    {"orange", 1.0, 0.5, 0.0},
    {"pink", 1.0, 0.75, 0.8},
    {"purple", 0.5, 0.0, 0.5},
    {"violet", 0.93, 0.51, 0.93},
    {"brown", 0.6, 0.3, 0.1},
};

// Which colour classes a colour keyword addresses; empty when unknown.
std::vector<ColorClass> colorClasses(const std::string& key) {
  using C = ColorClass;
  if (key == "geometry" || key == "everything") return {C::Faces, C::Edges, C::Lines, C::Markers, C::Text};
  if (key == "polygons" || key == "polygon") return {C::Faces, C::Edges};
  if (key == "faces" || key == "face") return {C::Faces};
  if (key == "edges" || key == "edge") return {C::Edges};
  if (key == "lines" || key == "line" || key == "polylines" || key == "polyline") return {C::Lines};
  if (key == "markers" || key == "marker") return {C::Markers};
  if (key == "text") return {C::Text};
  if (key == "lights" || key == "light") return {C::Lights};
  if (key == "ambient" || key == "ambient light") return {C::Ambient};
  if (key == "window" || key == "windows") return {C::Window};
  return {};
}

std::vector<Kind> kinds(const std::string& key) {
  using K = Kind;
  if (key == "everything") return {K::Faces, K::Edges, K::Lines, K::Markers, K::Text, K::Lights, K::CuttingPlanes};
  if (key == "geometry") return {K::Faces, K::Edges, K::Lines, K::Markers, K::Text};
  if (key == "polygons" || key == "polygon") return {K::Faces, K::Edges};
  if (key == "faces" || key == "face") return {K::Faces};
  if (key == "edges" || key == "edge") return {K::Edges};
  if (key == "lines" || key == "line" || key == "polylines" || key == "polyline") return {K::Lines};
  if (key == "markers" || key == "marker") return {K::Markers};
  if (key == "text") return {K::Text};
  if (key == "lights" || key == "light") return {K::Lights};
  if (key == "cutting planes" || key == "cutting plane") return {K::CuttingPlanes};
  return {};
}

bool isComponentKey(const std::string& k) {
  return k == "r" || k == "g" || k == "b" || k == "red" || k == "green" || k == "blue" || k == "transmission" ||
         k == "diffuse" || k == "diffuse color" || k == "diffuse colour";
}

struct ColorValue {
  std::optional<Rgb> color;
  std::optional<Rgb> transmission;
};

std::optional<ColorValue> parseColorValue(std::string_view text, int depth = 0) {
  if (depth > 8) return std::nullopt;
  const std::string_view v = stripParens(text);
  if (v.empty()) return std::nullopt;
  if (topLevelPositions(v, '=').empty()) {
    if (auto c = namedColor(v)) return ColorValue{c, std::nullopt};
    return std::nullopt;
  }
  ColorValue out;
  std::optional<double> r, g, b;
  for (const auto& [key, value] : splitAssignments(v)) {
    if (key == "r" || key == "red" || key == "g" || key == "green" || key == "b" || key == "blue") {
      auto n = parseNumber(value);
      if (!n) return std::nullopt;
      const double x = std::clamp(*n, 0.0, 1.0);
      (key[0] == 'r' ? r : key[0] == 'g' ? g : b) = x;
    } else if (key == "transmission") {
      auto t = parseColorValue(value, depth + 1);
      if (!t || !t->color) return std::nullopt;
      out.transmission = t->color;
    } else if (key == "diffuse" || key == "diffuse color" || key == "diffuse colour") {
      auto d = parseColorValue(value, depth + 1);
      if (!d || !d->color) return std::nullopt;
      out.color = d->color;
    } else {
      return std::nullopt;
    }
  }
  if (r || g || b) out.color = Rgb{r.value_or(0.0), g.value_or(0.0), b.value_or(0.0)};
  if (!out.color && !out.transmission) return std::nullopt;
  return out;
}

}  // namespace

// ---- OptionList ----

void OptionList::set(std::string key, std::string value) {
  key = normalizeKeyword(key);
  for (auto& e : entries_) {
    if (e.first == key) {
      e.second = std::move(value);
      return;
    }
  }
  entries_.emplace_back(std::move(key), std::move(value));
}

const std::string* OptionList::find(std::string_view key) const {
  const std::string k = normalizeKeyword(key);
  for (const auto& e : entries_) {
    if (e.first == k) return &e.second;
  }
  return nullptr;
}

void OptionList::merge(const OptionList& other) {
  for (const auto& e : other.entries_) set(e.first, e.second);
}

std::string normalizeKeyword(std::string_view text) {
  text = trim(text);
  std::string out;
  out.reserve(text.size());
  bool blank = false;
  for (char c : text) {
    if (isBlank(c)) {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out.push_back(' ');
    blank = false;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

OptionList parseOptions(std::string_view text) {
  OptionList list;
  for (std::string_view entry : splitTopLevel(text, ',')) {
    entry = trim(entry);
    if (entry.empty()) continue;
    const std::vector<size_t> eq = topLevelPositions(entry, '=');
    if (!eq.empty()) {
      std::string key = normalizeKeyword(entry.substr(0, eq[0]));
      if (key.empty()) continue;
      list.set(std::move(key), std::string(trim(entry.substr(eq[0] + 1))));
      continue;
    }
    std::string key = normalizeKeyword(entry);
    if (key.size() > 3 && key.compare(0, 3, "no ") == 0) {
      list.set(key.substr(3), "off");
    } else {
      list.set(std::move(key), "on");
    }
  }
  return list;
}

std::optional<double> parseNumber(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<bool> parseSwitch(std::string_view text) {
  const std::string v = normalizeKeyword(text);
  if (v == "on" || v == "yes" || v == "true" || v == "1") return true;
  if (v == "off" || v == "no" || v == "false" || v == "0") return false;
  return std::nullopt;
}

std::optional<Rgb> namedColor(std::string_view name) {
  const std::string n = normalizeKeyword(name);
  for (const auto& c : kNamedColors) {
    if (n == c.name) return Rgb{c.r, c.g, c.b};
  }
  return std::nullopt;
}

std::optional<Rgb> parseRgb(std::string_view text) {
  auto v = parseColorValue(text);
  if (!v || !v->color) return std::nullopt;
  return v->color;
}

bool ColorSetting::empty() const {
  for (int i = 0; i < kColorClassCount; ++i) {
    if (color[i] || transmission[i]) return false;
  }
  return unknown.empty();
}

bool VisibilitySetting::empty() const {
  return unknown.empty() && std::none_of(on.begin(), on.end(), [](const auto& v) { return v.has_value(); });
}

bool SelectabilitySetting::empty() const {
  return unknown.empty() && std::none_of(mode.begin(), mode.end(), [](const auto& v) { return v.has_value(); });
}

bool applyColorOptions(ColorSetting& setting, std::string_view text) {
  bool allUnderstood = true;
  for (std::string_view chunk : splitTopLevel(text, ',')) {
    chunk = trim(chunk);
    if (chunk.empty()) continue;
    const std::vector<size_t> eq = topLevelPositions(chunk, '=');
    std::string key;
    std::string_view value = chunk;
    if (!eq.empty()) {
      std::string k = normalizeKeyword(chunk.substr(0, eq[0]));
      if (!isComponentKey(k)) {
        key = std::move(k);
        value = trim(chunk.substr(eq[0] + 1));
      }
    }
    const std::vector<ColorClass> classes = key.empty() ? colorClasses("geometry") : colorClasses(key);
    const auto parsed = parseColorValue(value);
    if (classes.empty() || !parsed) {
      setting.unknown.set(key.empty() ? normalizeKeyword(chunk) : key, std::string(value));
      allUnderstood = false;
      continue;
    }
    for (ColorClass c : classes) {
      const auto i = static_cast<size_t>(c);
      if (parsed->color) setting.color[i] = parsed->color;
      if (parsed->transmission) setting.transmission[i] = parsed->transmission;
    }
  }
  return allUnderstood;
}

bool applyVisibilityOptions(VisibilitySetting& setting, std::string_view text) {
  bool allUnderstood = true;
  const OptionList list = parseOptions(text);
  for (const auto& [rawKey, rawValue] : list.entries()) {
    std::string key = rawKey;
    std::string value = rawValue;
    if ((key == "on" || key == "off") && value == "on") {  // a bare "on" or "off"
      value = key;
      key = "everything";
    }
    std::string_view v = trim(value);
    if (!v.empty() && v.front() == '!') v.remove_prefix(1);  // "!on" reads as on
    const auto sw = parseSwitch(v);
    const std::vector<Kind> ks = kinds(key);
    if (ks.empty() || !sw) {
      setting.unknown.set(key, value);
      allUnderstood = false;
      continue;
    }
    for (Kind k : ks) setting.on[static_cast<size_t>(k)] = *sw;
  }
  return allUnderstood;
}

bool applySelectabilityOptions(SelectabilitySetting& setting, std::string_view text) {
  bool allUnderstood = true;
  const OptionList list = parseOptions(text);
  for (const auto& [rawKey, rawValue] : list.entries()) {
    std::string key = rawKey;
    std::string value = rawValue;
    if ((key == "on" || key == "off") && value == "on") {
      value = key;
      key = "everything";
    }
    std::string_view v = trim(value);
    bool force = false;
    if (!v.empty() && v.front() == '!') {
      force = true;
      v = trim(v.substr(1));
    }
    std::optional<Pickable> mode;
    const std::string nv = normalizeKeyword(v);
    const bool actions = !nv.empty() && nv.find_first_not_of("v^*") == std::string::npos;
    if (nv == "off" || nv == "no" || nv == "false" || nv == "0") {
      mode = Pickable::Off;
    } else if (nv == "on" || nv == "yes" || nv == "true" || nv == "1" || actions || (force && nv.empty())) {
      mode = force ? Pickable::EvenIfHidden : Pickable::On;
    }
    const std::vector<Kind> ks = kinds(key);
    if (ks.empty() || !mode) {
      setting.unknown.set(key, value);
      allUnderstood = false;
      continue;
    }
    for (Kind k : ks) setting.mode[static_cast<size_t>(k)] = *mode;
  }
  return allUnderstood;
}

std::optional<CoordSystem> parseCoordSystem(std::string_view name) {
  const std::string n = normalizeKeyword(name);
  if (n == "world") return CoordSystem::World;
  if (n == "viewpoint") return CoordSystem::Viewpoint;
  if (n == "local window") return CoordSystem::LocalWindow;
  if (n == "outer pixels") return CoordSystem::OuterPixels;
  return std::nullopt;
}

}  // namespace qx::gfx
