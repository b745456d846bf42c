// Fuzz target of the delimited reader: arbitrary bytes split as fields and
// read as composites, the separator, the header switch and the wanted column
// numbers taken from the first bytes. Checks that the reader never yields
// more records than lines, that every number is finite, that at most five
// bad lines are noted, and that a read with no record always says why.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/composite_reader.h"
#include "io/delimited.h"
#include "io/line_reader.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "delimited_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

std::uint8_t take(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return 0;
  --size;
  return *data++;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t mode = take(data, size);
  qx::CompositeLayout layout;
  layout.delimited = qx::DelimitedFormat{static_cast<qx::Separator>(mode % 4), (mode & 4) != 0};
  layout.readZ = (mode & 8) != 0;
  layout.variables.resize(take(data, size) % 4);
  for (std::size_t k = 0; k < 4 + layout.variables.size(); ++k) {
    const std::uint8_t c = take(data, size);
    // Columns 0 (not in the file) to 7, or by the names "A" and "b" when the file has a header.
    qx::DelimitedColumn column{"F" + std::to_string(k), "", c % 8, true};
    if (layout.delimited->header && (c & 0x80) != 0) column.header = (c & 0x40) != 0 ? "A" : "b";
    layout.columns.push_back(column);
  }
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  std::size_t lines = 0;
  for (char ch : file) lines += ch == '\n';
  lines += !file.empty() && file.back() != '\n';

  std::vector<std::string> fields;
  for (std::size_t start = 0; start < file.size();) {
    const std::size_t end = std::min(file.find('\n', start), file.size());
    if (qx::splitDelimited(file.substr(start, end - start), layout.delimited->separator, fields))
      for (const auto& f : fields) (void)qx::parseDelimitedNumber(f);
    start = end + 1;
  }

  qx::MemorySource source(file);
  qx::CompositeFileReader reader(source, layout);
  qx::CompositeRecord r;
  std::size_t records = 0;
  while (reader.next(r)) {
    ++records;
    check(std::isfinite(r.position.x) && std::isfinite(r.position.y) && std::isfinite(r.position.z), "finite");
    check(layout.readZ || r.position.z == 0.0, "z is 0 when not read");
    check(r.values.size() == layout.variables.size(), "one value per variable");
    for (double v : r.values) check(std::isfinite(v), "finite value");
  }
  const qx::DelimitedReport& report = reader.delimited()->report();
  check(records + static_cast<std::size_t>(report.badLines) <= lines, "no more records than lines");
  check(report.firstBad.size() == std::min<std::size_t>(report.badLines, qx::DelimitedReport::kNotedLines),
        "the first bad lines noted");
  check(records > 0 || !report.fatal.empty() || reader.lines().nulLine() > 0, "a read of nothing says why");
  check(records == 0 || report.fatal.empty(), "no fatal fault after records");
  return 0;
}
