// Fuzz target of the surface file reader: the first six bytes choose the
// three fields' columns and widths, the rest is the file. Checks that every
// line gives exactly one finite record, then triangulates the records as the
// drawing would (single precision) and checks the corner list.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "datasets/surface_import.h"
#include "datasets/triangulate.h"
#include "io/line_reader.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "surface_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  qx::SurfaceFileLayout layout;
  for (int i = 0; i < 3; ++i) {
    // Positions from -8 to 503 and widths from -4 to 59: both sides of the line.
    const int a = data[2 * i], b = data[2 * i + 1];
    layout.positions[static_cast<std::size_t>(i)] = a * 2 + ((b >> 6) & 1) - 8;
    layout.widths[static_cast<std::size_t>(i)] = (b & 63) - 4;
  }
  const std::string_view file(reinterpret_cast<const char*>(data + 6), size - 6);

  std::size_t lines = 0;
  for (char c : file) lines += c == '\n';
  if (!file.empty() && file.back() != '\n') ++lines;

  qx::MemorySource source(file);
  long lastProgress = 0;
  const auto records = qx::readSurfaceRecords(source, layout, [&](long n) {
    check(n == lastProgress + 100, "progress every 100 records");
    lastProgress = n;
  });
  if (file.find('\0') != std::string_view::npos) {
    check(records.empty(), "a file that is not text gives nothing");
    return 0;
  }
  check(records.size() == lines, "one record per line");
  check(static_cast<std::size_t>(lastProgress) == records.size() / 100 * 100, "last progress call");

  std::vector<qx::FPoint3D> points;
  for (const auto& r : records) {
    check(std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z), "finite record");
    if (points.size() < 4000)
      points.push_back({static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.z)});
  }
  qx::Triangulate t;
  const int n = t.run(points);
  check(n >= 0 && static_cast<std::size_t>(n) * 3 == t.corners().size(), "corner count");
  check(points.size() < 3 || static_cast<std::size_t>(n) <= 2 * points.size(), "at most 2n triangles");
  for (int c : t.corners()) {
    check(c >= 0 && static_cast<std::size_t>(c) < points.size(), "corner index in range");
    check(std::isfinite(points[static_cast<std::size_t>(c)].x) && std::isfinite(points[static_cast<std::size_t>(c)].y),
          "finite corner");
  }
  return 0;
}
