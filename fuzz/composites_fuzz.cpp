// Fuzz target of the composite file reader: arbitrary bytes read with a
// layout taken from the first bytes, as plain records and through the load
// into a composite set with the co-located removal. Checks one record per
// line, the field rules and that no two survivors are co-located.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/limits.h"
#include "datasets/composite_import.h"
#include "datasets/composite_reader.h"
#include "datasets/composites.h"
#include "io/line_reader.h"
#include "port/dialog_model.h"
#include "port/silent_port.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "composites_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

std::int32_t take(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return 0;
  const std::int32_t v = *data++;
  --size;
  return v;
}

qx::CompositeColumn column(const std::uint8_t*& data, std::size_t& size) {
  // Positions -4 .. 760, widths -2 .. 61: columns before and past the line included.
  const std::int32_t position = take(data, size) * 3 - 4;
  const std::int32_t width = take(data, size) % 64 - 2;
  return {position, width};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qx::CompositeLayout layout;
  layout.name = column(data, size);
  layout.x = column(data, size);
  layout.y = column(data, size);
  layout.z = column(data, size);
  layout.readZ = (take(data, size) & 1) != 0;
  const int variables = take(data, size) % 6;
  for (int v = 0; v < variables; ++v) layout.variables.push_back(column(data, size));
  const std::string_view file(reinterpret_cast<const char*>(data), size);

  std::size_t lineFeeds = 0;
  for (char c : file) lineFeeds += c == '\n';
  const std::size_t lines = file.empty() ? 0 : lineFeeds + (file.back() == '\n' ? 0 : 1);

  qx::MemorySource source(file);
  const auto records = qx::readCompositeRecords(source, layout);
  check(records.size() == lines, "one record per line");
  for (const auto& r : records) {
    check(r.name.size() <= static_cast<std::size_t>(std::max(layout.name.width, 0)), "name within its field");
    check(std::isfinite(r.position.x) && std::isfinite(r.position.y) && std::isfinite(r.position.z), "finite");
    check(layout.readZ || r.position.z == 0.0, "z is 0 when not read");
    check(r.values.size() == layout.variables.size(), "one value per variable");
    for (double v : r.values) check(std::isfinite(v), "finite value");
  }

  // The same bytes through the load into a set.
  qx::QuarlexSettings settings;
  settings.projectType = layout.readZ ? qx::kProject3D : qx::kProject2D;
  for (int v = 0; v < variables; ++v) {
    qx::VariableInfo info("V" + std::to_string(v));
    info.compositePosition = layout.variables[static_cast<std::size_t>(v)].position;
    info.compositeWidth = layout.variables[static_cast<std::size_t>(v)].width;
    settings.loaded.push_back(info);
  }
  qx::CompositeSet set;
  set.fieldPositions = {layout.name.position, layout.x.position, layout.y.position, layout.z.position};
  set.fieldWidths = {layout.name.width, layout.x.width, layout.y.width, layout.z.width};
  qx::MemorySource again(file);
  qx::CompositeRefusals refused;
  const int read = qx::readComposites(again, set, settings, nullptr, &refused);
  if (read == qx::kCompositeTextFault) {
    check(set.count() == 0 && refused.text.line > 0, "a file that is not text leaves the set empty");
    return 0;
  }
  check(static_cast<std::size_t>(read + refused.count) == lines, "every line read or refused");
  check((refused.count == 0) == (refused.firstLine == 0), "the first refused line named");
  for (const auto& c : set.composites) {
    check(qx::pointInRange(c.position), "coordinates within the limits");
    for (double v : c.values) check(qx::valueInRange(v), "values within the limits");
  }
  qx::SilentPort port;
  int processed = 0;
  const int removed = qx::finishCompositeLoad(read, port, set, {nullptr, [&] { ++processed; }});
  check(removed + set.count() == read, "removed and kept add up");
  check(port.messages == (removed > 0 ? 1 : 0), "one message when composites are removed");
  check(processed == (read > 0 ? 1 : 0), "processed after a read");
  for (std::size_t i = 0; i < set.composites.size(); ++i) {
    const auto& a = set.composites[i].position;
    if (i > 0) check(set.composites[i - 1].position.x >= a.x, "descending x");
    for (std::size_t j = i + 1; j < set.composites.size() && std::fabs(a.x - set.composites[j].position.x) < 0.01; ++j)
      check(std::fabs(a.y - set.composites[j].position.y) >= 0.01, "no two survivors co-located");
  }
  return 0;
}
