#include "datasets/composite_reader.h"

namespace qx {

void parseCompositeLine(std::string_view line, const CompositeLayout& layout, CompositeRecord& out) {
  out.name = textAt(line, layout.name.position, layout.name.width);
  out.position.x = numberAt(line, layout.x.position, layout.x.width);
  out.position.y = numberAt(line, layout.y.position, layout.y.width);
  out.position.z = layout.readZ ? numberAt(line, layout.z.position, layout.z.width) : 0.0;
  out.values.resize(layout.variables.size());
  for (std::size_t k = 0; k < layout.variables.size(); ++k)
    out.values[k] = numberAt(line, layout.variables[k].position, layout.variables[k].width);
}

bool CompositeFileReader::next(CompositeRecord& out) {
  if (!reader_.readLine()) return false;
  parseCompositeLine(reader_.line(), layout_, out);
  return true;
}

std::vector<CompositeRecord> readCompositeRecords(ByteSource& source, const CompositeLayout& layout) {
  CompositeFileReader reader(source, layout);
  std::vector<CompositeRecord> records;
  CompositeRecord r;
  while (reader.next(r)) records.push_back(r);
  return records;
}

}  // namespace qx
