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

CompositeFileReader::CompositeFileReader(ByteSource& source, CompositeLayout layout) : layout_(std::move(layout)) {
  if (layout_.delimited) {
    std::vector<DelimitedColumn> columns = layout_.columns;
    columns.resize(4 + layout_.variables.size());
    if (!columns.empty()) columns[0].numeric = false;
    if (!layout_.readZ) columns[3] = {columns[3].label, {}, 0, true};
    delimited_.emplace(source, *layout_.delimited, std::move(columns));
  } else {
    reader_.emplace(source);
  }
}

bool CompositeFileReader::next(CompositeRecord& out) {
  if (delimited_) {
    if (!delimited_->next()) return false;
    const DelimitedReader& d = *delimited_;
    out.name = d.text(0);
    out.position = {d.number(1), d.number(2), d.number(3)};
    out.values.resize(layout_.variables.size());
    for (std::size_t k = 0; k < out.values.size(); ++k) out.values[k] = d.number(4 + k);
    return true;
  }
  if (!reader_->readLine()) return false;
  parseCompositeLine(reader_->line(), layout_, out);
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
