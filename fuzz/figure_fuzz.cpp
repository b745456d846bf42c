// Fuzz target of the figure-file reader and the figure set's two passes:
// arbitrary bytes parsed with a layout taken from the first bytes. Checks
// that every header line gives one record with a trimmed name, that absent
// fields read -1, that points are finite, and that adding the records either
// refuses a duplicate name and leaves the set as it was, or keeps only
// figures of three points or more with their boxes around their outlines.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/figure_import.h"
#include "engine/figures.h"
#include "io/line_reader.h"
#include "project/quarlex_settings.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "figure_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

qx::FigureFileField field(unsigned char p, unsigned char w) { return {p % 63 - 2, w % 21}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qx::FigureFileLayout layout;
  layout.name = {3, 10};
  layout.x = {11, 10};
  layout.y = {21, 10};
  if (bytes.size() >= 8) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    layout.name = field(b[0], b[1]);
    layout.x = field(b[2], b[3]);
    layout.y = field(b[4], b[5]);
    layout.area = field(b[6], b[7] % 2 == 0 ? 0 : b[7]);
    layout.variables = {field(b[7], b[6])};
    bytes.remove_prefix(8);
  }

  qx::MemorySource source(bytes);
  qx::TextFault text;
  const auto records = qx::parseFigureFile(source, layout, nullptr, &text);
  if (bytes.empty() || bytes.find('\0') != std::string_view::npos) {
    check(text && records.empty(), "a file that is not text gives nothing");
    return 0;
  }

  std::size_t headers = 0;
  {
    qx::MemorySource again(bytes);
    qx::LineReader reader(again);
    while (reader.readLine())
      if (qx::characterAt(reader.line(), 1) == '1') ++headers;
  }
  check(records.size() == headers, "one record per header line");
  for (const auto& r : records) {
    check(r.name.empty() || (!isBlank(r.name.front()) && !isBlank(r.name.back())), "name trimmed");
    check(layout.area.width > 0 || r.area == -1.0, "an absent field reads -1");
    check(r.values.size() == layout.variables.size(), "one value per variable field");
    for (const auto& p : r.points) check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z), "finite");
  }

  qx::QuarlexSettings settings;
  settings.loaded = {qx::VariableInfo("Au")};
  qx::FigureSet set;
  qx::Figure existing;
  existing.name = "KEEP";
  existing.outline = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  existing.pointCount = 3;
  set.figures.push_back(existing);
  const qx::FigureSet before = set;
  const auto added = qx::addFigureRecords(set, records, settings);
  if (added.duplicate) {
    check(set == before, "a duplicate name leaves the set as it was");
  } else {
    check(set.count() == 1 + added.added, "added figures stand at the end");
    for (int i = 1; i < set.count(); ++i) {
      const qx::Figure& f = set.figures[static_cast<std::size_t>(i)];
      check(f.outline.size() >= 3, "figures of three points or more");
      for (const auto& p : f.outline)
        check(f.minCorner.x <= p.x && p.x <= f.maxCorner.x && f.minCorner.y <= p.y && p.y <= f.maxCorner.y,
              "box around the outline");
    }
  }
  return 0;
}
