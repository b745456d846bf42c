// Fuzz target of the outline reader: arbitrary bytes parsed with a field
// layout taken from the first bytes. Checks that every header line gives one
// record, that points are finite, that names are trimmed, and that writing
// the records back and parsing them again keeps the contours and their point
// counts.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datasets/outline_reader.h"
#include "io/line_reader.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "outline_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qx::OutlineLayout layout;
  if (bytes.size() >= 4) {
    // Positions from -2 to 60 and widths from 0 to 40 reach outside the line too.
    layout.namePosition = static_cast<unsigned char>(bytes[0]) % 63 - 2;
    layout.nameWidth = static_cast<unsigned char>(bytes[1]) % 41;
    layout.xWidth = static_cast<unsigned char>(bytes[2]) % 41;
    layout.zWidth = static_cast<unsigned char>(bytes[3]) % 2 == 0 ? 0 : 10;
    bytes.remove_prefix(4);
  }

  qx::MemorySource source(bytes);
  const qx::OutlineFileRecords records = qx::parseOutline(source, layout);
  if (bytes.empty() || bytes.find('\0') != std::string_view::npos) {
    check(records.text && records.contours.empty(), "a file that is not text gives nothing");
    return 0;
  }

  // One record per line whose first character is "1".
  std::size_t headers = 0;
  std::size_t points = 0;
  {
    qx::MemorySource again(bytes);
    qx::LineReader reader(again);
    while (reader.readLine()) {
      const char c = qx::characterAt(reader.line(), 1);
      if (c == '1') ++headers;
      if (c == '2' && headers > 0) ++points;
    }
  }
  check(records.contours.size() == headers, "one record per header line");
  std::size_t read = 0;
  for (const auto& c : records.contours) {
    read += c.points.size();
    check(layout.nameWidth > 0 || c.name.empty(), "no name without a name field");
    check(c.name.size() <= static_cast<std::size_t>(layout.nameWidth), "name within its field");
    check(c.name.empty() || (!isBlank(c.name.front()) && !isBlank(c.name.back())), "name trimmed");
    for (const auto& p : c.points) {
      check(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z), "finite points");
      check(layout.zWidth > 0 || p.z == 0.0, "z is 0 without a z field");
    }
  }
  check(read == points, "every point after a header is kept");

  const auto names = qx::distinctOutlineNames(records);
  for (std::size_t i = 0; i < names.size(); ++i) {
    check(!names[i].empty(), "no blank name listed");
    for (std::size_t j = 0; j < i; ++j) check(names[i] != names[j], "names listed once");
  }

  // Write back with the default columns and read again.
  std::string text;
  const qx::OutlineOutputField fx{2, 10, 2}, fy{12, 10, 2}, fz{22, 10, 2};
  for (std::size_t c = 0; c < records.contours.size(); ++c) {
    text += qx::outlineHeaderLine(static_cast<unsigned>(c), records.contours[c].name);
    for (const auto& p : records.contours[c].points) {
      const std::string line = qx::outlinePointLine({{fx, p.x}, {fy, p.y}, {fz, p.z}});
      check(line.size() == 32 && line[0] == '2' && line.back() == '\n', "point line of 31 columns");
      text += line;
    }
  }
  qx::MemorySource written(text);
  const auto back = qx::parseOutline(written, qx::OutlineLayout{});
  check(back.contours.size() == records.contours.size(), "contours read back");
  for (std::size_t c = 0; c < back.contours.size(); ++c)
    check(back.contours[c].points.size() == records.contours[c].points.size(), "points read back");
  return 0;
}
