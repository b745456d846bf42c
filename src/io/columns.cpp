#include "io/columns.h"

#include <algorithm>
#include <array>

#include "io/line_reader.h"

namespace qx {

void serializeColumnFields(Archive& ar, std::vector<ColumnField>& fields) {
  // A name length byte and three int32 at least per column.
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(fields.size()), 1 + 3 * 4, "columns");
  if (ar.isLoading()) fields.assign(static_cast<std::size_t>(n), ColumnField());
  for (auto& c : fields) {
    ar.io(c.name);
    ar.io(c.position);
    ar.io(c.length);
    ar.io(c.decimals);
  }
}

int ColumnDescription::find(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name) return static_cast<int>(i);
  return -1;
}

const ColumnField* ColumnDescription::field(std::string_view name) const {
  const int i = find(name);
  return i < 0 ? nullptr : &fields[static_cast<std::size_t>(i)];
}

bool isRequiredField(std::string_view name) {
  static constexpr std::array<std::string_view, 7> kRequired = {
      "IX (Column)", "IY (Row)", "IZ (Bench)", "X Coordinate", "Y Coordinate", "Z Coordinate", "Elevation"};
  return std::find(kRequired.begin(), kRequired.end(), name) != kRequired.end();
}

bool hasDecimals(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kNoDecimals = {"Name", "IX (", "IY (", "IZ (", "Numb", "Enve"};
  const std::string_view head = name.substr(0, 4);
  return std::find(kNoDecimals.begin(), kNoDecimals.end(), head) == kNoDecimals.end();
}

std::string requiredFieldMessage(std::string_view name) { return std::string(name) + " must have length > 0"; }

int firstMissingRequired(const ColumnDescription& description) {
  for (std::size_t i = 0; i < description.fields.size(); ++i) {
    const ColumnField& f = description.fields[i];
    const bool inFile = description.delimited ? !f.header.empty() || f.position > 0 : f.length != 0;
    if (!inFile && isRequiredField(f.name)) return static_cast<int>(i);
  }
  return -1;
}

std::string missingFieldMessage(const ColumnDescription& description, int index) {
  const std::string& name = description.fields[static_cast<std::size_t>(index)].name;
  return description.delimited ? name + " must be given a column" : requiredFieldMessage(name);
}

std::vector<DelimitedColumn> delimitedColumns(const ColumnDescription& description,
                                              const std::vector<std::string>& names) {
  std::vector<DelimitedColumn> out;
  out.reserve(names.size());
  for (const auto& name : names) {
    DelimitedColumn c;
    c.label = name;
    if (const ColumnField* f = description.field(name)) {
      c.header = f->header;
      c.number = f->position;
    }
    out.push_back(std::move(c));
  }
  return out;
}

std::string usageLine(const ColumnDescription& description) {
  std::string usage(kOutputRulerColumns, '-');
  for (const ColumnField& f : description.fields) {
    for (long long k = 0; k < f.length; ++k) {
      const long long c = std::max(static_cast<long long>(f.position) + k - 1, 0LL);
      if (c >= kOutputRulerColumns - 1) break;  // columns only grow from here
      char& mark = usage[static_cast<std::size_t>(c)];
      mark = mark == '-' ? '*' : '?';
    }
  }
  return usage;
}

std::string outputRulerText(const ColumnDescription& description) {
  std::string text;
  text.reserve(3 * kOutputRulerColumns + 4);
  text.append(kOutputTensRuler).append("\r\n").append(kOutputUnitsRuler).append("\r\n").append(usageLine(description));
  return text;
}

std::vector<std::string> readPreviewLines(ByteSource& source) {
  std::vector<std::string> lines(kPreviewLineCount);
  LineReader reader(source, kPreviewMaxLine + 1);
  for (std::string& line : lines) {
    if (!reader.readLine()) break;
    std::size_t n = reader.readLength();
    if (!reader.wasCut() && n > 0 && reader.line()[n - 1] == '\r') --n;
    line.assign(reader.line().substr(0, n));
  }
  return lines;
}

std::string previewText(const std::vector<std::string>& lines) {
  const std::size_t width = std::max<std::size_t>(lines.empty() ? 0 : lines.front().size(), kPreviewMinWidth);
  std::string text;
  text.append(kInputTensRuler.substr(0, width)).append("\r\n");
  text.append(kInputUnitsRuler.substr(0, width)).append("\r\n");
  for (std::size_t i = 0; i < kPreviewLineCount; ++i) text.append(i < lines.size() ? lines[i] : "").append("\r\n");
  return text;
}

}  // namespace qx
